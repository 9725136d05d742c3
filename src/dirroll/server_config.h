#pragma once
// Server mode: the profile list of dr-server.cfg, its copy settings, and the
// run over every listed profile.
#include <functional>
#include <string>
#include <vector>

namespace dr::roll {

class MainModel;

std::string ServerConfigPath(); // program folder + "/dr-server.cfg"

// The profile paths of the configuration file (lines neither empty nor
// starting with ';', in file order); exists=false when there is no file.
struct ServerConfig {
    bool exists = false;
    std::vector<std::string> profiles;
};
ServerConfig LoadServerConfig(const std::string& path = ServerConfigPath());

// List1's entries: the profiles, or the two warning entries when the file is missing.
std::vector<std::string> ServerListEntries(const ServerConfig& cfg, const std::string& path = ServerConfigPath());

// [server] of dirroll.INI.
struct ServerSettings {
    bool copy = false;   // CopyFilesAfterCreation is exactly "1"
    std::string folder;  // FolderCopyDestination
    std::string copyFolder() const { return copy ? folder : std::string(); }
};
ServerSettings ReadServerSettings(const std::string& iniPath);

// What the server window shows while it works.
struct ServerView {
    std::function<void(const std::string&)> setLabel;
    std::function<void(const std::string&)> setCaption;
};
// The label and caption texts for entry i (0-based) of n.
std::string ServerLabelText(size_t i, size_t n, const std::string& fileName);
std::string ServerCaptionText(size_t i, size_t n, const std::string& fileName);

// Runs automode for every entry that names an existing file (others are
// skipped), one after another, copying each list to copyFolder when it is not
// empty. Returns the exit status: 0 when every run that started succeeded.
int UpdateAllLists(const std::vector<std::string>& entries, MainModel& owner, const std::string& copyFolder,
                   const ServerView& view = {});

// cmdApply: stores the copy settings and returns the folder as stored.
std::string ApplyServerSettings(const std::string& iniPath, bool copy, const std::string& folder);

// cmdCreateConfig: writes dr-server.cfg listing every profile of the program
// folder. False when it could not be written.
bool CreateServerConfigFile(const std::string& path = ServerConfigPath());

// dr-server without a window: the configured profiles at once, then the end.
int RunServerHeadless(MainModel& owner);

} // namespace dr::roll
