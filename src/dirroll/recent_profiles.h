#pragma once
// The recent-files profiles and the start-up run of "Recent Files".
#include <string>
#include <vector>

namespace dr::roll {

class MainModel;

std::string RecentFoldersPath(); // program folder + "/recentFolders.txt"

// The folders (each ending with '/') of the given documents, each once in the
// order found; folders differing only in case are different.
std::vector<std::string> FoldersOfDocuments(const std::vector<std::string>& documents);
// Rewrites the recent-folders file from the platform's recent documents.
std::vector<std::string> CollectRecentFolders(const std::string& listFile = RecentFoldersPath());
// Rewrites "Recent Files.pro", "Recent Pictures.pro" and "Recent Documents.pro".
void CreateRecentFilesProfiles();

// Runs the profile "Recent Files" (or the first one when it is missing); does
// nothing when there are no profiles at all.
void RunProfileRecentFiles(MainModel& m);
// "Update 'RECENT FILES' Profile".
void UpdateRecentFilesCommand(MainModel& m);

} // namespace dr::roll
