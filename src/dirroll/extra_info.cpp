#include "dirroll/extra_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/format.h"
#include "common/runtime.h"
#include "common/text.h"
#include "dirroll/file_list.h"
#include "dirroll/main_model.h"
#include "platform/platform.h"

namespace dr::roll {

namespace {

// A file opened for reading, closed on scope exit.
class ReadFd {
public:
    explicit ReadFd(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    ReadFd(const ReadFd&) = delete;
    ReadFd& operator=(const ReadFd&) = delete;
    bool ok() const { return fd_ >= 0; }
    int64_t size() const {
        struct stat st{};
        return ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<int64_t>(st.st_size) : -1;
    }
    // Reads exactly n bytes at off; false when the file is shorter or unreadable.
    bool readAt(int64_t off, void* buf, size_t n) const {
        auto* p = static_cast<unsigned char*>(buf);
        size_t done = 0;
        while (done < n) {
            ssize_t r = ::pread(fd_, p + done, n - done, static_cast<off_t>(off + static_cast<int64_t>(done)));
            if (r <= 0) return false;
            done += static_cast<size_t>(r);
        }
        return true;
    }

private:
    int fd_;
};

uint32_t be16(const unsigned char* p) { return static_cast<uint32_t>(p[0]) << 8 | p[1]; }
uint32_t le16(const unsigned char* p) { return static_cast<uint32_t>(p[1]) << 8 | p[0]; }
uint32_t be32(const unsigned char* p) { return be16(p) << 16 | be16(p + 2); }
uint32_t le32(const unsigned char* p) { return le16(p + 2) << 16 | le16(p); }

std::optional<PictureSize> sized(int64_t w, int64_t h) {
    if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX) return std::nullopt;
    return PictureSize{static_cast<int>(w), static_cast<int>(h)};
}

// Walks the JPEG markers up to the first frame header.
std::optional<PictureSize> jpegSize(const ReadFd& f, int64_t fileSize) {
    int64_t pos = 2;
    unsigned char b[9];
    while (pos + 4 <= fileSize) {
        if (!f.readAt(pos, b, 2) || b[0] != 0xFF) return std::nullopt;
        unsigned marker = b[1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        pos += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue; // no length
        if (marker == 0xD9 || marker == 0xDA) return std::nullopt;          // image data before any frame
        if (!f.readAt(pos, b, 2)) return std::nullopt;
        uint32_t len = be16(b);
        if (len < 2) return std::nullopt;
        bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (len < 7 || !f.readAt(pos + 2, b, 5)) return std::nullopt;
            return sized(be16(b + 3), be16(b + 1));
        }
        pos += len;
    }
    return std::nullopt;
}

const char* const kTagLabels[5] = {"Title    = ", "Artist   = ", "Album    = ", "Year     = ", "Comment  = "};
constexpr int kTagOffsets[5] = {3, 33, 63, 93, 97};
constexpr int kTagLengths[5] = {30, 30, 30, 4, 30};

std::string dateTimeText(std::time_t t) { return formatDate(DateTime::fromTimeT(t), "yyyy-mm-dd hh:mm:ss"); }
std::string dateText(std::time_t t) { return formatDate(DateTime::fromTimeT(t), "yyyy-mm-dd"); }

bool isPictureType(std::string_view type) {
    return type == "JPG" || type == "JPEG" || type == "GIF" || type == "BMP";
}

} // namespace

std::string ReadMp3Tag(const std::string& path) {
    ReadFd f(path);
    unsigned char block[128];
    int64_t size = f.ok() ? f.size() : -1;
    if (size < 128 || !f.readAt(size - 128, block, sizeof block) || block[0] != 'T' || block[1] != 'A' ||
        block[2] != 'G')
        return "No tag";
    std::string out;
    for (int i = 0; i < 5; ++i) {
        std::string_view field(reinterpret_cast<const char*>(block) + kTagOffsets[i],
                               static_cast<size_t>(kTagLengths[i]));
        out += kTagLabels[i];
        out += FlattenLineBreaks(CutAtNull(field));
        out += "\r\n";
    }
    return out;
}

std::string TagValue(std::string_view text, std::string_view word) {
    size_t at = text.find(word);
    if (at == std::string_view::npos || at + 11 > text.size()) return {};
    size_t start = at + 11;
    size_t end = text.find("\r\n", start);
    std::string v(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
    if (word == "Width" || word == "Height") v = Trim(v);
    return v;
}

std::optional<PictureSize> ReadPictureDimensions(const std::string& path) {
    ReadFd f(path);
    if (!f.ok()) return std::nullopt;
    int64_t size = f.size();
    unsigned char h[26] = {};
    if (size < 10 || !f.readAt(0, h, static_cast<size_t>(size < 26 ? size : 26))) return std::nullopt;
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 24 && std::equal(kPng, kPng + 8, h)) {
        if (h[12] != 'I' || h[13] != 'H' || h[14] != 'D' || h[15] != 'R') return std::nullopt;
        return sized(be32(h + 16), be32(h + 20));
    }
    if (h[0] == 'G' && h[1] == 'I' && h[2] == 'F' && h[3] == '8' && (h[4] == '7' || h[4] == '9') && h[5] == 'a')
        return sized(le16(h + 6), le16(h + 8));
    if (h[0] == 'B' && h[1] == 'M' && size >= 26) {
        uint32_t dib = le32(h + 14);
        if (dib == 12) return sized(le16(h + 18), le16(h + 20));
        if (dib < 40) return std::nullopt;
        int32_t height = static_cast<int32_t>(le32(h + 22)); // negative: stored top-down
        return sized(static_cast<int32_t>(le32(h + 18)), height < 0 ? -static_cast<int64_t>(height) : height);
    }
    if (h[0] == 0xFF && h[1] == 0xD8) return jpegSize(f, size);
    return std::nullopt;
}

std::optional<std::string> ReadPictureSize(const std::string& path) {
    auto s = ReadPictureDimensions(path);
    if (!s) return std::nullopt;
    return "Width    = " + formatNumber(s->width, "###,###") + "\r\nHeight   = " +
           formatNumber(s->height, "###,###") + "\r\n";
}

namespace {

// What the pass takes from one examination of a file.
struct Facts {
    bool ok = false;
    bool hasCreated = false;
    std::time_t created = 0, accessed = 0;
    uint32_t uid = 0;
};

Facts factsOf(const FileStat& st) { return {st.exists, st.hasCreated, st.created, st.accessed, st.uid}; }

// The files of one folder examined with a single listing, for a run of rows
// in that folder: far cheaper than one path lookup per file. Buffers are kept
// between folders.
class FolderFacts {
public:
    void load(Platform& p, const std::string& folder) {
        names_.clear();
        entries_.clear();
        p.listFolder(folder, true, [&](const Platform::DirEntry& e) {
            if (!e.isRegular || !e.stat) return true;
            entries_.push_back({names_.size(), e.nameLen, factsOf(*e.stat)});
            names_.append(e.name, e.nameLen);
            return true;
        });
        std::sort(entries_.begin(), entries_.end(),
                  [&](const Entry& a, const Entry& b) { return name(a) < name(b); });
    }
    // nullptr when the folder has no such regular file.
    const Facts* find(std::string_view n) const {
        auto it = std::lower_bound(entries_.begin(), entries_.end(), n,
                                   [&](const Entry& e, std::string_view v) { return name(e) < v; });
        return it != entries_.end() && name(*it) == n ? &it->facts : nullptr;
    }

private:
    struct Entry {
        size_t off, len;
        Facts facts;
    };
    std::string_view name(const Entry& e) const { return std::string_view(names_).substr(e.off, e.len); }
    std::string names_;
    std::vector<Entry> entries_;
};

// Rows in a run of the same folder from which one listing pays off.
constexpr size_t kListingRun = 8;

} // namespace

bool GetExtraInfoForFiles(MainModel& m, bool withPictures) {
    Host& h = host();
    FileList& files = m.files;
    m.setHalt(false);
    h.setBusy(true);
    files.headers[Width] = "Width";
    files.headers[Height] = "Height";
    files.headers[Artist] = "MP3 Artist";
    files.headers[Title] = "MP3 Title";
    files.headers[Album] = "MP3 Album";
    if (!withPictures) files.widths[Width] = files.widths[Height] = 0;
    m.showProgress(true);

    Platform& p = platform();
    const size_t n = files.size();
    bool finished = true;
    std::string path, folder, created, accessed, owner;
    FolderFacts listed;
    size_t runEnd = 0; // rows before this one in `folder` are covered by `listed`
    int lastPercent = -1;
    for (size_t row = 0; row < n; ++row) {
        std::string_view dir = files.field(row, Path);
        std::string_view name = files.field(row, Filename);
        path.assign(dir);
        if (path.empty() || path.back() != '/') path += '/';
        path += name;
        std::string_view type = files.field(row, Type);
        int percent = static_cast<int>(static_cast<uint64_t>(row + 1) * 100 / n);
        if (percent != lastPercent) m.setProgress(lastPercent = percent);

        if (row >= runEnd) {
            size_t end = row + 1;
            while (end < n && end - row < kListingRun && files.field(end, Path) == dir) ++end;
            if (end - row >= kListingRun) {
                while (end < n && files.field(end, Path) == dir) ++end;
                folder.assign(dir);
                listed.load(p, folder);
                runEnd = end;
            }
        }
        Facts facts;
        const Facts* known = row < runEnd ? listed.find(name) : nullptr;
        if (known) {
            facts = *known;
        } else {
            FileStat st;
            if (p.fileStat(path, st)) facts = factsOf(st);
        }
        created.clear();
        accessed.clear();
        owner.clear();
        if (facts.ok) {
            if (facts.hasCreated) created = dateTimeText(facts.created);
            accessed = dateText(facts.accessed);
            owner = p.accountName(facts.uid);
        }

        if (type == "MP3") {
            std::string tag = ReadMp3Tag(path);
            std::string artist = TagValue(tag, "Artist"), title = TagValue(tag, "Title"),
                        album = TagValue(tag, "Album");
            files.setFields(row, {{Artist, artist}, {Title, title}, {Album, album}, {Created, created},
                                  {Accessed, accessed}, {Owner, owner}});
        } else if (withPictures && isPictureType(type)) {
            auto text = ReadPictureSize(path);
            std::string w = text ? TagValue(*text, "Width") : std::string();
            std::string ht = text ? TagValue(*text, "Height") : std::string();
            files.setFields(row, {{Width, w}, {Height, ht}, {Created, created}, {Accessed, accessed},
                                  {Owner, owner}});
        } else {
            files.setFields(row, {{Created, created}, {Accessed, accessed}, {Owner, owner}});
        }

        if (m.halted()) {
            finished = false;
            break;
        }
        if (row % 32 == 31) pump(m);
    }
    m.showProgress(false);
    h.setBusy(false);
    return finished;
}

void ExtraInfoCommand(MainModel& m) {
    Answer a = host().message(
        "This will collect information for each file in the list, and can take a long time.\r\n"
        "Do you also want to get Picture width and height? (only really useful for web development)",
        "About to collect extra file information", Buttons::YesNoCancel, Icon::Question);
    if (a == Answer::Cancel) return;
    GetExtraInfoForFiles(m, a == Answer::Yes);
}

} // namespace dr::roll
