#include "dirroll/server_config.h"

#include "common/fileio.h"
#include "common/format.h"
#include "common/ini.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/runtime.h"
#include "common/text.h"
#include "dirroll/automode.h"
#include "dirroll/default_profiles.h"
#include "dirroll/main_model.h"
#include "dirroll/profiles.h"
#include "dirroll/startup.h"

namespace dr::roll {

std::string ServerConfigPath() { return rt().sideFile("dr-server.cfg"); }

ServerConfig LoadServerConfig(const std::string& path) {
    ServerConfig cfg;
    cFileIO f(path);
    if (!f.Exists() || !f.openFile("INPUT", true)) return cfg;
    cfg.exists = true;
    std::string line;
    while (f.moreData()) {
        f.getLine(line);
        if (line.empty() || line[0] == ';') continue;
        cfg.profiles.push_back(line);
    }
    f.closeFile();
    return cfg;
}

std::vector<std::string> ServerListEntries(const ServerConfig& cfg, const std::string& path) {
    if (!cfg.exists) return {"WARNING - missing Server Config File", path};
    return cfg.profiles;
}

ServerSettings ReadServerSettings(const std::string& iniPath) {
    IniSnapshot ini(iniPath);
    return {MenuFlagSet(ini.value("server", "CopyFilesAfterCreation")), ini.value("server", "FolderCopyDestination")};
}

std::string ServerLabelText(size_t i, size_t n, const std::string& fileName) {
    return " ( " + std::to_string(i + 1) + " of " + std::to_string(n) + ") Updating " + fileName + " ";
}

std::string ServerCaptionText(size_t i, size_t n, const std::string& fileName) {
    return "Dirroller Server - updating " + ServerLabelText(i, n, fileName);
}

int UpdateAllLists(const std::vector<std::string>& entries, MainModel& owner, const std::string& copyFolder,
                   const ServerView& view) {
    Host& h = host();
    h.setBusy(true);
    int status = kExitOk;
    const size_t n = entries.size();
    for (size_t i = 0; i < n; ++i) {
        const std::string& entry = entries[i];
        std::string name = ExtractFileName(entry);
        if (view.setLabel) view.setLabel(ServerLabelText(i, n, name));
        std::string caption = ServerCaptionText(i, n, name);
        if (view.setCaption) view.setCaption(caption);
        else h.setCaption(caption);
        h.doEvents();
        if (!FileExists(ResolveOnDisk(entry))) continue;
        AutomodeResult r = RunAutomode(entry, owner, copyFolder);
        if (r.status != kExitOk && status == kExitOk) status = r.status;
    }
    h.setBusy(false);
    return status;
}

std::string ApplyServerSettings(const std::string& iniPath, bool copy, const std::string& folder) {
    std::string stored;
    Host& h = host();
    if (copy) {
        WriteIniValue("server", "CopyFilesAfterCreation", "1", iniPath);
        stored = folder;
        if (CheckFolderWritable(stored))
            h.message("Path has been updated - at the end of the Dirroll creation, all .DR files will be copied to "
                      "this Folder.",
                      "Path Updated", Buttons::OK, Icon::Information);
        else
            h.message("This is not a valid directory. The setting has been changed, but when it comes to do the "
                      "copy, nothing will happen",
                      "Invalid Folder Name", Buttons::OK, Icon::Critical);
    } else {
        WriteIniValue("server", "CopyFilesAfterCreation", "0", iniPath);
    }
    WriteIniValue("server", "FolderCopyDestination", stored, iniPath);
    return stored;
}

bool CreateServerConfigFile(const std::string& path) {
    std::vector<std::string> lines = {
        "; Server Config File created by " + rt().programName + " " + GetVersionString() + " on " +
            formatDate(now(), "DDD, d-MMM-yyyy hh:mm:ss"),
        "; ",
    };
    for (const std::string& name : ProfileFiles()) lines.push_back(rt().sideFile(name));
    return WriteLineFile(path, lines);
}

int RunServerHeadless(MainModel& owner) {
    const std::string path = ServerConfigPath();
    ServerConfig cfg = LoadServerConfig(path);
    if (!cfg.exists) {
        appLog().log("WARNING - missing Server Config File " + path);
        return kExitNoConfig;
    }
    ServerSettings s = ReadServerSettings(SettingsPath());
    return UpdateAllLists(cfg.profiles, owner, s.copyFolder());
}

} // namespace dr::roll
