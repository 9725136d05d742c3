#include "dirroll/default_profiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "common/log.h"
#include "common/runtime.h"
#include "common/text.h"
#include "dirroll/profiles.h"
#include "dirroll/recent_profiles.h"
#include "platform/platform.h"

namespace dr::roll {

namespace {

// Every folder the default profiles name on this system, in one place.
//   "P$x/*"  a folder line; $program, $home, $documents, $pictures, $music and
//            $downloads stand for those folders
//   "P?..."  the same, written only when the folder (without the '*') exists
//   "@docs"  the documents block, "@programs" the program-folders block
//   anything else is written as it stands
struct ProfileTemplate {
    const char* fileName;
    std::vector<const char*> lines;
};

const std::vector<const char*> kDocumentsBlock = {"P?$documents/*", "~/.cache/", "~/.local/share/Trash/"};
const std::vector<const char*> kProgramsBlock = {"P?/opt/*", "P?/usr/local/*", "P?$home/bin/*", "P?$home/apps/*"};

const std::vector<ProfileTemplate>& templates() {
    static const std::vector<ProfileTemplate> s = {
        {"Dirroll Directory.pro", {"P$program", "X*.*"}},
        {"Graphics Files.pro",
         {"P$program", "@docs", "P?$pictures/*", "X*.BMP", "X*.GIF", "X*.ICO", "X*.WMF", "X*.PNG", "X*.JPG",
          "X*.JPEG"}},
        {"Audio and Music.pro",
         {"P?$downloads/*", "P?$music/*", "@docs", "X*.MP3", "X*.OGG", "X*.WAV", "~/.cache/"}},
        {"Document Files.pro", {"@docs", "X*.do*", "X*.xl*", "X*.md*", "X*.pu*", "X*.htm*", "X*.txt"}},
        {"Source Code.pro",
         {"@docs", "P?$home/src/*", "P?$home/dev/src/*", "~/backup/", "~/bk/", "X*.VBW", "X*.VBP", "X*.FRM",
          "X*.BAS", "X*.CLS", "X*.C", "X*.CPP", "X*.H", "X*.HH", "X*.ASP", "X*.HTM*", "X*.CJB", "X*.INC",
          "X*.JAVA", "X*.JS", "X*.VBS"}},
        {"Applications.pro", {"P/opt/*", "X*.EXE", "X*.COM", "X*.BAT"}},
        {"System Configuration Files.pro",
         {"P/etc/", "@programs", "XAUTOEXEC.*", "XCONFIG.*", "X*.INI", "X*.BAT", "X*.CFG", "X*.TXT", "X*.LOG",
          "X*.CONF"}},
    };
    return s;
}

struct Folders {
    std::string program, home, documents, pictures, music, downloads;
};

Folders currentFolders(const std::string& programFolder) {
    Platform& p = platform();
    return {programFolder, p.specialFolder(SpecialFolder::Home), p.specialFolder(SpecialFolder::Documents),
            p.specialFolder(SpecialFolder::Pictures), p.specialFolder(SpecialFolder::Music),
            p.specialFolder(SpecialFolder::Downloads)};
}

bool isFolder(const std::string& path) {
    FileStat st;
    return !path.empty() && platform().fileStat(path, st) && st.isDir;
}

// Expands one folder line; false when it is not to be written.
bool expandFolderLine(std::string_view line, const Folders& f, std::string& out) {
    bool onlyIfExists = line.starts_with("P?");
    line.remove_prefix(onlyIfExists ? 2 : 1);
    std::string path;
    if (line.starts_with("$")) {
        size_t end = line.find('/');
        std::string_view var = line.substr(1, end == std::string_view::npos ? line.npos : end - 1);
        const std::string* base = var == "program"     ? &f.program
                                  : var == "home"      ? &f.home
                                  : var == "documents" ? &f.documents
                                  : var == "pictures"  ? &f.pictures
                                  : var == "music"     ? &f.music
                                  : var == "downloads" ? &f.downloads
                                                       : nullptr;
        if (!base || base->empty()) return false;
        path = *base;
        if (end != std::string_view::npos) {
            std::string_view rest = line.substr(end);
            if (!path.empty() && path.back() == '/') rest.remove_prefix(1);
            path += rest;
        }
    } else {
        path = line;
    }
    if (onlyIfExists) {
        std::string folder = path;
        if (!folder.empty() && folder.back() == '*') folder.pop_back();
        if (!isFolder(folder)) return false;
    }
    out = "P" + path;
    return true;
}

void expandInto(const std::vector<const char*>& templateLines, const Folders& f, std::vector<std::string>& out) {
    for (const char* line : templateLines) {
        std::string_view s(line);
        if (s == "@docs") {
            expandInto(kDocumentsBlock, f, out);
        } else if (s == "@programs") {
            expandInto(kProgramsBlock, f, out);
        } else if (s.starts_with("P")) {
            std::string l;
            if (expandFolderLine(s, f, l)) out.push_back(std::move(l));
        } else {
            out.emplace_back(s);
        }
    }
}

std::atomic<unsigned> tempCounter{0};

} // namespace

std::vector<DefaultProfile> DefaultProfiles(const std::string& programFolder) {
    Folders f = currentFolders(programFolder);
    std::vector<DefaultProfile> out;
    for (const ProfileTemplate& s : templates()) {
        DefaultProfile p{s.fileName, {kAnyDatesStart, kAnyDatesEnd}};
        expandInto(s.lines, f, p.lines);
        out.push_back(std::move(p));
    }
    return out;
}

bool WriteLineFile(const std::string& path, const std::vector<std::string>& lines, const char* eol) {
    const std::string_view end(eol);
    std::string text;
    size_t n = 0;
    for (const auto& l : lines) n += l.size() + end.size();
    text.reserve(n);
    for (const auto& l : lines) {
        text += l;
        text += end;
    }
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%ld.%u.tmp", static_cast<long>(getpid()), tempCounter++);
    std::string tmp = path + suffix;
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < text.size();) {
        ssize_t w = ::write(fd, text.data() + done, text.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) ok = false;
        else done += static_cast<size_t>(w);
    }
    if (ok && ::fdatasync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

void CreateDefaultProfileFiles(const std::string& folder) {
    WriteLogLine("Setup - CreateDefaultProfileFiles");
    std::vector<DefaultProfile> all = DefaultProfiles(folder);
    auto writeUnlessThere = [&](const DefaultProfile& p) {
        std::string path = folder + "/" + p.fileName;
        if (FileExists(ResolveOnDisk(path))) return;
        if (!WriteLineFile(path, p.lines)) WriteLogLine("Setup - could not write the profile " + path);
    };
    writeUnlessThere(all.front());
    CreateRecentFilesProfiles();
    for (size_t i = 1; i < all.size(); ++i) writeUnlessThere(all[i]);
}

} // namespace dr::roll
