#pragma once
// The client's settings record, its settings file dr-client.ini, the users
// file and the logic of the server-folder dialog (frmServerPath).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dr::client {

inline constexpr const char* kIniName = "dr-client.ini";
inline constexpr const char* kIniSection = "general";
inline constexpr const char* kUsersFile = "users.txt";
inline constexpr const char* kLogName = "dr-client.log";
inline constexpr const char* kErrorLogName = "dr-error.log";
inline constexpr const char* kMainProgram = "dirroll";       // beside the client in a full install
inline constexpr const char* kDefaultServerFolder = "/mnt/dirroller/";
inline constexpr const char* kAnyUser = "[any user]";

// The process-wide settings record; filled by LoadClientSettings.
struct ClientSettings {
    std::string iniPath;              // program folder + "/dr-client.ini"
    std::string installMode = "USERONLY"; // "FULL" when dirroll stands beside the client
    std::string currentListPath;      // saved list to search; "" until one is chosen
    std::string summaryPath;          // currentListPath with "sum" for its last two characters
    int64_t maxResults = 100;         // result limit, at least 1
    bool showMissing = false;
    int previewSize = 1;              // picture height in pixels; 1 = autosize
    std::string updateServer = "0";   // "1" runs the server update at start
    std::string serverUpdatePath;     // ends with '/' when not empty
    bool debugMode = false;           // search and timing log lines
    std::string typeFilter;           // ".DOC .XLS" style; "" = all types
    int updatedCount = 0;             // lists copied from the server at start
};

ClientSettings& settings();

std::string IniPath();        // program folder + "/dr-client.ini"
std::string UsersFilePath();  // program folder + "/users.txt"

// "FULL" when the main program's executable stands in the program folder, else "USERONLY".
std::string DetectInstallMode();

// Reads the number the way the settings file means it.
int64_t ParseMaxResults(const std::string& value);   // 100 when empty, not a number or below 1
int ParsePreviewSize(const std::string& value);      // AUTOSIZE (any case) 1, "" 64, junk 150
// The summary page of a list: its path less the last two characters, then "sum".
std::string SummaryPathOf(const std::string& listPath);
// A non-empty server folder always ends with '/'.
std::string NormaliseServerPath(std::string path);

// Shows frmServerPath modally. The window installs it; without one (the
// command line, tests) nothing is shown.
void setServerPathDialog(std::function<void()> show);
void ShowServerPathDialog();

// (Re)creates the client logger and fills `s` from the settings file,
// writing the default file first when it is missing.
void LoadClientSettings(ClientSettings& s = settings());
// Writes the default settings file (11 lines); in USERONLY mode then shows
// the server-folder dialog.
void CreateDefaultIniFile(const ClientSettings& s = settings());

// Remembers a list as the one to search (the `dirroll` key).
void RememberList(const std::string& listPath);
// The list that the `dirroll` key names, "" when it names no existing file.
std::string RememberedList();

// Owner names of users.txt, empty lines skipped; empty when there is no file.
std::vector<std::string> LoadUsersFile();

// The logic of the dialog "Do you want to Update Dirrolls from a Server?".
class ServerPathDialog {
public:
    static constexpr const char* kCaption = "Do you want to Update Dirrolls from a Server?";
    static constexpr const char* kToolTip =
        "Type in the server path that your IT Support person gave to you and then click 'Yes'";
    static constexpr const char* kLabel =
        "Welcome to the Dirroller Client - this program allows you to quickly find files on your PC "
        "or server.  If you want to automatically update the Dirrolls from your server, please enter "
        "the path below that your IT Support person gave to you.  ( e.g. //[server]/Dirroller ) or just "
        "leave the textbox blank and click 'No'";

    // On load: reads UpdateServer and ServerUpdatePath into the settings; returns the path to show.
    std::string load(ClientSettings& s = settings());
    // "Yes" with the text box's text: true when the dialog closes.
    bool yes(const std::string& text);
    // "No": writes UpdateServer=0 and the text as typed; the dialog closes.
    void no(const std::string& text);
};

} // namespace dr::client
