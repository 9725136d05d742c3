#pragma once
// The ready-made profiles written on the first start.
#include <string>
#include <vector>

namespace dr::roll {

// The date lines every default profile starts with ("Any Dates").
constexpr const char* kAnyDatesStart = "S01/01/1984";
constexpr const char* kAnyDatesEnd = "E12/31/2999";

struct DefaultProfile {
    std::string fileName;            // "Graphics Files.pro"
    std::vector<std::string> lines;  // every line of the file
};
// The default profiles for a program folder, in the order they are written,
// with the folders that exist now.
std::vector<DefaultProfile> DefaultProfiles(const std::string& programFolder);

// Logs "Setup - CreateDefaultProfileFiles", writes each default profile that
// does not exist yet and rewrites the recent-files profiles.
void CreateDefaultProfileFiles(const std::string& folder);

// Writes a line file (profiles, the server list, the settings file) with CR LF
// line ends through a temporary file beside it and a rename, so readers never
// see half a file. False on failure (the old file is then untouched).
bool WriteLineFile(const std::string& path, const std::vector<std::string>& lines, const char* eol = "\r\n");

} // namespace dr::roll
