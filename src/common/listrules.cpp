#include "common/listrules.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>

#include "common/fileio.h"
#include "common/format.h"
#include "common/ini.h"
#include "common/log.h"
#include "common/runtime.h"
#include "common/text.h"

namespace dr {

const std::string& ListViewRow::subItem(size_t k) const {
    static const std::string empty;
    return (k >= 1 && k <= subItems.size()) ? subItems[k - 1] : empty;
}

void ListViewRow::setSubItem(size_t k, std::string value) {
    if (k < 1) return;
    if (subItems.size() < k) subItems.resize(k);
    subItems[k - 1] = std::move(value);
}

namespace {

// A buffered writer of CR LF lines that remembers the first failure.
class LineWriter {
public:
    explicit LineWriter(const std::string& path) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd_ < 0) err_ = errno;
        buf_.reserve(kFlushAt + 4096);
    }
    ~LineWriter() { close(); }
    bool ok() const { return err_ == 0; }
    int error() const { return err_; }
    void line(std::string_view text) {
        if (fd_ < 0) return;
        buf_ += text;
        buf_ += "\r\n";
        if (buf_.size() >= kFlushAt) flush();
    }
    void close() {
        if (fd_ < 0) return;
        flush();
        if (::close(fd_) != 0 && !err_) err_ = errno;
        fd_ = -1;
    }

private:
    static constexpr size_t kFlushAt = 64 * 1024;
    void flush() {
        size_t done = 0;
        while (done < buf_.size() && fd_ >= 0) {
            ssize_t w = ::write(fd_, buf_.data() + done, buf_.size() - done);
            if (w < 0) {
                if (errno == EINTR) continue;
                if (!err_) err_ = errno;
                break;
            }
            done += static_cast<size_t>(w);
        }
        buf_.clear();
    }
    int fd_ = -1;
    int err_ = 0;
    std::string buf_;
};

// The classic runtime error numbers and texts for a failed file operation.
std::pair<int, std::string> fileError(int e) {
    switch (e) {
    case ENOENT:
    case ENOTDIR: return {76, "Path not found"};
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return {75, "Path/File access error"};
    case ENOSPC:
    case EDQUOT: return {61, "Disk full"};
    default: return {57, "Device I/O error"};
    }
}

// Calls fn for every non-empty line of the file.
template <class Fn>
void forEachLine(const std::string& path, Fn fn) {
    cFileIO f(path);
    if (!f.openFile("INPUT", true)) return;
    std::string line;
    while (f.moreData()) {
        f.getLine(line);
        if (!line.empty()) fn(line);
    }
    f.closeFile();
}

bool findable(const std::string& path) {
    if (path.empty()) return false;
    if (!FileExists(path)) {
        appLog().log("LoadFileToListBox : cant find " + path, routineLogLevel());
        return false;
    }
    return true;
}

void reportSaveError(const std::string& path, int e) {
    auto [num, text] = fileError(e);
    host().message("An Error occurred in SaveListboxToFile: " + std::to_string(num) + " = " + text +
                   " while saving '" + path + "'");
    appLog().log("ErrorSaveListboxToFile: " + std::to_string(num) + " = " + text, 0);
}

} // namespace

void LoadFileToListBox(ListBox& list, const std::string& path, int mode) {
    if (!findable(path)) return;
    if (mode != 1) list.items.clear();
    forEachLine(path, [&](const std::string& line) { list.items.push_back(line); });
}

void LoadFileToListBox(ListView& list, const std::string& path, int mode) {
    if (!findable(path)) return;
    if (mode != 1) list.rows.clear();
    forEachLine(path, [&](const std::string& line) {
        ListViewRow row;
        row.text = line;
        if (row.text.back() == ',') row.text.pop_back();
        row.checked = true;
        list.rows.push_back(std::move(row));
    });
}

void SaveListboxToFile(const ListBox& list, const std::string& path, int64_t& count, int64_t firstIndex) {
    count = 0;
    if (firstIndex < 0) firstIndex = 0;
    if (path.empty()) {
        appLog().log("Cant save listbox because a filename wasnt specified", routineLogLevel());
        return;
    }
    LineWriter w(path);
    for (size_t i = static_cast<size_t>(firstIndex); w.ok() && i < list.items.size(); ++i) {
        w.line(list.items[i]);
        ++count;
    }
    w.close();
    if (!w.ok()) reportSaveError(path, w.error());
}

void SaveListboxToFile(const ListView& list, const std::string& path, int64_t& count, int64_t firstIndex) {
    count = 0;
    if (firstIndex < 0) firstIndex = 0;
    if (path.empty()) {
        appLog().log("Cant save listbox because a filename wasnt specified", routineLogLevel());
        return;
    }
    LineWriter w(path);
    std::string line;
    for (size_t i = static_cast<size_t>(firstIndex); w.ok() && i < list.rows.size(); ++i) {
        const ListViewRow& r = list.rows[i];
        line = r.text;
        if (!r.subItem(1).empty()) {
            line += ',';
            line += r.subItem(1);
        }
        w.line(line);
        ++count;
    }
    w.close();
    if (!w.ok()) reportSaveError(path, w.error());
}

void SaveListViewToFile(const ListView& list, const std::string& path, const std::string& separator,
                        bool withHeader, const std::string& line1, const std::string& line2,
                        const std::string& line3, const std::string& divider) {
    appLog().log("Saving List to file :" + path, routineLogLevel());
    LineWriter w(path);
    for (const std::string* l : {&line1, &line2, &line3})
        if (!l->empty()) w.line(*l);
    std::string line;
    if (withHeader) {
        if (!divider.empty()) w.line(divider);
        for (const auto& c : list.columns) {
            line += c.text;
            line += separator;
        }
        w.line(line);
        if (!divider.empty()) w.line(divider);
    }
    const size_t ncols = list.columns.size();
    for (const auto& r : list.rows) {
        line = r.text;
        line += separator;
        for (size_t k = 1; k <= ncols; ++k) {
            line += r.subItem(k);
            line += separator;
        }
        w.line(line);
        if (!divider.empty()) w.line(divider);
    }
}

void SaveListViewAsCsv(const ListView& list, const std::string& path, bool withHeader, bool quoted) {
    const std::string sep = quoted ? "\",\"" : ",";
    // Quotes inside a quoted field are doubled, or the field would end early.
    auto field = [&](std::string& out, const std::string& text) {
        if (!quoted || text.find('"') == std::string::npos) {
            out += text;
            return;
        }
        for (char c : text) {
            out += c;
            if (c == '"') out += '"';
        }
    };
    LineWriter w(path);
    std::string line;
    if (withHeader) {
        line.clear();
        if (quoted) line += '"';
        for (const auto& c : list.columns) {
            field(line, c.text);
            line += sep;
        }
        if (quoted) line += '"';
        w.line(line);
    }
    const size_t ncols = list.columns.size();
    for (const auto& r : list.rows) {
        line.clear();
        if (quoted) line += '"';
        field(line, r.text);
        line += sep;
        for (size_t k = 1; k < ncols; ++k) {
            field(line, r.subItem(k));
            line += sep;
        }
        if (quoted) line += '"';
        w.line(line);
    }
}

void PrintLineWithWordWrap(const LineSink& print, std::string_view text, int64_t width) {
    if (width < 1 || static_cast<int64_t>(text.size()) < width) {
        print(" " + std::string(text));
        return;
    }
    const size_t w = static_cast<size_t>(width);
    for (size_t pos = 0; pos < text.size(); pos += w) {
        std::string piece = pos == 0 ? " " : "\t  ";
        piece += text.substr(pos, w);
        print(piece);
    }
}

int64_t FindListIndex(std::string_view text, const ListView& list, int64_t subItemNumber) {
    for (size_t i = 0; i < list.rows.size(); ++i) {
        const ListViewRow& r = list.rows[i];
        if (InStr(r.text, text) > 0) return static_cast<int64_t>(i) + 1;
        if (subItemNumber >= 1 && r.subItem(static_cast<size_t>(subItemNumber)) == text)
            return static_cast<int64_t>(i) + 1;
    }
    return 0;
}

int64_t FindListIndex(std::string_view text, const ListBox& list, int64_t /*subItemNumber*/) {
    for (size_t i = 0; i < list.items.size(); ++i)
        if (list.items[i] == text) return static_cast<int64_t>(i);
    return 0;
}

int64_t CountCheckedItems(const ListView& list) {
    int64_t n = 0;
    for (const auto& r : list.rows) n += r.checked ? 1 : 0;
    return n;
}

void SetAllChecked(ListView& list, int state) {
    for (auto& r : list.rows) r.checked = state == 1;
}

void RemoveMatchingItems(std::string_view text, ListBox& list) {
    if (text.empty()) return;
    std::erase_if(list.items, [&](const std::string& s) { return s.find(text) != std::string::npos; });
}

void RemoveMatchingItems(std::string_view text, ListView& list) {
    if (text.empty()) return;
    std::erase_if(list.rows, [&](const ListViewRow& r) { return r.text.find(text) != std::string::npos; });
}

void AutoSizeColumns(ListView& list, const std::array<bool, 6>& flags) {
    for (size_t col = 1; col <= 6 && col <= list.columns.size(); ++col) {
        if (!flags[col - 1]) continue;
        size_t longest = 0;
        for (const auto& r : list.rows) {
            size_t len = col == 1 ? r.text.size() : r.subItem(col - 1).size();
            if (len > longest) longest = len;
        }
        list.columns[col - 1].width = static_cast<int64_t>(longest) * 77 + 400;
    }
}

// ---- Window placement -----------------------------------------------------------

std::vector<std::pair<std::string, std::string>> windowPlacementValues(const WindowPlacement& p,
                                                                       WindowState state) {
    std::vector<std::pair<std::string, std::string>> v;
    if (state == WindowState::Normal) {
        v.emplace_back("Height", std::to_string(p.height));
        v.emplace_back("Width", std::to_string(p.width));
        v.emplace_back("Left", std::to_string(p.left));
        v.emplace_back("Top", std::to_string(p.top));
    }
    v.emplace_back("WindowState", std::to_string(static_cast<int>(state)));
    return v;
}

void SaveWindowPlacement(const std::string& formName, const std::string& settingsFile, const WindowPlacement& p,
                         WindowState state) {
    for (const auto& [key, value] : windowPlacementValues(p, state))
        WriteIniValue(formName, key, value, settingsFile);
}

WindowPlacement restoredPlacement(const StoredPlacement& stored, const WindowPlacement& present,
                                  int64_t screenWidth, int64_t screenHeight, bool useScreenFractions) {
    auto num = [](const std::string& s) -> int64_t {
        int32_t v = 0;
        return parseInt32(s, v) ? v : 0;
    };
    const int64_t threeQuartersW = screenWidth * 3 / 4, threeQuartersH = screenHeight * 3 / 4;
    WindowPlacement p;
    p.height = num(stored.height);
    if (p.height == 0) p.height = useScreenFractions ? threeQuartersH : present.height;
    p.width = num(stored.width);
    if (p.width == 0) p.width = useScreenFractions ? threeQuartersW : present.width;
    p.left = std::max<int64_t>(0, num(stored.left));
    p.top = std::max<int64_t>(0, num(stored.top));
    if (p.left > screenWidth) p.left = screenWidth / 4;
    if (p.top > screenHeight) p.top = screenHeight / 4;
    if (p.height > screenHeight || p.height <= 99) p.height = threeQuartersH;
    if (p.width > screenWidth || p.width <= 99) p.width = threeQuartersW;
    return p;
}

WindowPlacement RestoreWindowPlacement(const std::string& formName, const std::string& settingsFile,
                                       const WindowPlacement& present, int64_t screenWidth, int64_t screenHeight,
                                       bool useScreenFractions) {
    StoredPlacement s;
    s.height = ReadIniValue(settingsFile, formName, "Height");
    s.width = ReadIniValue(settingsFile, formName, "Width");
    s.left = ReadIniValue(settingsFile, formName, "Left");
    s.top = ReadIniValue(settingsFile, formName, "Top");
    return restoredPlacement(s, present, screenWidth, screenHeight, useScreenFractions);
}

} // namespace dr
