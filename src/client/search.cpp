#include "client/search.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unordered_set>

#include "client/record.h"
#include "client/results_page.h"
#include "common/format.h"
#include "common/log.h"
#include "common/runtime.h"
#include "common/split.h"
#include "common/text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dr::client {

namespace {

constexpr size_t kFlushAt = size_t(1) << 20;
constexpr int64_t kProgressEvery = 37;

struct FoldTable {
    unsigned char up[256];
    bool term[256];
    constexpr FoldTable() : up(), term() {
        for (int c = 0; c < 256; ++c) {
            up[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
            term[c] = c == '\n' || c == '\r';
        }
    }
};
constexpr FoldTable kFold;

inline unsigned char up(char c) { return kFold.up[static_cast<unsigned char>(c)]; }
inline bool isTerm(char c) { return kFold.term[static_cast<unsigned char>(c)]; }

void debugLog(const std::string& line) { appLog().log(line, 0); }

void setLabel(const ProgressFn& progress, std::string* keep, const std::string& text) {
    if (keep) *keep = text;
    if (progress) progress(text);
}

// Writes to a file in large pieces, into a string, both, or nowhere.
class Sink {
public:
    Sink() = default;
    explicit Sink(std::string* mem) : mem_(mem) {}
    ~Sink() { close(); }
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;

    // Replaces the file; false when it cannot be created.
    bool openFile(const std::string& path) {
        // unlink, not remove: a folder of that name is never deleted.
        ::unlink(path.c_str());
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        failed_ = fd_ < 0;
        return fd_ >= 0;
    }
    // The file could not be created or a write failed.
    bool failed() const { return failed_; }
    bool active() const { return mem_ || fd_ >= 0; }
    std::string& buf() { return mem_ ? *mem_ : buf_; }
    void line(std::string_view l) {
        std::string& b = buf();
        b.append(l);
        b.append("\r\n");
        maybeFlush();
    }
    void maybeFlush() {
        if (fd_ >= 0 && buf().size() - flushed_ >= kFlushAt) flush();
    }
    void flush() {
        if (fd_ < 0) return;
        std::string& b = buf();
        const char* p = b.data() + flushed_;
        size_t n = b.size() - flushed_;
        while (n > 0) {
            ssize_t w = ::write(fd_, p, n);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                failed_ = true;
                break;
            }
            p += w;
            n -= size_t(w);
        }
        if (mem_)
            flushed_ = b.size();
        else
            buf_.clear();
    }
    void close() {
        if (fd_ >= 0) {
            flush();
            if (::close(fd_) != 0) failed_ = true;
            fd_ = -1;
        }
    }

private:
    std::string* mem_ = nullptr;
    std::string buf_;
    size_t flushed_ = 0;
    int fd_ = -1;
    bool failed_ = false;
};

// Calls f(line) for each line of a text (CR LF, LF or CR); f returns false to stop.
template <class F>
void forEachLine(std::string_view text, F&& f) {
    size_t pos = 0, n = text.size();
    while (pos < n) {
        size_t e = pos;
        while (e < n && !isTerm(text[e])) ++e;
        if (!f(text.substr(pos, e - pos))) return;
        if (e < n && text[e] == '\r' && e + 1 < n && text[e + 1] == '\n') ++e;
        pos = e + 1;
    }
}

// ---- The pre-filter's scan -------------------------------------------------

// Non-empty lines ending in [b, e): positions whose byte is no line end and
// whose next byte is one. The byte at e must be readable.
int64_t countLines(const char* b, const char* e) {
    int64_t n = 0;
    for (const char* p = b; p < e; ++p) n += int(!isTerm(p[0])) & int(isTerm(p[1]));
    return n;
}

// Case-folded search of an upper-case word in [b, e).
bool containsFolded(const char* b, const char* e, std::string_view w) {
    if (w.empty()) return true;
    if (size_t(e - b) < w.size()) return false;
    const unsigned char first = static_cast<unsigned char>(w[0]);
    const char* last = e - w.size();
    for (const char* p = b; p <= last; ++p) {
        if (up(*p) != first) continue;
        size_t k = 1;
        while (k < w.size() && up(p[k]) == static_cast<unsigned char>(w[k])) ++k;
        if (k == w.size()) return true;
    }
    return false;
}

class Prefilter {
public:
    Prefilter(const std::vector<std::string>& words, Sink& out, const ProgressFn& progress, int64_t limit)
        : words_(words), out_(out), progress_(progress), limit_(limit) {}

    // Returns false when the list cannot be opened.
    bool run(const std::string& listPath);

    int64_t lines = 0, matches = 0;
    bool stopped = false;

private:
    void chooseRareByte(const char* b, size_t n);
    // Handles the complete lines of [b, e); buf[e] is readable. False to stop.
    bool region(const char* b, const char* e);
    bool regionAll(const char* b, const char* e);
    bool regionWords(const char* b, const char* e);
    // A candidate line [ls, le): true to go on.
    bool candidate(const char* ls, const char* le, const char* chunk, int64_t linesBefore);
    bool matched(const char* ls, const char* le, const char* chunk, int64_t linesBefore);

    const std::vector<std::string>& words_;
    Sink& out_;
    const ProgressFn& progress_;
    int64_t limit_;
    size_t rareWord_ = 0, rareOff_ = 0;
    unsigned char rareLo_ = 0, rareUp_ = 0;
    const char* skipUntil_ = nullptr;
};

void Prefilter::chooseRareByte(const char* b, size_t n) {
    uint32_t freq[256] = {};
    for (size_t i = 0; i < n; ++i) ++freq[up(b[i])];
    uint64_t best = UINT64_MAX;
    for (size_t w = 0; w < words_.size(); ++w) {
        for (size_t k = 0; k < words_[w].size(); ++k) {
            unsigned char c = static_cast<unsigned char>(words_[w][k]);
            // Prefer the rarest byte; among equals, the longest word.
            uint64_t score = (uint64_t(freq[c]) << 16) - std::min<size_t>(words_[w].size(), 0xFFFF);
            if (score < best) {
                best = score;
                rareWord_ = w;
                rareOff_ = k;
                rareUp_ = c;
            }
        }
    }
    rareLo_ = rareUp_ >= 'A' && rareUp_ <= 'Z' ? static_cast<unsigned char>(rareUp_ + 32) : rareUp_;
}

bool Prefilter::matched(const char* ls, const char* le, const char* chunk, int64_t linesBefore) {
    out_.line(std::string_view(ls, size_t(le - ls)));
    ++matches;
    bool stop = limit_ > 0 && matches > limit_;
    if (stop || matches % kProgressEvery == 0) {
        int64_t at = linesBefore + countLines(chunk, le);
        if (stop) {
            lines = at;
            stopped = true;
            return false;
        }
        if (progress_)
            progress_(" Searched " + formatInt(at, "###,###,###") + " files. Found " + formatInt(matches, "###,###") +
                      " matches so far ");
        host().repaint();
    }
    return true;
}

bool Prefilter::candidate(const char* ls, const char* le, const char* chunk, int64_t linesBefore) {
    for (const std::string& w : words_)
        if (!containsFolded(ls, le, w)) return true;
    return matched(ls, le, chunk, linesBefore);
}

bool Prefilter::regionAll(const char* b, const char* e) {
    const char* p = b;
    while (p < e) {
        const char* q = p;
        while (q < e && !isTerm(*q)) ++q;
        if (q > p) {
            ++lines;
            // `lines` already counts this one, so the chunk is the line's end.
            if (!matched(p, q, q, lines)) return false;
        }
        if (q < e && q[0] == '\r' && q + 1 < e && q[1] == '\n') ++q;
        p = q + 1;
    }
    return true;
}

bool Prefilter::regionWords(const char* b, const char* e) {
    const std::string& rw = words_[rareWord_];
    skipUntil_ = b;
    // One candidate byte at p: check the rarest word there, then the line.
    auto at = [&](const char* p, const char* chunk) -> bool {
        if (p < skipUntil_) return true;
        const char* s = p - rareOff_;
        if (s < b || size_t(e - s) < rw.size()) return true;
        for (size_t k = 0; k < rw.size(); ++k)
            if (up(s[k]) != static_cast<unsigned char>(rw[k])) return true;
        const char* ls = s;
        while (ls > b && !isTerm(ls[-1])) --ls;
        const char* le = s + rw.size();
        while (le < e && !isTerm(*le)) ++le;
        skipUntil_ = le;
        return candidate(ls, le, chunk, lines);
    };
    const char* p = b;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    const __m128i lo = _mm_set1_epi8(static_cast<char>(rareLo_)), hi = _mm_set1_epi8(static_cast<char>(rareUp_));
    while (e - p >= 64) {
        uint64_t t = 0, r = 0;
        for (int k = 0; k < 4; ++k) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            t |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)))))
                 << (16 * k);
            r |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lo), _mm_cmpeq_epi8(v, hi)))))
                 << (16 * k);
        }
        while (r) {
            int bit = __builtin_ctzll(r);
            r &= r - 1;
            if (!at(p + bit, p)) return false;
        }
        uint64_t next = (t >> 1) | (uint64_t(isTerm(p[64])) << 63);
        lines += __builtin_popcountll(~t & next);
        p += 64;
    }
#endif
    for (; p < e; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if ((c == rareLo_ || c == rareUp_) && !at(p, p)) return false;
        lines += int(!isTerm(p[0])) & int(isTerm(p[1]));
    }
    return true;
}

bool Prefilter::region(const char* b, const char* e) { return words_.empty() ? regionAll(b, e) : regionWords(b, e); }

bool Prefilter::run(const std::string& listPath) {
    int fd = ::open(listPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    constexpr size_t kPad = 16;
    constexpr size_t kMaxLine = size_t(64) << 20;
    // Blocks of 4 MB; a small list gets a buffer of its size (plus room to grow).
    struct stat st {};
    size_t block = size_t(4) << 20;
    if (::fstat(fd, &st) == 0 && st.st_size >= 0 && uint64_t(st.st_size) < block / 2)
        block = std::max<size_t>(4096, size_t(st.st_size) * 2);
    std::vector<char> buf(block + kPad);
    size_t have = 0;
    bool eof = false, headerDone = false;
    for (;;) {
        if (!eof) {
            if (buf.size() - kPad - have < block / 2) buf.resize(std::max(buf.size() * 2, have + block + kPad));
            ssize_t n = ::read(fd, buf.data() + have, buf.size() - kPad - have);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                eof = true;
            else
                have += size_t(n);
        }
        char* b = buf.data();
        // The complete lines: up to the last LF, else up to the last CR that
        // is not the final byte read (it may be the first half of CR LF); at
        // the end of the file, everything.
        size_t cut = have;
        if (!eof) {
            cut = 0;
            if (const void* lf = memrchr(b, '\n', have)) {
                cut = size_t(static_cast<const char*>(lf) - b) + 1;
            } else if (have > 1) {
                if (const void* cr = memrchr(b, '\r', have - 1)) cut = size_t(static_cast<const char*>(cr) - b) + 1;
            }
            if (cut == 0 && have >= kMaxLine) cut = have; // an endless line goes in pieces
            if (cut == 0) continue;
        }
        // The scan reads one byte past the region; past the data it must end a line.
        char saved = b[cut];
        if (cut == have) b[cut] = '\n';
        const char* start = b;
        const char* e = b + cut;
        if (!headerDone) {
            headerDone = true;
            const char* h = start;
            while (h < e && !isTerm(*h)) ++h;
            out_.line(std::string_view(start, size_t(h - start)));
            if (h < e && h[0] == '\r' && h[1] == '\n') ++h;
            start = std::min(h + 1, e);
            if (!words_.empty()) chooseRareByte(start, std::min<size_t>(size_t(e - start), size_t(1) << 16));
        }
        bool go = region(start, e);
        b[cut] = saved;
        if (!go || eof) break;
        std::memmove(b, b + cut, have - cut);
        have -= cut;
    }
    ::close(fd);
    return true;
}

std::string FormatClock(const ClockTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hours, t.minutes, t.seconds);
    return buf;
}

int twoDigits(std::string_view s, size_t at) {
    if (s.size() < at + 2) return 0;
    int v = 0;
    for (size_t i = at; i < at + 2; ++i) {
        if (s[i] < '0' || s[i] > '9') return 0;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

// The type filter split once per search.
struct TypeMatcher {
    bool all = true;
    std::vector<std::string> entries;

    explicit TypeMatcher(std::string_view filter) {
        if (filter.empty()) return;
        all = false;
        std::vector<std::string> slots(16);
        splitTextIntoFields(slots, UCase(filter) + " ", 0, " ");
        for (size_t i = 0; i < 15; ++i) {
            std::string t = Trim(slots[i]);
            if (!t.empty()) entries.push_back(std::move(t));
        }
    }
    bool wanted(std::string_view path) const {
        if (all) return true;
        size_t dot = path.rfind('.');
        std::string_view ext = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
        for (const std::string& e : entries) {
            if (e.size() != ext.size() + 1 || e[0] != '.') continue;
            size_t k = 0;
            while (k < ext.size() && up(ext[k]) == static_cast<unsigned char>(e[k + 1])) ++k;
            if (k == ext.size()) return true;
        }
        return false;
    }
};

bool fileExists(const std::string& path) {
    FileStat st;
    return platform().fileStat(path, st) && st.exists;
}

// The day of a file's modification; 30 December 1899 when it cannot be read.
DateTime fileDay(const std::string& path) {
    FileStat st;
    if (platform().fileStat(path, st) && st.exists) return DateTime::fromTimeT(st.modified, true).dateOnly();
    return DateTime{1899, 12, 30, 0, 0, 0};
}

std::string dayText(const DateTime& t) { return formatDate(t, "yyyymmdd"); }

// RenderResults' loop, fed line by line.
class Renderer {
public:
    Renderer(const RenderParams& p, Sink& page, const std::function<void(const ResultEntry&)>& onResult,
             const std::string* foldersText)
        : p_(p), page_(page), onResult_(onResult), types_(p.typeFilter),
          fromText_(formatDate(p.from, "yyyy-mm-dd hh:mm")), toText_(formatDate(p.to, "yyyy-mm-dd hh:mm")),
          fromDay_(dayText(p.from)), toDay_(dayText(p.to)), sameInstant_(p.from == p.to) {
        owner_ = p.owner == "[any user]" ? std::string_view() : std::string_view(p.owner);
        if (page_.active()) {
            std::string& o = page_.buf();
            AppendPageHead(o, p.searchText, p.description);
            if (p.showFolders)
                AppendFoldersBox(o, p.searchText,
                                 foldersText ? BuildFolderLinksFromText(*foldersText) : BuildFolderLinks(p.foldersPath));
            if (p.style == kStyleTable) AppendTableHead(o);
            page_.maybeFlush();
        }
        host().setBusy(true);
    }

    void header(std::string_view first) { hasFields_ = HasListHeader(first); }

    // False once the limit is reached.
    bool line(std::string_view l) {
        std::string_view date;
        path_.clear();
        if (hasFields_) {
            rec_.parse(l);
            rec_.appendFullPath(path_);
            date = rec_.field(kFieldModified);
            if (!owner_.empty()) {
                std::string_view o = rec_.field(kFieldOwner);
                if (o != owner_ && !iequals(o, "EVERYONE")) return true;
            }
        } else {
            if (!owner_.empty()) return true;
            path_.assign(l);
        }
        if (path_.empty() || !types_.wanted(path_)) return true;
        bool inRange = hasFields_ ? dateInRange(date) : fileDayInRange(path_);
        if (p_.debugMode)
            debugLog("DoesFileHaveCorrectDateRange [" + std::string(date) + "] is " + (inRange ? "True" : "False") +
                     " for " + path_);
        if (!inRange) return true;
        if (fileExists(path_)) {
            ++counts.count;
            host().doEvents();
            std::string_view folder = hasFields_ ? rec_.field(kFieldFolder) : std::string_view();
            std::string_view name = hasFields_ ? rec_.field(kFieldName) : std::string_view();
            std::string_view size = hasFields_ ? rec_.field(kFieldSize) : std::string_view();
            std::string_view owner = hasFields_ ? rec_.field(kFieldOwner) : std::string_view();
            if (page_.active()) {
                std::string& o = page_.buf();
                AppendResultEntry(o, folder, name, path_, p_.style, date, size, owner, p_.previewSize);
                o.append("\r\n");
                page_.maybeFlush();
            }
            if (onResult_)
                onResult_(ResultEntry{path_, std::string(name), std::string(folder), std::string(size),
                                      std::string(date), std::string(owner)});
            if (p_.limit > 0 && counts.count >= p_.limit) return false;
        } else {
            ++counts.missing;
            if (p_.showMissing && page_.active()) {
                AppendMissingLine(page_.buf(), path_);
                page_.maybeFlush();
            }
        }
        return true;
    }

    RenderCounts finish() {
        if (page_.active()) {
            std::string& o = page_.buf();
            if (p_.style == kStyleTable) AppendTableEnd(o);
            AppendPageFoot(o, counts.count, p_.total, UCase(p_.searchText), p_.listPath, p_.progressText);
            page_.close();
        }
        host().setCaption(ResultsCaption(counts.count));
        host().setBusy(false);
        return counts;
    }

    RenderCounts counts;

private:
    bool fileDayInRange(const std::string& path) const {
        std::string d = dayText(fileDay(path));
        return sameInstant_ ? d == fromDay_ : (fromDay_ <= d && d <= toDay_);
    }
    bool dateInRange(std::string_view d) const {
        if (d.empty()) return false;
        if (sameInstant_) return d == fromText_;
        return fromText_ <= d && d <= toText_;
    }

    const RenderParams& p_;
    Sink& page_;
    const std::function<void(const ResultEntry&)>& onResult_;
    TypeMatcher types_;
    std::string fromText_, toText_, fromDay_, toDay_;
    bool sameInstant_;
    std::string_view owner_;
    bool hasFields_ = false;
    Record rec_;
    std::string path_;
};

// The folder field of a record line: between its second and third separators.
std::string_view folderColumn(std::string_view l) {
    size_t a = l.find(kFieldSep);
    if (a == std::string_view::npos) return {};
    size_t b = l.find(kFieldSep, a + 1);
    if (b == std::string_view::npos) return {};
    size_t c = l.find(kFieldSep, b + 1);
    if (c == std::string_view::npos) return {};
    return l.substr(b + 1, c - b - 1);
}

// The folders of pre-filtered lines, each once, in order, one a line.
std::string foldersOf(std::string_view lines) {
    std::string out;
    std::unordered_set<std::string_view> seen;
    forEachLine(lines, [&](std::string_view l) {
        std::string_view f = folderColumn(l);
        if (!f.empty() && seen.insert(f).second) {
            out.append(f);
            out.append("\r\n");
        }
        return true;
    });
    return out;
}

std::string foldersOfFile(const std::string& path) {
    std::string out;
    std::unordered_set<std::string> seen;
    LineReader in(path);
    std::string_view l;
    while (in.next(l)) {
        std::string_view f = folderColumn(l);
        if (!f.empty() && seen.emplace(f).second) {
            out.append(f);
            out.append("\r\n");
        }
    }
    return out;
}

// RenderResults over a file or over lines in memory, to a page file, a
// string, both or neither.
RenderCounts renderCore(const std::string& inputPath, const std::string_view* inputText, const std::string& pagePath,
                        std::string* pageMem, const RenderParams& p,
                        const std::function<void(const ResultEntry&)>& onResult, const std::string* folderLines) {
    Sink page(pageMem);
    if (!pagePath.empty()) page.openFile(pagePath);
    Renderer r(p, page, onResult, folderLines);
    bool first = true;
    auto feed = [&](std::string_view l) {
        if (first) {
            first = false;
            r.header(l);
            return true;
        }
        return r.line(l);
    };
    if (inputText) {
        forEachLine(*inputText, feed);
    } else {
        LineReader in(inputPath);
        std::string_view l;
        while (in.next(l))
            if (!feed(l)) break;
    }
    RenderCounts c = r.finish();
    c.pageWritten = pagePath.empty() || !page.failed();
    return c;
}

} // namespace

// ---- Public operations --------------------------------------------------------

std::vector<std::string> SearchWords(std::string_view searchText) {
    std::vector<std::string> slots(10);
    splitTextIntoFields(slots, UCase(searchText) + " ", 0, " ");
    std::vector<std::string> words;
    for (std::string& s : slots) {
        if (Trim(s).empty()) break;
        words.push_back(std::move(s));
    }
    return words;
}

bool LineHasAllWords(const std::vector<std::string>& words, size_t wordCount, std::string_view upperLine) {
    if (wordCount > words.size()) {
        debugLog("ErrorFindString - 9 Subscript out of range");
        return false;
    }
    for (size_t i = 0; i < wordCount; ++i)
        if (upperLine.find(words[i]) == std::string_view::npos) return false;
    return true;
}

static int64_t prefilterInto(std::string_view searchText, const std::string& listPath, Sink& out,
                             const ProgressFn& progress, int64_t limit, std::string* progressText) {
    std::vector<std::string> words = SearchWords(searchText);
    Prefilter pf(words, out, progress, limit);
    if (!pf.run(listPath)) return 0;
    out.close();
    std::string text = pf.stopped ? " (Found first " + formatInt(pf.lines, "###,###,###") + " files.)"
                                  : " (Found a total of " + formatInt(pf.lines, "###,###,###") + " files.)";
    setLabel(progress, progressText, text);
    return pf.matches;
}

int64_t PrefilterToBuffer(std::string_view searchText, const std::string& listPath, std::string& out,
                          const ProgressFn& progress, int64_t limit, std::string* progressText) {
    out.clear();
    Sink sink(&out);
    return prefilterInto(searchText, listPath, sink, progress, limit, progressText);
}

int64_t PrefilterList(std::string& searchText, const std::string& listPath, const std::string& outPath,
                      const ProgressFn& progress, int64_t limit) {
    searchText = UCase(searchText);
    Sink sink;
    if (!sink.openFile(outPath)) return 0;
    return prefilterInto(searchText, listPath, sink, progress, limit, nullptr);
}

bool IsWantedFileType(std::string_view path, std::string_view typeFilter) {
    return TypeMatcher(typeFilter).wanted(path);
}

bool DoesFileHaveCorrectDateRange(std::string_view dateText, const DateTime& from, const DateTime& to) {
    if (dateText.empty()) return false;
    std::string f = formatDate(from, "yyyy-mm-dd hh:mm");
    if (from == to) return dateText == f;
    std::string t = formatDate(to, "yyyy-mm-dd hh:mm");
    return f <= dateText && dateText <= t;
}

bool IsFileDayInRange(const std::string& path, const DateTime& from, const DateTime& to) {
    std::string d = dayText(fileDay(path)), f = dayText(from);
    if (from != to) return f <= d && d <= dayText(to);
    return d == f;
}

void ExtractFolderColumn(const std::string& inputPath, const std::string& outputPath) {
    Sink out;
    if (!out.openFile(outputPath)) return;
    LineReader in(inputPath);
    std::string_view l;
    while (in.next(l)) out.line(folderColumn(l));
}

void RemoveDuplicateLines(const std::string& filePath, bool caseSensitive, const std::string& progressText,
                          const ProgressFn& progress) {
    auto fail = [&](int err) {
        debugLog("Error removing duplicate lines from " + filePath + "  Err#" + std::to_string(err) + " = " +
                 std::strerror(err));
    };
    std::vector<std::string> lines;
    {
        LineReader in(filePath);
        if (!in.ok()) return fail(errno);
        std::string_view l;
        while (in.next(l))
            if (!l.empty()) lines.emplace_back(l);
    }
    std::string tmp = rt().sideFile(kWorkDuplicates);
    Sink out;
    if (!out.openFile(tmp)) return fail(errno);
    std::unordered_set<std::string> seen;
    seen.reserve(lines.size());
    const int64_t n = int64_t(lines.size());
    for (int64_t i = 0; i < n; ++i) {
        if (i % 23 == 0) {
            if (progress) progress(progressText + formatInt(i, "###,###") + " of " + formatInt(n, "###,###"));
            host().repaint();
        }
        const std::string& l = lines[size_t(i)];
        if (seen.insert(caseSensitive ? l : UCase(l)).second) out.line(l);
    }
    out.close();
    std::error_code ec;
    std::filesystem::remove(filePath, ec);
    std::filesystem::rename(tmp, filePath, ec);
    if (ec) {
        std::filesystem::copy_file(tmp, filePath, std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) return fail(ec.value());
        std::filesystem::remove(tmp, ec);
    }
}

ClockTime ClockDifference(std::string_view startClock, std::string_view endClock) {
    ClockTime t;
    t.hours = twoDigits(endClock, 0) - twoDigits(startClock, 0);
    t.minutes = twoDigits(endClock, 3) - twoDigits(startClock, 3);
    t.seconds = twoDigits(endClock, 6) - twoDigits(startClock, 6);
    if (t.seconds < 0) t.seconds += 60, --t.minutes;
    if (t.minutes < 0) t.minutes += 60, --t.hours;
    if (t.hours < 0) t.hours += 24; // past midnight
    return t;
}

SearchRequest SearchRequest::forWindow() {
    SearchRequest r;
    r.workPath = rt().sideFile(kWorkResults);
    r.foldersPath = rt().sideFile(kWorkFolders);
    r.pagePath = rt().sideFile(kResultsPage);
    return r;
}

RenderCounts RenderLines(std::string_view input, const RenderParams& p, std::string* page,
                         const std::function<void(const ResultEntry&)>& onResult) {
    return renderCore({}, &input, {}, page, p, onResult, nullptr);
}

int64_t RenderResults(const std::string& inputPath, const std::string& outputPath, const RenderParams& p,
                      const std::function<void(const ResultEntry&)>& onResult, RenderCounts* counts) {
    RenderCounts c = renderCore(inputPath, nullptr, outputPath, nullptr, p, onResult, nullptr);
    if (counts) *counts = c;
    return c.count;
}

// The list file for a combo entry: name + ".DR", or the name with the
// extension in another case as it stands on disk.
static std::string listPathFor(const std::string& name) {
    std::string p = rt().sideFile(name + ".DR");
    if (fileExists(p)) return p;
    std::string found;
    platform().listFolder(rt().programFolder, false, [&](const Platform::DirEntry& e) {
        std::string_view n(e.name, e.nameLen);
        if (n.size() == name.size() + 3 && n.substr(0, name.size()) == name && iequals(n.substr(name.size()), ".DR")) {
            found = rt().sideFile(std::string(n));
            return false;
        }
        return true;
    });
    return found.empty() ? p : found;
}

SearchOutcome RunSearch(const SearchRequest& req) {
    SearchOutcome out;
    const std::string startClock = formatDate(now(), "hh:mm:ss");
    const bool allTypes = req.typeText == kAllFileTypes;
    const bool anyTime = req.rangeText == kAtAnyTime;
    const bool anyUser = req.owner == "[any user]";
    const char* kTitle = "No Dirrolls Available";

    if (req.listName.empty()) {
        host().message("There are no Dirrolls available - please run Dirroll.exe, or update dirrolls from your Server "
                       "path",
                       kTitle, Buttons::OK, Icon::Critical);
        out.status = SearchOutcome::Status::NoLists;
        return out;
    }
    out.listPath = req.listPath.empty() ? listPathFor(req.listName) : req.listPath;
    if (!fileExists(out.listPath)) {
        host().message("The Dirroll '" + out.listPath +
                           "' is invalid. Please run Dirroll.exe, or update dirrolls from your Server path",
                       kTitle, Buttons::OK, Icon::Critical);
        out.status = SearchOutcome::Status::InvalidList;
        return out;
    }

    std::string label;
    auto show = [&](const std::string& text) { setLabel(req.progress, &label, text); };
    out.description = "Searching in " + req.listName + " for " + req.typeText + " containing '" + req.searchText + "'";
    show(out.description);
    host().repaint();
    out.description += " modified by " + req.owner + " " + req.rangeText;
    if (req.debugMode) debugLog("TIMING " + out.description);

    bool showFolders = req.showFolders && !req.searchText.empty();
    FileStat st;
    int64_t listSize = platform().fileStat(out.listPath, st) ? int64_t(st.size) : 0;
    if (req.askQuestions && listSize > 10000000 && req.searchText.size() < 4) {
        Answer a = host().message("The dirroll is " + formatDouble(double(listSize) / 1000000.0, "###.#") +
                                      " MBytes so a short search may take a long time.\r\nDo you want to continue?",
                                  "Short search will take a long time - Continue?", Buttons::YesNo);
        if (a == Answer::No) {
            out.status = SearchOutcome::Status::Cancelled;
            return out;
        }
    }
    if (req.askQuestions && req.searchText.size() < 5 && showFolders) {
        Answer a = host().message("Do you want to turn off 'Show Folders' for this search? (it may take a long time)",
                                  "Warning", Buttons::YesNoCancel);
        if (a == Answer::Cancel) {
            out.status = SearchOutcome::Status::Cancelled;
            return out;
        }
        if (a == Answer::Yes) showFolders = false;
    }

    host().setBusy(true);
    if (req.debugMode) {
        debugLog("-------------------------------------");
        debugLog(" Searching for '" + req.searchText + "'");
        debugLog("cmbDateRange = " + req.rangeText);
        debugLog("cmbUser      = " + req.owner);
        debugLog("cmbDirroll  = " + req.listName);
        debugLog("cmbType      = " + req.typeText);
    }

    const bool toFiles = !req.workPath.empty();
    std::string lines; // the pre-filtered lines when they stay in memory
    int64_t total = -1;
    if (req.searchText.empty()) {
        if (toFiles) SafeFileCopy(out.listPath, req.workPath, true);
    } else {
        if (toFiles) {
            std::string words = req.searchText;
            total = PrefilterList(words, out.listPath, req.workPath, show, req.maxResults);
        } else {
            total = PrefilterToBuffer(req.searchText, out.listPath, lines, show, req.maxResults);
        }
        if (!showFolders && allTypes && anyTime && anyUser) total = -1;
    }
    out.total = total;
    out.progressText = label;

    // Show Folders keeps its work file when the search has work files.
    std::string folderLines;
    const bool foldersInMemory = showFolders && (!toFiles || req.foldersPath.empty());
    if (showFolders && !foldersInMemory) {
        ExtractFolderColumn(req.workPath, req.foldersPath);
        RemoveDuplicateLines(req.foldersPath, true, "Getting Folder List ", show);
    } else if (foldersInMemory) {
        folderLines = toFiles ? foldersOfFile(req.workPath) : foldersOf(lines);
    }
    show("Formatting Results");
    host().repaint();

    RenderParams p;
    p.searchText = req.searchText;
    p.description = out.description;
    p.progressText = out.progressText;
    p.listPath = out.listPath;
    p.typeFilter = req.typeFilter;
    p.owner = req.owner;
    p.from = req.from;
    p.to = req.to;
    p.total = total;
    p.style = req.style;
    p.limit = req.maxResults;
    p.previewSize = req.previewSize;
    p.showMissing = req.showMissing;
    p.showFolders = showFolders;
    p.debugMode = req.debugMode;
    p.foldersPath = req.foldersPath;
    auto collect = [&](const ResultEntry& e) {
        if (req.onResult)
            req.onResult(e);
        else
            out.results.push_back(e);
    };
    std::string* pageMem = req.pageInMemory ? &out.page : nullptr;
    const std::string* folders = foldersInMemory ? &folderLines : nullptr;
    RenderCounts c;
    if (toFiles)
        c = renderCore(req.workPath, nullptr, req.pagePath, pageMem, p, collect, folders);
    else if (req.searchText.empty())
        c = renderCore(out.listPath, nullptr, req.pagePath, pageMem, p, collect, folders);
    else {
        std::string_view text(lines);
        c = renderCore({}, &text, req.pagePath, pageMem, p, collect, folders);
    }
    out.count = c.count;
    out.missing = c.missing;
    out.pageWritten = c.pageWritten;
    out.caption = ResultsCaption(c.count);

    ClockTime elapsed = ClockDifference(startClock, formatDate(now(), "hh:mm:ss"));
    int64_t secs = elapsed.totalSeconds();
    if (req.debugMode) {
        debugLog("TIMING - Finished saving files to " + req.pagePath);
        if (secs != 0)
            debugLog("STATS - " + formatInt(c.count, "###,###,###") + " of " + formatInt(total, "###,###,###") +
                     " files in " + FormatClock(elapsed) + " = " +
                     formatDouble(double(c.count) / double(secs), "#,##0.#####") + " files/second");
        else
            debugLog("STATS - " + formatInt(c.count, "###,###,###") + " of " + formatInt(total, "###,###,###") +
                     " files in under one second");
    }
    host().setBusy(false);
    return out;
}

} // namespace dr::client
