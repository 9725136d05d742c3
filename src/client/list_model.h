#pragma once
// The main window's search fields as plain data: the saved-list combo
// (cmbDirroll), the type, date-range, output-style and owner combos. The
// window binds its widgets to this model and listens to the callbacks.
#include <functional>
#include <string>
#include <vector>

#include "client/client_settings.h"
#include "client/search.h"
#include "platform/datetime.h"

namespace dr::client {

inline constexpr const char* kOutOfDateMark = " (OUT OF DATE)";

// Entries of cmbType; index 7 asks for typed extensions.
const std::vector<std::string>& TypeEntries();
inline constexpr int kTypeAll = 0, kTypePictures = 3, kTypeChoose = 7;
// The typeFilter of entries 0 to 6 ("" for 0 and for anything else).
std::string TypeFilterFor(int index);

// Entries of cmbDateRange; 3 is "At any time", 7 the custom range.
const std::vector<std::string>& DateRangeEntries();
inline constexpr int kRangeAnyTime = 3, kRangeCustom = 7;
// The pickers' range for entries 0 to 6 at `now`; false (untouched) for 7 or out of range.
bool DateRangeFor(int index, const DateTime& now, DateTime& from, DateTime& to);

// Entries of cmbOutput, in style-index order.
const std::vector<std::string>& OutputStyles();
inline constexpr int kStyleWeb = 0, kStylePreview = 3;

// A saved list found in the program folder.
struct SavedList {
    std::string name;     // file name without extension, as shown in the combo
    std::string path;     // full path as on disk
    DateTime modified;    // local modification time (null when unreadable)
    bool outOfDate = false;
};

// Every "*.dr" file of the program folder (any case of the extension), in the
// file system's order, modified from 1970 to 2099; "BackupFiles" (exact case) dropped.
std::vector<SavedList> FindSavedLists();
// Modified before the day three days before today.
bool IsListOutOfDate(const DateTime& modified, const DateTime& today);
// "Dirroll last updated Mon, 06-Jun-2005" with " (OUT OF DATE)" when due; "" for a null time.
std::string ListToolTip(const DateTime& modified, const DateTime& today);
// The newest list by modification time; "" when there is none.
std::string NewestList();

struct ListCombo {
    std::vector<std::string> entries; // list names
    std::vector<std::string> paths;   // the file of each entry, as on disk
    int selected = -1;
    std::string toolTip;
    bool italic = false;      // out of date, until the drop-down opens
    bool whiteBack = true;

    std::string text() const { return selected >= 0 && selected < (int)entries.size() ? entries[selected] : ""; }
    bool empty() const { return entries.empty(); }
};

enum class FillResult {
    Filled,           // at least one list, one selected
    NoListsStartMain, // FULL: the main program was started; the client should end
    NoListsServer,    // USERONLY: the server dialog was shown; the combo stays empty
};

class MainScreen {
public:
    struct Combo {
        std::vector<std::string> entries;
        int selected = -1;
        std::string text() const { return selected >= 0 && selected < (int)entries.size() ? entries[selected] : ""; }
    };

    Combo type, dateRange, output;
    std::vector<std::string> users;  // cmbUser entries: "[any user]" then users.txt
    std::string ownerText = kAnyUser; // cmbUser is editable
    ListCombo lists;
    DateTime dtStart, dtEnd;
    std::string searchText;
    bool customDateVisible = true; // frameDate; hidden by the first range choice
    bool lookForRed = false, modifiedRed = false, byRed = false;

    // Called after any change of the fields above made by the model.
    std::function<void()> onChange;
    // The browser: back to "about:blank" and the start page, or show a summary page.
    std::function<void()> showStartPage;
    std::function<void(const std::string& summaryPath)> showSummary;

    // InitialiseMainScreen without the browser's offline switch.
    FillResult initialise();
    FillResult fillListCombo();   // FillListCombo
    void selectList(int index);   // cmbDirroll's Click
    void dropDown();              // cmbDirroll's DropDown
    void fillUsers();             // "[any user]" + users.txt, "[any user]" selected
    void chooseType(int index);   // cmbType's Click (asks for extensions at index 7)
    void chooseDateRange(int index);
    void chooseOutput(int index);
    void setOwnerText(const std::string& text);

    // A search of the window: these fields, ClientSettings and the window's work files.
    SearchRequest searchRequest(bool showFolders) const;

private:
    void changed() { if (onChange) onChange(); }
};

} // namespace dr::client
