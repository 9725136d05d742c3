#pragma once
// The main window of dirroll: the file list with the side panel of the current
// profile (folders, patterns, dates, exclusions), the viewer area, the status
// bar and the menus, bound to the engine's MainModel.
// Controls carry the names the rest of the program knows them by, as members
// and as objectName. Positions are computed in twips, as the settings file
// keeps them, and converted to pixels on the way to Qt.
#include <QElapsedTimer>
#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "dirroll/main_model.h"
#include "dirroll/startup.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTableView;
class QTextEdit;
class QToolButton;
class QTreeView;

namespace dr::ui {

class FilesTableModel;
class TextListModel;

class frmFiles : public QMainWindow, public dr::roll::ModelListener {
    Q_OBJECT
public:
    explicit frmFiles(QWidget* parent = nullptr);
    ~frmFiles() override;

    // The window's data, shared with the engine.
    dr::roll::MainModel model;

    // Top row.
    QToolButton* cmdEditProfile = nullptr;
    QComboBox* cmdProfile = nullptr;
    QComboBox* cmbDateRange = nullptr;
    std::array<QToolButton*, 4> cmdToolbar{}; // only index 3, the Refresh button
    QToolButton* cmdHalt = nullptr;
    QComboBox* cmbView = nullptr;
    QCheckBox* chkAutoselect = nullptr;

    // The side panel: the current profile's folders, patterns, dates and exclusions.
    QGroupBox* frameSpecs = nullptr;
    QToolButton* cmdHide = nullptr;
    QPushButton* cmdExtension = nullptr;
    QListWidget* lstXtn = nullptr;
    QLabel* lblFrom = nullptr;
    QLabel* lblTo = nullptr;
    std::array<QDateEdit*, 2> DTPicker1{};
    QPushButton* cmdPath = nullptr;
    QListWidget* lstPath = nullptr;
    QPushButton* cmdAllPaths = nullptr;
    QTreeView* lstAllPaths = nullptr;
    QTreeView* lvExclude = nullptr;

    // The list, the splitter and the viewer area.
    QTableView* lvwFiles = nullptr;
    FilesTableModel* filesModel = nullptr;
    QWidget* imgSplitter = nullptr;
    QWidget* picSplitter = nullptr; // the grey bar shown while dragging
    QLabel* lblCaption = nullptr;
    QTextEdit* txtFile = nullptr;

    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 4> panels{}; // 1..3
    QProgressBar* ProgressBar1 = nullptr;

    // Menus (a name for every entry; entries of later features stay hidden).
    QMenu *mnuFile = nullptr, *mnuList = nullptr, *mnuTags = nullptr, *mnuSearch = nullptr,
          *mnuDisplayMenu = nullptr, *mnuOptions = nullptr, *mnuOptionsColumnTypes = nullptr, *mnuHelp = nullptr;
    QAction *mnuFileNew = nullptr, *mnuFileOpen = nullptr, *mnuFileSave = nullptr, *mnuFileSaveAs = nullptr,
            *mnuFileAutomode = nullptr, *mnuFileLaunchClient = nullptr, *mnuFileExit = nullptr;
    QAction *mnuListRefresh = nullptr, *mnuListRefreshAllDates = nullptr, *mnuListRefreshClearExcluded = nullptr,
            *mnuListClear = nullptr, *mnuListSaveFileCLIENT = nullptr, *mnuListSaveFilenames = nullptr,
            *mnuListSaveDirectories = nullptr, *mnuListSaveDetails = nullptr, *mnuListPrint = nullptr,
            *mnuListMP3Tagged = nullptr, *mnuListMP3All = nullptr, *mnuListBatch = nullptr,
            *mnuListDriveReport = nullptr;
    QAction *mnuTagSelected = nullptr, *mnuUntagSelected = nullptr, *mnuTagAll = nullptr, *mnuUntagAll = nullptr,
            *mnuTagInvert = nullptr, *mnuTagRemoveTagged = nullptr, *mnuTagRemoveUntagged = nullptr,
            *mnuTagMove = nullptr, *mnuTagCopy = nullptr, *mnuTagDelete = nullptr;
    QAction *mnuSearchClient = nullptr, *mnuSearchAll = nullptr, *mnuSearchText = nullptr,
            *mnuSearchTagged = nullptr, *mnuSearchUntagged = nullptr, *mnuSearchFindText = nullptr,
            *mnuSearchFindNext = nullptr;
    std::array<QAction*, 7> mnuDisplay{};
    QAction *mnuDisplayAutoSizeColumn = nullptr, *mnuDisplayExtraInfo = nullptr;
    QAction *mnuOptionsViewSpecs = nullptr, *mnuOptionsViewActualPaths = nullptr, *mnuOptionsViewThin = nullptr,
            *mnuOptionsPauseAutoRefresh = nullptr, *mnuOptionsDefaultColumns = nullptr,
            *mnuOptionsAutoChoose = nullptr, *mnuOptWrapText = nullptr, *mnuOptionsChooseXtn = nullptr,
            *mnuOptionsOleQuick = nullptr, *mnuOptionsBoldSelected = nullptr, *mnuOptionsDetailsOnly = nullptr,
            *mnuOptionsShowHistory = nullptr, *mnuOpAutoupdateRecent = nullptr;
    std::array<QAction*, 5> mnuColumnPreset{}; // the submenu "Use Column Widths for file types"
    QAction *mnuHelpContents = nullptr, *mnuHelpAbout = nullptr, *mnuHelpWhatsNew = nullptr;

    // The full path of the selected row ("" before any selection).
    std::string currentFile;

    // Start-up from the point where the interactive window is wanted: window
    // state, panel, display table, profiles, the "Recent Files" run.
    void startUp();
    // Window state to the settings file (Exit and the close box).
    void saveWindowState();
    // Lays the controls out around the splitter's left edge x (twips).
    void SizeControls(int64_t x);
    // The resize handling: width at least 5000, SizeControls, panel, progress bar.
    void resizeHandling();

    // Layout values in twips.
    int64_t windowWidthTw() const;  // the inner width
    int64_t windowHeightTw() const; // the inner height above the status bar
    int64_t splitterLeftTw() const { return model.splitterLeft; }
    int64_t listLeftTw() const { return listLeft_; }
    int64_t listWidthTw() const;
    int64_t panelWidthTw() const;
    int64_t columnWidthTw(int col) const; // 0-based column
    void setColumnWidthTw(int col, int64_t twips);
    void applyColumnWidths(const std::array<int, 14>& twips);

    // Splitter drag in pixel coordinates of imgSplitter (the mouse events call these).
    void splitterDown();
    void splitterMove(int xInSplitter);
    void splitterUp();
    bool draggingSplitter() const { return dragging_; }

    // Commands (also what the menus and buttons call).
    void refreshCommand();
    void haltCommand();
    void clearListCommand();
    void columnClick(int col);
    void autoSizeColumns();
    void toggleThinView();
    void toggleSpecPanel();
    void hidePanel();
    void toggleActualPaths();
    void togglePauseAutoRefresh();
    void aboutCommand();
    void whatsNewCommand();
    void launchClient();
    void helpContents();
    void applyColumnPreset(int preset); // 0 default, 1..5 the submenu entries in order
    void rowSelected(int row);          // the list's ItemClick

    // Whether a long operation (scan, load, profile run) is under way.
    bool operationRunning() const { return opDepth_ > 0; }
    // Runs f as a long operation; false (f not run) when one is already under way.
    bool runOperation(const std::function<void()>& f);

    // Hooks of later features: the viewer shows currentFile after a row click;
    // the About box runs modally (tests replace it).
    std::function<void()> showCurrentFile;
    std::function<void()> showAbout;

    // Entries shown: the menu entries that do something in this build.
    bool entryShown(QAction* a) const;

    // ModelListener
    void statusChanged(int panel) override;
    void captionChanged() override;
    void specChanged(dr::roll::SpecPart part) override;
    void progressChanged() override;
    void flagsChanged() override;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void buildControls();
    void buildMenus();
    void buildPanel();
    void connectAll();
    void arrangePanel();
    void placeProgressBar();
    void syncMenuTicks();
    void flushStatus();
    void syncEnabled();
    void syncDates();
    void syncDateRange();
    void syncProfiles();
    void fillList(QListWidget* w, const std::vector<std::string>& items);
    void setListBackground();
    void applyWrap();
    void dateEdited(int which);
    void profileActivated(int index);
    void dateRangeActivated(int index);
    void restoreWindowState();
    void applyRestoredState();

    QWidget* central_ = nullptr;
    TextListModel* allPathsModel_ = nullptr;
    TextListModel* excludeModel_ = nullptr;
    int64_t listLeft_ = 0;
    int opDepth_ = 0;
    bool closePending_ = false;
    bool closing_ = false;
    bool dragging_ = false;
    bool shiftHeld_ = false;
    bool applyingWidths_ = false;
    int boldRow_ = -1;
    int lastRow_ = -1;
    dr::roll::ChronalSettings chronal_;
    QElapsedTimer statusPainted_;
    QElapsedTimer statusShown_;
    unsigned statusPending_ = 0;
    bool statusQueued_ = false;
};

} // namespace dr::ui
