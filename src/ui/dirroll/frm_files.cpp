#include "ui/dirroll/frm_files.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>

#include "common/ini.h"
#include "common/launch.h"
#include "common/listrules.h"
#include "common/runtime.h"
#include "common/text.h"
#include "dirroll/automode.h"
#include "dirroll/extra_info.h"
#include "dirroll/file_types.h"
#include "dirroll/listing.h"
#include "dirroll/profiles.h"
#include "dirroll/recent_profiles.h"
#include "dirroll/saved_list.h"
#include "dr_version.h"
#include "ui/common/about_box.h"
#include "ui/common/qt_host.h"
#include "ui/common/twips.h"
#include "ui/dirroll/files_table_model.h"
#include "ui/dirroll/help_page.h"
#include "ui/dirroll/text_list_model.h"

namespace dr::ui {

using namespace dr::roll;

namespace {
// Design measures of the window, in twips.
constexpr int64_t kRowTop = 60, kRowHeight = 330, kGap = 60;
constexpr int64_t kListTop = kRowTop + kRowHeight + kGap;
constexpr int64_t kPanelWidth = 3000;
constexpr int64_t kSplitterWidth = 40;   // the panes start 40 to the right of the splitter
constexpr int64_t kRightMargin = 60;
constexpr int64_t kCaptionHeight = 300;
constexpr int64_t kProgressHeight = 240;
constexpr int64_t kMinWidth = 5000;
constexpr int64_t kSplitterMin = 500;
constexpr int64_t kButtonHeight = 315;
constexpr int64_t kExcludeHeight = 1500;

// The column width presets: the default and the five of the file-type submenu.
constexpr std::array<std::array<int, kColumns>, 6> kPresets = {{
    {315, 1840, 1840, 1095, 540, 1540, 0, 0, 0, 0, 0, 0, 0, 0},
    {315, 1840, 1840, 1095, 540, 1540, 0, 0, 0, 0, 0, 0, 0, 0},
    {315, 2840, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {315, 1840, 0, 0, 0, 0, 0, 0, 0, 0, 1700, 1700, 1700, 0},
    {315, 1840, 1840, 1095, 540, 0, 0, 0, 900, 900, 0, 0, 0, 0},
    {315, 1840, 1840, 1095, 540, 1540, 1540, 1000, 0, 0, 0, 0, 0, 1800},
}};

void place(QWidget* w, int64_t x, int64_t y, int64_t width, int64_t height) {
    w->setGeometry(toPx(x), toPx(y), std::max(0, toPx(width)), std::max(0, toPx(height)));
}

int64_t utf8Chars(std::string_view s) {
    int64_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

QDate toQDate(const DateTime& t) { return QDate(t.year, t.month, t.day); }

const char* const kWhatsNew =
    "Version 3.4\r\n\r\n"
    "- The file list holds millions of files and sorts them at once by any column.\r\n"
    "- Window size, panel, splitter and column widths are kept between runs.\r\n"
    "- Halt stops a refresh or the loading of a large saved list; closing the window\r\n"
    "  during a refresh halts it first.\r\n"
    "- Saved lists and profiles are written safely: a failed write keeps the old file.\r\n"
    "- Profiles and saved lists are found whatever the case of their extension.";
} // namespace

frmFiles::frmFiles(QWidget* parent) : QMainWindow(parent) {
    setObjectName("frmFiles");
    model.addListener(this);
    buildControls();
    buildMenus();
    connectAll();
    setMinimumWidth(toPx(kMinWidth));
    setWindowTitle(qs(kProgramTitle));
    for (int p = 1; p <= 3; ++p) statusChanged(p);
    syncMenuTicks();
    setListBackground();
    applyWrap();
    applyColumnWidths(model.files.widths);
}

frmFiles::~frmFiles() {
    model.removeListener(this);
    // The views and their models read the engine's lists, which go with this
    // object's members, before QObject would delete its children.
    delete central_;
    delete filesModel;
    delete allPathsModel_;
    delete excludeModel_;
    if (auto* h = dynamic_cast<QtHost*>(rt().host)) h->clearWindow(this);
}

// ---- Controls ----------------------------------------------------------------

void frmFiles::buildControls() {
    central_ = new QWidget(this);
    central_->setObjectName("frmFilesClient");
    setCentralWidget(central_);
    central_->installEventFilter(this);

    cmdEditProfile = new QToolButton(central_);
    cmdEditProfile->setObjectName("cmdEditProfile");
    cmdEditProfile->setText("...");
    cmdEditProfile->setToolTip("Edit Profile");

    cmdProfile = new QComboBox(central_);
    cmdProfile->setObjectName("cmdProfile");
    cmdProfile->setMaxVisibleItems(30);

    cmbDateRange = new QComboBox(central_);
    cmbDateRange->setObjectName("cmbDateRange");
    for (const char* n : kDateRangeNames) cmbDateRange->addItem(n);
    cmbDateRange->setCurrentIndex(-1);
    cmbDateRange->setToolTip("What date range the files must be in order to be shown");

    auto* refresh = new QToolButton(central_);
    refresh->setObjectName("cmdToolbar_3");
    refresh->setText("Refresh");
    refresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    refresh->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    refresh->setToolTip("Refresh the List");
    cmdToolbar[3] = refresh;

    cmdHalt = new QToolButton(central_);
    cmdHalt->setObjectName("cmdHalt");
    cmdHalt->setText("Halt");
    cmdHalt->setIcon(style()->standardIcon(QStyle::SP_BrowserStop));
    cmdHalt->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cmdHalt->setToolTip("Stop the current operation");

    cmbView = new QComboBox(central_);
    cmbView->setObjectName("cmbView");
    for (const char* n : {"View as Text - variable width", "View as Text - fixed width", "View Graphics",
                          "View as HTML", "View String Content", "View Details and History", "View  as OLE (Doc,Xls)"})
        cmbView->addItem(n);
    cmbView->setToolTip("Current Display Mode");

    chkAutoselect = new QCheckBox("Auto Select Display Mode", central_);
    chkAutoselect->setObjectName("chkAutoselect");
    chkAutoselect->setToolTip("Turn on to let Dirroll choose the display mode");
    chkAutoselect->setChecked(true);

    buildPanel();

    filesModel = new FilesTableModel(model.files, this);
    filesModel->setAppendInterval(250);
    lvwFiles = new QTableView(central_);
    lvwFiles->setObjectName("lvwFiles");
    lvwFiles->setModel(filesModel);
    lvwFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwFiles->setShowGrid(false);
    lvwFiles->setWordWrap(false);
    lvwFiles->setAlternatingRowColors(false);
    lvwFiles->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    lvwFiles->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    QHeaderView* vh = lvwFiles->verticalHeader();
    vh->hide();
    vh->setSectionResizeMode(QHeaderView::Fixed);
    vh->setDefaultSectionSize(lvwFiles->fontMetrics().height() + 4);
    QHeaderView* hh = lvwFiles->horizontalHeader();
    hh->setSectionsClickable(true);
    hh->setHighlightSections(false);
    hh->setStretchLastSection(false);
    hh->setMinimumSectionSize(8);
    hh->setSortIndicatorShown(false);
    hh->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lvwFiles->installEventFilter(this);

    imgSplitter = new QWidget(central_);
    imgSplitter->setObjectName("imgSplitter");
    imgSplitter->setCursor(Qt::SplitHCursor);
    imgSplitter->installEventFilter(this);
    picSplitter = new QWidget(central_);
    picSplitter->setObjectName("picSplitter");
    picSplitter->setAutoFillBackground(true);
    {
        QPalette p = picSplitter->palette();
        p.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
        picSplitter->setPalette(p);
    }
    picSplitter->hide();

    lblCaption = new QLabel(central_);
    lblCaption->setObjectName("lblCaption");
    lblCaption->setStyleSheet("QLabel { background: #808080; color: white; font-weight: bold; "
                              "border: 1px solid #404040; padding-left: 3px; }");
    lblCaption->setTextInteractionFlags(Qt::TextSelectableByMouse);

    txtFile = new QTextEdit(central_);
    txtFile->setObjectName("txtFile");
    txtFile->setReadOnly(true);

    ProgressBar1 = new QProgressBar(central_);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->hide();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    setStatusBar(StatusBar1);
    for (int p = 1; p <= 3; ++p) {
        auto* l = new QLabel(StatusBar1);
        l->setObjectName(QStringLiteral("StatusBar1_Panel%1").arg(p));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setTextFormat(Qt::PlainText);
        panels[static_cast<size_t>(p)] = l;
    }
    panels[1]->setMinimumWidth(toPx(2400));
    panels[2]->setMinimumWidth(toPx(3300));
    panels[3]->setMinimumWidth(toPx(600));
    StatusBar1->addWidget(panels[1]);
    StatusBar1->addWidget(panels[2]);
    StatusBar1->addWidget(panels[3], 1);
    StatusBar1->setSizeGripEnabled(true);
}

void frmFiles::buildPanel() {
    frameSpecs = new QGroupBox("File Specification Panel", central_);
    frameSpecs->setObjectName("frameSpecs");

    cmdHide = new QToolButton(frameSpecs);
    cmdHide->setObjectName("cmdHide");
    cmdHide->setText("X");
    cmdHide->setToolTip("Hide the Display Panel");

    // The two choosers come with the profile dialogs; until then the buttons
    // stand as headings of their lists.
    cmdExtension = new QPushButton("Displaying Files of Type", frameSpecs);
    cmdExtension->setObjectName("cmdExtension");
    cmdExtension->setEnabled(false);
    lstXtn = new QListWidget(frameSpecs);
    lstXtn->setObjectName("lstXtn");
    lstXtn->setFlow(QListView::TopToBottom);
    lstXtn->setWrapping(true);
    lstXtn->setResizeMode(QListView::Adjust);

    lblFrom = new QLabel("from", frameSpecs);
    lblFrom->setObjectName("lblFrom");
    lblTo = new QLabel("to", frameSpecs);
    lblTo->setObjectName("lblTo");
    for (int i = 0; i < 2; ++i) {
        auto* d = new QDateEdit(frameSpecs);
        d->setObjectName(QStringLiteral("DTPicker1_%1").arg(i));
        d->setDisplayFormat("dd-MMM-yyyy");
        d->setCalendarPopup(true);
        d->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
        DTPicker1[static_cast<size_t>(i)] = d;
    }

    cmdPath = new QPushButton("from the folders..", frameSpecs);
    cmdPath->setObjectName("cmdPath");
    cmdPath->setEnabled(false);
    lstPath = new QListWidget(frameSpecs);
    lstPath->setObjectName("lstPath");

    cmdAllPaths = new QPushButton("List of Actual Paths", frameSpecs);
    cmdAllPaths->setObjectName("cmdAllPaths");
    cmdAllPaths->setToolTip("This list of paths is the actual list after expanding wildcards in the above list");

    allPathsModel_ = new TextListModel(model.lstAllPaths, "List of Actual Paths", this);
    lstAllPaths = new QTreeView(frameSpecs);
    lstAllPaths->setObjectName("lstAllPaths");
    lstAllPaths->setModel(allPathsModel_);
    lstAllPaths->setRootIsDecorated(false);
    lstAllPaths->setUniformRowHeights(true);

    excludeModel_ = new TextListModel(model.lvExclude, "Exclude Paths with", this);
    lvExclude = new QTreeView(frameSpecs);
    lvExclude->setObjectName("lvExclude");
    lvExclude->setModel(excludeModel_);
    lvExclude->setRootIsDecorated(false);
    lvExclude->setUniformRowHeights(true);
}

// ---- Menus -------------------------------------------------------------------

namespace {
QAction* entry(QMenu* m, const char* name, const char* text, const QKeySequence& keys = {}, bool checkable = false,
               bool checked = false) {
    QAction* a = m->addAction(QString::fromUtf8(text));
    a->setObjectName(name);
    if (!keys.isEmpty()) a->setShortcut(keys);
    a->setCheckable(checkable);
    if (checkable) a->setChecked(checked);
    return a;
}
// Entries whose feature is not in this build stay hidden: no entry that does nothing.
void later(std::initializer_list<QAction*> as) {
    for (QAction* a : as) a->setVisible(false);
}
} // namespace

void frmFiles::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("menuBar");

    mnuFile = bar->addMenu("&File");
    mnuFile->setObjectName("mnuFile");
    mnuFileNew = entry(mnuFile, "mnuFileNew", "&New Profile...");
    mnuFileOpen = entry(mnuFile, "mnuFileOpen", "&Open Profile...");
    mnuFileSave = entry(mnuFile, "mnuFileSave", "&Save Current Profile");
    mnuFileSaveAs = entry(mnuFile, "mnuFileSaveAs", "Save &As ...");
    mnuFile->addSeparator();
    mnuFileAutomode = entry(mnuFile, "mnuFileAutomode", "Create a Batch File to run Profile from Command Line");
    mnuFileLaunchClient = entry(mnuFile, "mnuFileLaunchClient", "Launch Dirroller Client");
    mnuFile->addSeparator();
    mnuFileExit = entry(mnuFile, "mnuFileExit", "E&xit");

    mnuList = bar->addMenu("&Listing");
    mnuList->setObjectName("mnuList");
    mnuListRefresh = entry(mnuList, "mnuListRefresh", "&Refresh List", QKeySequence(Qt::Key_F2));
    mnuListRefreshAllDates =
        entry(mnuList, "mnuListRefreshAllDates", "Refresh List using Any Dates", QKeySequence(Qt::CTRL | Qt::Key_F2));
    mnuListRefreshClearExcluded = entry(mnuList, "mnuListRefreshClearExcluded", "Clear Excluded Path List and Refresh",
                                        QKeySequence(Qt::SHIFT | Qt::Key_F2));
    mnuListRefreshClearExcluded->setEnabled(false);
    mnuList->addSeparator();
    mnuListClear = entry(mnuList, "mnuListClear", "&Clear List (Remove ALL Items)");
    mnuList->addSeparator();
    mnuListSaveFileCLIENT = entry(mnuList, "mnuListSaveFileCLIENT", "Save List for &Client (DAT)");
    mnuListSaveFilenames = entry(mnuList, "mnuListSaveFilenames", "Save List of &Filenames...");
    mnuListSaveDirectories = entry(mnuList, "mnuListSaveDirectories", "Save List of &Directories...");
    mnuListSaveDetails = entry(mnuList, "mnuListSaveDetails", "&Save List of Files with Details...");
    mnuListPrint = entry(mnuList, "mnuListPrint", "&Print List");
    mnuListMP3Tagged = entry(mnuList, "mnuListMP3Tagged", "Create MP3 Playlist - Tagged Files");
    mnuListMP3All = entry(mnuList, "mnuListMP3All", "Create MP3 Playlist - All Files");
    mnuListBatch = entry(mnuList, "mnuListBatch", "Create Batch File for all List Items", QKeySequence(Qt::CTRL | Qt::Key_B));
    mnuListDriveReport = entry(mnuList, "mnuListDriveReport", "Create &Drive Report");
    later({mnuListSaveFilenames, mnuListSaveDirectories, mnuListSaveDetails, mnuListPrint, mnuListMP3Tagged,
           mnuListMP3All, mnuListBatch, mnuListDriveReport});

    mnuTags = bar->addMenu("&Tags");
    mnuTags->setObjectName("mnuTags");
    mnuTagSelected = entry(mnuTags, "mnuTagSelected", "&Tag All Selected Files in List");
    mnuUntagSelected = entry(mnuTags, "mnuUntagSelected", "&Untag All Selected Files in List");
    mnuTagAll = entry(mnuTags, "mnuTagAll", "Tag All Files in List", QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuUntagAll = entry(mnuTags, "mnuUntagAll", "Untag All Files in List", QKeySequence(Qt::CTRL | Qt::Key_U));
    mnuTagInvert = entry(mnuTags, "mnuTagInvert", "&Invert All Tags", QKeySequence(Qt::CTRL | Qt::Key_I));
    mnuTags->addSeparator()->setVisible(false);
    mnuTagRemoveTagged =
        entry(mnuTags, "mnuTagRemoveTagged", "Remove Tagged &Items from List", QKeySequence(Qt::CTRL | Qt::Key_D));
    mnuTagRemoveUntagged = entry(mnuTags, "mnuTagRemoveUntagged", "Remove all items from List &Except Tagged Items",
                                 QKeySequence(Qt::CTRL | Qt::Key_E));
    mnuTags->addSeparator()->setVisible(false);
    mnuTagMove = entry(mnuTags, "mnuTagMove", "&Move Tagged Files to a different Directory",
                       QKeySequence(Qt::CTRL | Qt::Key_M));
    mnuTagCopy =
        entry(mnuTags, "mnuTagCopy", "&Copy tagged files to a new directory", QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuTagDelete =
        entry(mnuTags, "mnuTagDelete", "Delete Tagged File(s) from Hard Drive", QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    later({mnuTagSelected, mnuUntagSelected, mnuTagAll, mnuUntagAll, mnuTagInvert, mnuTagRemoveTagged,
           mnuTagRemoveUntagged, mnuTagMove, mnuTagCopy, mnuTagDelete});
    mnuTags->menuAction()->setVisible(false);

    mnuSearch = bar->addMenu("&Search");
    mnuSearch->setObjectName("mnuSearch");
    mnuSearchClient = entry(mnuSearch, "mnuSearchClient", "Launch Dirroller Client", QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuSearch->addSeparator()->setVisible(false);
    mnuSearchAll = entry(mnuSearch, "mnuSearchAll", "Search in all files in list...", QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSearchText = entry(mnuSearch, "mnuSearchText", "Search non binary files in list...");
    mnuSearchTagged = entry(mnuSearch, "mnuSearchTagged", "Search Tagged Files only for text...",
                            QKeySequence(Qt::CTRL | Qt::Key_F3));
    mnuSearchUntagged = entry(mnuSearch, "mnuSearchUntagged", "Search UnTagged Files for text...",
                              QKeySequence(Qt::SHIFT | Qt::Key_F3));
    mnuSearch->addSeparator()->setVisible(false);
    mnuSearchFindText = entry(mnuSearch, "mnuSearchFindText", "Find Text in Current Text file...",
                              QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuSearchFindNext = entry(mnuSearch, "mnuSearchFindNext", "Find Next", QKeySequence(Qt::Key_F3));
    later({mnuSearchAll, mnuSearchText, mnuSearchTagged, mnuSearchUntagged, mnuSearchFindText, mnuSearchFindNext});

    mnuDisplayMenu = bar->addMenu("&Display");
    mnuDisplayMenu->setObjectName("mnuDisplayMenu");
    const char* modes[] = {"View as Variable Width &Text", "View as &Fixed Width Text", "View as &Picture",
                           "View as &Web Page", "View &String Content", "View Details / History",
                           "View as &OLE (Doc , Xls)"};
    for (int i = 0; i < 7; ++i) {
        QKeySequence keys = i < 6 ? QKeySequence(Qt::Key_F4 + i) : QKeySequence();
        mnuDisplay[static_cast<size_t>(i)] =
            entry(mnuDisplayMenu, QStringLiteral("mnuDisplay_%1").arg(i).toUtf8().constData(), modes[i], keys);
        mnuDisplay[static_cast<size_t>(i)]->setVisible(false);
    }
    mnuDisplayMenu->addSeparator()->setVisible(false);
    mnuDisplayAutoSizeColumn = entry(mnuDisplayMenu, "mnuDisplayAutoSizeColumn", "&Auto Size Column headers");
    mnuDisplayExtraInfo = entry(mnuDisplayMenu, "mnuDisplayExtraInfo", "Get extra Info for each File (MP3, Pics)");

    mnuOptions = bar->addMenu("&Options");
    mnuOptions->setObjectName("mnuOptions");
    mnuOptionsViewSpecs =
        entry(mnuOptions, "mnuOptionsViewSpecs", "&View Specification Panel", QKeySequence(Qt::Key_F12), true);
    mnuOptionsViewActualPaths =
        entry(mnuOptions, "mnuOptionsViewActualPaths", "View Actual Path List in Spec panel", {}, true);
    mnuOptionsViewThin = entry(mnuOptions, "mnuOptionsViewThin", "Thin Dirroll View (Toggle Wide / Narrow)",
                               QKeySequence(Qt::Key_F11), true);
    mnuOptionsPauseAutoRefresh = entry(mnuOptions, "mnuOptionsPauseAutoRefresh", "&Pause AutoRefresh",
                                       QKeySequence(Qt::SHIFT | Qt::Key_F12), true);
    mnuOptions->addSeparator();
    mnuOptionsDefaultColumns =
        entry(mnuOptions, "mnuOptionsDefaultColumns", "&Use Default Column Widths", QKeySequence(Qt::CTRL | Qt::Key_W));
    mnuOptionsColumnTypes = mnuOptions->addMenu("Use Column Widths for file types");
    mnuOptionsColumnTypes->setObjectName("mnuOptionsColumnTypes");
    const char* presets[] = {"Standard File Details (name,  path, size, xtn, date)", "Filename only",
                             "MP3 Files (standard + song, album, artist)",
                             "Graphics Files (standard + picture width and height)",
                             "Extra Date Details (standard + date modified, created, accessed)"};
    for (int i = 0; i < 5; ++i)
        mnuColumnPreset[static_cast<size_t>(i)] =
            entry(mnuOptionsColumnTypes, QStringLiteral("mnuColumnPreset_%1").arg(i).toUtf8().constData(), presets[i]);
    mnuOptions->addSeparator();
    mnuOptionsAutoChoose = entry(mnuOptions, "mnuOptionsAutoChoose", "&Automatically choose display format",
                                 QKeySequence(Qt::CTRL | Qt::Key_A), true, true);
    mnuOptWrapText = entry(mnuOptions, "mnuOptWrapText", "&Wrap Text", QKeySequence(Qt::CTRL | Qt::Key_R), true, true);
    mnuOptionsBoldSelected = entry(mnuOptions, "mnuOptionsBoldSelected", "Show selected file in Bold", {}, true, true);
    mnuOptionsChooseXtn = entry(mnuOptions, "mnuOptionsChooseXtn", "Chose how to display &Files...");
    mnuOptionsOleQuick = entry(mnuOptions, "mnuOptionsOleQuick", "Use Quick &OLE View (first page only)", {}, true, true);
    mnuOptionsDetailsOnly = entry(mnuOptions, "mnuOptionsDetailsOnly", "Display Details only for files larger than 1.5Mbytes",
                                  QKeySequence(Qt::CTRL | Qt::Key_L), true, true);
    mnuOptionsShowHistory = entry(mnuOptions, "mnuOptionsShowHistory",
                                  "Include File History from Chronal when showing Details",
                                  QKeySequence(Qt::CTRL | Qt::Key_H), true, false);
    later({mnuOptionsChooseXtn, mnuOptionsOleQuick, mnuOptionsDetailsOnly, mnuOptionsShowHistory});
    mnuOptions->addSeparator();
    mnuOpAutoupdateRecent = entry(mnuOptions, "mnuOpAutoupdateRecent", "Update 'RECENT FILES' Profile");

    mnuHelp = bar->addMenu("&Help");
    mnuHelp->setObjectName("mnuHelp");
    mnuHelpContents = entry(mnuHelp, "mnuHelpContents", "&Contents", QKeySequence(Qt::Key_F1));
    mnuHelpAbout = entry(mnuHelp, "mnuHelpAbout", "&About", QKeySequence(Qt::SHIFT | Qt::Key_F1));
    mnuHelpWhatsNew = entry(mnuHelp, "mnuHelpWhatsNew", "&Whats New in this Version");

    // The profile editor comes later; New Profile and "..." appear with it.
    mnuFileNew->setVisible(false);
    cmdEditProfile->setVisible(false);
}

bool frmFiles::entryShown(QAction* a) const { return a && a->isVisible(); }

// ---- Wiring ------------------------------------------------------------------

void frmFiles::connectAll() {
    connect(cmdToolbar[3], &QToolButton::clicked, this, [this] { refreshCommand(); });
    connect(cmdHalt, &QToolButton::clicked, this, [this] { haltCommand(); });
    connect(cmdProfile, qOverload<int>(&QComboBox::activated), this, [this](int i) { profileActivated(i); });
    connect(cmbDateRange, qOverload<int>(&QComboBox::activated), this, [this](int i) { dateRangeActivated(i); });
    for (int i = 0; i < 2; ++i) {
        QDateEdit* d = DTPicker1[static_cast<size_t>(i)];
        connect(d, &QDateEdit::editingFinished, this, [this, i] { dateEdited(i); });
        connect(d->calendarWidget(), &QCalendarWidget::clicked, this, [this, i](QDate) {
            QTimer::singleShot(0, this, [this, i] { dateEdited(i); });
        });
    }
    connect(chkAutoselect, &QCheckBox::clicked, this, [this](bool on) {
        MenuTicks m = model.menus;
        m.autoChoose = on;
        model.setMenus(m);
    });
    connect(cmdHide, &QToolButton::clicked, this, [this] { hidePanel(); });
    connect(cmdAllPaths, &QPushButton::clicked, this, [this] {
        host().message("This is the complete list of paths after expanding\r\nany wildcards '*' in the list of folders "
                       "above.\r\n\r\nTo exclude any of these paths, select it from the list\r\nand click this button "
                       "again or right mouse click to show the menu",
                       "What is the List of 'Actual' Paths", Buttons::OK, Icon::Information);
    });
    connect(lstAllPaths, &QTreeView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid()) LaunchDocument(ss(i.data().toString()));
    });
    for (QListWidget* l : {lstPath, lstXtn})
        connect(l, &QListWidget::itemClicked, l, [l](QListWidgetItem* it) { l->setToolTip(it->text()); });
    for (QTreeView* v : {lstAllPaths, lvExclude})
        connect(v, &QTreeView::clicked, v, [v](const QModelIndex& i) { v->setToolTip(i.data().toString()); });

    connect(filesModel, &QAbstractItemModel::modelReset, this, [this] { boldRow_ = lastRow_ = -1; });
    filesModel->onTagToggled = [this](int, bool) { UpdateFileStatus(model); };
    filesModel->onVisibility = [this](bool on) {
        lvwFiles->setUpdatesEnabled(on);
        if (on) lvwFiles->viewport()->update();
    };
    connect(lvwFiles->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { columnClick(c); });
    connect(lvwFiles->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int c, int, int size) {
        if (!applyingWidths_ && c >= 0 && c < kColumns) model.files.widths[static_cast<size_t>(c)] = static_cast<int>(toTwips(size));
    });
    connect(lvwFiles->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& cur, const QModelIndex&) {
                if (cur.isValid()) rowSelected(cur.row());
            });
    connect(lvwFiles, &QTableView::clicked, this, [this](const QModelIndex& i) {
        if (i.isValid() && i.row() == lastRow_ && i.column() != FullFilename) rowSelected(i.row());
    });

    connect(mnuFileOpen, &QAction::triggered, this, [this] { runOperation([this] { FileOpenProfile(model); }); });
    connect(mnuFileSave, &QAction::triggered, this, [this] { FileSaveProfile(model); });
    connect(mnuFileSaveAs, &QAction::triggered, this, [this] { runOperation([this] { FileSaveProfileAs(model); }); });
    connect(mnuFileAutomode, &QAction::triggered, this, [this] { CreateAutomodeBatchFile(model.profileText()); });
    connect(mnuFileLaunchClient, &QAction::triggered, this, [this] { launchClient(); });
    connect(mnuFileExit, &QAction::triggered, this, [this] { close(); });

    connect(mnuListRefresh, &QAction::triggered, this, [this] { refreshCommand(); });
    connect(mnuListRefreshAllDates, &QAction::triggered, this,
            [this] { runOperation([this] { RefreshWithAnyDates(model); }); });
    connect(mnuListRefreshClearExcluded, &QAction::triggered, this,
            [this] { runOperation([this] { RefreshClearExcluded(model); }); });
    connect(mnuListClear, &QAction::triggered, this, [this] { clearListCommand(); });
    connect(mnuListSaveFileCLIENT, &QAction::triggered, this,
            [this] { runOperation([this] { SaveListForClient(model); }); });

    connect(mnuSearchClient, &QAction::triggered, this, [this] { launchClient(); });
    connect(mnuDisplayAutoSizeColumn, &QAction::triggered, this, [this] { autoSizeColumns(); });
    connect(mnuDisplayExtraInfo, &QAction::triggered, this, [this] {
        runOperation([this] { ExtraInfoCommand(model); });
        filesModel->headersChanged();
        applyColumnWidths(model.files.widths);
    });

    connect(mnuOptionsViewSpecs, &QAction::triggered, this, [this] { toggleSpecPanel(); });
    connect(mnuOptionsViewActualPaths, &QAction::triggered, this, [this] { toggleActualPaths(); });
    connect(mnuOptionsViewThin, &QAction::triggered, this, [this] { toggleThinView(); });
    connect(mnuOptionsPauseAutoRefresh, &QAction::triggered, this, [this] { togglePauseAutoRefresh(); });
    connect(mnuOptionsDefaultColumns, &QAction::triggered, this, [this] { applyColumnPreset(0); });
    for (int i = 0; i < 5; ++i)
        connect(mnuColumnPreset[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] { applyColumnPreset(i + 1); });
    connect(mnuOptionsAutoChoose, &QAction::triggered, this, [this](bool on) {
        MenuTicks m = model.menus;
        m.autoChoose = on;
        model.setMenus(m);
    });
    connect(mnuOptWrapText, &QAction::triggered, this, [this](bool on) {
        MenuTicks m = model.menus;
        m.wrapText = on;
        model.setMenus(m);
    });
    connect(mnuOptionsBoldSelected, &QAction::triggered, this, [this](bool on) {
        MenuTicks m = model.menus;
        m.boldSelected = on;
        model.setMenus(m);
    });
    connect(mnuOpAutoupdateRecent, &QAction::triggered, this,
            [this] { runOperation([this] { UpdateRecentFilesCommand(model); }); });

    connect(mnuHelpContents, &QAction::triggered, this, [this] { helpContents(); });
    connect(mnuHelpAbout, &QAction::triggered, this, [this] { aboutCommand(); });
    connect(mnuHelpWhatsNew, &QAction::triggered, this, [this] { whatsNewCommand(); });

    // The Qt host shows boxes over this window and redraws its status bar.
    if (auto* h = dynamic_cast<QtHost*>(rt().host)) {
        QtHost::Window w;
        w.widget = this;
        // The engine asks for a redraw every few records; a tenth of a second is as
        // often as anyone can read the totals.
        w.repaint = [this] {
            if (statusPainted_.isValid() && statusPainted_.elapsed() < 100) return;
            flushStatus();
            StatusBar1->repaint();
            statusPainted_.start();
        };
        h->setWindow(std::move(w));
    }
}

// ---- Operations --------------------------------------------------------------

bool frmFiles::runOperation(const std::function<void()>& f) {
    if (opDepth_ > 0 || closing_) return false;
    ++opDepth_;
    cmdToolbar[3]->setEnabled(false);
    for (QAction* a : {mnuListRefresh, mnuListRefreshAllDates, mnuListClear}) a->setEnabled(false);
    try {
        f();
    } catch (...) {
        // No error crosses a command's boundary; the window stays with what it holds.
    }
    --opDepth_;
    filesModel->flushAppends();
    flushStatus();
    cmdToolbar[3]->setEnabled(true);
    for (QAction* a : {mnuListRefresh, mnuListRefreshAllDates, mnuListClear}) a->setEnabled(true);
    syncEnabled();
    if (closePending_) {
        closePending_ = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
    return true;
}

void frmFiles::refreshCommand() { runOperation([this] { RefreshCommand(model); }); }

void frmFiles::haltCommand() { HaltCommand(model); }

void frmFiles::clearListCommand() {
    runOperation([this] {
        model.files.clear();
        model.files.totals.files = 0;
        model.files.totals.bytes = 0;
        UpdateFileStatus(model);
        model.showProgress(false);
        txtFile->clear();
    });
}

void frmFiles::columnClick(int col) {
    if (col < 0 || col >= kColumns) return;
    QHeaderView* hh = lvwFiles->horizontalHeader();
    const bool ran = runOperation([this, col, hh] {
        host().setBusy(true);
        // The bold mark belongs to a position; drop it before the rows move.
        if (boldRow_ >= 0 && static_cast<size_t>(boldRow_) < model.files.size()) model.files.setBold(boldRow_, false);
        boldRow_ = lastRow_ = -1;
        model.files.columnClick(col);
        hh->setSortIndicatorShown(true);
        hh->setSortIndicator(col, model.files.sortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
        host().setBusy(false);
    });
    // The header flips its own arrow on a click; an ignored click must not move it.
    if (!ran)
        hh->setSortIndicator(model.files.sortColumn(),
                             model.files.sortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void frmFiles::autoSizeColumns() {
    // Columns 2 to 6: the longest text in characters x 77 + 400 twips.
    std::array<int64_t, kColumns> longest{};
    const FileList& f = model.files;
    for (size_t r = 0; r < f.size(); ++r)
        for (int c = Filename; c <= Modified; ++c)
            longest[static_cast<size_t>(c)] = std::max(longest[static_cast<size_t>(c)], utf8Chars(f.field(r, c)));
    for (int c = Filename; c <= Modified; ++c)
        setColumnWidthTw(c, longest[static_cast<size_t>(c)] * 77 + 400);
    lvwFiles->viewport()->update();
}

void frmFiles::applyColumnPreset(int preset) {
    if (preset < 0 || preset >= static_cast<int>(kPresets.size())) return;
    applyColumnWidths(kPresets[static_cast<size_t>(preset)]);
    lvwFiles->viewport()->update();
}

void frmFiles::launchClient() { LaunchDocument(siblingProgram("dr-client")); }

void frmFiles::helpContents() {
    std::string path = rt().sideFile("help-dirroll.html");
    if (!FileExists(path)) writeHelpPage(path);
    LaunchDocument(path);
}

void frmFiles::aboutCommand() {
    if (showAbout) {
        showAbout();
    } else {
        frmAboutDirroll box(this);
        box.exec();
    }
    model.setCaption("Quendal Vidazidev Dirroll");
}

void frmFiles::whatsNewCommand() {
    host().message(kWhatsNew, "Whats New in Dirroll " + std::to_string(DR_VERSION_MAJOR) + "." +
                                  std::to_string(DR_VERSION_MINOR),
                   Buttons::OK, Icon::Information);
}

// Steps of the list's ItemClick that belong to the list; showing the file is the viewer's.
void frmFiles::rowSelected(int row) {
    FileList& f = model.files;
    if (row < 0 || static_cast<size_t>(row) >= f.size()) return;
    if (model.menus.boldSelected && boldRow_ >= 0 && static_cast<size_t>(boldRow_) < f.size())
        f.setBold(static_cast<size_t>(boldRow_), false);
    lastRow_ = row;
    if (shiftHeld_) return;
    currentFile = RowFullPath(f, static_cast<size_t>(row));
    model.setStatus(3, currentFile);
    std::string caption = ExtractFileName(currentFile);
    if (!FileExists(currentFile)) {
        lblCaption->setText(qs(caption + "  (FILE DOES NOT EXIST - Click 'Refresh' to update dirroll)"));
        txtFile->clear();
        return;
    }
    lblCaption->setText(qs(caption));
    txtFile->clear();
    if (showCurrentFile) showCurrentFile();
    if (model.menus.boldSelected) {
        f.setBold(static_cast<size_t>(row), true);
        boldRow_ = row;
    }
}

// ---- Layout ------------------------------------------------------------------

int64_t frmFiles::windowWidthTw() const { return toTwips(central_->width()); }
int64_t frmFiles::windowHeightTw() const { return toTwips(central_->height()); }
int64_t frmFiles::listWidthTw() const { return toTwips(lvwFiles->width()); }
int64_t frmFiles::panelWidthTw() const { return kPanelWidth; }

int64_t frmFiles::columnWidthTw(int col) const {
    if (col < 0 || col >= kColumns) return 0;
    return model.files.widths[static_cast<size_t>(col)];
}

void frmFiles::setColumnWidthTw(int col, int64_t twips) {
    if (col < 0 || col >= kColumns) return;
    applyingWidths_ = true;
    QHeaderView* hh = lvwFiles->horizontalHeader();
    model.files.widths[static_cast<size_t>(col)] = static_cast<int>(std::max<int64_t>(0, twips));
    if (twips <= 0) {
        hh->setSectionHidden(col, true);
    } else {
        hh->setSectionHidden(col, false);
        hh->resizeSection(col, std::max(1, toPx(twips)));
    }
    applyingWidths_ = false;
}

void frmFiles::applyColumnWidths(const std::array<int, 14>& twips) {
    for (int c = 0; c < kColumns; ++c) setColumnWidthTw(c, twips[static_cast<size_t>(c)]);
}

void frmFiles::SizeControls(int64_t x) {
    // Before the window is shown its client area has no real size to clamp against.
    if (isMinimized() || !isVisible()) return;
    const int64_t w = windowWidthTw();
    x = std::max<int64_t>(kSplitterMin, std::min<int64_t>(x, w - kSplitterMin));
    model.splitterLeft = static_cast<int>(x);
    const int64_t top = kListTop;
    const int64_t height = std::max<int64_t>(0, windowHeightTw() - top);

    place(lvwFiles, listLeft_, top, std::max<int64_t>(0, x - listLeft_), height);
    place(imgSplitter, x, top, kSplitterWidth, height);

    const int64_t paneLeft = x + kSplitterWidth;
    const int64_t paneWidth = std::max<int64_t>(0, w - paneLeft - kRightMargin);
    place(lblCaption, paneLeft, top, paneWidth, kCaptionHeight);
    const int64_t panesTop = lblCaption->isVisibleTo(this) ? top + kCaptionHeight : top;
    place(txtFile, paneLeft, panesTop, paneWidth, height - (panesTop - top));
    place(frameSpecs, 0, top, kPanelWidth, height);

    // The top row.
    int64_t left = 0;
    auto row = [&](QWidget* c, int64_t width) {
        if (!c->isVisibleTo(this)) return;
        place(c, left, kRowTop, width, kRowHeight);
        left += width + kGap;
    };
    left = kGap;
    row(cmdEditProfile, 330);
    row(cmdProfile, 2700);
    row(cmbDateRange, 2100);
    row(cmdToolbar[3], 1150);
    row(cmdHalt, 900);
    row(cmbView, 3200);
    row(chkAutoselect, 2700);
}

void frmFiles::arrangePanel() {
    const int64_t w = kPanelWidth, inner = w - 120, h = toTwips(frameSpecs->height());
    const int64_t titleTop = 300;
    place(cmdHide, w - 60 - 270, 20, 270, 270);
    place(cmdExtension, 60, titleTop, inner, kButtonHeight);
    place(lstXtn, 60, titleTop + 345, inner, 900);
    lstXtn->setGridSize(QSize(std::max(20, toPx(inner) / 3 - 2), lstXtn->fontMetrics().height() + 2));
    const int64_t datesTop = titleTop + 345 + 930;
    place(lblFrom, 60, datesTop, 420, kButtonHeight);
    place(DTPicker1[0], 500, datesTop, inner - 440, kButtonHeight);
    place(lblTo, 60, datesTop + 345, 420, kButtonHeight);
    place(DTPicker1[1], 500, datesTop + 345, inner - 440, kButtonHeight);
    const int64_t pathTop = datesTop + 690;
    place(cmdPath, 60, pathTop, inner, kButtonHeight);
    const int64_t lstPathTop = pathTop + 345;
    const int64_t bottomGap = 60;
    if (model.menus.viewActualPaths) {
        lstAllPaths->show();
        cmdAllPaths->show();
        place(lstPath, 60, lstPathTop, inner, 1030);
        const int64_t btnTop = lstPathTop + 1030 + 30;
        place(cmdAllPaths, 60, btnTop, inner, kButtonHeight);
        const int64_t allTop = btnTop + kButtonHeight + 30;
        const int64_t allH = std::max<int64_t>(300, h - (kExcludeHeight + allTop + bottomGap + 30));
        place(lstAllPaths, 60, allTop, inner, allH);
        place(lvExclude, 60, allTop + allH + 30, inner, kExcludeHeight);
    } else {
        lstAllPaths->hide();
        cmdAllPaths->hide();
        const int64_t pathH = std::max<int64_t>(300, h - lstPathTop - (kExcludeHeight + bottomGap + 30));
        place(lstPath, 60, lstPathTop, inner, pathH);
        place(lvExclude, 60, lstPathTop + pathH + 30, inner, kExcludeHeight);
    }
}

void frmFiles::placeProgressBar() {
    const int64_t bottom = windowHeightTw();
    place(ProgressBar1, listLeft_, bottom - kProgressHeight, listWidthTw(), kProgressHeight);
    ProgressBar1->raise();
}

void frmFiles::resizeHandling() {
    if (isMinimized()) return;
    if (width() < toPx(kMinWidth)) resize(toPx(kMinWidth), height());
    SizeControls(model.splitterLeft);
    arrangePanel();
    placeProgressBar();
}

void frmFiles::splitterDown() {
    const QRect g = imgSplitter->geometry();
    picSplitter->setGeometry(g.x(), g.y(), std::max(1, g.width() / 2), std::max(1, g.height() - toPx(20)));
    picSplitter->show();
    picSplitter->raise();
    dragging_ = true;
}

void frmFiles::splitterMove(int xInSplitter) {
    if (!dragging_) return;
    int64_t x = toTwips(imgSplitter->x() + xInSplitter);
    x = std::max<int64_t>(kSplitterMin, std::min<int64_t>(x, windowWidthTw() - kSplitterMin));
    picSplitter->move(toPx(x), picSplitter->y());
}

void frmFiles::splitterUp() {
    if (!dragging_) return;
    SizeControls(toTwips(picSplitter->x()));
    placeProgressBar();
    picSplitter->hide();
    dragging_ = false;
}

void frmFiles::toggleThinView() {
    const auto& wd = model.files.widths;
    const bool panel = model.menus.viewSpecs;
    const int64_t inner = windowWidthTw();
    MenuTicks m = model.menus;
    int64_t s;
    if (!m.viewThin) {
        m.viewThin = true;
        s = wd[0] + 250 + wd[1] + (panel ? kPanelWidth : 0);
    } else {
        m.viewThin = false;
        const int64_t wide = int64_t(wd[0]) + wd[1] + wd[2] + wd[3] + wd[4] + wd[2];
        if (panel) {
            s = kPanelWidth + wide;
        } else {
            s = inner - 3000;
            if (listLeft_ + wide < s) s = listLeft_ + wide;
        }
    }
    if (s + 1000 > inner) s = inner - 1000;
    model.setMenus(m);
    SizeControls(s);
    placeProgressBar();
}

void frmFiles::toggleSpecPanel() {
    MenuTicks m = model.menus;
    int64_t splitter = model.splitterLeft;
    if (m.viewSpecs) {
        m.viewSpecs = false;
        frameSpecs->hide();
        listLeft_ = 0;
    } else {
        m.viewSpecs = true;
        const int64_t oldWidth = listWidthTw();
        frameSpecs->show();
        listLeft_ = kPanelWidth + 40;
        if (kPanelWidth + 2400 > oldWidth) splitter = kPanelWidth + 2400;
    }
    model.setMenus(m);
    SizeControls(splitter);
    arrangePanel();
    placeProgressBar();
}

void frmFiles::hidePanel() {
    MenuTicks m = model.menus;
    m.viewSpecs = false;
    model.setMenus(m);
    frameSpecs->hide();
    listLeft_ = 0;
    resizeHandling();
}

void frmFiles::toggleActualPaths() {
    MenuTicks m = model.menus;
    m.viewActualPaths = !m.viewActualPaths;
    model.setMenus(m);
    resizeHandling();
}

void frmFiles::togglePauseAutoRefresh() {
    MenuTicks m = model.menus;
    m.pauseAutoRefresh = !m.pauseAutoRefresh;
    model.setMenus(m);
}

void frmFiles::setListBackground() {
    QPalette p = lvwFiles->palette();
    p.setColor(QPalette::Base, model.menus.pauseAutoRefresh ? QColor(0xC0, 0xC0, 0xC0) : QColor(0xFF, 0xFF, 0xFF));
    lvwFiles->setPalette(p);
}

void frmFiles::applyWrap() {
    txtFile->setLineWrapMode(model.menus.wrapText ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

// ---- Events ------------------------------------------------------------------

bool frmFiles::eventFilter(QObject* o, QEvent* e) {
    if (o == central_ && e->type() == QEvent::Resize) {
        resizeHandling();
    } else if (o == imgSplitter) {
        auto* me = static_cast<QMouseEvent*>(e);
        switch (e->type()) {
        case QEvent::MouseButtonPress:
            if (me->button() == Qt::LeftButton) splitterDown();
            return true;
        case QEvent::MouseMove:
            splitterMove(static_cast<int>(me->position().x()));
            return true;
        case QEvent::MouseButtonRelease:
            if (me->button() == Qt::LeftButton) splitterUp();
            return true;
        default:
            break;
        }
    } else if (o == lvwFiles && e->type() == QEvent::KeyPress) {
        auto mods = static_cast<QKeyEvent*>(e)->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        shiftHeld_ = mods == Qt::ShiftModifier;
    }
    return QMainWindow::eventFilter(o, e);
}

void frmFiles::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && !isMinimized()) resizeHandling();
}

void frmFiles::closeEvent(QCloseEvent* e) {
    if (opDepth_ > 0) {
        // The running loop still uses the list: halt it and close once it has returned.
        model.setHalt(true);
        closePending_ = true;
        e->ignore();
        return;
    }
    closing_ = true;
    saveWindowState();
    e->accept();
}

// ---- Start-up and exit -------------------------------------------------------

void frmFiles::restoreWindowState() {
    const std::string ini = ResolveOnDisk(SettingsPath());
    WindowPlacement present{toTwips(pos().x()), toTwips(pos().y()), toTwips(width()), toTwips(height())};
    WindowPlacement p = RestoreWindowPlacement("frmFiles", ini, present, screenWidthTwips(), screenHeightTwips(), true);
    move(toPx(p.left), toPx(p.top));
    resize(toPx(p.width), toPx(p.height));
}

void frmFiles::applyRestoredState() {
    frameSpecs->setVisible(model.menus.viewSpecs);
    listLeft_ = model.menus.viewSpecs ? kPanelWidth + 40 : 0;
    applyColumnWidths(model.files.widths);
}

void frmFiles::saveWindowState() {
    const std::string ini = ResolveOnDisk(SettingsPath());
    dr::WindowState state = isMinimized() ? dr::WindowState::Minimized
                            : isMaximized() ? dr::WindowState::Maximized
                                            : dr::WindowState::Normal;
    WindowPlacement p{toTwips(pos().x()), toTwips(pos().y()), toTwips(width()), toTwips(height())};
    SaveWindowPlacement("frmFiles", ini, p, state);
    SaveWindowState(ini, WindowStateOf(model));
}

void frmFiles::startUp() {
    runOperation([this] {
        BeginInteractiveStart(model); // loading flag, deleted folder, pickers, window state
        restoreWindowState();
        applyRestoredState();
        show();
        SizeControls(model.splitterLeft);
        host().doEvents();
        cmbView->setCurrentIndex(0);
        chronal_ = FinishInteractiveStart(model); // panel lists, file types, profiles, "Recent Files"
    });
}

// ---- Model to controls -------------------------------------------------------

// Long loops rewrite the panels every few records; laying out a label's text
// that often would cost more than the loop. Texts reach the labels at most
// every 50 ms during a run, and always when it ends.
void frmFiles::statusChanged(int panel) {
    if (panel < 1 || panel > 3) return;
    statusPending_ |= 1u << panel;
    if (opDepth_ == 0 || !statusShown_.isValid() || statusShown_.elapsed() >= 50) {
        flushStatus();
    } else if (!statusQueued_) {
        statusQueued_ = true;
        QTimer::singleShot(50, this, [this] { flushStatus(); });
    }
}

void frmFiles::flushStatus() {
    statusQueued_ = false;
    for (int p = 1; p <= 3; ++p)
        if (statusPending_ & (1u << p)) panels[static_cast<size_t>(p)]->setText(qs(model.status(p)));
    statusPending_ = 0;
    statusShown_.start();
}

void frmFiles::captionChanged() { setWindowTitle(qs(model.caption())); }

void frmFiles::fillList(QListWidget* w, const std::vector<std::string>& items) {
    w->clear();
    for (const std::string& s : items) w->addItem(qs(s));
}

void frmFiles::specChanged(SpecPart part) {
    switch (part) {
    case SpecPart::Paths: fillList(lstPath, model.lstPath.items()); break;
    case SpecPart::Patterns: fillList(lstXtn, model.lstXtn.items()); break;
    case SpecPart::Exclusions: excludeModel_->refresh(); syncEnabled(); break;
    case SpecPart::AllPaths: allPathsModel_->refresh(); break;
    case SpecPart::Dates: syncDates(); break;
    case SpecPart::DateRange: syncDateRange(); break;
    case SpecPart::Profiles: syncProfiles(); break;
    }
}

void frmFiles::progressChanged() {
    ProgressBar1->setValue(model.progressValue());
    if (ProgressBar1->isVisibleTo(this) != model.progressVisible()) {
        ProgressBar1->setVisible(model.progressVisible());
        if (model.progressVisible()) placeProgressBar();
    }
}

void frmFiles::flagsChanged() {
    syncEnabled();
    syncMenuTicks();
}

void frmFiles::syncEnabled() {
    cmdProfile->setEnabled(model.profileEnabled);
    mnuListRefreshClearExcluded->setEnabled(model.clearExcludedEnabled || !model.lvExclude.empty());
}

void frmFiles::syncMenuTicks() {
    const MenuTicks& m = model.menus;
    const std::pair<QAction*, bool> ticks[] = {
        {mnuOptionsViewSpecs, m.viewSpecs},       {mnuOptionsViewActualPaths, m.viewActualPaths},
        {mnuOptionsViewThin, m.viewThin},         {mnuOptionsPauseAutoRefresh, m.pauseAutoRefresh},
        {mnuOptionsAutoChoose, m.autoChoose},     {mnuOptWrapText, m.wrapText},
        {mnuOptionsBoldSelected, m.boldSelected}, {mnuOptionsDetailsOnly, m.detailsOnly},
    };
    for (auto [a, on] : ticks)
        if (a->isChecked() != on) a->setChecked(on);
    if (chkAutoselect->isChecked() != m.autoChoose) chkAutoselect->setChecked(m.autoChoose);
    setListBackground();
    applyWrap();
}

void frmFiles::syncDates() {
    const DateTime* d[2] = {&model.dtFrom, &model.dtTo};
    for (int i = 0; i < 2; ++i) {
        QSignalBlocker b(DTPicker1[static_cast<size_t>(i)]);
        if (d[i]->valid()) DTPicker1[static_cast<size_t>(i)]->setDate(toQDate(*d[i]));
    }
}

void frmFiles::syncDateRange() {
    QSignalBlocker b(cmbDateRange);
    cmbDateRange->setCurrentIndex(model.dateRangeIndex);
    cmbDateRange->setToolTip(model.dateRangeToolTip.empty()
                                 ? QStringLiteral("What date range the files must be in order to be shown")
                                 : qs(model.dateRangeToolTip));
}

void frmFiles::syncProfiles() {
    QSignalBlocker b(cmdProfile);
    bool same = cmdProfile->count() == static_cast<int>(model.profiles.size());
    for (int i = 0; same && i < cmdProfile->count(); ++i)
        same = ss(cmdProfile->itemText(i)) == model.profiles[static_cast<size_t>(i)];
    if (!same) {
        cmdProfile->clear();
        for (const std::string& p : model.profiles) cmdProfile->addItem(qs(p));
    }
    cmdProfile->setCurrentIndex(model.profileIndex);
}

void frmFiles::profileActivated(int index) {
    if (!runOperation([this, index] { SelectProfileIndex(model, index); })) syncProfiles();
}

void frmFiles::dateRangeActivated(int index) {
    if (!runOperation([this, index] { SelectDateRange(model, index); })) syncDateRange();
}

void frmFiles::dateEdited(int which) {
    QDate q = DTPicker1[static_cast<size_t>(which)]->date();
    DateTime& d = which == 0 ? model.dtFrom : model.dtTo;
    if (d.valid() && toQDate(d) == q) return;
    if (opDepth_ > 0 || closing_) {
        syncDates();
        return;
    }
    runOperation([&] {
        d.year = q.year();
        d.month = q.month();
        d.day = q.day();
        DatePickerChanged(model);
    });
}

} // namespace dr::ui
