#pragma once
// Control contents as plain data and the rules that move them to and from
// files, plus the arithmetic of window placement. The Qt windows copy their
// controls into these structures and back.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dr {

// A list box or combo box: items numbered from 0.
struct ListBox {
    std::vector<std::string> items;
};

// One report row: its own text (column 1), check box and sub-items;
// subItems[k - 1] is sub-item k (column k + 1). Missing sub-items read as "".
struct ListViewRow {
    std::string text;
    bool checked = false;
    std::vector<std::string> subItems;

    const std::string& subItem(size_t k) const; // 1-based; "" when missing
    void setSubItem(size_t k, std::string value); // 1-based, grows as needed
};

struct ListViewColumn {
    std::string text;
    int64_t width = 0; // twips
};

// A report list view: rows numbered from 1 in the operations below
// (rows[i - 1]), column headers from 1.
struct ListView {
    std::vector<ListViewColumn> columns;
    std::vector<ListViewRow> rows;
};

// Fills from a line file, skipping empty lines. mode 1 adds to the present
// contents, any other mode replaces them. A list view gets checked rows, one
// trailing comma of each line dropped. An empty path does nothing; a missing
// file logs "LoadFileToListBox : cant find <path>" at the routine level.
void LoadFileToListBox(ListBox& list, const std::string& path, int mode = 0);
void LoadFileToListBox(ListView& list, const std::string& path, int mode = 0);

// Writes the items from firstIndex on (a list view: rows firstIndex + 1 on,
// each as text or text + "," + sub-item 1 when that is not empty) and returns
// how many lines were written in count. An empty path logs and writes nothing.
// A write failure shows "An Error occurred in SaveListboxToFile: ..." and logs.
void SaveListboxToFile(const ListBox& list, const std::string& path, int64_t& count, int64_t firstIndex = 0);
void SaveListboxToFile(const ListView& list, const std::string& path, int64_t& count, int64_t firstIndex = 0);

// A separated-text listing: the non-empty extra lines, the header line
// (between divider lines) when withHeader, then each row: text + sep, then
// sub-items 1..column count each + sep, followed by the divider line when
// one is given. Errors are skipped.
void SaveListViewToFile(const ListView& list, const std::string& path, const std::string& separator,
                        bool withHeader = false, const std::string& line1 = "", const std::string& line2 = "",
                        const std::string& line3 = "", const std::string& divider = "");

// Comma-separated rows (text and sub-items 1..columns - 1, every field
// followed by the separator). Quoted: fields in double quotes (a quote inside
// a field is doubled), so every line ends with an empty quoted field.
void SaveListViewAsCsv(const ListView& list, const std::string& path, bool withHeader = false,
                       bool quoted = false);

// Prints text in pieces of at most width characters: the first after a blank,
// each further piece on its own line after a tab and two blanks. A text
// shorter than width (or a width below 1) is one line: a blank and the text.
using LineSink = std::function<void(const std::string&)>;
void PrintLineWithWordWrap(const LineSink& print, std::string_view text, int64_t width);

// List view: the first row (from 1) whose text contains text or whose
// sub-item subItemNumber equals it. List box: the first item (from 0) equal
// to text. No match gives 0.
int64_t FindListIndex(std::string_view text, const ListView& list, int64_t subItemNumber = 0);
int64_t FindListIndex(std::string_view text, const ListBox& list, int64_t subItemNumber = 0);

int64_t CountCheckedItems(const ListView& list);
// Checks every row when state is 1, unchecks them for any other value.
void SetAllChecked(ListView& list, int state);
// Removes every item or row whose text contains text; "" does nothing.
void RemoveMatchingItems(std::string_view text, ListBox& list);
void RemoveMatchingItems(std::string_view text, ListView& list);

// For each flagged column 1..6 (flags[0] is column 1): width = the longest
// text of the column (row texts for column 1, sub-item k - 1 for column k)
// in characters x 77 + 400 twips.
void AutoSizeColumns(ListView& list, const std::array<bool, 6>& flags);

// ---- Window placement (twips) ------------------------------------------------
struct WindowPlacement {
    int64_t left = 0, top = 0, width = 0, height = 0;
};
enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// The keys and values SaveWindowPlacement writes, in order: Height, Width,
// Left, Top when the state is normal, then always WindowState.
std::vector<std::pair<std::string, std::string>> windowPlacementValues(const WindowPlacement& p,
                                                                       WindowState state);
// Writes them into section formName of the settings file.
void SaveWindowPlacement(const std::string& formName, const std::string& settingsFile, const WindowPlacement& p,
                         WindowState state);

// The stored texts of "Height", "Width", "Left" and "Top".
struct StoredPlacement {
    std::string height, width, left, top;
};
// The placement to apply (in the order Left, Height, Width, Top): each text
// read as a 32-bit whole number (unreadable or too large: 0); a missing size
// takes three quarters of the screen with useScreenFractions, else the
// present size; negative positions become 0, positions beyond the screen a
// quarter of it, sizes beyond the screen or of 99 and less three quarters.
WindowPlacement restoredPlacement(const StoredPlacement& stored, const WindowPlacement& present,
                                  int64_t screenWidth, int64_t screenHeight, bool useScreenFractions);
// Reads section formName of the settings file and applies restoredPlacement.
WindowPlacement RestoreWindowPlacement(const std::string& formName, const std::string& settingsFile,
                                       const WindowPlacement& present, int64_t screenWidth, int64_t screenHeight,
                                       bool useScreenFractions);

} // namespace dr
