#pragma once
// The file list (lvwFiles) as data: rows of 14 text columns with a tag (the
// check box), a row colour and a bold mark, the running totals and a stable
// text sort. Rows live in large shared text blocks with per-row field ends, so
// millions of rows stay compact; display order is an index over them.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dr::roll {

namespace detail {
// Large buffers come straight from the system in huge pages where it offers
// them: millions of rows would otherwise cost a page fault per 4 KiB.
void* bigAlloc(size_t bytes);
void bigFree(void* p, size_t bytes) noexcept;

template <class T> struct BigAlloc {
    using value_type = T;
    BigAlloc() = default;
    template <class U> BigAlloc(const BigAlloc<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(bigAlloc(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { bigFree(p, n * sizeof(T)); }
    template <class U> bool operator==(const BigAlloc<U>&) const { return true; }
};

struct BlockFree {
    size_t bytes = 0;
    void operator()(char* p) const noexcept { bigFree(p, bytes); }
};
using Block = std::unique_ptr<char[], BlockFree>;
} // namespace detail

// Columns by position; 0 is the row's own text (empty, or one blank when tagged).
enum Col : int {
    FullFilename = 0, Filename, Path, Size, Type, Modified, Created, Accessed,
    Width, Height, Artist, Title, Album, Owner
};
constexpr int kColumns = 14;

// The column headers the window starts with.
extern const std::array<const char*, kColumns> kDefaultHeaders;
// The default column widths in twips.
extern const std::array<int, kColumns> kDefaultWidths;

struct Totals {
    int64_t files = 0;
    uint64_t bytes = 0;
    int64_t taggedFiles = 0;
    uint64_t taggedBytes = 0;
};

// Told of changes so a view can follow. Appended rows are announced in
// batches by publish(), not one by one.
class FileListListener {
public:
    virtual ~FileListListener() = default;
    virtual void rowsReset() {}                               // cleared or rebuilt wholesale
    virtual void rowsAppended(size_t /*first*/, size_t /*count*/) {}
    virtual void rowsChanged(size_t /*first*/, size_t /*last*/) {} // texts, tags, colours, bold
    virtual void rowsRemoved(size_t /*first*/, size_t /*count*/) {}
    virtual void rowsReordered() {}                           // after a sort
    virtual void visibilityChanged(bool /*visible*/) {}
};

class FileList {
public:
    using Fields = std::array<std::string_view, kColumns>;

    FileList();
    ~FileList();
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    // Rows are addressed by display position 0..size()-1.
    size_t size() const { return order_.size(); }
    bool empty() const { return order_.empty(); }
    std::string_view field(size_t row, int col) const;
    std::string text(size_t row, int col) const { return std::string(field(row, col)); }
    bool tagged(size_t row) const;
    uint32_t colour(size_t row) const;
    bool bold(size_t row) const;

    void setTagged(size_t row, bool on);
    void setColour(size_t row, uint32_t colour);
    void setBold(size_t row, bool on);
    void setField(size_t row, int col, std::string_view text);
    // Several columns of one row at once (one rewrite of the row).
    void setFields(size_t row, std::initializer_list<std::pair<int, std::string_view>> cols);
    void setAllTagged(bool on);
    // Gives every tagged row the own text " " and every other row "", and
    // counts the tagged rows and their bytes into t.
    void syncOwnTexts(Totals& t);

    // Adds a row at the end of the display order (sorting, when on, is applied
    // by the caller through sortNow() once a batch is in). Returns its position.
    size_t append(const Fields& f, uint32_t colour = 0, bool tagged = false);
    void removeRow(size_t row);
    // Removes every row for which pred(position) is true; returns how many.
    size_t removeIf(const std::function<bool(size_t)>& pred);
    void clear();
    // Room for about this many rows and text bytes (a hint).
    void reserve(size_t rows, size_t textBytes);

    // Sorting: when on, the rows are ordered by the sort column's text (byte
    // order), ascending or descending, stable.
    bool sorting() const { return sorting_; }
    int sortColumn() const { return sortColumn_; }
    bool sortDescending() const { return descending_; }
    void setSorting(bool on);                 // switching it on sorts
    void setSortKey(int col, bool descending); // sorts when sorting is on
    void sortNow();                           // sorts by the current key
    // A click on a column header: sorting on, that column, direction flipped.
    void columnClick(int col);

    // Announces rows appended since the last publish to the listeners.
    void publish();
    void addListener(FileListListener* l);
    void removeListener(FileListListener* l);

    bool visible() const { return visible_; }
    void setVisible(bool on);

    Totals totals;
    std::array<std::string, kColumns> headers;
    std::array<int, kColumns> widths;

    // Bytes held by the text blocks and row records (for the benchmarks).
    size_t memoryBytes() const;

private:
    struct Row;
    const Row& rowAt(size_t pos) const;
    Row& rowAt(size_t pos);
    std::string_view rowField(const Row& r, int col) const;
    char* alloc(size_t n, uint64_t& where);
    void store(Row& r, const Fields& f);
    void compactIfWasteful();
    template <class F> void notify(F f);

    std::vector<Row, detail::BigAlloc<Row>> rows_;         // storage order
    std::vector<uint32_t, detail::BigAlloc<uint32_t>> order_; // display position -> storage index
    std::vector<detail::Block> blocks_;
    std::vector<size_t> blockSize_;
    size_t blockUsed_ = 0;           // bytes used in the last block
    std::vector<std::array<uint32_t, kColumns>> wide_; // field ends of very long rows
    size_t liveBytes_ = 0, deadBytes_ = 0;
    size_t published_ = 0;
    bool sorting_ = false;
    int sortColumn_ = 0;
    bool descending_ = false;
    bool visible_ = true;
    std::vector<FileListListener*> listeners_;
};

// The full path of a row: its Path column, a '/' when that does not end in
// one, then its Filename column.
std::string RowFullPath(const FileList& files, size_t row);

// The number a size text denotes, thousands separators and blanks ignored;
// 0 when it holds no digits.
uint64_t SizeTextValue(std::string_view text);

} // namespace dr::roll
