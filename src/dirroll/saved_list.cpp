#include "dirroll/saved_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/format.h"
#include "common/log.h"
#include "common/runtime.h"
#include "dirroll/file_types.h"
#include "dirroll/listing.h"
#include "dirroll/profiles.h"

namespace dr::roll {

namespace {
constexpr size_t kWriteChunk = size_t(1) << 20;
constexpr size_t kReadChunk = size_t(4) << 20;

std::string baseName(const std::string& path) {
    size_t s = path.rfind('/');
    return s == std::string::npos ? path : path.substr(s + 1);
}
std::string folderOf(const std::string& path) {
    size_t s = path.rfind('/');
    if (s == std::string::npos) return ".";
    return s == 0 ? "/" : path.substr(0, s);
}
} // namespace

// ---- AtomicFile ---------------------------------------------------------------

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temp_.c_str());
    }
}

void AtomicFile::fail(const char* what) {
    if (error_.empty()) error_ = std::string(what) + ": " + std::strerror(errno);
}

bool AtomicFile::open(const std::string& target) {
    target_ = target;
    error_.clear();
    buf_.clear();
    std::string folder = folderOf(target);
    std::string tmpl = (folder == "/" ? std::string() : folder) + "/." + baseName(target) + ".XXXXXX";
    fd_ = ::mkstemp(tmpl.data());
    if (fd_ < 0) {
        fail("cannot create a file in the folder");
        return false;
    }
    temp_ = tmpl;
    // Keep the permissions of the file being replaced, else the usual ones.
    struct stat st;
    mode_t mode;
    if (::stat(target.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd_, mode);
    buf_.reserve(kWriteChunk + 4096);
    return true;
}

bool AtomicFile::flush() {
    size_t at = 0;
    while (at < buf_.size()) {
        ssize_t w = ::write(fd_, buf_.data() + at, buf_.size() - at);
        if (w < 0) {
            if (errno == EINTR) continue;
            fail("write failed");
            buf_.clear();
            return false;
        }
        at += static_cast<size_t>(w);
    }
    buf_.clear();
    return true;
}

void AtomicFile::write(std::string_view data) {
    if (fd_ < 0 || !error_.empty()) return;
    buf_.append(data);
    if (buf_.size() >= kWriteChunk) flush();
}

bool AtomicFile::commit() {
    if (fd_ < 0) {
        if (error_.empty()) error_ = "not open";
        return false;
    }
    bool ok = error_.empty() && flush();
    if (::close(fd_) != 0) {
        fail("close failed");
        ok = false;
    }
    fd_ = -1;
    if (ok && ::rename(temp_.c_str(), target_.c_str()) != 0) {
        fail("cannot replace the file");
        ok = false;
    }
    if (!ok) ::unlink(temp_.c_str());
    return ok;
}

// ---- Writing ----------------------------------------------------------------------

std::string SavedListHeader(const DateTime& t) {
    return ";DR formatted list of files created by Dirroller - " + formatDate(t, "DDD, d/m/yyyy hh:mm:ss");
}

bool SaveListViewToDATFile(const FileList& files, const std::string& path, std::string* why) {
    AtomicFile out;
    if (!out.open(ResolveOnDisk(path))) {
        WriteLogLine("An error occurred printing to file " + path + " Err = " + out.error(), 0);
        if (why) *why = out.error();
        return false;
    }
    out.write(SavedListHeader(now()));
    out.write("\r\n");
    std::string line;
    line.reserve(512);
    const char sep = kFieldSep;
    for (size_t r = 0; r < files.size(); ++r) {
        line.clear();
        for (int c = 0; c < kColumns; ++c) {
            const size_t at = line.size();
            line.append(files.field(r, c));
            // A tag value or owner holding a line break or the separator would
            // split or shift the record; it is written as a blank.
            char* q = line.data();
            for (size_t i = at, e = line.size(); i < e; ++i) {
                const char ch = q[i];
                q[i] = (ch == '\r' || ch == '\n' || ch == sep) ? ' ' : ch;
            }
            line.push_back(sep);
        }
        line.append("\r\n");
        out.write(line);
    }
    if (!out.commit()) {
        WriteLogLine("An error occurred printing to file " + path + " Err = " + out.error(), 0);
        if (why) *why = out.error();
        return false;
    }
    return true;
}

// ---- Reading ----------------------------------------------------------------------

namespace {

std::string_view trimBlanks(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && s[a] == ' ') ++a;
    while (b > a && s[b - 1] == ' ') --b;
    return s.substr(a, b - a);
}

} // namespace

std::string LastRefreshedText(const std::string& path) {
    FileStat st;
    if (!platform().fileStat(path, st) || !st.exists) return "";
    return formatDate(DateTime::fromTimeT(st.modified, true), "DDD, d-MMM-yy");
}

namespace {

// Calls fn for each line of the file (line ends CR LF, CR or LF); fn returns
// false to stop. False when the file cannot be read.
template <class Fn> bool forEachLine(int fd, Fn&& fn) {
    std::string buf;
    buf.resize(kReadChunk);
    size_t have = 0;
    bool eof = false;
    while (!eof) {
        if (have == buf.size()) buf.resize(buf.size() * 2); // a line longer than the buffer
        ssize_t got = ::read(fd, buf.data() + have, buf.size() - have);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) eof = true;
        have += static_cast<size_t>(got);
        const char* p = buf.data();
        const char* end = p + have;
        for (;;) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            const char* stop = nl ? nl : end;
            if (!nl && !eof) break; // wait for the rest of the line
            if (!nl && p == end) break;
            // Split at CRs too (CR-only files); CR LF gives an empty piece, skipped by callers.
            const char* q = p;
            for (;;) {
                const char* cr = static_cast<const char*>(std::memchr(q, '\r', static_cast<size_t>(stop - q)));
                const char* e = cr ? cr : stop;
                if (!fn(std::string_view(q, static_cast<size_t>(e - q)))) return true;
                if (!cr) break;
                q = cr + 1;
                if (q == stop) break;
            }
            p = nl ? nl + 1 : end;
            if (p == end) break;
        }
        size_t used = static_cast<size_t>(p - buf.data());
        if (used > 0) {
            std::memmove(buf.data(), p, have - used);
            have -= used;
        }
    }
    return true;
}

} // namespace

LoadResult LoadSavedList(MainModel& w, const std::string& pathIn) {
    FileList& files = w.files;
    files.clear();
    files.totals = Totals{};
    w.setHalt(false);

    const std::string path = ResolveOnDisk(pathIn);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return LoadResult::NotAList;
    struct stat st;
    char head[3] = {};
    // Room for the rows only when the file starts like a saved list: a large
    // file of another kind must not make us reserve memory for it.
    if (::fstat(fd, &st) == 0 && st.st_size > 0 && ::pread(fd, head, 3, 0) == 3 &&
        std::string_view(head, 3) == ";DR") {
        size_t sz = static_cast<size_t>(st.st_size);
        files.reserve(sz / 48 + 16, sz + sz / 8);
    }

    bool first = true, isList = false, partial = false;
    int64_t k = 0;
    std::string fullPath;
    const bool colours = fileTypeTable().anyColour;
    Host& host = *rt().host;

    forEachLine(fd, [&](std::string_view line) {
        if (first) {
            first = false;
            isList = line.size() >= 3 && line.substr(0, 3) == ";DR";
            if (!isList) return false;
            files.setVisible(false);
            host.setBusy(true);
            return true;
        }
        if (trimBlanks(line).empty()) return true;
        ++k;
        if (k % 23 == 0) {
            w.setStatus(1, FilesPanelText(files.totals.files));
            w.setStatus(2, BytesPanelText(files.totals.bytes));
            host.repaint();
        }
        if (k == 800) {
            files.setVisible(true);
            host.repaint();
            pump(w);
        }
        if (k % 2863 == 0) pump(w);

        // Fields 1..14; the row's own text (field 1) is not restored.
        std::string_view field[kColumns + 1];
        size_t at = 0;
        for (int i = 1; i <= kColumns && at <= line.size(); ++i) {
            size_t s = line.find(kFieldSep, at);
            if (s == std::string_view::npos) s = line.size();
            field[i] = trimBlanks(line.substr(at, s - at));
            at = s + 1;
        }
        std::string size = FormatSize(field[4], 10);
        FileList::Fields f{};
        for (int c = 1; c < kColumns; ++c) f[c] = field[c + 1];
        f[Size] = size;
        uint32_t colour = 0;
        if (colours) {
            fullPath.assign(field[3]);
            fullPath.append(field[2]);
            colour = DisplayColourOf(fullPath);
        }
        files.append(f, colour);
        files.totals.files += 1;
        files.totals.bytes += SizeTextValue(field[4]);

        if (w.halted()) {
            Answer a = host.message("Dirroll has only listed  " + std::to_string(files.totals.files) + " files." +
                                        "\r\n" + "Do you want to halt the operation ?",
                                    "Halt during Refresh?", Buttons::YesNo, Icon::Question);
            if (a == Answer::Yes) {
                partial = true;
                return false;
            }
            w.setHalt(false);
        }
        return true;
    });
    ::close(fd);
    if (!isList) return LoadResult::NotAList;

    if (files.sorting()) files.sortNow();
    host.setBusy(false);
    // Shown after a halt as well, so the rows read so far are not left hidden.
    files.setVisible(true);
    files.publish();
    w.setStatus(1, FilesPanelText(files.totals.files));
    w.setStatus(2, BytesPanelText(files.totals.bytes));
    w.setStatus(3, std::string(partial ? "PARTIALLY Loaded '" : "Loaded '") + baseName(path) +
                       "' (last refreshed on " + LastRefreshedText(path) + " click refresh to update list)");
    return partial ? LoadResult::Partial : LoadResult::Loaded;
}

void SaveListForClient(MainModel& w) {
    FileDialogRequest req;
    req.title = "Choose a name to save the List of File Details";
    req.startFolder = rt().programFolder;
    req.fileName = "*.DR";
    req.defaultExt = "DR";
    req.filter = "Saved lists (*.DR)|*.DR";
    std::optional<std::string> chosen = rt().host->saveFileDialog(req);
    if (!chosen || chosen->empty() || *chosen == "*.DR") return;
    const std::string path = *chosen;
    rt().host->setBusy(true);
    std::string why;
    bool ok = SaveListViewToDATFile(w.files, path, &why);
    rt().host->setBusy(false);
    if (ok) rt().host->message("Saved " + GroupDigits(w.files.size()) + " records to" + "\r\n" + path);
    else rt().host->message("An error occurred printing to file " + path + "\r\n" + "Err = " + why);
}

} // namespace dr::roll
