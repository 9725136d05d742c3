#pragma once
// Reading saved lists: the header test, the fields of one record line as
// views into the line, the size text as a number, and a line reader that
// reads a list in large blocks and never trusts its content.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dr::client {

inline constexpr char kFieldSep = '\x1f';
inline constexpr size_t kMaxFields = 99;

// Field numbers of a record.
enum RecordField : size_t {
    kFieldTag = 1, kFieldName = 2, kFieldFolder = 3, kFieldSize = 4, kFieldType = 5,
    kFieldModified = 6, kFieldOwner = 14,
};

// A saved list starts with ";DR" (exact case); the rest of the line is ignored.
bool HasListHeader(std::string_view firstLine);

// Blanks (spaces) off both ends.
inline std::string_view TrimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return s.substr(b, e - b);
}

// The fields of one record line, numbered from 1, each trimmed of blanks.
// Views point into the line given to parse(); keep it alive while reading.
class Record {
public:
    Record() = default;
    explicit Record(std::string_view line) { parse(line); }

    // Splits at character 31, keeping empty fields; at most 99 fields, the
    // text beyond the 99th field is dropped.
    void parse(std::string_view line);
    // "" when the line has fewer fields.
    std::string_view field(size_t n) const { return n >= 1 && n <= count_ ? f_[n] : std::string_view(); }
    size_t fieldCount() const { return count_; }
    // Field 3 followed by field 2.
    std::string fullPath() const;
    void appendFullPath(std::string& out) const;

private:
    std::array<std::string_view, kMaxFields + 1> f_{};
    size_t count_ = 0;
};

// A size text ("  1,234,567", "0", "12.5") as a whole number of bytes.
// Leading and trailing blanks and thousands separators are allowed; false
// for anything else (empty, letters, a number out of range).
bool ParseSizeText(std::string_view s, int64_t& out);

// Reads a text file line by line in blocks of a megabyte; lines end at CR LF,
// LF or CR, and the line views stay valid until the next call of next(). A
// line longer than maxLine is handed out in pieces of maxLine bytes. A file
// that shrinks or grows while it is read ends where the reads end.
class LineReader {
public:
    static constexpr size_t kBlock = size_t(1) << 20;
    static constexpr size_t kDefaultMaxLine = size_t(64) << 20;

    explicit LineReader(const std::string& path, size_t maxLine = kDefaultMaxLine);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool ok() const { return fd_ >= 0; }
    // False at the end of the file (or on a read error).
    bool next(std::string_view& line);

private:
    bool fill();

    int fd_ = -1;
    size_t maxLine_;
    std::vector<char> buf_;
    size_t pos_ = 0, end_ = 0;
    bool eof_ = false;
};

} // namespace dr::client
