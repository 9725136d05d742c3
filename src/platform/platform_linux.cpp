// Linux implementation of the platform interface. Everything that knows about
// /proc, XDG, statx, getdents or fork lives here.
#include "platform/platform.h"
#include "platform/platform_linux.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

extern char** environ;

namespace dr {
namespace {

// ---- small helpers -------------------------------------------------------

std::string envText(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string withoutTrailingSlashes(std::string s) {
    while (!s.empty() && s.back() == '/') s.pop_back();
    return s;
}

bool isDirectory(const std::string& p) {
    struct stat st;
    return !p.empty() && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Reads a whole (small) file; stops at `cap` bytes so a runaway file cannot eat memory.
std::string readSmallFile(const std::string& path, size_t cap) {
    std::string out;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return out;
    char buf[16384];
    while (out.size() < cap) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    if (out.size() > cap) out.resize(cap);
    return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool passwdEntry(uid_t uid, std::string* name, std::string* home) {
    long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buf(hint > 0 ? static_cast<size_t>(hint) : 16384, '\0');
    for (int tries = 0; tries < 6; ++tries) {
        struct passwd pw;
        struct passwd* found = nullptr;
        int rc = ::getpwuid_r(uid, &pw, buf.data(), buf.size(), &found);
        if (rc == ERANGE) {
            buf.resize(buf.size() * 4);
            continue;
        }
        if (rc != 0 || !found) return false;
        if (name) *name = found->pw_name ? found->pw_name : "";
        if (home) *home = found->pw_dir ? found->pw_dir : "";
        return true;
    }
    return false;
}

std::string homeFolder() {
    std::string h = envText("HOME");
    if (h.empty()) passwdEntry(::geteuid(), nullptr, &h);
    h = withoutTrailingSlashes(h);
    return h;
}

// ---- XDG user folders ----------------------------------------------------

// The value of XDG_<key>_DIR in user-dirs.dirs, "$HOME" expanded; "" when absent or malformed.
std::string xdgUserDir(const char* key, const std::string& home) {
    std::string cfg = envText("XDG_CONFIG_HOME");
    if (cfg.empty() || cfg[0] != '/') cfg = home + "/.config";
    const std::string text = readSmallFile(withoutTrailingSlashes(cfg) + "/user-dirs.dirs", 1 << 20);
    const std::string wanted = std::string("XDG_") + key + "_DIR";
    std::string result;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find_first_of("\r\n", pos);
        if (eol == std::string::npos) eol = text.size();
        std::string_view line(text.data() + pos, eol - pos);
        pos = eol + 1;
        size_t i = 0;
        while (i < line.size() && isBlank(line[i])) ++i;
        if (line.compare(i, wanted.size(), wanted) != 0) continue;
        i += wanted.size();
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i >= line.size() || line[i] != '=') continue;
        ++i;
        while (i < line.size() && isBlank(line[i])) ++i;
        std::string value;
        if (i < line.size() && line[i] == '"') {
            bool closed = false;
            for (++i; i < line.size(); ++i) {
                char c = line[i];
                if (c == '\\' && i + 1 < line.size()) {
                    value += line[++i];
                } else if (c == '"') {
                    closed = true;
                    break;
                } else {
                    value += c;
                }
            }
            if (!closed) continue;
        } else {
            while (i < line.size() && !isBlank(line[i]) && line[i] != '#') value += line[i++];
        }
        std::string path;
        if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/')) {
            path = home + value.substr(5);
        } else if (!value.empty() && value[0] == '/') {
            path = value;
        } else {
            continue;
        }
        result = withoutTrailingSlashes(path); // the last assignment wins, as when the file is sourced
        if (result.empty()) result = "/";
    }
    return result;
}

// ---- recently-used.xbel --------------------------------------------------

std::string xmlUnescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        size_t semi = s.find(';', i);
        if (semi == std::string_view::npos || semi - i > 10) {
            out += '&';
            continue;
        }
        std::string_view ent = s.substr(i + 1, semi - i - 1);
        long code = -1;
        if (ent == "amp") code = '&';
        else if (ent == "lt") code = '<';
        else if (ent == "gt") code = '>';
        else if (ent == "quot") code = '"';
        else if (ent == "apos") code = '\'';
        else if (ent.size() > 1 && ent[0] == '#') {
            bool hex = ent[1] == 'x' || ent[1] == 'X';
            code = 0;
            for (size_t k = hex ? 2 : 1; k < ent.size() && code >= 0; ++k) {
                int d = hex ? hexValue(ent[k]) : (ent[k] >= '0' && ent[k] <= '9' ? ent[k] - '0' : -1);
                code = d < 0 || code > 0x10FFFF ? -1 : code * (hex ? 16 : 10) + d;
            }
            if (code > 0x10FFFF || code == 0 || ent.size() == (hex ? 2u : 1u)) code = -1;
        }
        if (code < 0) {
            out += '&';
            continue;
        }
        // UTF-8, as the file's own encoding
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        i = semi;
    }
    return out;
}

// The local path of a file: URL; "" for other schemes, other hosts or bad encodings.
std::string pathOfFileUrl(const std::string& url) {
    if (url.size() < 7 || strncasecmp(url.c_str(), "file://", 7) != 0) return {};
    size_t slash = url.find('/', 7);
    if (slash == std::string::npos) return {};
    const size_t hostLen = slash - 7;
    if (hostLen != 0 && (hostLen != 9 || strncasecmp(url.c_str() + 7, "localhost", 9) != 0)) return {};
    size_t end = url.find_first_of("?#", slash);
    if (end == std::string::npos) end = url.size();
    std::string path;
    path.reserve(end - slash);
    for (size_t i = slash; i < end; ++i) {
        char c = url[i];
        if (c == '%' && i + 2 < end && hexValue(url[i + 1]) >= 0 && hexValue(url[i + 2]) >= 0) {
            c = static_cast<char>(hexValue(url[i + 1]) * 16 + hexValue(url[i + 2]));
            i += 2;
            if (c == '\0') return {};
        }
        path += c;
    }
    return path;
}

// An ISO 8601 time ("2024-05-01T10:20:30.123456Z", offsets allowed) as microseconds
// since 1970 for ordering; 0 when it cannot be read.
int64_t isoTimeKey(const std::string& s) {
    int y, mo, d, h, mi, sec;
    int used = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &y, &mo, &d, &h, &mi, &sec, &used) != 6) return 0;
    DateTime t{y, mo, d, h, mi, sec > 59 ? 59 : sec};
    if (!t.valid()) return 0;
    int64_t micros = 0;
    size_t i = static_cast<size_t>(used);
    if (i < s.size() && (s[i] == '.' || s[i] == ',')) {
        int digits = 0;
        for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
            if (digits < 6) micros = micros * 10 + (s[i] - '0'), ++digits;
        for (; digits < 6; ++digits) micros *= 10;
    }
    int64_t secs = t.civilSeconds();
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        int oh = 0, om = 0;
        if (std::sscanf(s.c_str() + i + 1, "%2d:%2d", &oh, &om) >= 1 ||
            std::sscanf(s.c_str() + i + 1, "%2d%2d", &oh, &om) >= 1) {
            int64_t off = oh * 3600 + om * 60;
            secs += s[i] == '+' ? -off : off;
        }
    }
    return secs * 1000000 + micros;
}

struct RecentItem {
    std::string path;
    int64_t key;
};

// Pulls the bookmarks out of an XBEL text without an XML library: every
// <bookmark ...> start tag, its href and its times. Garbage yields what it can.
std::vector<RecentItem> parseXbel(const std::string& text) {
    std::vector<RecentItem> items;
    const size_t n = text.size();
    size_t pos = 0;
    while ((pos = text.find("<bookmark", pos)) != std::string::npos) {
        size_t p = pos + 9;
        if (p >= n) break;
        if (!isBlank(text[p])) { // <bookmark:applications>, <bookmarks> ...
            pos = p;
            continue;
        }
        std::string href;
        int64_t key = 0;
        bool truncated = false;
        for (;;) {
            while (p < n && isBlank(text[p])) ++p;
            if (p >= n) { truncated = true; break; }
            if (text[p] == '>' || text[p] == '/' || text[p] == '<') break;
            size_t nameStart = p;
            while (p < n && !isBlank(text[p]) && text[p] != '=' && text[p] != '>' && text[p] != '/' && text[p] != '<') ++p;
            std::string_view name(text.data() + nameStart, p - nameStart);
            while (p < n && isBlank(text[p])) ++p;
            if (p >= n || text[p] != '=') {
                if (name.empty()) ++p; // a stray character: step over it
                continue;
            }
            ++p;
            while (p < n && isBlank(text[p])) ++p;
            if (p >= n || (text[p] != '"' && text[p] != '\'')) continue;
            char q = text[p++];
            size_t close = text.find(q, p);
            if (close == std::string::npos) { truncated = true; break; }
            std::string_view raw(text.data() + p, close - p);
            p = close + 1;
            if (name == "href") href = xmlUnescape(raw);
            else if (name == "modified" || name == "visited" || name == "added")
                key = std::max(key, isoTimeKey(xmlUnescape(raw)));
        }
        if (truncated) break;
        std::string path = pathOfFileUrl(href);
        if (!path.empty()) items.push_back({std::move(path), key});
        pos = p;
    }
    return items;
}

// ---- mounts --------------------------------------------------------------

std::string unescapeMountField(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3' &&
            s[i + 2] >= '0' && s[i + 2] <= '7' && s[i + 3] >= '0' && s[i + 3] <= '7') {
            out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool under(const std::string& path, const char* prefix) {
    size_t n = std::strlen(prefix);
    return path.compare(0, n, prefix) == 0 && (path.size() == n || path[n] == '/');
}

bool inList(const std::string& s, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (s == n) return true;
    return false;
}

// The drive type of a mount, or false when it is no place for user files.
bool classifyMount(const std::string& fs, const std::string& source, const std::string& mnt, DriveType& type) {
    if (under(mnt, "/proc") || under(mnt, "/sys") || under(mnt, "/dev")) return false;
    if (inList(fs, {"proc", "sysfs", "cgroup", "cgroup2", "devpts", "devtmpfs", "securityfs", "debugfs", "tracefs",
                    "pstore", "bpf", "configfs", "fusectl", "mqueue", "hugetlbfs", "autofs", "binfmt_misc",
                    "efivarfs", "rpc_pipefs", "nsfs", "selinuxfs", "nfsd", "fuse.gvfsd-fuse", "fuse.portal",
                    "fuse.lxcfs", "none"}))
        return false;
    if (fs == "squashfs" && under(mnt, "/snap")) return false; // package images, not user data
    if (inList(fs, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "ceph", "9p", "glusterfs", "davfs",
                    "sshfs", "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.glusterfs", "fuse.davfs2",
                    "fuse.cephfs"})) {
        type = DriveType::Remote;
        return true;
    }
    if (inList(fs, {"iso9660", "udf"})) {
        type = DriveType::CdRom;
        return true;
    }
    if (inList(fs, {"tmpfs", "ramfs"})) {
        // runtime state below /run (sockets, locks, per-user runtime folders)
        if (under(mnt, "/run") && !under(mnt, "/run/media")) return false;
        type = DriveType::RamDisk;
        return true;
    }
    bool block = inList(fs, {"ext2", "ext3", "ext4", "xfs", "btrfs", "vfat", "msdos", "exfat", "ntfs", "ntfs3",
                             "fuseblk", "f2fs", "jfs", "reiserfs", "zfs", "hfs", "hfsplus", "nilfs2", "bcachefs",
                             "overlay", "squashfs", "erofs"}) ||
                 source.compare(0, 5, "/dev/") == 0;
    if (!block) {
        type = DriveType::Unknown;
        return true;
    }
    type = under(mnt, "/media") || under(mnt, "/run/media") ? DriveType::Removable : DriveType::Fixed;
    return true;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> f;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        size_t s = i;
        while (i < line.size() && line[i] != ' ') ++i;
        if (i > s) f.push_back(line.substr(s, i - s));
    }
    return f;
}

// ---- processes -----------------------------------------------------------

std::string findOnPath(const std::string& name) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return name;
    std::string path = envText("PATH");
    if (path.empty()) path = "/usr/local/bin:/usr/bin:/bin";
    size_t pos = 0;
    for (;;) {
        size_t colon = path.find(':', pos);
        std::string dir = path.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
        std::string cand = (dir.empty() ? std::string(".") : dir) + "/" + name;
        struct stat st;
        if (::stat(cand.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(cand.c_str(), X_OK) == 0) return cand;
        if (colon == std::string::npos) break;
        pos = colon + 1;
    }
    return {};
}

struct SpawnResult {
    enum Kind : int { ExecFailed = 1, Running = 2, Exited = 3, Broken = 4 } kind = Broken;
    int code = 0; // errno for ExecFailed, exit status for Exited
};

void writeAll(int fd, const void* p, size_t n) {
    const char* c = static_cast<const char*>(p);
    while (n > 0) {
        ssize_t w = ::write(fd, c, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return;
        c += w;
        n -= static_cast<size_t>(w);
    }
}

ssize_t readAll(int fd, void* p, size_t n) {
    char* c = static_cast<char*>(p);
    size_t got = 0;
    while (got < n) {
        ssize_t r = ::read(fd, c + got, n - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<size_t>(r);
    }
    return static_cast<ssize_t>(got);
}

void sleepMillis(int ms) {
    struct timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

// Starts `path` in a session of its own, as a grandchild, so it never becomes
// our zombie. When waitMs > 0 the middle process waits that long for a quick
// exit status. Only async-signal-safe calls run between fork and exec.
SpawnResult spawnDetached(const std::string& path, const std::vector<std::string>& args, int waitMs) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    SpawnResult res;
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return res;
    int devnull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);

    pid_t mid = ::fork();
    if (mid < 0) {
        ::close(report[0]);
        ::close(report[1]);
        if (devnull >= 0) ::close(devnull);
        return res;
    }
    if (mid == 0) {
        ::close(report[0]);
        struct sigaction dfl{};
        dfl.sa_handler = SIG_DFL;
        ::sigaction(SIGCHLD, &dfl, nullptr);
        ::sigaction(SIGPIPE, &dfl, nullptr);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::setsid();
        int out[2] = {0, 0};
        int execPipe[2];
        if (::pipe2(execPipe, O_CLOEXEC) != 0) {
            out[0] = SpawnResult::ExecFailed;
            out[1] = errno;
            writeAll(report[1], out, sizeof out);
            ::_exit(0);
        }
        pid_t child = ::fork();
        if (child == 0) {
            ::close(execPipe[0]);
            if (devnull >= 0) ::dup2(devnull, 0);
            ::execve(path.c_str(), argv.data(), environ);
            int e = errno;
            writeAll(execPipe[1], &e, sizeof e);
            ::_exit(127);
        }
        ::close(execPipe[1]);
        if (child < 0) {
            out[0] = SpawnResult::ExecFailed;
            out[1] = errno;
            writeAll(report[1], out, sizeof out);
            ::_exit(0);
        }
        int e = 0;
        if (readAll(execPipe[0], &e, sizeof e) == sizeof e) {
            ::waitpid(child, nullptr, 0);
            out[0] = SpawnResult::ExecFailed;
            out[1] = e;
            writeAll(report[1], out, sizeof out);
            ::_exit(0);
        }
        out[0] = SpawnResult::Running;
        for (int waited = 0; waited < waitMs; waited += 10) {
            int st = 0;
            pid_t w = ::waitpid(child, &st, WNOHANG);
            if (w == child) {
                out[0] = SpawnResult::Exited;
                out[1] = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + (WIFSIGNALED(st) ? WTERMSIG(st) : 0);
                break;
            }
            if (w < 0 && errno != EINTR) break;
            sleepMillis(10);
        }
        writeAll(report[1], out, sizeof out);
        ::_exit(0);
    }

    ::close(report[1]);
    if (devnull >= 0) ::close(devnull);
    int in[2] = {0, 0};
    if (readAll(report[0], in, sizeof in) == sizeof in) {
        res.kind = static_cast<SpawnResult::Kind>(in[0]);
        res.code = in[1];
    }
    ::close(report[0]);
    while (::waitpid(mid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return res;
}

// Parameters split on blanks; a double-quoted stretch stays one argument.
std::vector<std::string> splitParams(const std::string& params) {
    std::vector<std::string> out;
    std::string cur;
    bool inQuote = false, have = false;
    for (char c : params) {
        if (c == '"') {
            inQuote = !inQuote;
            have = true;
        } else if (!inQuote && (c == ' ' || c == '\t')) {
            if (have) out.push_back(cur);
            cur.clear();
            have = false;
        } else {
            cur += c;
            have = true;
        }
    }
    if (have) out.push_back(cur);
    return out;
}

// "http:", "mailto:" ... : a scheme of two or more characters before a colon.
bool looksLikeUrl(const std::string& t) {
    if (t.empty() || !std::isalpha(static_cast<unsigned char>(t[0]))) return false;
    size_t i = 1;
    while (i < t.size() && (std::isalnum(static_cast<unsigned char>(t[i])) || t[i] == '+' || t[i] == '-' || t[i] == '.'))
        ++i;
    return i >= 2 && i < t.size() && t[i] == ':';
}

// A program the kernel can run itself: an ELF image or a script with "#!".
// A file we may execute but not read is taken as a program too.
bool looksLikeProgram(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true;
    char head[4] = {0, 0, 0, 0};
    ssize_t n = readAll(fd, head, sizeof head);
    ::close(fd);
    if (n >= 2 && head[0] == '#' && head[1] == '!') return true;
    return n == 4 && std::memcmp(head, "\x7f" "ELF", 4) == 0;
}

int launchCodeOfErrno(int e) {
    switch (e) {
    case ENOENT: return launch::kFileNotFound;
    case ENOTDIR: return launch::kPathNotFound;
    case EACCES:
    case EPERM: return launch::kAccessDenied;
    case ENOEXEC:
    case ELIBBAD:
    case ETXTBSY: return launch::kBadExe;
    default: return launch::kUnknown;
    }
}

// Why a path cannot be examined, in launch codes.
int launchCodeOfMissing(const std::string& target, int e) {
    if (e == ENOENT) {
        std::string t = withoutTrailingSlashes(target);
        size_t slash = t.rfind('/');
        if (slash == std::string::npos) return launch::kFileNotFound; // relative to the working folder
        std::string parent = slash == 0 ? "/" : t.substr(0, slash);
        return isDirectory(parent) ? launch::kFileNotFound : launch::kPathNotFound;
    }
    return launchCodeOfErrno(e);
}

void fillStat(const struct statx& sx, FileStat& out) {
    out.exists = true;
    out.mode = sx.stx_mode;
    out.isDir = S_ISDIR(sx.stx_mode);
    out.isRegular = S_ISREG(sx.stx_mode);
    out.isLink = S_ISLNK(sx.stx_mode);
    out.size = sx.stx_size;
    out.uid = sx.stx_uid;
    out.gid = sx.stx_gid;
    out.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    out.ino = sx.stx_ino;
    out.modified = sx.stx_mtime.tv_sec;
    out.accessed = sx.stx_atime.tv_sec;
    out.hasCreated = (sx.stx_mask & STATX_BTIME) != 0;
    out.created = out.hasCreated ? sx.stx_btime.tv_sec : 0;
}

void fillStat(const struct stat& st, FileStat& out) {
    out.exists = true;
    out.mode = st.st_mode;
    out.isDir = S_ISDIR(st.st_mode);
    out.isRegular = S_ISREG(st.st_mode);
    out.isLink = S_ISLNK(st.st_mode);
    out.size = static_cast<uint64_t>(st.st_size);
    out.uid = st.st_uid;
    out.gid = st.st_gid;
    out.dev = st.st_dev;
    out.ino = st.st_ino;
    out.modified = st.st_mtime;
    out.accessed = st.st_atime;
    out.hasCreated = false;
    out.created = 0;
}

// statx relative to a folder, falling back to fstatat where the kernel lacks statx.
bool statAt(int dirfd, const char* name, int flags, FileStat& out) {
    struct statx sx;
    if (::statx(dirfd, name, flags, STATX_BASIC_STATS | STATX_BTIME, &sx) == 0) {
        fillStat(sx, out);
        return true;
    }
    if (errno != ENOSYS) return false;
    struct stat st;
    if (::fstatat(dirfd, name, &st, flags & AT_SYMLINK_NOFOLLOW) != 0) return false;
    fillStat(st, out);
    return true;
}

// A folder-listing buffer per nesting level, reused from call to call.
constexpr size_t kDentsBuffer = 64 * 1024;
thread_local std::vector<std::unique_ptr<char[]>> t_freeBuffers;

class DentsBuffer {
public:
    DentsBuffer() {
        if (t_freeBuffers.empty()) {
            buf_.reset(new char[kDentsBuffer]);
        } else {
            buf_ = std::move(t_freeBuffers.back());
            t_freeBuffers.pop_back();
        }
    }
    ~DentsBuffer() { t_freeBuffers.push_back(std::move(buf_)); }
    DentsBuffer(const DentsBuffer&) = delete;
    DentsBuffer& operator=(const DentsBuffer&) = delete;
    char* data() { return buf_.get(); }

private:
    std::unique_ptr<char[]> buf_;
};

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

std::vector<Volume> parseMountTable(const std::string& text, bool mountinfo) {
    std::vector<Volume> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        std::vector<std::string_view> f = splitFields(std::string_view(text.data() + pos, eol - pos));
        pos = eol + 1;
        std::string device, mnt, fs;
        if (mountinfo) {
            // id parent major:minor root mount-point options [optional...] - fstype source super-options
            size_t dash = 6;
            while (dash < f.size() && f[dash] != "-") ++dash;
            if (f.size() < 5 || dash + 2 >= f.size()) continue;
            mnt = unescapeMountField(f[4]);
            fs = unescapeMountField(f[dash + 1]);
            device = unescapeMountField(f[dash + 2]);
        } else {
            if (f.size() < 3) continue;
            device = unescapeMountField(f[0]);
            mnt = unescapeMountField(f[1]);
            fs = unescapeMountField(f[2]);
        }
        if (mnt.empty() || mnt[0] != '/') continue;
        Volume v;
        if (!classifyMount(fs, device, mnt, v.type)) continue;
        if (v.type != DriveType::Remote) {
            // bind-mounted single files (containers do this for /etc/hosts); never
            // touch remote mounts here, a dead server would hang the call
            struct statx sx;
            if (::statx(AT_FDCWD, mnt.c_str(), AT_STATX_DONT_SYNC | AT_NO_AUTOMOUNT, STATX_TYPE, &sx) == 0 &&
                !S_ISDIR(sx.stx_mode))
                continue;
        }
        v.root = mnt == "/" ? mnt : mnt + "/";
        v.device = std::move(device);
        v.fsType = std::move(fs);
        // a later mount on the same point hides the earlier one
        auto same = std::find_if(out.begin(), out.end(), [&](const Volume& o) { return o.root == v.root; });
        if (same != out.end()) out.erase(same);
        out.push_back(std::move(v));
    }
    return out;
}

// ---- the platform --------------------------------------------------------

class LinuxPlatform final : public Platform {
public:
    std::string executablePath() override {
        std::string buf(4096, '\0');
        for (;;) {
            ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
            if (n < 0) return {};
            if (static_cast<size_t>(n) < buf.size()) {
                buf.resize(static_cast<size_t>(n));
                return buf;
            }
            buf.resize(buf.size() * 2);
        }
    }

    std::string programFolder() override {
        std::string home = envText("DIRROLL_HOME");
        if (!home.empty()) {
            if (home[0] != '/') {
                char cwd[4096];
                if (::getcwd(cwd, sizeof cwd)) home = withoutTrailingSlashes(cwd) + "/" + home;
            }
            return withoutTrailingSlashes(home);
        }
        std::string exe = executablePath();
        size_t slash = exe.rfind('/');
        if (slash == std::string::npos) {
            char cwd[4096];
            return ::getcwd(cwd, sizeof cwd) ? withoutTrailingSlashes(cwd) : std::string();
        }
        return exe.substr(0, slash);
    }

    std::string userName() override {
        std::string name;
        if (passwdEntry(::geteuid(), &name, nullptr) && !name.empty()) return name;
        name = envText("USER");
        return name.empty() ? envText("LOGNAME") : name;
    }

    std::string computerName() override {
        char buf[256];
        if (::gethostname(buf, sizeof buf) != 0) return {};
        buf[sizeof buf - 1] = '\0';
        std::string name(buf);
        size_t dot = name.find('.');
        if (dot != std::string::npos) name.erase(dot);
        return name;
    }

    std::string specialFolder(SpecialFolder which) override {
        const std::string home = homeFolder();
        if (home.empty()) return {};
        if (which == SpecialFolder::Home) return isDirectory(home) ? home : std::string();
        struct Names {
            SpecialFolder which;
            const char* xdgKey;
            const char* plain;
        };
        static constexpr Names kNames[] = {
            {SpecialFolder::Documents, "DOCUMENTS", "Documents"}, {SpecialFolder::Pictures, "PICTURES", "Pictures"},
            {SpecialFolder::Music, "MUSIC", "Music"},             {SpecialFolder::Downloads, "DOWNLOAD", "Downloads"},
            {SpecialFolder::Desktop, "DESKTOP", "Desktop"},       {SpecialFolder::Videos, "VIDEOS", "Videos"},
        };
        const Names* n = std::find_if(std::begin(kNames), std::end(kNames), [&](const Names& x) { return x.which == which; });
        if (n == std::end(kNames)) return {};
        const char* key = n->xdgKey;
        const char* fallback = n->plain;
        std::string xdg = xdgUserDir(key, home);
        if (isDirectory(xdg)) return xdg == "/" ? std::string() : xdg;
        std::string plain = home + "/" + fallback;
        return isDirectory(plain) ? plain : std::string();
    }

    std::vector<std::string> recentDocuments() override {
        std::string data = envText("XDG_DATA_HOME");
        if (data.empty() || data[0] != '/') {
            std::string home = homeFolder();
            if (home.empty()) return {};
            data = home + "/.local/share";
        }
        std::vector<RecentItem> items =
            parseXbel(readSmallFile(withoutTrailingSlashes(data) + "/recently-used.xbel", 64u << 20));
        std::stable_sort(items.begin(), items.end(),
                         [](const RecentItem& a, const RecentItem& b) { return a.key > b.key; });
        std::vector<std::string> out;
        out.reserve(items.size());
        std::unordered_set<std::string> seen;
        for (RecentItem& it : items)
            if (seen.insert(it.path).second) out.push_back(std::move(it.path));
        return out;
    }

    bool fileStat(const std::string& path, FileStat& out, bool noFollow) override {
        out = FileStat{};
        if (path.empty()) return false;
        if (!statAt(AT_FDCWD, path.c_str(), noFollow ? AT_SYMLINK_NOFOLLOW : 0, out)) {
            out = FileStat{};
            return false;
        }
        out.writable = ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
        return true;
    }

    std::string accountName(uint32_t uid) override {
        std::lock_guard<std::mutex> lock(accountsMutex_);
        auto it = accounts_.find(uid);
        if (it == accounts_.end()) {
            std::string name;
            if (!passwdEntry(static_cast<uid_t>(uid), &name, nullptr) || name.empty()) name = "unknown";
            it = accounts_.emplace(uid, std::move(name)).first;
        }
        return it->second;
    }

    std::string fileOwner(const std::string& path, bool& ok) override {
        struct stat st;
        ok = !path.empty() && ::stat(path.c_str(), &st) == 0;
        return ok ? accountName(st.st_uid) : std::string();
    }

    std::vector<Volume> volumes() override {
        std::string text = readSmallFile("/proc/self/mountinfo", 16u << 20);
        if (!text.empty()) return parseMountTable(text, true);
        return parseMountTable(readSmallFile("/proc/mounts", 16u << 20), false);
    }

    bool listFolder(const std::string& folder, bool withStat,
                    const std::function<bool(const DirEntry&)>& fn) override {
        Fd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() < 0) return false;
        DentsBuffer buf;
        FileStat st;
        DirEntry e{};
        const int statFlags = AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC;
        for (;;) {
            ssize_t n = ::getdents64(dir.get(), buf.data(), kDentsBuffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            for (ssize_t off = 0; off < n;) {
                const auto* d = reinterpret_cast<const struct dirent64*>(buf.data() + off);
                off += d->d_reclen;
                const char* name = d->d_name;
                if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
                unsigned char type = d->d_type;
                e.name = name;
                e.nameLen = std::strlen(name);
                e.stat = nullptr;
                if (withStat || type == DT_UNKNOWN) {
                    if (statAt(dir.get(), name, statFlags, st)) {
                        st.writable = writableByMode(st);
                        if (withStat) e.stat = &st;
                        type = st.isDir ? DT_DIR : st.isRegular ? DT_REG : st.isLink ? DT_LNK : DT_UNKNOWN;
                    } else if (errno == ENOENT) {
                        continue; // gone since the folder was read
                    } else if (withStat) {
                        st = FileStat{};
                        e.stat = &st;
                    }
                }
                e.isDir = type == DT_DIR;
                e.isRegular = type == DT_REG;
                e.isLink = type == DT_LNK;
                if (!fn(e)) return true;
            }
        }
        return true;
    }

    int openDocument(const std::string& target, const std::string& params) override {
        if (target.empty()) return launch::kOk;
        struct stat st;
        if (::stat(target.c_str(), &st) != 0) {
            int e = errno;
            if (looksLikeUrl(target)) return openWithDesktop(target);
            return launchCodeOfMissing(target, e);
        }
        if (S_ISREG(st.st_mode) && (st.st_mode & 0111) && ::access(target.c_str(), X_OK) == 0 &&
            looksLikeProgram(target)) {
            std::vector<std::string> args{target};
            for (std::string& p : splitParams(params)) args.push_back(std::move(p));
            SpawnResult r = spawnDetached(target, args, 0);
            if (r.kind == SpawnResult::ExecFailed) return launchCodeOfErrno(r.code);
            return r.kind == SpawnResult::Broken ? launch::kUnknown : launch::kOk;
        }
        int mode = S_ISDIR(st.st_mode) ? R_OK | X_OK : R_OK;
        if (::access(target.c_str(), mode) != 0)
            return errno == EACCES || errno == EPERM ? launch::kAccessDenied : launch::kUnknown;
        return openWithDesktop(target);
    }

    bool startProgram(const std::vector<std::string>& argv) override {
        if (argv.empty()) return false;
        std::string path = findOnPath(argv[0]);
        if (path.empty()) return false;
        SpawnResult r = spawnDetached(path, argv, 0);
        return r.kind == SpawnResult::Running;
    }

    int runProgramAndWait(const std::vector<std::string>& args, const std::function<void()>& pump) override {
        if (args.empty() || args[0].empty()) return -1;
        std::vector<char*> argv;
        argv.reserve(args.size() + 1);
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_t pid = 0;
        if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
        for (;;) {
            int st = 0;
            pid_t w = ::waitpid(pid, &st, WNOHANG);
            if (w == pid) return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + (WIFSIGNALED(st) ? WTERMSIG(st) : 0);
            if (w < 0 && errno != EINTR) return 0; // reaped elsewhere (SIGCHLD ignored): status unknown
            if (pump) pump();
            sleepMillis(kWaitSliceMs);
        }
    }

    bool hasDisplay() override { return !envText("DISPLAY").empty() || !envText("WAYLAND_DISPLAY").empty(); }

private:
    static constexpr int kWaitSliceMs = 25;
    // xdg-open answers within a fraction of a second when it hands over to the desktop;
    // longer means it runs the program itself, which we take as success.
    static constexpr int kOpenerWaitMs = 1500;

    int openWithDesktop(const std::string& target) {
        std::string opener = findOnPath("xdg-open");
        if (opener.empty()) return launch::kNoAssociation;
        SpawnResult r = spawnDetached(opener, {opener, target}, kOpenerWaitMs);
        switch (r.kind) {
        case SpawnResult::ExecFailed: return r.code == ENOENT ? launch::kNoAssociation : launchCodeOfErrno(r.code);
        case SpawnResult::Running: return launch::kOk;
        case SpawnResult::Exited:
            switch (r.code) {
            case 0: return launch::kOk;
            case 2: return launch::kFileNotFound;
            case 3:
            case 4: return launch::kNoAssociation;
            default: return launch::kUnknown;
            }
        case SpawnResult::Broken: break;
        }
        return launch::kUnknown;
    }

    // Write permission from the mode bits alone: no extra system call per file.
    bool writableByMode(const FileStat& st) {
        if (!groupsLoaded_) {
            euid_ = ::geteuid();
            groups_.assign(1, ::getegid());
            int n = ::getgroups(0, nullptr);
            if (n > 0) {
                std::vector<gid_t> g(static_cast<size_t>(n));
                n = ::getgroups(n, g.data());
                if (n > 0) groups_.insert(groups_.end(), g.begin(), g.begin() + n);
            }
            groupsLoaded_ = true;
        }
        if (euid_ == 0) return true;
        if (st.uid == euid_) return st.mode & S_IWUSR;
        if (std::find(groups_.begin(), groups_.end(), st.gid) != groups_.end()) return st.mode & S_IWGRP;
        return st.mode & S_IWOTH;
    }

    std::mutex accountsMutex_;
    std::unordered_map<uint32_t, std::string> accounts_;

    bool groupsLoaded_ = false;
    uid_t euid_ = 0;
    std::vector<gid_t> groups_;
};

namespace {
Platform* g_override = nullptr;
}

std::unique_ptr<Platform> makeNativePlatform() { return std::make_unique<LinuxPlatform>(); }

Platform& platform() {
    if (g_override) return *g_override;
    static std::unique_ptr<Platform> native = makeNativePlatform();
    return *native;
}

void setPlatform(Platform* p) { g_override = p; }

} // namespace dr
