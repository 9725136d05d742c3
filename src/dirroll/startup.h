#pragma once
// Start-up of the main program up to the choice of mode, the default settings
// file, and the window state kept in it.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dr::roll {

class MainModel;

enum class StartMode { Window, Automode, Server };

// The screen size the default [frmFiles] values are made from.
struct ScreenTwips {
    int width = 15360;  // 1024 pixels at 15 twips each
    int height = 11520; // 768 pixels
};

struct StartInfo {
    StartMode mode = StartMode::Window;
    std::string commandLine;  // the whole line: the profile in automode
    std::string iniPath;
    bool createdIni = false;  // the settings file was missing and has been written
};

// argv[1..] joined by single blanks.
std::string JoinCommandLine(int argc, const char* const* argv);

// Server mode when the program is named "dr-server" (exactly), else automode
// when the command line is not empty, else the window.
StartMode ChooseStartMode(const std::string& programName, const std::string& commandLine);

// The fixed files of the program folder.
std::string SettingsPath();      // dirroll.INI
std::string BackupListPath();    // BackupFiles.DR
std::string HomestackListPath(); // Homestack.DR

// Names the fixed files, starts the logger and writes the default settings
// file when there is none ("Setup - created new INI File (no other was there)"),
// then chooses the mode. Nothing of the window is touched.
StartInfo startProgram(const std::string& commandLine, const ScreenTwips& screen = {});

// Runs automode or server mode without a window and returns the exit status.
// Server mode with a display hands over to serverWindow when one is given.
int runUnattended(const StartInfo& info, int (*serverWindow)() = nullptr);

// The 43 lines of a new settings file.
std::vector<std::string> DefaultIniLines(const ScreenTwips& screen);
// Logs "Setup - CreateDefaultIniFile", writes the default profiles, then the
// settings file (replacing one of that name). False when it could not be written.
bool CreateDefaultIniFile(const std::string& iniPath, const ScreenTwips& screen = {});

// The folder every deleted file is first copied to; created with every missing level.
std::string DeletedFolderPath();
bool CreateDeletedFolder();

// Chronal's settings with their defaults.
struct ChronalSettings {
    std::string dataPath;
    std::string extractionExe; // default: program folder + "/Tickwell.exe"
    std::string tempFile;      // default: program folder + "/~temp01.str"
};
ChronalSettings ReadChronalSettings(const std::string& iniPath);

// A menu flag counts as set only when its value, trimmed, is exactly "1".
bool MenuFlagSet(std::string_view value);

// The window state kept in the settings file beside the window placement.
struct WindowState {
    bool viewSpecs = false;
    bool autoChoose = true;
    bool wrapText = true;
    int splitterLeft = 7110;
    std::array<std::optional<int>, 14> columnWidths{}; // column 1..14 at [0..13]; empty: keep
    std::string excludedPathsFile;                     // resolved: never empty
};
constexpr int kDefaultSplitter = 7110;
// The text viewer's right margin for the wrap setting.
constexpr int RightMarginFor(bool wrap) { return wrap ? 0 : 1000000; }

WindowState RestoreWindowState(const std::string& iniPath);
// Writes [display] and [ColumnHeaders]; widths that are empty are left out.
void SaveWindowState(const std::string& iniPath, const WindowState& s);
// The same values on the window model (menu ticks, splitter, column widths,
// excluded-paths file).
void ApplyWindowState(MainModel& m, const WindowState& s);
WindowState WindowStateOf(const MainModel& m);

// The window's start-up around its own steps (pop-up menus, layout, showing):
// Begin sets the loading flag, creates the deleted folder, sets the pickers to
// the last week and restores the window state; Finish fills the folder and
// pattern lists from their side files, loads the file-type table, lists the
// profiles, selects Any Dates, runs "Recent Files" and clears the loading flag.
WindowState BeginInteractiveStart(MainModel& m);
ChronalSettings FinishInteractiveStart(MainModel& m);

} // namespace dr::roll
