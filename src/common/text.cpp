#include "common/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "common/format.h"
#include "common/log.h"
#include "platform/platform.h"

namespace dr {

std::string CutAtNull(std::string_view text) {
    size_t z = text.find('\0');
    return std::string(z == std::string_view::npos ? text : text.substr(0, z));
}

std::string FlattenLineBreaks(std::string_view text) {
    std::string r(text);
    for (char& c : r)
        if (c == '\r' || c == '\n') c = ' ';
    return r;
}

std::string JoinPath(std::string& folder, std::string_view name) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    std::string r = folder;
    r += name;
    return r;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string f = folder;
    return JoinPath(f, name);
}

std::string PadLeft(std::string& text, int64_t width) {
    int64_t len = static_cast<int64_t>(text.size());
    if (len <= width) text.insert(0, static_cast<size_t>(width - len + 1), ' ');
    return text;
}

int64_t AppendToStringArray(std::vector<std::string>& slots, const std::string& text) {
    if (slots.empty()) {
        appLog().log(" array full", 0);
        return 0;
    }
    int64_t upper = static_cast<int64_t>(slots.size()) - 1;
    int64_t highest = 0;
    for (int64_t i = upper; i > 0; --i)
        if (!slots[static_cast<size_t>(i)].empty()) { highest = i; break; }
    if (highest > upper - 2) {
        appLog().log(" array full", 0);
        return highest;
    }
    slots[static_cast<size_t>(highest + 1)] = text;
    return highest + 1;
}

std::string ExtractFolder(std::string_view path) {
    size_t p = path.rfind('/');
    return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string ExtractFileName(std::string_view path) {
    size_t p = path.rfind('/');
    return p == std::string_view::npos ? std::string() : std::string(path.substr(p + 1));
}

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    FileStat st;
    return platform().fileStat(path, st, true) && st.exists;
}

namespace {

// Copies the bytes of from into a new file beside to and renames it over to.
bool copyReplacing(const std::string& from, const std::string& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat sst;
    if (::fstat(in, &sst) != 0 || !S_ISREG(sst.st_mode)) {
        ::close(in);
        return false;
    }
    std::string folder = ExtractFolder(to);
    std::string tmpl = folder + "." + ExtractFileName(to) + ".copyXXXXXX";
    if (folder.empty()) tmpl = "." + to + ".copyXXXXXX";
    int out = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    static constexpr size_t kBuf = 256 * 1024;
    std::string buf(kBuf, '\0');
    for (;;) {
        ssize_t n = ::read(in, buf.data(), kBuf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(out, buf.data() + done, static_cast<size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR) continue;
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok) break;
    }
    ::close(in);
    if (ok) ::fchmod(out, sst.st_mode & 07777 & ~S_ISUID & ~S_ISGID);
    if (::close(out) != 0) ok = false;
    if (ok && ::rename(tmpl.c_str(), to.c_str()) != 0) ok = false;
    if (!ok) ::unlink(tmpl.c_str());
    return ok;
}

} // namespace

bool SafeFileCopy(const std::string& source, const std::string& target, bool skipBackup, bool reportNotShown,
                  bool /*keepError*/) {
    if (!skipBackup) {
        std::string backup = target + ".BAK";
        ::unlink(backup.c_str());
        FileStat tst;
        if (platform().fileStat(target, tst) && tst.isRegular) copyReplacing(target, backup);
    }
    if (!FileExists(source)) {
        appLog().log("SafeFileCopy Failed - source file doesnt exist: " + source, 0);
        return false;
    }
    bool ok;
    FileStat sst, tst;
    if (platform().fileStat(source, sst) && platform().fileStat(target, tst) && sst.dev == tst.dev &&
        sst.ino == tst.ino)
        ok = false; // the same file: replacing it would copy nothing
    else
        ok = copyReplacing(source, target);
    if (!ok) {
        appLog().log("SafeFileCopy Failed to copy " + source + " to " + target, 0);
        if (reportNotShown)
            appLog().log("MSGBOX NOT SHOWN - Error copying the file \r\n" + source + "  to \r\n" + target, 0);
    }
    return ok;
}

// ---- Clock times ----------------------------------------------------------------

std::string FormatClockTime(const DateTime& t) { return formatDate(t, "hh:mm:ss"); }

namespace {

struct ClockParts {
    int64_t h, m, s;
};

ClockParts clockParts(std::string_view c) {
    return {ValInt(Mid(c, 1, 2)), ValInt(Mid(c, 4, 2)), ValInt(Mid(c, 7, 2))};
}

} // namespace

int64_t ClockTextToSeconds(std::string_view clock) {
    ClockParts p = clockParts(clock);
    return p.h * 3600 + p.m * 60 + p.s;
}

int64_t ClockTextDifferenceSeconds(std::string_view start, std::string_view end) {
    ClockParts a = clockParts(start), b = clockParts(end);
    int64_t h = b.h - a.h, m = b.m - a.m, s = b.s - a.s;
    if (m < 0) { m += 60; h -= 1; }
    if (s < 0) { s += 60; m -= 1; }
    int64_t total = h * 3600 + m * 60 + s;
    // A span over midnight: the end lies on the next day.
    total %= 86400;
    if (total < 0) total += 86400;
    return total;
}

DateTime ClockTextDifference(std::string_view start, std::string_view end) {
    return DateTime{1899, 12, 30, 0, 0, 0}.addSeconds(ClockTextDifferenceSeconds(start, end));
}

} // namespace dr
