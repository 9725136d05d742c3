#include "common/ini.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace dr {

namespace {

std::string_view trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// One line of a settings file: [begin, end) is its text, next the start of
// the following line (end == next when the file ends without a line break).
struct Line {
    enum Kind { Blank, Comment, Section, Key, Other } kind = Blank;
    size_t begin = 0, end = 0, next = 0;
    std::string_view name, value; // section name, or key and value
};

class Lines {
public:
    explicit Lines(std::string_view text) : t_(text) {}
    bool next(Line& l) {
        if (pos_ >= t_.size()) return false;
        l.begin = pos_;
        size_t e = t_.find_first_of("\r\n", pos_);
        if (e == std::string_view::npos) e = t_.size();
        l.end = e;
        if (e < t_.size()) e += (t_[e] == '\r' && e + 1 < t_.size() && t_[e + 1] == '\n') ? 2 : 1;
        l.next = pos_ = e;
        classify(l);
        return true;
    }

private:
    void classify(Line& l) const {
        std::string_view s = trim(t_.substr(l.begin, l.end - l.begin));
        l.name = l.value = {};
        if (s.empty()) {
            l.kind = Line::Blank;
        } else if (s[0] == ';') {
            l.kind = Line::Comment;
        } else if (s[0] == '[') {
            l.kind = Line::Section;
            size_t close = s.find(']');
            l.name = trim(s.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        } else {
            size_t eq = s.find('=');
            l.kind = eq == std::string_view::npos ? Line::Other : Line::Key;
            l.name = trim(s.substr(0, eq));
            if (eq != std::string_view::npos) l.value = trim(s.substr(eq + 1));
        }
    }
    std::string_view t_;
    size_t pos_ = 0;
};

std::string capped(std::string_view v) {
    if (v.size() > kIniValueMax) v = trim(v.substr(0, kIniValueMax));
    return std::string(v);
}

// The whole file; false when it cannot be read (a missing file sets *missing).
bool loadFile(const std::string& path, std::string& out, bool* missing = nullptr) {
    out.clear();
    if (missing) *missing = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (missing) *missing = errno == ENOENT;
        return false;
    }
    struct stat st{};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    if (S_ISREG(st.st_mode) && st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            out.clear();
            return false;
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

// A written name or value is one line: it ends at its first line break.
std::string_view oneLine(std::string_view s) { return s.substr(0, s.find_first_of("\r\n")); }

bool writeAll(int fd, std::string_view s) {
    while (!s.empty()) {
        ssize_t n = ::write(fd, s.data(), s.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        s.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Replaces the file's contents through a temporary file beside it, so a
// crash leaves either the old or the new file.
bool replaceFile(const std::string& path, std::string_view content) {
    std::string target = path;
    struct stat st{};
    bool existed = ::lstat(path.c_str(), &st) == 0;
    if (existed && S_ISLNK(st.st_mode)) {
        // Write through a link to its target instead of replacing the link.
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
        existed = ::stat(target.c_str(), &st) == 0;
    }
    size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string tmp;
    int fd = -1;
    for (int i = 0; i < 100 && fd < 0; ++i) {
        tmp = dir + "." + base + "." + std::to_string(::getpid()) + "." + std::to_string(i) + ".tmp";
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = writeAll(fd, content);
    if (ok && existed) ::fchmod(fd, st.st_mode & 07777);
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(tmp.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

} // namespace

std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key) {
    std::string_view sec = trim(section), k = trim(key);
    if (sec.empty() || k.empty()) return {};
    std::string text;
    if (!loadFile(file, text)) return {};
    Lines lines(text);
    Line l;
    bool inSection = false, seen = false;
    while (lines.next(l)) {
        if (l.kind == Line::Section) {
            if (inSection) return {}; // only the first matching section counts
            inSection = !seen && sameName(l.name, sec);
            seen = seen || inSection;
        } else if (inSection && l.kind == Line::Key && sameName(l.name, k)) {
            return capped(l.value);
        }
    }
    return {};
}

void WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
    std::string_view sec = trim(oneLine(section)), k = trim(oneLine(key)), v = oneLine(value);
    if (sec.empty() || k.empty() || file.empty()) return;
    std::string text;
    bool missing = false;
    if (!loadFile(file, text, &missing) && !missing) return; // never clobber a file we cannot read

    Lines lines(text);
    Line l;
    bool inSection = false, found = false;
    size_t insertAt = 0;      // after the section's last non-blank line
    bool insertNeedsBreak = false;
    while (lines.next(l)) {
        if (l.kind == Line::Section) {
            if (inSection) break;
            if (!found && sameName(l.name, sec)) {
                inSection = found = true;
                insertAt = l.next;
                insertNeedsBreak = l.end == l.next;
            }
            continue;
        }
        if (!inSection) continue;
        if (l.kind == Line::Key && sameName(l.name, k)) {
            std::string out;
            out.reserve(text.size() + v.size() + 2);
            out.append(text, 0, l.begin);
            out.append(l.name).append("=").append(v).append("\r\n");
            out.append(text, l.next, std::string::npos);
            replaceFile(file, out);
            return;
        }
        if (l.kind != Line::Blank) {
            insertAt = l.next;
            insertNeedsBreak = l.end == l.next;
        }
    }

    std::string out;
    out.reserve(text.size() + sec.size() + k.size() + v.size() + 8);
    if (found) {
        out.append(text, 0, insertAt);
        if (insertNeedsBreak) out.append("\r\n");
        out.append(k).append("=").append(v).append("\r\n");
        out.append(text, insertAt, std::string::npos);
    } else {
        out = std::move(text);
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append("\r\n");
        out.append("[").append(sec).append("]\r\n");
        out.append(k).append("=").append(v).append("\r\n");
    }
    replaceFile(file, out);
}

std::vector<IniPair> ReadIniSection(const std::string& file, const std::string& section) {
    IniSnapshot snap(file);
    const std::vector<IniPair>* s = snap.section(section);
    return s ? *s : std::vector<IniPair>{};
}

std::vector<std::string> ReadIniSectionNames(const std::string& file) { return IniSnapshot(file).sectionNames(); }

bool IniSnapshot::load(const std::string& file) {
    std::string text;
    bool ok = loadFile(file, text);
    loadText(text);
    return ok;
}

void IniSnapshot::loadText(std::string_view text) {
    sections_.clear();
    Lines lines(text);
    Line l;
    Section* cur = nullptr;
    while (lines.next(l)) {
        if (l.kind == Line::Section) {
            sections_.push_back(Section{std::string(l.name), {}});
            cur = &sections_.back();
        } else if (cur && l.kind == Line::Key && !l.name.empty()) {
            cur->keys.emplace_back(std::string(l.name), capped(l.value));
        }
    }
}

const std::vector<IniPair>* IniSnapshot::section(std::string_view name) const {
    std::string_view n = trim(name);
    if (n.empty()) return nullptr;
    for (const Section& s : sections_)
        if (sameName(s.name, n)) return &s.keys;
    return nullptr;
}

std::string IniSnapshot::value(std::string_view sectionName, std::string_view key) const {
    std::string_view k = trim(key);
    if (k.empty()) return {};
    if (const std::vector<IniPair>* s = section(sectionName))
        for (const IniPair& p : *s)
            if (sameName(p.first, k)) return p.second;
    return {};
}

std::vector<std::string> IniSnapshot::sectionNames() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const Section& s : sections_) names.push_back(s.name);
    return names;
}

} // namespace dr
