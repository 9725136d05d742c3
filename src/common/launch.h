#pragma once
// Opening documents and starting programs for the user.
#include <string>
#include <vector>

namespace dr {

// Opens a document, folder, web or mail address with the desktop's opener,
// or starts an executable directly, passing params. An empty target does
// nothing. Success logs "Successfully ShellExecute '<target>'" at the routine
// level; failure logs "Failed to ShellExecute '<target>'" at level 0 and shows
// one message box with launchErrorText. The minimised flag has no effect.
void LaunchDocument(const std::string& target, bool minimised = false, const std::string& params = "");

// The message for a failed open's result code (the platform's launch:: codes).
std::string launchErrorText(int code, const std::string& target);

// Starts the command line (no shell) and returns when the program has ended,
// letting window events run while it waits. Returns the exit status, or -1
// when it could not be started (not reported otherwise).
int RunProgramAndWait(const std::string& commandLine);

// Splits a command line into arguments: blanks separate, double quotes group,
// backslashes escape a quote as on the system this program came from.
std::vector<std::string> splitCommandLine(const std::string& commandLine);

} // namespace dr
