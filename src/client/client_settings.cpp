#include "client/client_settings.h"

#include <cmath>
#include <fstream>

#include "client/server_update.h"
#include "common/format.h"
#include "common/ini.h"
#include "common/listrules.h"
#include "common/log.h"
#include "common/runtime.h"
#include "common/text.h"

namespace dr::client {

namespace {

std::function<void()>& serverPathDialogHook() {
    static std::function<void()> hook;
    return hook;
}

std::string readKey(const char* key) { return ReadIniValue(IniPath(), kIniSection, key); }
void writeKey(const char* key, const std::string& value) { WriteIniValue(kIniSection, key, value, IniPath()); }

bool isRegularFile(const std::string& path) {
    FileStat st;
    return !path.empty() && platform().fileStat(path, st) && st.isRegular;
}

} // namespace

ClientSettings& settings() {
    static ClientSettings s;
    return s;
}

std::string IniPath() { return rt().sideFile(kIniName); }
std::string UsersFilePath() { return rt().sideFile(kUsersFile); }

// The main program stands beside the client's executable, or in the program
// folder when $DIRROLL_HOME puts that elsewhere.
std::string DetectInstallMode() { return isRegularFile(siblingProgram(kMainProgram)) ? "FULL" : "USERONLY"; }

int64_t ParseMaxResults(const std::string& value) {
    double v = 0;
    if (Trim(value).empty() || !parseNumber(value, v) || !(v >= 1)) return 100;
    // A currency limit: a fractional one stops at the next whole result.
    constexpr double kMax = 922337203685477.0;
    return static_cast<int64_t>(std::ceil(std::min(v, kMax)));
}

int ParsePreviewSize(const std::string& value) {
    std::string v = Trim(value);
    if (iequals(v, "AUTOSIZE")) return 1;
    if (v.empty()) return 64;
    int32_t n = 0;
    if (!parseInt32(v, n) || n < -32768 || n > 32767) return 150;
    return n;
}

// "Work.DR" -> "Work.sum".
std::string SummaryPathOf(const std::string& listPath) {
    return listPath.substr(0, listPath.size() >= 2 ? listPath.size() - 2 : 0) + "sum";
}

std::string NormaliseServerPath(std::string path) {
    path = Trim(path);
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

void setServerPathDialog(std::function<void()> show) { serverPathDialogHook() = std::move(show); }

void ShowServerPathDialog() {
    if (serverPathDialogHook()) serverPathDialogHook()();
}

void LoadClientSettings(ClientSettings& s) {
    // The library's routine lines count as the client's own: all written.
    rt().routineLogLevel = 0;
    appLog().init(rt().sideFile(kLogName), rt().sideFile(kErrorLogName), "", true, 0);

    s.iniPath = IniPath();
    s.installMode = DetectInstallMode();
    if (!FileExists(s.iniPath)) CreateDefaultIniFile(s);

    IniSnapshot ini(s.iniPath);
    std::string list = Trim(ini.value(kIniSection, "dirroll"));
    if (isRegularFile(list)) {
        s.currentListPath = list;
        s.summaryPath = SummaryPathOf(list);
    }
    s.maxResults = ParseMaxResults(ini.value(kIniSection, "maxresults"));
    s.showMissing = ini.value(kIniSection, "ShowMissing") == "1";
    s.previewSize = ParsePreviewSize(ini.value(kIniSection, "picPrevSize"));
    s.updateServer = Trim(ini.value(kIniSection, "UpdateServer"));
    if (s.updateServer.empty()) s.updateServer = "0";
    s.serverUpdatePath = NormaliseServerPath(ini.value(kIniSection, "ServerUpdatePath"));
}

void CreateDefaultIniFile(const ClientSettings& s) {
    appLog().log("CreateDefaultIniFile", 0);
    const std::string path = s.iniPath.empty() ? IniPath() : s.iniPath;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const char* crlf = "\r\n";
        out << "DR-CLIENT.INI - this INI file was automatically created on " << formatDate(now(), "d-MMM-yyyy hh:mm:ss")
            << crlf << crlf << "[general]" << crlf << "title=" << UCase(rt().programName) << crlf
            << "version=" << GetVersionNumber() << crlf << "dirroll=" << crlf << "maxresults=100" << crlf
            << "ShowMissing=1" << crlf << "picPrevSize=AUTOSIZE" << crlf << "UpdateServer=0" << crlf
            << "ServerUpdatePath=" << kDefaultServerFolder << crlf;
    }
    if (s.installMode == "USERONLY") ShowServerPathDialog();
}

void RememberList(const std::string& listPath) { writeKey("dirroll", listPath); }

std::string RememberedList() {
    std::string list = Trim(readKey("dirroll"));
    return isRegularFile(list) ? list : std::string();
}

std::vector<std::string> LoadUsersFile() {
    ListBox box;
    if (FileExists(UsersFilePath())) LoadFileToListBox(box, UsersFilePath(), 0);
    return std::move(box.items);
}

// ---- frmServerPath ------------------------------------------------------------

std::string ServerPathDialog::load(ClientSettings& s) {
    s.updateServer = Trim(readKey("UpdateServer"));
    if (s.updateServer.empty()) s.updateServer = "0";
    std::string path = readKey("ServerUpdatePath");
    s.serverUpdatePath = NormaliseServerPath(path);
    return path;
}

bool ServerPathDialog::yes(const std::string& typed) {
    std::string text = Trim(typed);
    if (text.empty()) {
        host().message("If you want to update Dirrolls from the server, please enter the server path",
                       "Please Enter Server Path");
        return false;
    }
    text = NormaliseServerPath(text);
    host().setBusy(true);
    FolderCheck check = CheckServerFolder(text);
    host().setBusy(false);
    if (check != FolderCheck::Exists &&
        host().message("The server path you have entered is not responding - do you want to use it?",
                       "Server Path does not respond", Buttons::YesNo, Icon::Question) != Answer::Yes)
        return false;
    writeKey("UpdateServer", "1");
    writeKey("ServerUpdatePath", text);
    return true;
}

void ServerPathDialog::no(const std::string& text) {
    writeKey("UpdateServer", "0");
    writeKey("ServerUpdatePath", text);
}

} // namespace dr::client
