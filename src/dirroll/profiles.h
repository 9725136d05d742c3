#pragma once
// Profiles: the .pro files that name folders, patterns, a date range and
// exclusion texts; loading them into the main window, saving, listing and
// running them, and the File menu's profile commands.
#include <string>
#include <utility>
#include <vector>

#include "dirroll/main_model.h"

namespace dr::roll {

// The caption's fixed start.
extern const char* const kProgramTitle; // "Quendal Vidazidev Dirroller"

// Fills the window's lists and dates from the file. False when no file is there
// (after the "Cant find the profile" box).
bool LoadProfile(MainModel& w, const std::string& path);

// Writes a profile (through a temporary file and a rename). False on failure,
// after the log line and the "Error Saving Profile" box.
bool SaveProfile(const std::vector<std::string>& paths, const std::vector<std::string>& patterns,
                 const std::vector<std::string>& exclusions, const std::string& path,
                 const std::string& startLine, const std::string& endLine);
bool SaveProfile(const MainModel& w, const std::string& path, const std::string& startLine,
                 const std::string& endLine);
// The exact lines SaveProfile writes (without line ends).
std::vector<std::string> ProfileLines(const std::vector<std::string>& paths,
                                      const std::vector<std::string>& patterns,
                                      const std::vector<std::string>& exclusions,
                                      const std::string& startLine, const std::string& endLine);
// The start and end lines for the window's date-range choice.
std::pair<std::string, std::string> DateLinesFor(const MainModel& w);

// The profile files of the program folder (names as on disk, any case of
// ".pro"), in the folder listing's order.
std::vector<std::string> ProfileFiles();
// Fills cmdProfile with the profile names.
void ListProfiles(MainModel& w);

// A path of a name and an extension: the path itself when it exists, else the
// file of its folder with that name and the extension in another case, else
// the path unchanged.
std::string ResolveOnDisk(const std::string& path);

// Selects and runs a profile. The saved list is written only after a build
// that ran to its end; a list shown from the saved list is not rewritten.
void RunProfile(MainModel& w, const std::string& name);
// The click of cmdProfile (also run when code changes the selection).
void ProfileClick(MainModel& w);
// Selects entry i of cmdProfile and runs the click, as the window does.
void SelectProfileIndex(MainModel& w, int i);
// Loads a profile by name or path and refreshes the list (no saved list written).
void SetupProfile(MainModel& w, const std::string& text);
// Writes lstPath, lstXtn and lvExclude to their side files (not when unattended).
void WriteSpecSideFiles(const MainModel& w, bool withExclusions = true);

// File menu.
void FileNewProfile(MainModel& w);
void FileOpenProfile(MainModel& w);
void FileSaveProfile(MainModel& w);   // "&Save Current Profile"
void FileSaveProfileAs(MainModel& w);

} // namespace dr::roll
