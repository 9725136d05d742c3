#include "client/list_model.h"

#include "common/format.h"
#include "common/launch.h"
#include "common/log.h"
#include "common/runtime.h"
#include "common/text.h"

namespace dr::client {

namespace {

std::string ymd(const DateTime& t) { return formatDate(t, "yyyymmdd"); }

bool isListFile(std::string_view name) { return name.size() > 3 && iendsWith(name, ".DR"); }

} // namespace

const std::vector<std::string>& TypeEntries() {
    static const std::vector<std::string> v{"All File Types", "Documents",   "web Pages",
                                            "Pictures",       "Music",       "Database files",
                                            "Source Code",    "Choose File Types..."};
    return v;
}

std::string TypeFilterFor(int index) {
    static const char* const filters[] = {
        "",
        ".DOT .DOC .XLS .XLM .VSD",
        ".HTM .ASP .HTML .PL .CGI .XML",
        ".GIF .JPG .JPEG .BMP .TIF .PNG",
        ".MP3 .WAV .OGG",
        ".DBF .ASC .MDB",
        ".BAS .CLS .FRM .VBP .C .CPP .PRG .ASP .PL .CGI .BAT .VBS",
    };
    return index >= 0 && index < 7 ? filters[index] : "";
}

const std::vector<std::string>& DateRangeEntries() {
    static const std::vector<std::string> v{"over a Week ago",     "over a Month ago",     "over a year ago",
                                            "At any time",         "since the last Year",  "since the last Month",
                                            "since the last Week", ".. Custom Date Range .."};
    return v;
}

bool DateRangeFor(int index, const DateTime& now, DateTime& from, DateTime& to) {
    const DateTime origin{1980, 1, 1, 0, 0, 0};
    switch (index) {
    case 0: from = origin; to = now.addDays(-7); return true;
    case 1: from = origin; to = now.addDays(-31); return true;
    case 2: from = origin; to = now.addDays(-364); return true;
    case 3: from = origin; to = DateTime{2099, 12, 31, 0, 0, 0}; return true;
    case 4: from = now.addDays(-364); to = now; return true;
    case 5: from = now.addDays(-31); to = now; return true;
    case 6: from = now.addDays(-7); to = now; return true;
    default: return false;
    }
}

const std::vector<std::string>& OutputStyles() {
    static const std::vector<std::string> v{"Web Style", "Single Line", "Table mode", "Preview mode"};
    return v;
}

// ---- Saved lists ---------------------------------------------------------------

std::vector<SavedList> FindSavedLists() {
    std::vector<SavedList> out;
    const std::string& folder = rt().programFolder;
    platform().listFolder(folder, false, [&](const Platform::DirEntry& e) {
        std::string_view name(e.name, e.nameLen);
        if (e.isDir || !isListFile(name)) return true;
        std::string path = folder + "/" + std::string(name);
        FileStat st;
        if (!platform().fileStat(path, st) || !st.isRegular) return true;
        DateTime modified = DateTime::fromTimeT(st.modified, true);
        std::string day = ymd(modified);
        if (day < "19700101" || day > "20990101") return true;
        std::string shown(name.substr(0, name.rfind('.')));
        // The main program's own backup list is no list to search.
        if (shown == "BackupFiles") return true;
        out.push_back(SavedList{std::move(shown), std::move(path), modified, IsListOutOfDate(modified, now())});
        return true;
    });
    return out;
}

bool IsListOutOfDate(const DateTime& modified, const DateTime& today) {
    if (modified.isNull()) return false;
    return ymd(modified) < ymd(today.addDays(-3));
}

std::string ListToolTip(const DateTime& modified, const DateTime& today) {
    if (modified.isNull()) return {};
    std::string tip = "Dirroll last updated " + formatDate(modified, "DDD, dd-MMM-yyyy");
    if (IsListOutOfDate(modified, today)) tip += kOutOfDateMark;
    return tip;
}

std::string NewestList() {
    std::string best;
    DateTime bestTime;
    for (const SavedList& l : FindSavedLists())
        if (best.empty() || l.modified > bestTime) {
            best = l.path;
            bestTime = l.modified;
        }
    return best;
}

// ---- The main screen -------------------------------------------------------------

FillResult MainScreen::initialise() {
    dateRange.entries = DateRangeEntries();
    chooseDateRange(kRangeAnyTime);
    type.entries = TypeEntries();
    if (showStartPage) showStartPage();
    output.entries = OutputStyles();
    output.selected = kStyleWeb;
    chooseType(kTypeAll);
    FillResult r = fillListCombo();
    fillUsers();
    if (!FileExists(UsersFilePath()))
        appLog().log("No users file load - " + UsersFilePath(), 0);
    searchText.clear();
    changed();
    return r;
}

FillResult MainScreen::fillListCombo() {
    lists.entries.clear();
    lists.selected = -1;
    lists.toolTip.clear();
    lists.paths.clear();
    for (SavedList& l : FindSavedLists()) {
        lists.entries.push_back(std::move(l.name));
        lists.paths.push_back(std::move(l.path));
    }
    if (lists.entries.empty()) {
        changed();
        host().message("There are no file lists available.\r\nDirrolls are created by the Dirroll application on "
                       "\r\nyour local drive, or copied from a server if\r\nyou have the Server version.",
                       "No Dirrolls available - about to update", Buttons::OK, Icon::Critical);
        if (settings().installMode == "FULL") {
            LaunchDocument(siblingProgram(kMainProgram));
            return FillResult::NoListsStartMain;
        }
        ShowServerPathDialog();
        return FillResult::NoListsServer;
    }
    // Read the remembered list before any selection rewrites the key.
    std::string remembered = RememberedList();
    int index = static_cast<int>(lists.entries.size()) - 1;
    if (!remembered.empty()) {
        settings().currentListPath = remembered;
        std::string name = ExtractFileName(remembered);
        name.resize(name.size() >= 3 ? name.size() - 3 : 0);
        index = 0;
        for (size_t i = 0; i < lists.entries.size(); ++i)
            if (lists.entries[i] == name) {
                index = static_cast<int>(i);
                break;
            }
    }
    selectList(index);
    return FillResult::Filled;
}

void MainScreen::selectList(int index) {
    if (index < 0 || index >= (int)lists.entries.size()) return;
    lists.selected = index;
    ClientSettings& s = settings();
    s.currentListPath = lists.paths[index];
    s.summaryPath = rt().sideFile(lists.entries[index] + ".sum");
    RememberList(s.currentListPath);
    LoadClientSettings(s);

    FileStat st;
    DateTime modified;
    if (platform().fileStat(s.currentListPath, st)) modified = DateTime::fromTimeT(st.modified, true);
    lists.toolTip = ListToolTip(modified, now());
    bool stale = IsListOutOfDate(modified, now());
    lists.italic = stale;
    if (!stale) lists.whiteBack = true;
    changed();
    if (FileExists(s.summaryPath)) {
        if (showSummary) showSummary(s.summaryPath);
    } else if (showStartPage) {
        showStartPage();
    }
}

void MainScreen::dropDown() {
    lists.italic = false;
    changed();
}

void MainScreen::fillUsers() {
    users.assign(1, kAnyUser);
    for (std::string& u : LoadUsersFile()) users.push_back(std::move(u));
    setOwnerText(kAnyUser);
}

void MainScreen::chooseType(int index) {
    if (index < 0 || index >= (int)TypeEntries().size()) return;
    type.selected = index;
    if (output.selected == kStylePreview) output.selected = kStyleWeb;
    std::string filter;
    if (index == kTypeChoose) {
        if (auto typed = host().inputBox("Enter file spec", "Choose File Types", "")) filter = *typed;
    } else {
        filter = TypeFilterFor(index);
    }
    settings().typeFilter = filter;
    if (index == kTypePictures) output.selected = kStylePreview;
    lookForRed = index != kTypeAll;
    changed();
}

void MainScreen::chooseDateRange(int index) {
    if (index < 0 || index >= (int)DateRangeEntries().size()) return;
    dateRange.selected = index;
    customDateVisible = index == kRangeCustom;
    DateRangeFor(index, now(), dtStart, dtEnd);
    modifiedRed = index != kRangeAnyTime;
    changed();
}

void MainScreen::chooseOutput(int index) {
    if (index < 0 || index >= (int)OutputStyles().size()) return;
    output.selected = index;
    changed();
}

SearchRequest MainScreen::searchRequest(bool showFolders) const {
    const ClientSettings& s = settings();
    SearchRequest r = SearchRequest::forWindow();
    r.searchText = searchText;
    r.listName = lists.text();
    r.listPath = s.currentListPath;
    r.typeText = type.text();
    r.typeFilter = s.typeFilter;
    r.rangeText = dateRange.text();
    r.from = dtStart;
    r.to = dtEnd;
    r.owner = ownerText;
    r.style = output.selected < 0 ? kStyleWeb : output.selected;
    r.maxResults = s.maxResults;
    r.showMissing = s.showMissing;
    r.previewSize = s.previewSize;
    r.showFolders = showFolders;
    r.debugMode = s.debugMode;
    return r;
}

void MainScreen::setOwnerText(const std::string& text) {
    ownerText = text;
    byRed = text != kAnyUser;
    changed();
}

} // namespace dr::client
