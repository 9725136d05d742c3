#include "client/record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dr::client {

bool HasListHeader(std::string_view firstLine) { return firstLine.substr(0, 3) == ";DR"; }

void Record::parse(std::string_view line) {
    count_ = 0;
    const char* const p = line.data();
    const size_t n = line.size();
    size_t start = 0, i = 0;
    // Returns false once the last field slot is filled.
    auto field = [&](size_t sep) {
        f_[++count_] = TrimBlanks(std::string_view(p + start, sep - start));
        start = sep + 1;
        return count_ < kMaxFields;
    };
#if defined(__SSE2__)
    const __m128i s = _mm_set1_epi8(kFieldSep);
    for (; i + 16 <= n; i += 16) {
        unsigned m = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), s)));
        for (; m; m &= m - 1)
            if (!field(i + unsigned(__builtin_ctz(m)))) return;
    }
#endif
    for (; i < n; ++i)
        if (p[i] == kFieldSep && !field(i)) return;
    f_[++count_] = TrimBlanks(std::string_view(p + start, n - start));
}

std::string Record::fullPath() const {
    std::string p;
    appendFullPath(p);
    return p;
}

void Record::appendFullPath(std::string& out) const {
    out.append(field(kFieldFolder));
    out.append(field(kFieldName));
}

bool ParseSizeText(std::string_view s, int64_t& out) {
    s = TrimBlanks(s);
    if (s.empty()) return false;
    size_t i = 0;
    bool neg = false;
    if (s[0] == '-' || s[0] == '+') {
        neg = s[0] == '-';
        ++i;
    }
    uint64_t v = 0;
    bool digits = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            if (v > (uint64_t(INT64_MAX) - 9) / 10) return false;
            v = v * 10 + uint64_t(c - '0');
            digits = true;
        } else if (c == ',' && digits) {
            continue;
        } else {
            break;
        }
    }
    if (i < s.size() && s[i] == '.') {
        // Fractions of a byte round to the nearest whole one.
        ++i;
        if (i < s.size() && s[i] >= '5' && s[i] <= '9') ++v;
        bool frac = false;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, frac = true;
        digits = digits || frac;
    }
    if (!digits || i != s.size()) return false;
    out = neg ? -int64_t(v) : int64_t(v);
    return true;
}

LineReader::LineReader(const std::string& path, size_t maxLine) : maxLine_(maxLine ? maxLine : kDefaultMaxLine) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    // A small file gets a buffer of its size; fill() grows it as needed.
    struct stat st {};
    size_t want = kBlock * 2;
    if (::fstat(fd_, &st) == 0 && st.st_size >= 0 && uint64_t(st.st_size) < kBlock) want = size_t(st.st_size) + 4096;
    buf_.resize(want);
}

LineReader::~LineReader() {
    if (fd_ >= 0) ::close(fd_);
}

// Moves the unread rest to the front and reads more behind it; false when
// nothing more came.
bool LineReader::fill() {
    if (eof_ || fd_ < 0) return false;
    if (pos_ > 0) {
        std::memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
    }
    if (end_ == buf_.size()) buf_.resize(std::max(buf_.size() * 2, end_ + kBlock));
    for (;;) {
        ssize_t n = ::read(fd_, buf_.data() + end_, buf_.size() - end_);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            eof_ = true;
            return false;
        }
        end_ += size_t(n);
        return true;
    }
}

bool LineReader::next(std::string_view& line) {
    if (fd_ < 0) return false;
    size_t scanFrom = pos_;
    for (;;) {
        const char* base = buf_.data();
        size_t avail = end_ - pos_;
        size_t limit = std::min(avail, maxLine_);
        const char* s = base + scanFrom;
        const char* stop = base + pos_ + limit;
        const char* lf = static_cast<const char*>(std::memchr(s, '\n', size_t(stop - s)));
        const char* cr = static_cast<const char*>(std::memchr(s, '\r', size_t((lf ? lf : stop) - s)));
        const char* term = cr ? cr : lf;
        if (term) {
            // A CR at the very end of what was read may be the first half of CR LF.
            if (term == cr && cr + 1 == base + end_ && !eof_) {
                size_t off = size_t(cr - base) - pos_;
                fill();
                scanFrom = pos_ + off;
                continue;
            }
            line = std::string_view(base + pos_, size_t(term - (base + pos_)));
            size_t after = size_t(term - base) + 1;
            if (term == cr && after < end_ && base[after] == '\n') ++after;
            pos_ = after;
            return true;
        }
        if (avail >= maxLine_) {
            line = std::string_view(base + pos_, maxLine_);
            pos_ += maxLine_;
            return true;
        }
        size_t off = end_ - pos_;
        if (!fill()) {
            if (end_ == pos_) return false;
            line = std::string_view(buf_.data() + pos_, end_ - pos_);
            pos_ = end_;
            return true;
        }
        scanFrom = pos_ + off;
    }
}

} // namespace dr::client
