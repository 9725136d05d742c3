#include "dirroll/startup.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "common/format.h"
#include "common/ini.h"
#include "common/listrules.h"
#include "common/log.h"
#include "common/runtime.h"
#include "common/text.h"
#include "dirroll/automode.h"
#include "dirroll/default_profiles.h"
#include "dirroll/file_types.h"
#include "dirroll/listing.h"
#include "dirroll/main_model.h"
#include "dirroll/profiles.h"
#include "dirroll/recent_profiles.h"
#include "dirroll/server_config.h"
#include "platform/platform.h"

namespace dr::roll {

std::string JoinCommandLine(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

StartMode ChooseStartMode(const std::string& programName, const std::string& commandLine) {
    if (programName == "dr-server") return StartMode::Server;
    if (!commandLine.empty()) return StartMode::Automode;
    return StartMode::Window;
}

std::string SettingsPath() { return rt().sideFile("dirroll.INI"); }
std::string BackupListPath() { return rt().sideFile("BackupFiles.DR"); }
std::string HomestackListPath() { return rt().sideFile("Homestack.DR"); }

StartInfo startProgram(const std::string& commandLine, const ScreenTwips& screen) {
    StartInfo info;
    info.commandLine = commandLine;
    appLog().init("", "", "", false, 0);
    info.iniPath = ResolveOnDisk(SettingsPath());
    if (!FileExists(info.iniPath)) {
        info.iniPath = SettingsPath();
        CreateDefaultIniFile(info.iniPath, screen);
        WriteLogLine("Setup - created new INI File (no other was there)");
        info.createdIni = true;
    }
    info.mode = ChooseStartMode(rt().programName, commandLine);
    return info;
}

int runUnattended(const StartInfo& info, int (*serverWindow)()) {
    if (info.mode == StartMode::Server && serverWindow && platform().hasDisplay()) return serverWindow();
    MainModel owner;
    owner.unattended = true;
    if (info.mode == StartMode::Server) return RunServerHeadless(owner);
    return RunAutomode(info.commandLine, owner, "").status;
}

std::vector<std::string> DefaultIniLines(const ScreenTwips& screen) {
    const std::string& folder = rt().programFolder;
    return {
        "DIRROLL.INI - this INI file was automatically created on " + formatDate(now(), "d-MMM-yyyy hh:mm:ss"),
        "",
        "[general]",
        "",
        "",
        "[chronal]",
        "dataPath=",
        "fileExtractionEXE=" + folder + "/Tickwell.exe",
        "TempFileChronal=" + folder + "/~temp01.str",
        "",
        "",
        "[HowToDisplayFiles]",
        ";  This section describes the default display mode for various file types",
        ";  You will still be able to display any file in any mode (if it will display)",
        ";  By default - all files will be shown as text unless specified otherwise below",
        ";  Note - all settings below can be overwritten, by turning off autochoose display",
        "",
        "This file can be changed from the Dirroll Options menu (Note the comma at the end of each entry)",
        "",
        "DefaultDisplay = 1",
        "Text=BAT,TXT,PRO,LIS,SYS,INI,CGI,C,CPP,H,HH,BAS,FRM,VBP,VBW,DAT,",
        "Picture=GIF,JPG,JPEG,ICO,WMF,BMP,",
        "Web=HTML,HTM,PDF,MHT,DOC,DOT,PNG,",
        "Strings=COM,DLL,",
        "Details=EXE,WAV,MP3,OGG",
        "OLE=XLS,",
        "ColorPicture = &H800080",
        "ColorWeb = &H800000",
        "ColorStrings = &HC0",
        "ColorDetails = &H8000",
        "ColorOLE = &H8000",
        "[frmFiles]",
        "Height = " + std::to_string(screen.height - 700),
        "width = " + std::to_string(screen.width - 700),
        "Left = 100",
        "top = 100",
        "",
        "[display]",
        "MenuCheckedViewSpecs = 0",
        "MenuCheckedAutoChoose = 1",
        "MenuCheckedWrapText = 1",
        "imgSplitter = 7110",
        "",
    };
}

bool CreateDefaultIniFile(const std::string& iniPath, const ScreenTwips& screen) {
    WriteLogLine("Setup - CreateDefaultIniFile");
    CreateDefaultProfileFiles(rt().programFolder);
    if (WriteLineFile(iniPath, DefaultIniLines(screen))) return true;
    WriteLogLine("Setup - could not write " + iniPath);
    return false;
}

std::string DeletedFolderPath() { return rt().sideFile("deleted"); }

bool CreateDeletedFolder() {
    std::string path = DeletedFolderPath();
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        std::string part = path.substr(0, i);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

ChronalSettings ReadChronalSettings(const std::string& iniPath) {
    IniSnapshot ini(iniPath);
    ChronalSettings c{ini.value("chronal", "datapath"), ini.value("chronal", "fileExtractionEXE"),
                      ini.value("chronal", "TempFileChronal")};
    if (c.extractionExe.empty()) c.extractionExe = rt().sideFile("Tickwell.exe");
    if (c.tempFile.empty()) c.tempFile = rt().sideFile("~temp01.str");
    return c;
}

bool MenuFlagSet(std::string_view value) { return Trim(value) == "1"; }

WindowState RestoreWindowState(const std::string& iniPath) {
    IniSnapshot ini(iniPath);
    WindowState s;
    s.viewSpecs = MenuFlagSet(ini.value("display", "MenuCheckedViewSpecs"));
    s.autoChoose = MenuFlagSet(ini.value("display", "MenuCheckedAutoChoose"));
    s.wrapText = MenuFlagSet(ini.value("display", "MenuCheckedWrapText"));
    int64_t split = ValInt(ini.value("display", "imgSplitter"));
    s.splitterLeft = split == 0 || split < INT32_MIN || split > INT32_MAX ? kDefaultSplitter : static_cast<int>(split);
    for (int k = 1; k <= 14; ++k) {
        std::string v = ini.value("ColumnHeaders", std::to_string(k));
        if (!v.empty()) s.columnWidths[static_cast<size_t>(k - 1)] = static_cast<int>(ValInt(v));
    }
    s.excludedPathsFile = ini.value("general", "ExcludedPathlist");
    if (s.excludedPathsFile.empty()) s.excludedPathsFile = rt().sideFile("ExcludedPaths.txt");
    return s;
}

void SaveWindowState(const std::string& iniPath, const WindowState& s) {
    WriteIniValue("display", "MenuCheckedViewSpecs", s.viewSpecs ? "1" : "0", iniPath);
    WriteIniValue("display", "MenuCheckedAutoChoose", s.autoChoose ? "1" : "0", iniPath);
    WriteIniValue("display", "MenuCheckedWrapText", s.wrapText ? "1" : "0", iniPath);
    // A number keeps the blank the original's number text put before it.
    std::string split = std::to_string(s.splitterLeft);
    WriteIniValue("display", "imgSplitter", s.splitterLeft >= 0 ? " " + split : split, iniPath);
    for (int k = 1; k <= 14; ++k) {
        const auto& w = s.columnWidths[static_cast<size_t>(k - 1)];
        if (w) WriteIniValue("ColumnHeaders", std::to_string(k), std::to_string(*w), iniPath);
    }
}

void ApplyWindowState(MainModel& m, const WindowState& s) {
    MenuTicks t = m.menus;
    t.viewSpecs = s.viewSpecs;
    t.autoChoose = s.autoChoose;
    t.wrapText = s.wrapText;
    m.setMenus(t);
    m.splitterLeft = s.splitterLeft;
    for (size_t i = 0; i < s.columnWidths.size(); ++i)
        if (s.columnWidths[i]) m.files.widths[i] = *s.columnWidths[i];
    m.excludedPathsFile = s.excludedPathsFile;
}

WindowState WindowStateOf(const MainModel& m) {
    WindowState s;
    s.viewSpecs = m.menus.viewSpecs;
    s.autoChoose = m.menus.autoChoose;
    s.wrapText = m.menus.wrapText;
    s.splitterLeft = m.splitterLeft;
    for (size_t i = 0; i < s.columnWidths.size(); ++i) s.columnWidths[i] = m.files.widths[i];
    s.excludedPathsFile = m.excludedPathsPath();
    return s;
}

WindowState BeginInteractiveStart(MainModel& m) {
    m.loading = true;
    CreateDeletedFolder();
    m.dtFrom = now().addDays(-7);
    m.dtTo = now();
    m.changed(SpecPart::Dates);
    WindowState s = RestoreWindowState(ResolveOnDisk(SettingsPath()));
    ApplyWindowState(m, s);
    return s;
}

ChronalSettings FinishInteractiveStart(MainModel& m) {
    ListBox paths, patterns;
    LoadFileToListBox(paths, rt().sideFile("ff_paths.lis"));
    LoadFileToListBox(patterns, rt().sideFile("ff_specs.lis"));
    m.lstPath.assign(paths.items);
    m.lstXtn.assign(patterns.items);
    m.changed(SpecPart::Paths);
    m.changed(SpecPart::Patterns);
    pump(m);
    const std::string ini = ResolveOnDisk(SettingsPath());
    LoadFileTypeTable(fileTypeTable(), ini);
    ChronalSettings chronal = ReadChronalSettings(ini);
    ListProfiles(m);
    SelectDateRange(m, AnyDates);
    pump(m);
    try {
        RunProfileRecentFiles(m);
    } catch (...) {
        // The window stays up with whatever the list holds.
    }
    m.loading = false;
    return chronal;
}

} // namespace dr::roll
