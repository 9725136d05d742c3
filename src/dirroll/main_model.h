#pragma once
// The main window (frmFiles) as data: everything the engine reads or changes on
// it. The Qt window binds to it through ModelListener; automode uses it unshown.
// Setters of the caption, status panels and progress bar also forward to
// rt().host, so a headless run and the tests see them there.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "dirroll/file_list.h"
#include "platform/datetime.h"

namespace dr::roll {

// A list box with its Sorted property on: entries kept in case-blind
// alphabetical order, a new entry going after its equals.
class SortedList {
public:
    void add(const std::string& s);
    void clear() { items_.clear(); }
    void removeAt(size_t i) { items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i)); }
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const std::string& operator[](size_t i) const { return items_[i]; }
    const std::vector<std::string>& items() const { return items_; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    void assign(const std::vector<std::string>& v);

private:
    std::vector<std::string> items_;
};

// Entries of cmbDateRange, by index.
enum DateRange : int {
    AnyDates = 0, LastYear, LastMonth, LastWeek, Last3Days, TodayOnly, CustomRange
};
extern const std::array<const char*, 7> kDateRangeNames;

// Which part of the profile shown in the window changed.
enum class SpecPart { Paths, Patterns, Exclusions, AllPaths, Dates, DateRange, Profiles };

class ModelListener {
public:
    virtual ~ModelListener() = default;
    virtual void statusChanged(int /*panel*/) {}     // 1..3
    virtual void captionChanged() {}
    virtual void specChanged(SpecPart /*part*/) {}
    virtual void progressChanged() {}
    virtual void flagsChanged() {}                   // enabled states, menu ticks
};

// Menu ticks and switches the engine reads or that persist.
struct MenuTicks {
    bool pauseAutoRefresh = false; // "&Pause AutoRefresh"
    bool viewSpecs = false;        // "&View Specification Panel"
    bool autoChoose = true;        // "&Automatically choose display format"
    bool wrapText = true;
    bool viewActualPaths = false;
    bool viewThin = false;
    bool boldSelected = true;      // "Show selected file in Bold"
    bool detailsOnly = true;       // "Display Details only for files larger than 1.5Mbytes"
};

class MainModel {
public:
    MainModel();

    // lvwFiles.
    FileList files;

    // The profile combo box cmdProfile: its entries, selection and text.
    std::vector<std::string> profiles;
    int profileIndex = -1;               // -1: none selected
    bool profileEnabled = true;
    std::string profileText() const;     // the selected entry, "" when none
    void setProfiles(std::vector<std::string> names);
    void setProfileIndex(int i);         // selection only; the click is the engine's
    void setProfileEnabled(bool on);
    int findProfile(const std::string& name) const; // -1 when absent

    std::string txtHiddenProfileName;

    // The profile shown: lstPath, lstXtn, lvExclude, lstAllPaths, the pickers.
    SortedList lstPath;
    SortedList lstXtn;
    std::vector<std::string> lvExclude;
    std::vector<std::string> lstAllPaths;
    DateTime dtFrom;                     // DTPicker1(0)
    DateTime dtTo;                       // DTPicker1(1)
    int dateRangeIndex = -1;             // cmbDateRange.ListIndex, -1: none
    std::string dateRangeToolTip;
    void changed(SpecPart part);         // tells the listeners after a direct edit

    // "Clear Excluded Path List and Refresh" enabled.
    bool clearExcludedEnabled = false;

    // Caption and status bar (panels 1..3).
    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& text);
    const std::string& status(int panel) const { return status_[static_cast<size_t>(panel)]; }
    void setStatus(int panel, const std::string& text);

    // ProgressBar1.
    bool progressVisible() const { return progressVisible_; }
    int progressValue() const { return progressValue_; }
    void showProgress(bool on);
    void setProgress(int percent);

    // Flags of the window.
    bool loading = false;                // set while the window or a profile loads
    bool profileSwitching = false;       // set while code selects a profile
    bool unattended = false;             // automode / dr-server: no interactive side files
    bool halted() const;                 // the process-wide halt flag
    void setHalt(bool on);

    MenuTicks menus;
    void setMenus(const MenuTicks& m);

    // Layout values that persist through the settings file.
    int splitterLeft = 7110;

    // The excluded-paths file; "" means the program folder's ExcludedPaths.txt.
    std::string excludedPathsFile;
    std::string excludedPathsPath() const;

    // Hooks that later windows fill. The editor gets the model and the name to
    // start with; it leaves the saved name in txtHiddenProfileName.
    std::function<void(MainModel&, const std::string&)> profileEditor;
    std::function<void()> stopWebLoading;  // Halt stops a page load in the web pane

    void addListener(ModelListener* l);
    void removeListener(ModelListener* l);

private:
    template <class F> void notify(F f);
    std::string caption_;
    std::array<std::string, 4> status_;
    bool progressVisible_ = false;
    int progressValue_ = 0;
    std::vector<ModelListener*> listeners_;
};

// Lets pending window events run: announces new rows first, then the host's doEvents.
void pump(MainModel& m);

// Recounts the tags (a tagged row's own text becomes one blank, others empty)
// and rewrites the three status panels from the totals and the caption.
void UpdateFileStatus(MainModel& m);
// The texts of panels 1 and 2 while rows are being added.
std::string FilesPanelText(int64_t files);
std::string BytesPanelText(uint64_t bytes);

} // namespace dr::roll
