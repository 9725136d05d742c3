#pragma once
// Automode: one profile refreshed unattended, and the batch file that starts it.
#include <cstdint>
#include <string>
#include <vector>

namespace dr::roll {

class MainModel;

// Profile and list paths for a command-line argument: an argument ending in
// ".PRO" (any case) is the profile itself and its list lies beside it; any
// other argument names a profile of the program folder. Names resolve to the
// files as they are named on disk.
struct AutomodePaths {
    std::string profile;
    std::string list;
};
AutomodePaths AutomodePathsFor(const std::string& argument);

// Exit statuses of an unattended run.
constexpr int kExitOk = 0;
constexpr int kExitMissingProfile = 2;
constexpr int kExitListFailed = 3;   // the scan was halted or the list could not be written
constexpr int kExitCopyFailed = 4;   // the list was written but its copy failed
constexpr int kExitNoConfig = 5;     // dr-server without dr-server.cfg

struct AutomodeResult {
    int status = kExitOk;
    int64_t files = 0;
    std::string listPath;
};

// Loads the profile into the (unshown) owner, builds its list, gathers the
// extra information without pictures, writes the saved list and, when
// copyFolder is not empty, copies it there. Every step is logged. No box is
// ever shown: boxes go to the log with their default answer, while captions,
// progress and pending events still reach the current host.
AutomodeResult RunAutomode(const std::string& argument, MainModel& owner, const std::string& copyFolder);

// "STATS" figures: elapsed as hh:mm:ss and the rate as a plain decimal number.
std::string FormatElapsed(int64_t seconds);
std::string FormatRate(double filesPerSecond);

// The lines of the automode shell script for a profile file.
std::vector<std::string> AutomodeScriptLines(const std::string& programPath, const std::string& profilePath);
// Quotes a word for /bin/sh so that nothing in it is special.
std::string ShellQuote(const std::string& s);

// "Create a Batch File to run Profile from Command Line" for the named
// profile: explains, asks for the file, writes the script (executable),
// reports and opens the program folder. programPath "" means this program.
void CreateAutomodeBatchFile(const std::string& profileName, const std::string& programPath = "");

} // namespace dr::roll
