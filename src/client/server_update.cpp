#include "client/server_update.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "client/list_model.h"
#include "common/format.h"
#include "common/log.h"
#include "common/runtime.h"
#include "common/text.h"

namespace dr::client {

namespace {

constexpr auto kFolderCheckTimeout = std::chrono::seconds(10);

FolderCheck statFolder(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? FolderCheck::Exists : FolderCheck::Missing;
    return errno == ENOENT || errno == ENOTDIR ? FolderCheck::Missing : FolderCheck::Error;
}

// The path with links and "." / ".." resolved; "" when it cannot be resolved.
std::string realFolder(const std::string& path) {
    char buf[PATH_MAX];
    if (!::realpath(path.c_str(), buf)) return {};
    return buf;
}

std::string withoutTrailingSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

// Whether the server folder is the program folder itself, however it is spelt.
bool isProgramFolder(const std::string& serverPath) {
    std::string a = realFolder(serverPath), b = realFolder(rt().programFolder);
    if (!a.empty() && !b.empty()) return a == b;
    return withoutTrailingSlash(serverPath) == withoutTrailingSlash(rt().programFolder);
}

std::string dayText(std::time_t t) { return formatDate(DateTime::fromTimeT(t, true), "yyyymmdd"); }

// The copy keeps the server's modification time, so the day rule and the
// out-of-date mark see the list's age rather than the time of the copy.
void keepModificationTime(const std::string& target, const FileStat& source) {
    struct timespec times[2];
    times[0].tv_sec = source.accessed;
    times[0].tv_nsec = 0;
    times[1].tv_sec = source.modified;
    times[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, target.c_str(), times, 0);
}

bool isListName(std::string_view name) { return name.size() > 3 && iendsWith(name, ".DR"); }

} // namespace

FolderCheck CheckServerFolder(const std::string& folder) {
    if (folder.empty()) return FolderCheck::Missing;
    // A dead network share can block stat for minutes: wait a while, then
    // call it not responding and leave the call to finish on its own.
    struct State {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
        FolderCheck result = FolderCheck::Error;
    };
    auto state = std::make_shared<State>();
    try {
        std::thread([state, folder] {
            FolderCheck r = statFolder(folder);
            std::lock_guard<std::mutex> lock(state->m);
            state->result = r;
            state->done = true;
            state->cv.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return statFolder(folder);
    }
    std::unique_lock<std::mutex> lock(state->m);
    if (!state->cv.wait_for(lock, kFolderCheckTimeout, [&] { return state->done; })) return FolderCheck::Error;
    return state->result;
}

bool UpdateFileIfNeeded(const std::string& name, ClientSettings& s) {
    if (name.empty() || s.serverUpdatePath.empty() || isProgramFolder(s.serverUpdatePath)) return false;
    const std::string& server = s.serverUpdatePath;
    const std::string& folder = rt().programFolder;
    const std::string source = JoinPath(server, name);
    const std::string target = JoinPath(folder, name);
    Platform& p = platform();
    FileStat src, dst;
    if (!p.fileStat(source, src) || !src.isRegular) return false;
    bool haveTarget = p.fileStat(target, dst) && dst.exists;
    // A large local list is not replaced by a nearly empty server copy.
    if (haveTarget && dst.size > 300000 && src.size < 1000) return false;

    bool copied = false;
    if (!haveTarget || dayText(dst.modified) != dayText(src.modified)) {
        appLog().log("TIMING - About to update " + name + " from " + s.serverUpdatePath, 0);
        if (SafeFileCopy(source, target, true)) {
            keepModificationTime(target, src);
            ++s.updatedCount;
            copied = true;
            appLog().log("TIMING - Done updating " + name + " to " + rt().programFolder, 0);
        }
    } else {
        appLog().log("UpdateFileIfNeeded = skipping " + name + " because it has same date", 0);
    }
    host().setBusy(false);
    return copied;
}

void UpdateListsFromServer(MainScreen* screen, ClientSettings& s) {
    if (s.serverUpdatePath.empty()) {
        appLog().log("Blank Server path, so not updating", 0);
        return;
    }
    UpdateFileIfNeeded(kUsersFile, s);
    if (screen) screen->fillUsers();
    s.updatedCount = 0;

    std::vector<std::string> names;
    names.reserve(1000);
    const std::string& folder = s.serverUpdatePath;
    platform().listFolder(folder, false, [&](const Platform::DirEntry& e) {
        std::string_view name(e.name, e.nameLen);
        if (!isListName(name) || e.isDir) return true;
        if (e.isRegular) {
            names.emplace_back(name);
        } else if (e.isLink) {
            FileStat st;
            if (platform().fileStat(JoinPath(folder, name), st) && st.isRegular) names.emplace_back(name);
        }
        return true;
    });
    for (const std::string& name : names) UpdateFileIfNeeded(name, s);
}

ServerUpdateResult RunServerUpdate(MainScreen* screen, ClientSettings& s) {
    ServerUpdateResult r;
    s.updatedCount = 0;
    if (s.serverUpdatePath.empty()) {
        UpdateListsFromServer(screen, s); // logs the blank path
        return r;
    }
    r.check = CheckServerFolder(s.serverUpdatePath);
    if (r.check == FolderCheck::Error) {
        host().message("Check your options for the server updates\r\n" + s.serverUpdatePath + "\r\nis not responding",
                       "Dirroll Client", Buttons::OK, Icon::Information);
        return r;
    }
    if (r.check != FolderCheck::Exists) return r;
    UpdateListsFromServer(screen, s);
    r.updated = s.updatedCount;
    if (r.updated >= 1) {
        if (screen) screen->fillListCombo();
        r.captionSuffix = "   ( " + std::to_string(r.updated) + " updates)";
    }
    return r;
}

} // namespace dr::client
