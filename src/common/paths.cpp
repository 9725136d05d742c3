#include "common/paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <utility>
#include <vector>

#include "common/format.h"
#include "common/listrules.h"
#include "common/log.h"
#include "common/runtime.h"
#include "platform/platform.h"

namespace dr {

bool CheckFolderWritable(std::string& folder) {
    if (Trim(folder).empty()) return false;
    if (folder.back() != '/') folder += '/';
    std::string probe = folder + Trim(rt().programName) + ".tmp";
    ::unlink(probe.c_str());
    static constexpr std::string_view kText =
        "this is a temp file to check the datapath   \r\n"
        "You can delete it to save space (wow - 100 bytes!)\r\n"
        "\r\n";
    bool ok = false;
    // O_EXCL: the old probe is gone, so whatever sits there now is not ours to write through.
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) {
        ok = ::write(fd, kText.data(), kText.size()) == static_cast<ssize_t>(kText.size());
        if (::close(fd) != 0) ok = false;
    }
    if (ok) return true;
    appLog().log("There was an error creating the file in the directory '" + folder + "' ", 0);
    host().message("There was an error writing to the directory '" + folder + "' \r\n" +
                       "It may not exist, or you may not have write permissions to it.\r\n" +
                       "Another reason could be that the temporary file \r\n" + "(" + probe + ")\r\n" +
                       " is in use by another application.",
                   "Problem writing to Directory", Buttons::OK, Icon::Critical);
    return false;
}

std::string GetSpecialFolder(int csidlNumber) {
    SpecialFolder which;
    switch (csidlNumber) {
    case csidl::kDesktop: which = SpecialFolder::Desktop; break;
    case csidl::kPersonal: which = SpecialFolder::Documents; break;
    case csidl::kMyMusic: which = SpecialFolder::Music; break;
    case csidl::kMyVideo: which = SpecialFolder::Videos; break;
    case csidl::kMyPictures: which = SpecialFolder::Pictures; break;
    case csidl::kProfile: which = SpecialFolder::Home; break;
    case csidl::kRecent: return {}; // no such folder here
    default:
        host().message("An invalid folder ID was specified");
        return {};
    }
    std::string f = platform().specialFolder(which);
    while (f.size() > 1 && f.back() == '/') f.pop_back();
    if (f.empty()) host().message("The folder does not exist");
    return f;
}

std::string GetMyDocumentsFolder() { return GetSpecialFolder(csidl::kPersonal); }
std::string GetRecentFolder() { return GetSpecialFolder(csidl::kRecent); }

void walkFolderTree(const std::string& folder, const std::function<bool(const std::string&)>& fn) {
    std::string root = folder;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    if (root.empty()) return;

    // Depth first without recursion: each level keeps the subfolders still to visit.
    struct Level {
        std::vector<std::string> children; // full paths, in listing order
        size_t next = 0;
    };
    std::vector<Level> stack;
    // Links are never followed, but a bind mount can still lead back up the tree.
    std::set<std::pair<uint64_t, uint64_t>> seen;
    // The folder asked for may itself be a link; only links met below it are skipped.
    auto enter = [&](const std::string& path, bool isRoot) -> bool {
        FileStat st;
        if (!platform().fileStat(path, st, !isRoot) || !st.isDir) return true;
        if (!seen.insert({st.dev, st.ino}).second) return true;
        Level lv;
        bool readable = platform().listFolder(path, false, [&](const Platform::DirEntry& e) {
            if (e.isDir) {
                std::string child = path;
                if (child.back() != '/') child += '/';
                child.append(e.name, e.nameLen);
                lv.children.push_back(std::move(child));
            }
            return true;
        });
        if (!readable) return true; // vanished or no access: skipped with its tree
        if (!fn(path)) return false;
        stack.push_back(std::move(lv));
        return true;
    };
    if (!enter(root, true)) return;
    while (!stack.empty()) {
        Level& top = stack.back();
        if (top.next >= top.children.size()) {
            stack.pop_back();
            continue;
        }
        std::string child = std::move(top.children[top.next++]);
        host().doEvents();
        if (!enter(child, false)) return;
    }
}

// A folder is not added twice in a row (scanning the same folder again).
void ScanFolderTree(ListBox& list, const std::string& folder) {
    host().setBusy(true);
    walkFolderTree(folder, [&](const std::string& path) {
        if (list.items.empty() || list.items.back() != path) list.items.push_back(path);
        return true;
    });
    host().setBusy(false);
}

void ScanFolderTree(ListView& list, const std::string& folder) {
    host().setBusy(true);
    walkFolderTree(folder, [&](const std::string& path) {
        if (list.rows.empty() || list.rows.back().text != path) {
            ListViewRow row;
            row.text = path;
            list.rows.push_back(std::move(row));
        }
        return true;
    });
    host().setBusy(false);
}

uint64_t FileSizeOf(const std::string& path) {
    if (path.empty()) return 0;
    FileStat st;
    if (!platform().fileStat(path, st) || !st.isRegular) return 0;
    return st.size;
}

} // namespace dr
