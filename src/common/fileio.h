#pragma once
// Text files read and written a line at a time, and a growable 1-based list
// of texts. Lines end at CR LF, CR or LF when read; written lines end with CR LF.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dr {

class cFileIO {
public:
    cFileIO() = default;
    explicit cFileIO(const std::string& fileName) : fname_(fileName) {}
    ~cFileIO(); // closes an open file
    cFileIO(const cFileIO&) = delete;
    cFileIO& operator=(const cFileIO&) = delete;

    // True when fname names an existing file that is not a folder.
    bool Exists() const;
    void init(const std::string& fileName) { fname_ = fileName; }
    // Tries to open fname for reading until it succeeds or maxSeconds have
    // passed, pausing briefly and letting events run between attempts. Logs
    // the SUCCESS or FAIL line at level 1.
    bool waitUntilFileCanBeOpened(int maxSeconds);
    // mode "APPEND", "OUTPUT" (create or truncate) or "INPUT", any case. An
    // other mode shows "Invalid method of opening file" and opens nothing. A
    // failed open is logged at level 0 unless ignoreErrors. Returns whether
    // the file is open.
    bool openFile(const std::string& mode, bool ignoreErrors = false);
    // Writes text + CR LF to the open file; a failure shows "An error
    // occurred printing to file ..." unless silent.
    void printLine(std::string_view text, bool silent = false);
    // Writes the line to the open file, or opens fname for appending, writes
    // and closes it.
    void appendLine(std::string_view text, bool silent = false);
    // Writes prefix + element for elements 1..end whose trimmed text is not
    // empty (element 0 is never written); opens and closes the file when it
    // is not open. Stops at the first failed line.
    void dumpArray(std::span<const std::string> items, bool silent = false, const std::string& prefix = "");
    // The next line, or "" at the end of the file (moreData then turns
    // false). So the loop "while moreData: getLine" sees every line and then
    // one final empty line.
    std::string getLine();
    // The same into out, without a new string per line. Returns false (out
    // empty, moreData now false) where getLine() gives the final empty line.
    bool getLine(std::string& out);
    void closeFile();
    // Deletes the file; a missing file is no error.
    void Clear();
    const std::string& fname() const { return fname_; }
    void setFname(const std::string& f) { fname_ = f; }
    bool moreData() const { return moreData_; }
    bool isOpen() const { return fd_ >= 0; }
    // The description of the last failed open, read or write.
    const std::string& lastError() const { return lastError_; }
    // The whole file, each line (including the final empty one) followed by
    // separator. Closes the file first and after.
    std::string LoadFileToString(const std::string& separator);

private:
    enum class What { Printing, Appending };
    void reportWrite(What what, bool silent, const std::string& why);
    bool write(std::string_view text, bool silent, What what);
    bool flush();
    bool fill(); // refills the read buffer; false at the end (or an ignored error)

    std::string fname_;
    int fd_ = -1;
    bool reading_ = false;
    bool moreData_ = false;
    bool eof_ = false;
    std::string buf_;   // read-ahead, or output not yet written
    size_t pos_ = 0;    // read position in buf_
    bool lastSilent_ = false;
    What lastWhat_ = What::Printing;
    std::string lastError_;
};

class clsArray {
public:
    // Empties the list (the size is a hint).
    void init(size_t size = 1);
    // Adds the fields of a delimited text: the delimiter is put in front and
    // the result split into 100 slots; slots 1..99 are added trimmed, every
    // one with includeBlanks, else only the non-empty ones. Item(k) is then
    // field k, trimmed. Fields beyond 99 are dropped.
    void CreateByParsingText(std::string_view text, std::string_view delimiter, bool includeBlanks);
    void Sort(int /*textPosition*/ = 0) {}
    // Adds every line read (with the final empty line) and returns how many,
    // or -1 when the file cannot be read ("Error loading file from disk to
    // Array" shown). showMessage shows "Read in N lines  from file ...".
    long long LoadFromDisk(const std::string& fileName, bool showMessage = false);
    // Writes items 1..Count as lines (create or truncate).
    void SaveToDisk(const std::string& fileName);
    void DisplayInListView(void* /*listView*/, bool /*clearFirst*/ = true) {}
    // The 1-based index of the first item equal to text, or 0. The search
    // always starts at item 1.
    size_t GetIndexByText(std::string_view text, size_t startIndex = 1, bool caseSensitive = false) const;
    void Remove(size_t /*index*/) {}
    // Appends text; an index other than 1 first shows "ndx isnt setup to add
    // at specific point yet".
    void Add(std::string text, int index = 1);
    size_t Count() const { return items_.size(); }
    // "" outside 1..Count.
    const std::string& Item(size_t index) const;
    // Throws std::out_of_range outside 1..Count.
    void setItem(size_t index, std::string text);
    const std::vector<std::string>& items() const { return items_; } // 0-based view

private:
    std::vector<std::string> items_;
};

} // namespace dr
