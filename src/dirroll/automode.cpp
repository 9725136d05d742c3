#include "dirroll/automode.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "common/format.h"
#include "common/launch.h"
#include "common/log.h"
#include "common/runtime.h"
#include "common/text.h"
#include "dirroll/default_profiles.h"
#include "dirroll/extra_info.h"
#include "dirroll/listing.h"
#include "dirroll/main_model.h"
#include "dirroll/profiles.h"
#include "dirroll/saved_list.h"
#include "platform/platform.h"

namespace dr::roll {

AutomodePaths AutomodePathsFor(const std::string& argument) {
    if (iendsWith(argument, ".PRO")) {
        std::string stem = argument.substr(0, argument.size() - 4);
        return {ResolveOnDisk(argument), ResolveOnDisk(stem + ".DR")};
    }
    std::string base = rt().sideFile(argument);
    return {ResolveOnDisk(base + ".pro"), ResolveOnDisk(base + ".DR")};
}

std::string FormatElapsed(int64_t seconds) {
    if (seconds < 0) seconds = 0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return buf;
}

std::string FormatRate(double v) {
    // Fifteen significant digits, no exponent, no trailing zeros.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    std::string s = buf;
    if (s.find('e') != std::string::npos) {
        std::snprintf(buf, sizeof buf, "%.0f", v);
        s = buf;
    }
    return s;
}

namespace {

// Nobody is at the screen in an unattended run, whoever started it: boxes and
// dialogs go to the log and take their default answer; progress, captions and
// pending events still reach the window that started the run, if any.
class UnattendedHost : public Host {
public:
    // A halt left over from an earlier click must not stop this run.
    explicit UnattendedHost(Host& inner) : inner_(inner), boxes_(headlessLogSink()) { inner_.setHalt(false); }
    Answer messageBox(const MessageRequest& req) override { return boxes_.messageBox(req); }
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override {
        return boxes_.inputBox(prompt, title, defaultText);
    }
    std::optional<std::string> openFileDialog(const FileDialogRequest& req) override {
        return boxes_.openFileDialog(req);
    }
    std::optional<std::string> saveFileDialog(const FileDialogRequest& req) override {
        return boxes_.saveFileDialog(req);
    }
    std::optional<std::string> pickFolder(const std::string& title, const std::string& startFolder) override {
        return boxes_.pickFolder(title, startFolder);
    }
    void setStatusPanel(int index, const std::string& text) override { inner_.setStatusPanel(index, text); }
    void setCaption(const std::string& text) override { inner_.setCaption(text); }
    void setProgress(int value, int max) override { inner_.setProgress(value, max); }
    void setBusy(bool busy) override { inner_.setBusy(busy); }
    // A Halt pressed in the starting window reaches the run.
    void doEvents() override {
        inner_.doEvents();
        if (inner_.halted()) {
            inner_.setHalt(false);
            setHalt(true);
        }
    }
    void repaint() override { inner_.repaint(); }

private:
    Host& inner_;
    HeadlessHost boxes_;
};

// Puts a host in place for one scope.
class HostScope {
public:
    explicit HostScope(Host* h) : saved_(rt().host) { rt().host = h; }
    ~HostScope() { rt().host = saved_; }
    HostScope(const HostScope&) = delete;
    HostScope& operator=(const HostScope&) = delete;

private:
    Host* saved_;
};

} // namespace

AutomodeResult RunAutomode(const std::string& argument, MainModel& owner, const std::string& copyFolder) {
    UnattendedHost unattended(host());
    HostScope scope(&unattended);
    cLog& log = appLog();
    AutomodeResult res;
    owner.unattended = true;
    log.log("TIMING - running in Automode using profile " + argument);
    const std::time_t start = now().toTimeT();

    AutomodePaths paths = AutomodePathsFor(argument);
    res.listPath = paths.list;
    // A missing profile must not replace a good list with an empty one.
    if (!LoadProfile(owner, paths.profile)) {
        res.status = kExitMissingProfile;
        return res;
    }
    log.log("DEBUG - saved profile " + argument);

    if (!BuildListing(owner, false)) {
        log.log("DEBUG - halted while updating dirroll " + argument + " - no list written");
        res.status = kExitListFailed;
        return res;
    }
    log.log("DEBUG - updated dirroll " + argument);

    GetExtraInfoForFiles(owner, false);
    log.log("DEBUG - done  GetExtraInfoForFiles " + argument);

    res.files = static_cast<int64_t>(owner.files.size());
    if (!SaveListViewToDATFile(owner.files, paths.list)) {
        log.log("An error occurred printing to file " + paths.list);
        res.status = kExitListFailed;
        return res;
    }
    const std::time_t end = now().toTimeT();
    log.log("DEBUG - done  SaveListViewToDATFile" + argument);

    if (!copyFolder.empty()) {
        std::string target = JoinPath(copyFolder, ExtractFileName(paths.list));
        log.log("Copying Dirroll to " + target);
        if (!SafeFileCopy(paths.list, target, true)) res.status = kExitCopyFailed;
    }

    const int64_t secs = end > start ? static_cast<int64_t>(end - start) : 0;
    const std::string count = formatNumber(res.files, "###,###,###");
    log.log("TIMING - Finished saving " + count + " files to " + paths.list);
    if (secs != 0)
        log.log("STATS - " + count + " files in " + FormatElapsed(secs) + " = " +
                FormatRate(static_cast<double>(res.files) / static_cast<double>(secs)) + " files/second");
    return res;
}

std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    out += '\'';
    return out;
}

std::vector<std::string> AutomodeScriptLines(const std::string& programPath, const std::string& profilePath) {
    // Every text is single-quoted: "(.DR )" and any name would otherwise be shell syntax.
    return {
        "#!/bin/sh",
        "echo " + ShellQuote("This batch file runs the selected profile which"),
        "echo " + ShellQuote("automatically updates the dirroll (.DR ) used "),
        "echo " + ShellQuote("by the Dirroller Client."),
        "echo " + ShellQuote("created by Dirroller " + GetVersionString()),
        ShellQuote(programPath) + " " + ShellQuote(profilePath),
    };
}

void CreateAutomodeBatchFile(const std::string& profileName, const std::string& programPath) {
    Host& h = host();
    // Without a current profile the script would run a file named ".pro".
    if (profileName.empty()) {
        h.message("Choose a profile first: the batch file runs the current profile.",
                  "Creating a Batch file to run Profile Automatically", Buttons::OK, Icon::Exclamation);
        return;
    }
    h.message("This option allows you to make a batch file which can be run\r\n"
              "by Windows Task Manager to automatically refresh the list of\r\n"
              "Files.\r\n"
              "\r\n"
              "The reason you would do this, is to have Dirroll run via a\r\n"
              "batch file on your server, and then you can simply use the Client\r\n"
              "(Dirroll Client) to easily find files.\r\n",
              "Creating a Batch file to run Profile Automatically");
    FileDialogRequest req;
    req.title = "Choose a name to save the Batch File as";
    req.startFolder = rt().programFolder;
    req.fileName = "*.sh";
    req.defaultExt = "sh";
    req.filter = "Shell scripts (*.sh)|*.sh";
    auto chosen = h.saveFileDialog(req);
    if (!chosen || chosen->empty() || *chosen == "*.sh") return;
    const std::string& path = *chosen;

    std::string program = programPath.empty() ? platform().executablePath() : programPath;
    std::string profile = ResolveOnDisk(rt().sideFile(profileName + ".pro"));
    ::unlink(path.c_str());
    // A shell reads a CR as part of the line, so this file ends its lines with LF alone.
    if (!WriteLineFile(path, AutomodeScriptLines(program, profile), "\n")) {
        h.message("An error occurred printing to file " + path);
        return;
    }
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0) ::chmod(path.c_str(), (st.st_mode | 0111) & 07777);
    h.message("Batch File created in " + path);
    LaunchDocument(rt().programFolder);
}

} // namespace dr::roll
