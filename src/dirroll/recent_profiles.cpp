#include "dirroll/recent_profiles.h"

#include <string_view>
#include <unordered_set>

#include "common/runtime.h"
#include "common/text.h"
#include "dirroll/default_profiles.h"
#include "dirroll/main_model.h"
#include "dirroll/profiles.h"
#include "platform/platform.h"

namespace dr::roll {

namespace {

struct RecentProfile {
    const char* fileName;
    const char* startLine;
    const char* pattern;
};
constexpr RecentProfile kRecentProfiles[] = {
    {"Recent Files.pro", "S7", "*.*"},
    {"Recent Pictures.pro", "S31", "*.JPG"},
    {"Recent Documents.pro", "S31", "*.DOC"},
};

} // namespace

std::string RecentFoldersPath() { return rt().sideFile("recentFolders.txt"); }

std::vector<std::string> FoldersOfDocuments(const std::vector<std::string>& documents) {
    std::vector<std::string> out;
    std::unordered_set<std::string> seen;
    for (const std::string& doc : documents) {
        std::string folder = ExtractFolder(doc);
        if (folder.empty() || !seen.insert(folder).second) continue;
        out.push_back(std::move(folder));
    }
    return out;
}

std::vector<std::string> CollectRecentFolders(const std::string& listFile) {
    std::vector<std::string> folders = FoldersOfDocuments(platform().recentDocuments());
    WriteLineFile(listFile, folders);
    return folders;
}

void CreateRecentFilesProfiles() {
    Host& h = host();
    h.setBusy(true);
    std::vector<std::string> folders = CollectRecentFolders();
    for (const RecentProfile& p : kRecentProfiles) {
        std::vector<std::string> lines = {p.startLine, "Etoday", std::string("X") + p.pattern,
                                          "P" + rt().programFolder};
        for (const std::string& f : folders) lines.push_back("P" + f);
        // Rewrite the file under the name it has on disk, so no twin appears.
        WriteLineFile(ResolveOnDisk(rt().sideFile(p.fileName)), lines);
    }
    h.setBusy(false);
}

void RunProfileRecentFiles(MainModel& m) {
    if (m.profiles.empty()) return;
    int i = m.findProfile("Recent Files");
    if (i < 0) i = 0;
    if (i == m.profileIndex) RunProfile(m, m.profileText());
    else SelectProfileIndex(m, i);
}

void UpdateRecentFilesCommand(MainModel& m) {
    CreateRecentFilesProfiles();
    RunProfileRecentFiles(m);
}

} // namespace dr::roll
