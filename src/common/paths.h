#pragma once
// Folder operations: write test, the user's special folders, folder trees and
// file sizes. Tree walks never follow links to folders, so a link loop ends.
#include <cstdint>
#include <functional>
#include <string>

namespace dr {

struct ListBox;
struct ListView;

// The shell's folder numbers the program asks for.
namespace csidl {
constexpr int kDesktop = 0;
constexpr int kPersonal = 5; // the user's documents
constexpr int kRecent = 8;
constexpr int kMyMusic = 13;
constexpr int kMyVideo = 14;
constexpr int kMyPictures = 39;
constexpr int kProfile = 40;
} // namespace csidl

// True when a file can be created in folder. Appends '/' to the caller's
// folder when missing and leaves the probe file "<program>.tmp" in it. On a
// failure logs at level 0 and shows "Problem writing to Directory".
// A folder that is blank gives false at once.
bool CheckFolderWritable(std::string& folder);

// The folder's path without a trailing '/', or "". A known number whose folder
// is missing shows "The folder does not exist"; an unknown number shows "An
// invalid folder ID was specified". This system keeps no folder of recent
// documents (kRecent gives "" without a message): platform().recentDocuments()
// lists them.
std::string GetSpecialFolder(int csidlNumber);
std::string GetMyDocumentsFolder();
std::string GetRecentFolder();

// Calls fn with folder and then every folder below it, depth first, a folder
// before its subfolders, subfolders in the order the file system lists them,
// letting events run before each subfolder. Paths come as the file system
// gives them: no trailing '/' (except "/" itself). Folders that cannot be
// read (no access, vanished) are skipped with their trees. Links are not
// followed. fn returns false to stop the walk.
void walkFolderTree(const std::string& folder, const std::function<bool(const std::string&)>& fn);

// Adds the folder and every folder below it (walkFolderTree's order) as items
// or rows; a folder is not added when the last item or row already has
// exactly its text. Shows the busy pointer meanwhile.
void ScanFolderTree(ListBox& list, const std::string& folder);
void ScanFolderTree(ListView& list, const std::string& folder);

// The size in bytes of a file (links followed); 0 when it cannot be read or
// is not a regular file.
uint64_t FileSizeOf(const std::string& path);

} // namespace dr
