#include "ui/client/frm_dr_client.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <fstream>

#include "client/client_settings.h"
#include "client/client_startup.h"
#include "client/results_page.h"
#include "client/search.h"
#include "client/summary.h"
#include "common/format.h"
#include "common/ini.h"
#include "common/launch.h"
#include "common/listrules.h"
#include "common/log.h"
#include "common/runtime.h"
#include "common/text.h"
#include "ui/client/frm_dr_options.h"
#include "ui/client/frm_server_path.h"
#include "ui/client/page_view.h"
#include "ui/common/about_box.h"
#include "ui/common/qt_host.h"
#include "ui/common/twips.h"

// The start page and the help page live in the library's resources.
static void initClientPages() { Q_INIT_RESOURCE(client_pages); }

namespace dr::ui {

using namespace dr::client;

namespace {

const char* const kFormName = "frmDRClient";
const char* const kStartPage = "blank.htm";
const char* const kHelpClient = "help-dr-client.html";
const char* const kHelpMain = "help-dirroll.html";
const char* const kMailSubject = "Dirroller_v3.4";

const QColor kRed(0xFF, 0, 0);
const QColor kDarkRed(0x80, 0, 0);      // &H00000080&
const QColor kLightYellow(0xFF, 0xFF, 0xC0); // &H00C0FFFF&

const char* const kShowFoldersQuestion =
    "You have turned on 'Show Folders' which gives a list\r\n"
    "of all folders containing the search string \r\n"
    "(not just the first 100 or so results). \r\n"
    "\r\n"
    "This means that searches in large dirrolls like\r\n"
    " 'All Server Files' can take up to 120 seconds\r\n"
    "if you search for very common words (like 'a', or 'doc')\r\n"
    "\r\n"
    "Are you sure you want to turn on Show Folders?\r\n"
    "\r\n";

const char* const kChangeHistory =
    "Dirroller Client v3.4\r\n"
    "- Searches run over the saved lists of this folder, or those copied from a server folder.\r\n"
    "- The results page opens files and folders with the desktop's own programs.\r\n"
    "- Show Dirroll Summary counts a list's files by type, owner and year.";

// The list combo: its drop-down removes the italics of an out-of-date list.
class ListComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> onDropDown;
    void showPopup() override {
        if (onDropDown) onDropDown();
        QComboBox::showPopup();
    }
};

QDateTime toQt(const DateTime& t) {
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
}

DateTime fromQt(const QDateTime& q) {
    return DateTime{q.date().year(), q.date().month(), q.date().day(), q.time().hour(), q.time().minute(),
                    q.time().second()};
}

QStringList toList(const std::vector<std::string>& v) {
    QStringList l;
    l.reserve(static_cast<qsizetype>(v.size()));
    for (const std::string& s : v) l << qs(s);
    return l;
}

QStringList itemsOf(const QComboBox* c) {
    QStringList l;
    for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
    return l;
}

void setItems(QComboBox* c, const std::vector<std::string>& items) {
    QStringList l = toList(items);
    if (itemsOf(c) == l) return;
    c->clear();
    c->addItems(l);
}

void setColour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(name);
    return w;
}

bool writeResource(const QString& resource, const std::string& target) {
    QFile in(resource);
    if (!in.open(QIODevice::ReadOnly)) return false;
    QByteArray bytes = in.readAll();
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.constData(), bytes.size());
    return static_cast<bool>(out);
}

} // namespace

frmDRClient::frmDRClient(QWidget* parent) : QMainWindow(parent) {
    initClientPages();
    setObjectName(kFormName);
    setWindowTitle(kCaption);
    setFont(designFont());
    execDialog = [](QDialog& d) { return d.exec(); };
    buildControls();
    buildMenus();
    connectAll();
    bindHost();
    resize(toPx(kDesignWidth), toPx(kDesignHeight));
}

frmDRClient::~frmDRClient() {
    setServerPathDialog({});
    if (auto* h = dynamic_cast<QtHost*>(rt().host)) h->clearWindow(this);
}

// ---- Controls ----------------------------------------------------------------

QFont frmDRClient::designFont() {
    QFont f = QApplication::font();
    // The design's sizes leave no room for a wider face or a larger size.
    f.setFamilies({"Arial", "Liberation Sans", "Nimbus Sans", "Helvetica", f.family()});
    f.setPointSize(8);
    return f;
}

void frmDRClient::place(QWidget* w, int64_t left, int64_t top, int64_t width, int64_t height) {
    w->setGeometry(toPx(left), toPx(top), toPx(width), toPx(height));
}

void frmDRClient::buildControls() {
    auto* c = new QWidget(this);
    c->setObjectName("frmDRClientArea");
    setCentralWidget(c);
    c->installEventFilter(this);

    auto label = [&](int index, const char* text, bool rightAligned) {
        QString name = QStringLiteral("Label3(%1)").arg(index);
        auto* l = new QLabel(text, c);
        l->setObjectName(name);
        l->setAlignment((rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        Label3[static_cast<size_t>(index)] = l;
        return l;
    };

    place(label(2, "Look for", true), -180, 180, 915, 195);
    cmbType = named(new QComboBox(c), "cmbType");
    cmbType->setToolTip("Choose what type of Files do you want to look for");
    place(cmbType, 900, 90, 1725, 315);
    place(label(4, "containing", true), 2700, 180, 825, 195);
    txtFind = named(new QLineEdit(c), "txtFind");
    txtFind->setToolTip("Separate Multiple words by spaces");
    {
        QPalette p = txtFind->palette();
        p.setColor(QPalette::Base, kLightYellow);
        txtFind->setPalette(p);
    }
    place(txtFind, 3690, 90, 2535, 285);
    place(label(6, "from", true), 5670, 180, 1005, 195);
    auto* lists = new ListComboBox(c);
    lists->onDropDown = [this] { screen.dropDown(); };
    cmbDirroll = named(static_cast<QComboBox*>(lists), "cmbDirroll");
    {
        QPalette p = cmbDirroll->palette();
        p.setColor(QPalette::Base, Qt::white);
        p.setColor(QPalette::Button, Qt::white);
        cmbDirroll->setPalette(p);
    }
    place(cmbDirroll, 6840, 90, 2265, 315);
    cmdFind = named(new QPushButton("Go", c), "cmdFind");
    cmdFind->setDefault(true);
    place(cmdFind, 9180, 0, 1095, 375);
    chkAdvanced = named(new QCheckBox("Ad&vanced", c), "chkAdvanced");
    place(chkAdvanced, 10440, 180, 1095, 195);

    place(label(5, "Modified", false), 180, 630, 1005, 195);
    cmbDateRange = named(new QComboBox(c), "cmbDateRange");
    cmbDateRange->setToolTip("What date range the files must be in order to be shown");
    place(cmbDateRange, 900, 540, 2085, 315);
    place(label(3, " by", false), 3060, 630, 465, 195);
    cmbUser = named(new QComboBox(c), "cmbUser");
    cmbUser->setEditable(true);
    cmbUser->setInsertPolicy(QComboBox::NoInsert);
    cmbUser->setEditText(kAnyUser);
    place(cmbUser, 3330, 540, 1725, 315);
    place(label(1, "View as ", true), 5130, 630, 825, 195);
    cmbOutput = named(new QComboBox(c), "cmbOutput");
    place(cmbOutput, 6030, 540, 1545, 315);
    for (int i : {5, 3, 1}) Label3[static_cast<size_t>(i)]->hide();
    for (QWidget* w : {static_cast<QWidget*>(cmbDateRange), static_cast<QWidget*>(cmbUser),
                       static_cast<QWidget*>(cmbOutput)})
        w->hide();

    frameDate = named(new QGroupBox("Choose Custom Date", c), "frameDate");
    place(frameDate, 7740, 450, 3975, 555);
    lblFrom = named(new QLabel("from", frameDate), "lblFrom");
    lblFrom->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(lblFrom, 60, 240, 375, 255);
    dtStart = named(new QDateTimeEdit(frameDate), "dtStart");
    dtStart->setDisplayFormat("dd-MMM-yyyy");
    dtStart->setCalendarPopup(true);
    place(dtStart, 480, 210, 1500, 315);
    lblTo = named(new QLabel("to", frameDate), "lblTo");
    lblTo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(lblTo, 2025, 240, 300, 255);
    dtEnd = named(new QDateTimeEdit(frameDate), "dtEnd");
    dtEnd->setDisplayFormat("dd-MMM-yyyy");
    dtEnd->setCalendarPopup(true);
    place(dtEnd, 2385, 210, 1500, 315);

    lblHelp = named(new QLabel("Enter part of a File or Folder Name to search for", c), "lblHelp");
    setColour(lblHelp, kDarkRed);
    place(lblHelp, 3690, 900, 4695, 285);
    lblWait = named(new QLabel(c), "lblWait");
    {
        QFont f = lblWait->font();
        f.setPointSize(12);
        lblWait->setFont(f);
    }
    lblWait->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblWait->hide();
    place(lblWait, 90, 990, 3255, 465);

    web = named(new PageView(c), "web");
    web->hide();
    placeWeb(270, 4140, 4695, 1455);
    // The frame reaches below the browser's top; its pickers must stay in sight.
    frameDate->raise();

    cmdOptions = named(new QPushButton("Options", c), "cmdOptions");
    cmdReset = named(new QPushButton("Defaults", c), "cmdReset");
    cmdExit = named(new QPushButton("Exit", c), "cmdExit");
    for (QPushButton* b : {cmdOptions, cmdReset, cmdExit}) b->hide();
}

void frmDRClient::buildMenus() {
    QMenuBar* bar = menuBar();
    auto entry = [this](QMenu* m, const char* name, const char* text, const QKeySequence& key = {}) {
        QAction* a = m->addAction(text);
        a->setObjectName(name);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            // Shortcuts keep working while the simple layout hides the menus.
            addAction(a);
        }
        return a;
    };

    mnuFile = named(bar->addMenu("&File"), "mnuFile");
    mnuFileSave = entry(mnuFile, "mnuFileSave", "Save Search Results...");
    mnuFileLaunchBrowser = entry(mnuFile, "mnuFileLaunchBrowser", "Launch Results in Browser");
    mnuFile->addSeparator();
    mnuFileExit = entry(mnuFile, "mnuFileExit", "E&xit");

    mnuReports = named(bar->addMenu("&Reports"), "mnuReports");
    mnuReportClear = entry(mnuReports, "mnuReportClear", "Clear Results");
    mnuReports->addSeparator();
    mnuReportSummary = entry(mnuReports, "mnuReportSummary", "Show Dirroll Summary");
    mnuReportDuplicates = entry(mnuReports, "mnuReportDuplicates", "Show Duplicate Files");
    mnuReportMissingSep = mnuReports->addSeparator();
    mnuReportMissingSep->setObjectName("mnuReportMissingSep");
    mnuReportMissing = entry(mnuReports, "mnuReportMissing", "Show List of Missing Files");
    for (QAction* a : {mnuReportDuplicates, mnuReportMissingSep, mnuReportMissing}) a->setVisible(false);
    mnuReports->addSeparator();
    const char* const reports[3] = {"1. List Files which I used in the Last Week",
                                    "2. List All Files Modified Yesterday", "3. List Documents older than 1 year"};
    const int keys[3] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3};
    for (int i = 0; i < 3; ++i) {
        std::string name = "mnuReportDefault(" + std::to_string(i) + ")";
        mnuReportDefault[static_cast<size_t>(i)] =
            entry(mnuReports, name.c_str(), reports[i], QKeySequence(Qt::CTRL | keys[i]));
    }

    mnuTools = named(bar->addMenu("&Tools"), "mnuTools");
    mnuToolsLaunch = entry(mnuTools, "mnuToolsLaunch", "Launch Dirroller");
    mnuToolsReset = entry(mnuTools, "mnuToolsReset", "&Restore Defaults", QKeySequence(Qt::CTRL | Qt::Key_R));
    mnuTools->addSeparator();
    mnuToolsDebug = entry(mnuTools, "mnuToolsDebug", "Debug Mode");
    mnuToolsDebug->setCheckable(true);
    mnuToolsShowFolders = entry(mnuTools, "mnuToolsShowFolders", "Show List of Folders");
    mnuToolsShowFolders->setCheckable(true);
    mnuTools->addSeparator();
    mnuToolsUpdate = entry(mnuTools, "mnuToolsUpdate", "&Automatically update Dirrolls from a Server");
    mnuTools->addSeparator();
    mnuToolsOptions = entry(mnuTools, "mnuToolsOptions", "&Options...", QKeySequence(Qt::CTRL | Qt::Key_O));

    mnuHelp = named(bar->addMenu("&Help"), "mnuHelp");
    mnuHelpContents = entry(mnuHelp, "mnuHelpContents", "&Contents");
    mnuHelp->addSeparator();
    mnuHelpContact = entry(mnuHelp, "mnuHelpContact", "Contact Quendal Software");
    mnuHelp->addSeparator();
    mnuHelpWhatsNew = entry(mnuHelp, "mnuHelpWhatsNew", "What's New");
    mnuHelpWhatsNew->setVisible(false);
    mnuHelpAbout = entry(mnuHelp, "mnuHelpAbout", "&About", QKeySequence(Qt::SHIFT | Qt::Key_F1));
}

void frmDRClient::connectAll() {
    screen.onChange = [this] { syncFromScreen(); };
    screen.showStartPage = [this] { showStartPage(); };
    screen.showSummary = [this](const std::string& path) { ShowSummaryPage(path); };

    connect(cmbType, &QComboBox::activated, this, [this](int i) { screen.chooseType(i); });
    connect(cmbDateRange, &QComboBox::activated, this, [this](int i) { screen.chooseDateRange(i); });
    connect(cmbOutput, &QComboBox::activated, this, [this](int i) { screen.chooseOutput(i); });
    connect(cmbDirroll, &QComboBox::activated, this, [this](int i) { screen.selectList(i); });
    connect(cmbUser, &QComboBox::editTextChanged, this, [this](const QString& t) {
        if (!syncing_) screen.setOwnerText(ss(t));
    });
    connect(cmbUser, &QComboBox::activated, this, [this](int i) { screen.setOwnerText(ss(cmbUser->itemText(i))); });
    connect(dtStart, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& t) {
        if (!syncing_) screen.dtStart = fromQt(t);
    });
    connect(dtEnd, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& t) {
        if (!syncing_) screen.dtEnd = fromQt(t);
    });
    connect(txtFind, &QLineEdit::textChanged, this, [this](const QString& t) { screen.searchText = ss(t); });
    connect(txtFind, &QLineEdit::returnPressed, this, [this] { RunSearch(); });
    connect(cmdFind, &QPushButton::clicked, this, [this] { RunSearch(); });
    connect(chkAdvanced, &QCheckBox::toggled, this, [this] { advancedClick(); });
    connect(cmdOptions, &QPushButton::clicked, this, [this] { showOptions(); });
    connect(cmdReset, &QPushButton::clicked, this, [this] { resetFields(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { exitCommand(); });
    web->onLink = [this](const PageLink& l) { pageLink(l); };

    connect(mnuFileSave, &QAction::triggered, this, [this] { saveResults(); });
    connect(mnuFileLaunchBrowser, &QAction::triggered, this, [this] { launchResults(); });
    connect(mnuFileExit, &QAction::triggered, this, [this] { exitCommand(); });
    connect(mnuReportClear, &QAction::triggered, this, [this] { clearResults(); });
    connect(mnuReportSummary, &QAction::triggered, this, [this] { showSummary(); });
    for (int i = 0; i < 3; ++i)
        connect(mnuReportDefault[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] { reportDefault(i); });
    connect(mnuToolsLaunch, &QAction::triggered, this, [this] { launchDirroller(); });
    connect(mnuToolsReset, &QAction::triggered, this, [this] { resetFields(); });
    // The two ticks are set by their commands, which look at the state before the click.
    connect(mnuToolsDebug, &QAction::triggered, this, [this](bool on) {
        mnuToolsDebug->setChecked(!on);
        toggleDebugMode();
    });
    connect(mnuToolsShowFolders, &QAction::triggered, this, [this](bool on) {
        mnuToolsShowFolders->setChecked(!on);
        toggleShowFolders();
    });
    connect(mnuToolsUpdate, &QAction::triggered, this, [this] { showServerPathDialog(); });
    connect(mnuToolsOptions, &QAction::triggered, this, [this] { showOptions(); });
    connect(mnuHelpContents, &QAction::triggered, this, [this] { helpContents(); });
    connect(mnuHelpContact, &QAction::triggered, this, [this] { contactSupport(); });
    connect(mnuHelpAbout, &QAction::triggered, this, [this] { aboutBox(); });
    connect(mnuHelpWhatsNew, &QAction::triggered, this,
            [] { host().message(kChangeHistory, "What's New", Buttons::OK, Icon::Information); });
}

void frmDRClient::bindHost() {
    // The Qt host shows boxes over this window, sets its caption and redraws it.
    if (auto* h = dynamic_cast<QtHost*>(rt().host)) {
        QtHost::Window w;
        w.widget = this;
        w.caption = [this](const std::string& t) { setWindowTitle(qs(t)); };
        w.repaint = [this] { centralWidget()->repaint(); };
        h->setWindow(std::move(w));
    }
}

// ---- Model to controls -------------------------------------------------------

void frmDRClient::syncFromScreen() {
    if (syncing_) return;
    syncing_ = true;
    {
        QSignalBlocker b1(cmbType), b2(cmbDateRange), b3(cmbOutput), b4(cmbDirroll), b5(cmbUser), b6(dtStart),
            b7(dtEnd);
        setItems(cmbType, screen.type.entries);
        cmbType->setCurrentIndex(screen.type.selected);
        setItems(cmbDateRange, screen.dateRange.entries);
        cmbDateRange->setCurrentIndex(screen.dateRange.selected);
        setItems(cmbOutput, screen.output.entries);
        cmbOutput->setCurrentIndex(screen.output.selected);
        setItems(cmbUser, screen.users);
        if (cmbUser->currentText() != qs(screen.ownerText)) cmbUser->setEditText(qs(screen.ownerText));

        const ListCombo& l = screen.lists;
        setItems(cmbDirroll, l.entries);
        cmbDirroll->setCurrentIndex(l.selected);
        cmbDirroll->setToolTip(qs(l.toolTip));
        QFont f = cmbDirroll->font();
        if (f.italic() != l.italic) {
            f.setItalic(l.italic);
            cmbDirroll->setFont(f);
        }

        dtStart->setDateTime(toQt(screen.dtStart));
        dtEnd->setDateTime(toQt(screen.dtEnd));
    }
    if (txtFind->text() != qs(screen.searchText)) txtFind->setText(qs(screen.searchText));
    frameDate->setVisible(screen.customDateVisible && chkAdvanced->isChecked());
    setColour(Label3[2], screen.lookForRed ? kRed : Qt::black);
    setColour(Label3[5], screen.modifiedRed ? kRed : Qt::black);
    setColour(Label3[3], screen.byRed ? kRed : Qt::black);
    syncing_ = false;
}

// ---- Layout ------------------------------------------------------------------

int64_t frmDRClient::innerWidthTw() const { return toTwips(centralWidget()->width()); }
int64_t frmDRClient::innerHeightTw() const { return toTwips(centralWidget()->height()); }
int64_t frmDRClient::webTopTw() const { return webTop_; }

void frmDRClient::placeWeb(int64_t left, int64_t top, int64_t width, int64_t height) {
    webLeft_ = left;
    webTop_ = top;
    webWidth_ = std::max<int64_t>(width, 0);
    webHeight_ = std::max<int64_t>(height, 0);
    place(web, webLeft_, webTop_, webWidth_, webHeight_);
}

void frmDRClient::setMenusVisible(bool on) {
    for (QMenu* m : {mnuFile, mnuHelp, mnuTools, mnuReports}) m->menuAction()->setVisible(on);
    menuBar()->setVisible(on);
    menusShown_ = on;
}

void frmDRClient::advancedClick() {
    const int64_t rangeTop = 540, rangeHeight = 315, findTop = 90;
    const bool on = chkAdvanced->isChecked();
    setMenusVisible(on);
    for (QWidget* w : {static_cast<QWidget*>(cmbDateRange), static_cast<QWidget*>(cmbUser),
                       static_cast<QWidget*>(cmbOutput), static_cast<QWidget*>(Label3[3]),
                       static_cast<QWidget*>(Label3[5]), static_cast<QWidget*>(Label3[1])})
        w->setVisible(on);
    if (on) {
        cmbType->show();
        Label3[2]->show();
    } else {
        cmdOptions->hide();
    }
    frameDate->setVisible(on && screen.customDateVisible);
    int64_t top = (on ? rangeTop : findTop) + rangeHeight + 50;
    placeWeb(0, top, innerWidthTw(), innerHeightTw() - top);
    Form_Resize();
}

void frmDRClient::PlaceBrowser() {
    int64_t top = chkAdvanced->isChecked() ? 540 + 315 + 50 : 90 + 285 + 50;
    // Trimmed to the window at once: a page reaching below the window edge
    // would hide its last lines until the next resize.
    placeWeb(0, top, innerWidthTw(), innerHeightTw() - top);
}

void frmDRClient::Form_Resize() {
    // A minimised window gives sizes below zero: the controls keep theirs.
    const int64_t w = innerWidthTw(), h = innerHeightTw();
    if (w <= 0 || h <= 0) return;
    placeWeb(webLeft_, webTop_, w - webLeft_, h - webTop_);
    QRect r = lblWait->geometry();
    lblWait->setGeometry(r.x(), r.y(), toPx(w), r.height());
}

bool frmDRClient::eventFilter(QObject* o, QEvent* e) {
    if (o == centralWidget() && e->type() == QEvent::Resize) Form_Resize();
    return QMainWindow::eventFilter(o, e);
}

// ---- Pages -------------------------------------------------------------------

std::string frmDRClient::startPagePath() { return rt().sideFile(kStartPage); }

void frmDRClient::writeMissingPages() {
    initClientPages();
    for (const char* name : {kStartPage, kHelpClient}) {
        std::string target = rt().sideFile(name);
        if (!FileExists(target)) writeResource(QStringLiteral(":/client/") + name, target);
    }
}

void frmDRClient::showStartPage() {
    web->navigate(PageView::kBlank);
    web->navigate(qs(FileUrl(startPagePath())));
}

void frmDRClient::ShowSummaryPage(const std::string& summaryPath) {
    PlaceBrowser();
    web->show();
    web->navigate(qs(FileUrl(summaryPath)));
    host().repaint();
}

// ---- Start-up and exit -------------------------------------------------------

void frmDRClient::restoreWindowPlacement() {
    const std::string ini = IniPath();
    WindowPlacement design{0, 0, kDesignWidth, kDesignHeight};
    WindowPlacement p = RestoreWindowPlacement(kFormName, ini, design, screenWidthTwips(), screenHeightTwips(), false);
    resize(toPx(p.width), toPx(p.height));
    if (Trim(ReadIniValue(ini, kFormName, "Left")).empty()) {
        // Never placed before: the middle of the screen.
        if (QScreen* s = QGuiApplication::primaryScreen()) {
            QRect g = s->availableGeometry();
            move(g.x() + std::max(0, (g.width() - width()) / 2), g.y() + std::max(0, (g.height() - height()) / 2));
        }
        return;
    }
    move(toPx(p.left), toPx(p.top));
}

void frmDRClient::saveWindowPlacement() {
    dr::WindowState state = isMinimized()   ? dr::WindowState::Minimized
                            : isMaximized() ? dr::WindowState::Maximized
                                            : dr::WindowState::Normal;
    WindowPlacement p{toTwips(pos().x()), toTwips(pos().y()), toTwips(width()), toTwips(height())};
    SaveWindowPlacement(kFormName, IniPath(), p, state);
}

bool frmDRClient::startUp() {
    bool quit = false;
    runOperation([&] {
        setServerPathDialog([this] { showServerPathDialog(); });
        settings().debugMode = false;
        settings().iniPath = IniPath();
        restoreWindowPlacement();
        settings().installMode = DetectInstallMode();
        mnuToolsLaunch->setVisible(settings().installMode == "FULL");
        writeMissingPages();
        web->setOffline(true);
        StartupResult r = ClientStartup(screen);
        quit = r.quit;
        if (!r.captionSuffix.empty()) setWindowTitle(qs(kCaption + r.captionSuffix));
    });
    if (quit) return false;
    show();
    Form_Resize();
    return true;
}

void frmDRClient::InitialiseMainScreen() {
    web->setOffline(true);
    if (screen.initialise() == FillResult::NoListsStartMain) QTimer::singleShot(0, this, [this] { close(); });
}

void frmDRClient::closeEvent(QCloseEvent* e) {
    if (opDepth_ > 0) {
        // A search still writes its pages: close once it has returned.
        closePending_ = true;
        e->ignore();
        return;
    }
    closing_ = true;
    saveWindowPlacement();
    e->accept();
}

void frmDRClient::exitCommand() { close(); }

// ---- Searches ----------------------------------------------------------------

bool frmDRClient::runOperation(const std::function<void()>& f) {
    if (opDepth_ > 0 || closing_) return false;
    ++opDepth_;
    try {
        f();
    } catch (...) {
        // No error crosses a command's boundary; the window keeps what it shows.
    }
    --opDepth_;
    cmdFind->setEnabled(true);
    if (closePending_) {
        closePending_ = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
    return true;
}

void frmDRClient::RunSearch() {
    runOperation([this] { searchNow(); });
}

void frmDRClient::searchNow() {
    ++searches_;
    web->hide();
    cmdFind->setEnabled(false);
    ClientSettings& s = settings();
    SearchRequest r = SearchRequest::forWindow();
    r.searchText = ss(txtFind->text());
    r.listName = screen.lists.text();
    r.listPath = s.currentListPath;
    r.typeText = screen.type.text();
    r.typeFilter = s.typeFilter;
    r.rangeText = screen.dateRange.text();
    r.from = screen.dtStart;
    r.to = screen.dtEnd;
    r.owner = screen.ownerText;
    r.style = std::max(screen.output.selected, 0);
    r.maxResults = s.maxResults;
    r.showMissing = s.showMissing;
    r.previewSize = s.previewSize;
    r.showFolders = mnuToolsShowFolders->isChecked();
    r.debugMode = s.debugMode;
    r.progress = [this](const std::string& text) {
        lblHelp->hide();
        lblWait->setText(qs(text));
        lblWait->show();
    };
    SearchOutcome o = dr::client::RunSearch(r);
    if (s.currentListPath.empty() && o.status != SearchOutcome::Status::NoLists) s.currentListPath = o.listPath;
    if (o.status == SearchOutcome::Status::Done) {
        PlaceBrowser();
        web->show();
        web->navigate(qs(FileUrl(r.pagePath)));
        Form_Resize();
        host().repaint();
    }
    cmdFind->setEnabled(true);
}

void frmDRClient::pageLink(const PageLink& link) {
    std::string words;
    if (IsFindLink(ss(link.href), words)) {
        if (searching()) return;
        web->navigate(PageView::kBlank);
        web->stop();
        txtFind->setText(qs(words));
        RunSearch();
        return;
    }
    QString path = PageView::localPathOf(link.href);
    if (path.isEmpty() && link.url.isLocalFile()) path = PageView::localPathOf(link.url.toString());
    if (!path.isEmpty()) {
        // A result opens with its own program; a folder opens in the file manager.
        LaunchDocument(ss(path));
        return;
    }
    const QString scheme = link.url.scheme().toLower();
    if (scheme == "http" || scheme == "https" || scheme == "mailto" || scheme == "ftp")
        LaunchDocument(ss(link.url.toString()));
}

// ---- Commands ----------------------------------------------------------------

void frmDRClient::resetFields() {
    screen.chooseDateRange(kRangeAnyTime);
    screen.chooseType(kTypeAll);
    screen.chooseOutput(kStyleWeb);
    screen.setOwnerText(kAnyUser);
    txtFind->setText(".");
    txtFind->setText(QString());
    txtFind->setCursorPosition(0);
    showStartPage();
    web->hide();
}

void frmDRClient::clearResults() {
    showStartPage();
    web->hide();
    lblWait->hide();
}

void frmDRClient::reportDefault(int index) {
    if (index < 0 || index > 2) return;
    runOperation([this, index] {
        switch (index) {
        case 0:
            resetFields();
            screen.setOwnerText(GetLoginName());
            screen.chooseDateRange(6); // "since the last Week"
            break;
        case 1:
            if (cmbDirroll->toolTip().endsWith(QStringLiteral("(OUT OF DATE)"))) {
                host().message("Dirroll is out of date to perform a search of yesterdays files");
                return;
            }
            resetFields();
            screen.setOwnerText(kAnyUser);
            txtFind->setText(qs(formatDate(now().addDays(-1), "yyyy-mm-dd")));
            screen.chooseDateRange(kRangeAnyTime);
            chkAdvanced->setChecked(true);
            break;
        case 2:
            resetFields();
            screen.setOwnerText(kAnyUser);
            screen.chooseDateRange(2); // "over a year ago"
            screen.chooseType(1);      // "Documents"
            chkAdvanced->setChecked(true);
            break;
        }
        searchNow();
    });
}

void frmDRClient::showSummary() {
    runOperation([this] {
        showStartPage();
        web->hide();
        lblWait->setText("Creating Summary");
        lblWait->show();
        const ClientSettings& s = settings();
        BuildListSummary(s.currentListPath, s.summaryPath, screen.users,
                         [this](const std::string& t) { lblWait->setText(qs(t)); });
        if (!s.summaryPath.empty() && FileExists(s.summaryPath)) ShowSummaryPage(s.summaryPath);
    });
}

void frmDRClient::toggleShowFolders() {
    if (mnuToolsShowFolders->isChecked()) {
        mnuToolsShowFolders->setChecked(false);
        return;
    }
    if (host().message(kShowFoldersQuestion, "Do you want to turn on Show Folders?", Buttons::YesNo) == Answer::Yes)
        mnuToolsShowFolders->setChecked(true);
}

void frmDRClient::toggleDebugMode() {
    if (!mnuToolsDebug->isChecked()) {
        settings().debugMode = true;
        mnuToolsDebug->setChecked(true);
        host().message("You have turned on Debug mode, which logs searches and measures times taken to perform "
                       "tasks. To turn it off, run this menu item again",
                       "Debug Mode Activated", Buttons::OK, Icon::Information);
    } else {
        settings().debugMode = false;
        mnuToolsDebug->setChecked(false);
        host().message("Debug Mode turned off");
    }
}

void frmDRClient::showOptions() {
    frmDROptions dlg(this);
    execDialog(dlg);
}

void frmDRClient::showServerPathDialog() {
    frmServerPath dlg(this);
    execDialog(dlg);
}

void frmDRClient::helpContents() {
    if (settings().installMode == "USERONLY") mnuToolsLaunch->setVisible(false);
    // A user-only install gets its help too.
    for (const char* name : {kHelpClient, kHelpMain}) {
        std::string page = rt().sideFile(name);
        if (FileExists(page)) {
            LaunchDocument(page);
            return;
        }
    }
    LaunchDocument(kOnlineHelp);
}

void frmDRClient::contactSupport() {
    LaunchDocument(std::string("mailto:") + kSupportMail + "?subject=" + kMailSubject);
}

void frmDRClient::aboutBox() {
    frmAboutDirroll dlg(this);
    execDialog(dlg);
}

void frmDRClient::launchDirroller() { LaunchDocument(siblingProgram(kMainProgram)); }

void frmDRClient::saveResults() { SaveSearchResults(rt().sideFile(kResultsPage)); }

void frmDRClient::launchResults() { LaunchResultsInBrowser(); }

} // namespace dr::ui
