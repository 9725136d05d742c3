#include "dirroll/file_list.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <span>

namespace dr::roll {

namespace detail {
namespace {
constexpr size_t kHuge = size_t(2) << 20;
size_t roundHuge(size_t n) { return (n + kHuge - 1) / kHuge * kHuge; }
} // namespace

void* bigAlloc(size_t bytes) {
    if (bytes < kHuge) return ::operator new(bytes);
    // Map a little more and trim, so the buffer starts on a huge-page boundary.
    const size_t want = roundHuge(bytes);
    char* raw = static_cast<char*>(::mmap(nullptr, want + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (raw == MAP_FAILED) throw std::bad_alloc();
    char* p = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(raw) + kHuge - 1) & ~(uintptr_t(kHuge) - 1));
    if (p > raw) ::munmap(raw, static_cast<size_t>(p - raw));
    const size_t tail = static_cast<size_t>(raw + want + kHuge - (p + want));
    if (tail) ::munmap(p + want, tail);
#ifdef MADV_HUGEPAGE
    ::madvise(p, want, MADV_HUGEPAGE);
#endif
    return p;
}

void bigFree(void* p, size_t bytes) noexcept {
    if (!p) return;
    if (bytes < kHuge) ::operator delete(p);
    else ::munmap(p, roundHuge(bytes));
}
} // namespace detail

namespace {
detail::Block newBlock(size_t bytes) {
    return detail::Block(static_cast<char*>(detail::bigAlloc(bytes)), detail::BlockFree{bytes});
}
} // namespace

const std::array<const char*, kColumns> kDefaultHeaders = {
    "FullFilename", "Filename", "Path", "Size", "Type", "Modified", "Created",
    "Accessed", "Width", "Height", "Artist", "Title", "Album", "Owner"};
const std::array<int, kColumns> kDefaultWidths = {315, 1840, 1840, 1095, 540, 1540, 0, 0, 0, 0, 0, 0, 0, 0};

namespace {
constexpr size_t kBlockBytes = size_t(4) << 20;
constexpr size_t kMaxBlockBytes = size_t(1) << 31;
constexpr int kStored = kColumns - 1; // column 0 is a flag, not text
enum : uint8_t { kTagged = 1, kBold = 2, kWide = 4, kOwnBlank = 8 };
} // namespace

// One row: where its text starts and the ends of columns 1..13 relative to
// that start. Rows longer than 64 KiB keep their ends in wide_.
struct FileList::Row {
    uint64_t where = 0; // block index << 32 | offset in block
    uint16_t end[kStored] = {};
    uint8_t flags = 0;
    uint32_t colour = 0;
};

FileList::FileList() {
    for (int i = 0; i < kColumns; ++i) headers[i] = kDefaultHeaders[i];
    widths = kDefaultWidths;
}

FileList::~FileList() = default;

template <class F> void FileList::notify(F f) {
    for (FileListListener* l : listeners_) f(*l);
}

void FileList::addListener(FileListListener* l) { listeners_.push_back(l); }
void FileList::removeListener(FileListListener* l) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), l), listeners_.end());
}

const FileList::Row& FileList::rowAt(size_t pos) const { return rows_[order_[pos]]; }
FileList::Row& FileList::rowAt(size_t pos) { return rows_[order_[pos]]; }

std::string_view FileList::rowField(const Row& r, int col) const {
    if (col <= 0 || col >= kColumns) return (col == 0 && (r.flags & kOwnBlank)) ? std::string_view(" ", 1) : std::string_view();
    const char* base = blocks_[r.where >> 32].get() + (r.where & 0xffffffffu);
    uint32_t begin, stop;
    if (r.flags & kWide) {
        const auto& w = wide_[r.end[0] | (uint32_t(r.end[1]) << 16)];
        begin = col == 1 ? 0 : w[col - 2];
        stop = w[col - 1];
    } else {
        begin = col == 1 ? 0 : r.end[col - 2];
        stop = r.end[col - 1];
    }
    return std::string_view(base + begin, stop - begin);
}

std::string_view FileList::field(size_t row, int col) const { return rowField(rowAt(row), col); }
bool FileList::tagged(size_t row) const { return rowAt(row).flags & kTagged; }
uint32_t FileList::colour(size_t row) const { return rowAt(row).colour; }
bool FileList::bold(size_t row) const { return rowAt(row).flags & kBold; }

char* FileList::alloc(size_t n, uint64_t& where) {
    if (blocks_.empty() || blockUsed_ + n > blockSize_.back()) {
        size_t sz = std::max(kBlockBytes, n);
        blocks_.push_back(newBlock(sz));
        blockSize_.push_back(sz);
        blockUsed_ = 0;
    }
    where = (uint64_t(blocks_.size() - 1) << 32) | blockUsed_;
    char* p = blocks_.back().get() + blockUsed_;
    blockUsed_ += n;
    return p;
}

void FileList::store(Row& r, const Fields& f) {
    size_t total = 0;
    for (int c = 1; c < kColumns; ++c) total += f[c].size();
    char* p = alloc(total, r.where);
    std::array<uint32_t, kStored> ends{};
    size_t at = 0;
    for (int c = 1; c < kColumns; ++c) {
        if (!f[c].empty()) std::memcpy(p + at, f[c].data(), f[c].size());
        at += f[c].size();
        ends[c - 1] = static_cast<uint32_t>(at);
    }
    if (total > 0xffff) {
        std::array<uint32_t, kColumns> w{};
        std::copy(ends.begin(), ends.end(), w.begin());
        uint32_t idx = static_cast<uint32_t>(wide_.size());
        wide_.push_back(w);
        r.flags |= kWide;
        r.end[0] = static_cast<uint16_t>(idx & 0xffff);
        r.end[1] = static_cast<uint16_t>(idx >> 16);
    } else {
        r.flags &= static_cast<uint8_t>(~kWide);
        for (int i = 0; i < kStored; ++i) r.end[i] = static_cast<uint16_t>(ends[i]);
    }
    liveBytes_ += total;
}

size_t FileList::append(const Fields& f, uint32_t colour, bool tag) {
    Row r;
    r.colour = colour;
    if (tag) r.flags |= kTagged;
    if (!f[0].empty()) r.flags |= kOwnBlank;
    store(r, f);
    rows_.push_back(r);
    order_.push_back(static_cast<uint32_t>(rows_.size() - 1));
    return order_.size() - 1;
}

static size_t rowBytes(const FileList& fl, size_t row) {
    size_t n = 0;
    for (int c = 1; c < kColumns; ++c) n += fl.field(row, c).size();
    return n;
}

namespace {
// A saved-list record cannot hold a line break or character 31.
bool storable(std::string_view t) {
    for (char c : t)
        if (c == '\r' || c == '\n' || c == '\x1f') return false;
    return true;
}
} // namespace

void FileList::setFields(size_t row, std::initializer_list<std::pair<int, std::string_view>> colsIn) {
    publish();
    // Texts from file contents (tags and the like) get blanks for unstorable characters.
    constexpr size_t kMax = 2 * kColumns;
    std::array<std::pair<int, std::string_view>, kMax> buf;
    std::array<std::string, kMax> cleaned; // empty strings allocate nothing
    size_t n = 0;
    for (const auto& ct : colsIn) {
        if (n == kMax) break;
        buf[n] = ct;
        if (!storable(ct.second)) {
            cleaned[n].assign(ct.second);
            for (char& ch : cleaned[n])
                if (ch == '\r' || ch == '\n' || ch == '\x1f') ch = ' ';
            buf[n].second = cleaned[n];
        }
        ++n;
    }
    const std::span<const std::pair<int, std::string_view>> cols(buf.data(), n);
    Row& r = rowAt(row);
    Fields f;
    for (int c = 0; c < kColumns; ++c) f[c] = rowField(r, c);
    bool sameLengths = true;
    for (auto& [c, t] : cols) {
        if (c < 0 || c >= kColumns) continue;
        if (c == 0) {
            r.flags = static_cast<uint8_t>(t.empty() ? (r.flags & ~kOwnBlank) : (r.flags | kOwnBlank));
            continue;
        }
        if (t.size() != f[c].size()) sameLengths = false;
        f[c] = t;
    }
    if (sameLengths) {
        // Same lengths: overwrite in place.
        for (auto& [c, t] : cols) {
            if (c <= 0 || c >= kColumns || t.empty()) continue;
            std::string_view old = rowField(r, c);
            if (old.data() != t.data()) std::memmove(const_cast<char*>(old.data()), t.data(), t.size());
        }
    } else {
        size_t old = rowBytes(*this, row);
        // The old text stays valid until compaction, so the views in f are safe.
        uint8_t keep = r.flags;
        store(r, f);
        r.flags = static_cast<uint8_t>((keep & ~kWide) | (r.flags & kWide));
        liveBytes_ -= old;
        deadBytes_ += old;
    }
    notify([&](FileListListener& l) { l.rowsChanged(row, row); });
    compactIfWasteful();
}

void FileList::setField(size_t row, int col, std::string_view text) { setFields(row, {{col, text}}); }

void FileList::setTagged(size_t row, bool on) {
    publish();
    Row& r = rowAt(row);
    r.flags = static_cast<uint8_t>(on ? (r.flags | kTagged) : (r.flags & ~kTagged));
    notify([&](FileListListener& l) { l.rowsChanged(row, row); });
}

void FileList::setColour(size_t row, uint32_t colour) {
    publish();
    rowAt(row).colour = colour;
    notify([&](FileListListener& l) { l.rowsChanged(row, row); });
}

void FileList::setBold(size_t row, bool on) {
    publish();
    Row& r = rowAt(row);
    r.flags = static_cast<uint8_t>(on ? (r.flags | kBold) : (r.flags & ~kBold));
    notify([&](FileListListener& l) { l.rowsChanged(row, row); });
}

void FileList::setAllTagged(bool on) {
    publish();
    for (Row& r : rows_) r.flags = static_cast<uint8_t>(on ? (r.flags | kTagged) : (r.flags & ~kTagged));
    if (!order_.empty()) notify([&](FileListListener& l) { l.rowsChanged(0, order_.size() - 1); });
}

void FileList::syncOwnTexts(Totals& t) {
    publish();
    t.taggedFiles = 0;
    t.taggedBytes = 0;
    for (uint32_t idx : order_) {
        Row& r = rows_[idx];
        if (r.flags & kTagged) {
            r.flags |= kOwnBlank;
            ++t.taggedFiles;
            t.taggedBytes += SizeTextValue(rowField(r, Size));
        } else {
            r.flags &= static_cast<uint8_t>(~kOwnBlank);
        }
    }
    if (!order_.empty()) notify([&](FileListListener& l) { l.rowsChanged(0, order_.size() - 1); });
}

void FileList::removeRow(size_t row) {
    publish();
    size_t n = rowBytes(*this, row);
    liveBytes_ -= n;
    deadBytes_ += n;
    order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(row));
    published_ = order_.size();
    notify([&](FileListListener& l) { l.rowsRemoved(row, 1); });
    compactIfWasteful();
}

size_t FileList::removeIf(const std::function<bool(size_t)>& pred) {
    publish();
    std::vector<uint32_t, detail::BigAlloc<uint32_t>> kept;
    kept.reserve(order_.size());
    size_t removed = 0;
    for (size_t i = 0; i < order_.size(); ++i) {
        if (pred(i)) {
            size_t n = rowBytes(*this, i);
            liveBytes_ -= n;
            deadBytes_ += n;
            ++removed;
        } else {
            kept.push_back(order_[i]);
        }
    }
    if (removed) {
        order_.swap(kept);
        published_ = order_.size();
        notify([](FileListListener& l) { l.rowsReset(); });
        compactIfWasteful();
    }
    return removed;
}

void FileList::clear() {
    rows_.clear();
    rows_.shrink_to_fit();
    order_.clear();
    order_.shrink_to_fit();
    blocks_.clear();
    blockSize_.clear();
    wide_.clear();
    blockUsed_ = liveBytes_ = deadBytes_ = published_ = 0;
    notify([](FileListListener& l) { l.rowsReset(); });
}

void FileList::reserve(size_t rows, size_t textBytes) {
    rows_.reserve(rows_.size() + rows);
    order_.reserve(order_.size() + rows);
    // Row offsets within a block are 32-bit: a larger block would wrap them.
    textBytes = std::min(textBytes, kMaxBlockBytes);
    if (textBytes > kBlockBytes) {
        size_t spare = blocks_.empty() ? 0 : blockSize_.back() - blockUsed_;
        if (spare < textBytes) {
            blocks_.push_back(newBlock(textBytes));
            blockSize_.push_back(textBytes);
            blockUsed_ = 0;
        }
    }
}

// Rewrites the text blocks in display order once more than half is dead.
void FileList::compactIfWasteful() {
    if (deadBytes_ < (size_t(16) << 20) || deadBytes_ < liveBytes_) return;
    std::vector<Row, detail::BigAlloc<Row>> rows;
    rows.reserve(order_.size());
    std::vector<detail::Block> oldBlocks;
    oldBlocks.swap(blocks_);
    std::vector<size_t> oldSizes;
    oldSizes.swap(blockSize_);
    std::vector<std::array<uint32_t, kColumns>> oldWide;
    oldWide.swap(wide_);
    // rowField reads blocks_/wide_, so read through the old ones while writing new ones.
    auto fieldsOf = [&](const Row& r, Fields& f) {
        const char* base = oldBlocks[r.where >> 32].get() + (r.where & 0xffffffffu);
        uint32_t begin = 0;
        for (int c = 1; c < kColumns; ++c) {
            uint32_t stop = (r.flags & kWide) ? oldWide[r.end[0] | (uint32_t(r.end[1]) << 16)][c - 1] : r.end[c - 1];
            f[c] = std::string_view(base + begin, stop - begin);
            begin = stop;
        }
    };
    blockUsed_ = 0;
    liveBytes_ = 0;
    reserve(0, 0);
    for (uint32_t idx : order_) {
        Row r = rows_[idx];
        Fields f;
        fieldsOf(r, f);
        store(r, f);
        rows.push_back(r);
    }
    rows_.swap(rows);
    for (size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<uint32_t>(i);
    deadBytes_ = 0;
}

namespace {
// The first 24 bytes of the key ride along with each entry, so most
// comparisons never touch the row text.
constexpr size_t kInline = 24;
struct SortKey {
    uint64_t word[3];
    uint32_t len;
    uint32_t pos;
    uint32_t idx;
};

inline uint64_t bigEndianWord(const unsigned char* b) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | b[i];
    return v;
}

inline void fillKey(SortKey& k, std::string_view s) {
    unsigned char b[kInline] = {};
    std::memcpy(b, s.data(), std::min(kInline, s.size()));
    for (int i = 0; i < 3; ++i) k.word[i] = bigEndianWord(b + 8 * i);
    k.len = static_cast<uint32_t>(std::min<size_t>(s.size(), UINT32_MAX));
}
} // namespace

void FileList::sortNow() {
    publish();
    if (order_.size() < 2) return;
    const int col = sortColumn_;
    std::vector<SortKey> keys(order_.size());
    for (size_t i = 0; i < order_.size(); ++i) {
        fillKey(keys[i], rowField(rows_[order_[i]], col));
        keys[i].pos = static_cast<uint32_t>(i);
        keys[i].idx = order_[i];
    }
    // <0, 0, >0 by byte order of the whole text.
    auto compare = [&](const SortKey& a, const SortKey& b) -> int {
        for (int i = 0; i < 3; ++i)
            if (a.word[i] != b.word[i]) return a.word[i] < b.word[i] ? -1 : 1;
        if (a.len <= kInline || b.len <= kInline) return a.len == b.len ? 0 : (a.len < b.len ? -1 : 1);
        return rowField(rows_[a.idx], col).substr(kInline).compare(rowField(rows_[b.idx], col).substr(kInline));
    };
    // Ties fall back to the current position, which keeps the sort stable.
    if (!descending_) {
        std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
            int c = compare(a, b);
            return c != 0 ? c < 0 : a.pos < b.pos;
        });
    } else {
        std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
            int c = compare(a, b);
            return c != 0 ? c > 0 : a.pos < b.pos;
        });
    }
    for (size_t i = 0; i < keys.size(); ++i) order_[i] = keys[i].idx;
    notify([](FileListListener& l) { l.rowsReordered(); });
}

void FileList::setSorting(bool on) {
    sorting_ = on;
    if (on) sortNow();
}

void FileList::setSortKey(int col, bool descending) {
    sortColumn_ = std::clamp(col, 0, kColumns - 1);
    descending_ = descending;
    if (sorting_) sortNow();
}

void FileList::columnClick(int col) {
    sorting_ = true;
    setSortKey(col, !descending_);
}

void FileList::publish() {
    if (order_.size() > published_) {
        size_t first = published_;
        published_ = order_.size();
        notify([&](FileListListener& l) { l.rowsAppended(first, published_ - first); });
    } else if (order_.size() < published_) {
        published_ = order_.size();
    }
}

void FileList::setVisible(bool on) {
    if (on == visible_) return;
    visible_ = on;
    publish();
    notify([&](FileListListener& l) { l.visibilityChanged(on); });
}

size_t FileList::memoryBytes() const {
    size_t n = rows_.capacity() * sizeof(Row) + order_.capacity() * sizeof(uint32_t) +
               wide_.capacity() * sizeof(wide_[0]);
    for (size_t s : blockSize_) n += s;
    return n;
}

std::string RowFullPath(const FileList& files, size_t row) {
    std::string_view path = files.field(row, Path);
    std::string_view name = files.field(row, Filename);
    std::string out;
    out.reserve(path.size() + name.size() + 1);
    out.append(path);
    if (out.empty() || out.back() != '/') out.push_back('/');
    out.append(name);
    return out;
}

uint64_t SizeTextValue(std::string_view t) {
    uint64_t v = 0;
    bool digit = false;
    for (char c : t) {
        if (c >= '0' && c <= '9') {
            digit = true;
            uint64_t d = static_cast<uint64_t>(c - '0');
            if (v > (UINT64_MAX - d) / 10) return UINT64_MAX;
            v = v * 10 + d;
        } else if (c == ',' || c == ' ' || c == '\t') {
            continue;
        } else {
            return 0;
        }
    }
    return digit ? v : 0;
}

} // namespace dr::roll
