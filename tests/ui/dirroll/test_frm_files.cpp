// The main window over the engine: start-up, profiles, refresh, halt, status
// texts, sorting, layout limits, window state, and commands during a scan.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QTextEdit>
#include <QTreeView>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "common/ini.h"
#include "dirroll/profiles.h"
#include "dirroll/startup.h"
#include "ui/common/qt_host.h"
#include "ui/common/twips.h"
#include "ui/dirroll/files_table_model.h"
#include "window_fixture.h"

using namespace drtest;
using dr::Answer;
using dr::ui::toPx;
using dr::ui::toTwips;
namespace roll = dr::roll;

namespace {

bool contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

std::string ini(const TestEnv& env, const std::string& section, const std::string& key) {
    return dr::ReadIniValue(env.path("dirroll.INI"), section, key);
}

void tick(dr::ui::frmFiles& w, int row) {
    w.filesModel->setData(w.filesModel->index(row, roll::FullFilename), Qt::Checked, Qt::CheckStateRole);
}

} // namespace

// ---- Start-up ----------------------------------------------------------------

TEST_F(WindowTest, FirstStartInAnEmptyFolderShowsTheRecentFilesRun) {
    makeFiles("docs", {{"letter.txt", 10}, {"photo.jpg", 20}});
    plat.recent = {env.path("docs/letter.txt"), env.path("docs/photo.jpg")};

    start();

    EXPECT_TRUE(env.exists("dirroll.INI"));
    EXPECT_NE(env.read("dirroll.INI").find("[frmFiles]"), std::string::npos);
    for (const char* p : {"Dirroll Directory.pro", "Recent Files.pro", "Recent Pictures.pro", "Recent Documents.pro"})
        EXPECT_TRUE(env.exists(p)) << p;
    EXPECT_TRUE(env.exists("deleted"));
    std::string log = env.read("dirroll.log");
    EXPECT_LT(log.find("Setup - CreateDefaultIniFile"), log.find("Setup - created new INI File (no other was there)"));

    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->cmdProfile->currentText().toStdString(), "Recent Files");
    EXPECT_EQ(w->windowTitle().toStdString(), "Quendal Vidazidev Dirroller - Recent Files");
    auto names = column(roll::Filename);
    EXPECT_TRUE(contains(names, "letter.txt"));
    EXPECT_TRUE(contains(names, "photo.jpg"));
    EXPECT_EQ(w->filesModel->rowCount(), static_cast<int>(w->model.files.size()));
    EXPECT_TRUE(env.exists("Recent Files.DR"));
    EXPECT_FALSE(w->model.loading);
    EXPECT_FALSE(w->operationRunning());
    // Any Dates was chosen while loading; the profile's own range then shows.
    EXPECT_EQ(w->cmbDateRange->currentIndex(), roll::LastWeek);
    EXPECT_FALSE(w->ProgressBar1->isVisible());
    EXPECT_EQ(w->cmbView->currentIndex(), 0);
    EXPECT_TRUE(w->chkAutoselect->isChecked());
}

// ---- Profiles and refresh ----------------------------------------------------

TEST_F(WindowTest, ChoosingAProfileWithoutASavedListBuildsAndSavesIt) {
    makeFiles("data", {{"a.txt", 100}, {"b.txt", 200}});
    writeProfile("Data", "data");
    start();

    chooseProfile("Data");

    EXPECT_EQ(w->windowTitle().toStdString(), "Quendal Vidazidev Dirroller - Data");
    auto names = column(roll::Filename);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_TRUE(env.exists("Data.DR"));
    ASSERT_EQ(w->lstPath->count(), 1);
    EXPECT_EQ(dr::ui::ss(w->lstPath->item(0)->text()), env.path("data"));
    EXPECT_EQ(panel(1), "2 files (0 tagged files) ");
    EXPECT_TRUE(w->cmdProfile->isEnabled());
}

TEST_F(WindowTest, ChoosingAProfileWithASavedListShowsItWithoutScanning) {
    makeFiles("data", {{"on-disk.txt", 5}});
    writeProfile("Data", "data");
    writeSavedList("Data", {{"saved1.txt", env.path("data") + "/", 1234}, {"saved2.txt", env.path("data") + "/", 10}});
    start();

    chooseProfile("Data");

    EXPECT_EQ(column(roll::Filename).size(), 2u);
    EXPECT_TRUE(contains(column(roll::Filename), "saved1.txt"));
    EXPECT_NE(w->windowTitle().toStdString().find("'Data' (last refreshed on "), std::string::npos);
    ASSERT_EQ(w->model.lstAllPaths.size(), 1u);
    EXPECT_EQ(w->lstAllPaths->model()->index(0, 0).data().toString().toStdString(), "[using Saved Dirroll]");
    EXPECT_EQ(panel(1), "2 files ");
    EXPECT_EQ(panel(2), "1,244 bytes ");
    EXPECT_EQ(panel(3).rfind("Loaded 'Data.DR' (last refreshed on ", 0), 0u) << panel(3);
}

TEST_F(WindowTest, RefreshRescansTheDiskAndReplacesTheSavedList) {
    makeFiles("data", {{"on-disk.txt", 5}});
    writeProfile("Data", "data");
    writeSavedList("Data", {{"stale.txt", env.path("data") + "/", 1}});
    start();
    chooseProfile("Data");
    ASSERT_EQ(column(roll::Filename), std::vector<std::string>{"stale.txt"});

    w->cmdToolbar[3]->click();
    settle();

    EXPECT_EQ(column(roll::Filename), std::vector<std::string>{"on-disk.txt"});
    EXPECT_NE(env.read("Data.DR").find("on-disk.txt"), std::string::npos);
    EXPECT_EQ(env.read("Data.DR").find("stale.txt"), std::string::npos);
    EXPECT_EQ(w->windowTitle().toStdString(), "Quendal Vidazidev Dirroller - Data");
    EXPECT_FALSE(w->ProgressBar1->isVisible());
    EXPECT_TRUE(w->cmdToolbar[3]->isEnabled());

    // F2 runs the same command.
    makeFiles("data", {{"later.txt", 7}});
    w->mnuListRefresh->trigger();
    settle();
    EXPECT_EQ(w->model.files.size(), 2u);
}

// ---- Halt --------------------------------------------------------------------

class HaltTest : public WindowTest {
protected:
    void SetUp() override {
        for (const char* sub : {"one", "two", "three"}) {
            std::vector<std::pair<std::string, int>> files;
            for (int i = 0; i < 40; ++i) files.push_back({std::string(sub) + std::to_string(i) + ".txt", 1});
            makeFiles(std::string("tree/") + sub, files);
        }
        writeProfile("Tree", "tree*");
        start();
        // Halt is pressed once the first rows are in (the scan lets events run at row 33).
        env.host.onDoEvents = [this] {
            if (!pressed_ && w->model.files.size() >= 33) {
                pressed_ = true;
                w->cmdHalt->click();
            }
        };
    }
    bool pressed_ = false;
};

TEST_F(HaltTest, AnsweringNoGoesOnToTheEnd) {
    env.host.expectBox(Answer::No, "Do you want to halt the operation ?");
    chooseProfile("Tree");
    EXPECT_TRUE(pressed_);
    EXPECT_EQ(w->model.files.size(), 120u);
    ASSERT_FALSE(env.host.boxes.empty());
    EXPECT_EQ(env.host.boxes.back().req.title, "Halt during Refresh?");
    EXPECT_EQ(env.host.boxes.back().req.buttons, dr::Buttons::YesNo);
    EXPECT_TRUE(env.exists("Tree.DR"));
    EXPECT_TRUE(env.host.scriptUsedUp());
}

TEST_F(HaltTest, AnsweringYesKeepsTheRowsFoundSoFar) {
    env.host.expectBox(Answer::Yes, "Do you want to halt the operation ?");
    chooseProfile("Tree");
    EXPECT_TRUE(pressed_);
    EXPECT_GE(w->model.files.size(), 33u);
    EXPECT_LT(w->model.files.size(), 120u);
    EXPECT_EQ(w->filesModel->rowCount(), static_cast<int>(w->model.files.size()));
    // A halted build leaves no saved list behind.
    EXPECT_FALSE(env.exists("Tree.DR"));
    bool haltShown = false;
    for (const std::string& t : env.host.status[3]) haltShown |= t.find(" - Operation Halted by user") != std::string::npos;
    EXPECT_TRUE(haltShown);
    EXPECT_FALSE(w->operationRunning());
}

// ---- Commands during a scan --------------------------------------------------

TEST_F(HaltTest, CommandsThatStartAnotherOperationAreIgnoredWhileAScanRuns) {
    bool tried = false;
    bool nestedRefused = false, rowsKept = false, dateReverted = false, profileKept = false, rangeKept = false;
    env.host.onDoEvents = [&] {
        if (tried || w->model.files.size() < 33) return;
        tried = true;
        ASSERT_TRUE(w->operationRunning());
        nestedRefused = !w->runOperation([] { ADD_FAILURE() << "a second operation ran"; });
        w->clearListCommand();
        rowsKept = w->model.files.size() > 0;
        w->cmdToolbar[3]->click();
        emit w->cmbDateRange->activated(roll::LastWeek);
        rangeKept = w->cmbDateRange->currentIndex() == w->model.dateRangeIndex;
        w->DTPicker1[0]->setDate(QDate(2001, 2, 3));
        emit w->DTPicker1[0]->editingFinished();
        dateReverted = w->DTPicker1[0]->date() != QDate(2001, 2, 3);
        emit w->cmdProfile->activated(0);
        profileKept = w->cmdProfile->currentText() == "Tree";
    };
    chooseProfile("Tree");

    EXPECT_TRUE(tried);
    EXPECT_TRUE(nestedRefused);
    EXPECT_TRUE(rowsKept);
    EXPECT_TRUE(rangeKept);
    EXPECT_TRUE(dateReverted);
    EXPECT_TRUE(profileKept);
    // The scan went on to its end, untouched.
    EXPECT_EQ(w->model.files.size(), 120u);
    EXPECT_EQ(w->cmdProfile->currentText().toStdString(), "Tree");
    EXPECT_EQ(w->cmbDateRange->currentIndex(), roll::AnyDates);
    EXPECT_TRUE(env.exists("Tree.DR"));
    EXPECT_TRUE(env.host.boxes.empty());
    // Afterwards the same commands work again.
    w->clearListCommand();
    EXPECT_EQ(w->model.files.size(), 0u);
}

TEST_F(HaltTest, ClosingDuringAScanHaltsItAndClosesAfterwards) {
    bool closedAtOnce = true;
    env.host.onDoEvents = [&] {
        if (!pressed_ && w->model.files.size() >= 33) {
            pressed_ = true;
            closedAtOnce = w->close();
        }
    };
    env.host.expectBox(Answer::Yes, "Do you want to halt the operation ?");
    chooseProfile("Tree");
    settle();
    EXPECT_FALSE(closedAtOnce);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(ini(env, "frmFiles", "WindowState").empty());
    EXPECT_FALSE(env.exists("Tree.DR"));
}

// ---- Status bar --------------------------------------------------------------

TEST_F(WindowTest, StatusTextsForThreeRowsWithOneTaggedAndForAnEmptyList) {
    writeProfile("Three", "data");
    writeSavedList("Three", {{"a", "/d/", 100}, {"b", "/d/", 200}, {"c", "/d/", 300}});
    start();
    chooseProfile("Three");
    ASSERT_EQ(column(roll::Filename), (std::vector<std::string>{"a", "b", "c"}));

    tick(*w, 1);
    EXPECT_EQ(panel(1), "3 files (1 tagged files) ");
    EXPECT_EQ(panel(2), "600 bytes  (200 tagged bytes) ");
    EXPECT_EQ(w->model.files.text(1, roll::FullFilename), " ");
    EXPECT_EQ(w->model.files.text(0, roll::FullFilename), "");
    EXPECT_EQ(panel(3), w->model.caption());

    w->mnuListClear->trigger();
    EXPECT_EQ(w->filesModel->rowCount(), 0);
    EXPECT_EQ(panel(1), " files (0 tagged files) ");
    EXPECT_EQ(panel(2), " bytes  (0 tagged bytes) ");
}

// ---- The list ----------------------------------------------------------------

TEST_F(WindowTest, TheSizeHeaderClickedTwiceSortsDescendingThenAscending) {
    writeProfile("Sizes", "data");
    writeSavedList("Sizes", {{"mid", "/d/", 2000}, {"small", "/d/", 5}, {"big", "/d/", 1000000}});
    start();
    chooseProfile("Sizes");
    QHeaderView* hh = w->lvwFiles->horizontalHeader();

    emit hh->sectionClicked(roll::Size);
    EXPECT_EQ(column(roll::Filename), (std::vector<std::string>{"big", "mid", "small"}));
    EXPECT_EQ(hh->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(w->filesModel->index(0, roll::Size).data().toString().toStdString(), "1,000,000");

    emit hh->sectionClicked(roll::Size);
    EXPECT_EQ(column(roll::Filename), (std::vector<std::string>{"small", "mid", "big"}));
    EXPECT_EQ(hh->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(w->filesModel->index(0, roll::Filename).data().toString().toStdString(), "small");
}

// A header click as the mouse gives it: Qt's own header flips its arrow first.
static void clickHeader(QHeaderView* hh, int section) {
    QPoint at(hh->sectionViewportPosition(section) + hh->sectionSize(section) / 2, hh->height() / 2);
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, at, hh->viewport()->mapToGlobal(at), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(hh->viewport(), &e);
    }
}

TEST_F(HaltTest, AHeaderClickIgnoredDuringAScanLeavesTheArrowAsTheListIsSorted) {
    bool pressed = true;
    std::swap(pressed, pressed_); // no Halt for the first run
    chooseProfile("Tree");
    ASSERT_EQ(w->model.files.size(), 120u);
    QHeaderView* hh = w->lvwFiles->horizontalHeader();
    clickHeader(hh, roll::Filename);
    ASSERT_EQ(column(roll::Filename).front(), "two9.txt");
    ASSERT_EQ(hh->sortIndicatorSection(), roll::Filename);
    ASSERT_EQ(hh->sortIndicatorOrder(), Qt::DescendingOrder);

    bool clicked = false;
    env.host.onDoEvents = [&] {
        if (clicked || w->model.files.size() < 33) return;
        clicked = true;
        clickHeader(hh, roll::Size);
    };
    w->refreshCommand();
    settle();
    ASSERT_TRUE(clicked);
    ASSERT_EQ(w->model.files.size(), 120u);
    // The list is still sorted by name, descending, and the arrow says so.
    EXPECT_EQ(column(roll::Filename).front(), "two9.txt");
    EXPECT_EQ(hh->sortIndicatorSection(), roll::Filename);
    EXPECT_EQ(hh->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(WindowTest, ARowClickSetsTheCurrentFileStatusAndCaption) {
    makeFiles("data", {{"real.txt", 3}});
    writeProfile("Data", "data");
    writeSavedList("Data", {{"real.txt", env.path("data") + "/", 3}, {"gone.txt", env.path("data") + "/", 4}});
    start();
    chooseProfile("Data");

    w->lvwFiles->setCurrentIndex(w->filesModel->index(0, roll::Filename));
    EXPECT_EQ(w->currentFile, env.path("data/real.txt"));
    EXPECT_EQ(panel(3), env.path("data/real.txt"));
    EXPECT_EQ(w->lblCaption->text().toStdString(), "real.txt");
    EXPECT_TRUE(w->model.files.bold(0));

    // Keyboard movement selects the next row the same way.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(w->lvwFiles, &down);
    EXPECT_EQ(w->currentFile, env.path("data/gone.txt"));
    EXPECT_EQ(w->lblCaption->text().toStdString(), "gone.txt  (FILE DOES NOT EXIST - Click 'Refresh' to update dirroll)");
    EXPECT_FALSE(w->model.files.bold(0));
}

TEST_F(WindowTest, ColumnPresetsAndAutoSize) {
    writeProfile("Names", "data");
    writeSavedList("Names", {{"abcdefghij", "/d/", 1}, {"x", "/d/", 1}});
    start();
    w->mnuColumnPreset[1]->trigger(); // "Filename only"
    EXPECT_EQ(w->columnWidthTw(roll::Filename), 2840);
    EXPECT_TRUE(w->lvwFiles->horizontalHeader()->isSectionHidden(roll::Path));
    w->mnuOptionsDefaultColumns->trigger();
    EXPECT_FALSE(w->lvwFiles->horizontalHeader()->isSectionHidden(roll::Path));
    EXPECT_EQ(w->columnWidthTw(roll::Path), 1840);
    EXPECT_EQ(w->lvwFiles->horizontalHeader()->sectionSize(roll::Path), toPx(1840));

    chooseProfile("Names");
    w->mnuDisplayAutoSizeColumn->trigger();
    EXPECT_EQ(w->columnWidthTw(roll::Filename), 10 * 77 + 400);
    EXPECT_EQ(w->columnWidthTw(roll::Type), 3 * 77 + 400);
    EXPECT_EQ(w->columnWidthTw(roll::FullFilename), 315);
}

// ---- Layout ------------------------------------------------------------------

TEST_F(WindowTest, TheWindowStaysAtLeast5000WideAndTheSplitterWithinLimits) {
    start();
    w->resize(toPx(3000), toPx(6000));
    settle();
    EXPECT_EQ(w->width(), toPx(5000));

    w->resize(toPx(12000), toPx(8000));
    settle();
    const int64_t width = w->windowWidthTw();
    auto drag = [&](int toX) {
        QPointF at(1, 5);
        QMouseEvent down(QEvent::MouseButtonPress, at, w->imgSplitter->mapToGlobal(at), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->imgSplitter, &down);
        EXPECT_TRUE(w->picSplitter->isVisible());
        QPointF to(toX - w->imgSplitter->x(), 5);
        QMouseEvent move(QEvent::MouseMove, to, w->imgSplitter->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w->imgSplitter, &move);
        QMouseEvent up(QEvent::MouseButtonRelease, to, w->imgSplitter->mapToGlobal(to), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w->imgSplitter, &up);
        EXPECT_FALSE(w->picSplitter->isVisible());
    };
    drag(-400);
    EXPECT_EQ(w->splitterLeftTw(), 500);
    EXPECT_EQ(w->imgSplitter->x(), toPx(500));
    drag(w->width() + 400);
    EXPECT_EQ(w->splitterLeftTw(), width - 500);
    drag(toPx(4005));
    EXPECT_EQ(w->splitterLeftTw(), 4005);
    EXPECT_EQ(w->lvwFiles->width(), toPx(4005 - w->listLeftTw()));
    EXPECT_EQ(w->txtFile->x(), toPx(4005 + 40));
}

TEST_F(WindowTest, PanelThinViewAndPause) {
    start();
    w->resize(toPx(15000), toPx(9000));
    settle();
    ASSERT_FALSE(w->frameSpecs->isVisible());
    EXPECT_EQ(w->listLeftTw(), 0);

    w->mnuOptionsViewSpecs->trigger(); // F12
    EXPECT_TRUE(w->frameSpecs->isVisible());
    EXPECT_TRUE(w->mnuOptionsViewSpecs->isChecked());
    EXPECT_EQ(w->listLeftTw(), w->panelWidthTw() + 40);
    EXPECT_GE(w->splitterLeftTw(), w->panelWidthTw() + 2400);

    w->cmdHide->click();
    EXPECT_FALSE(w->frameSpecs->isVisible());
    EXPECT_FALSE(w->mnuOptionsViewSpecs->isChecked());
    EXPECT_EQ(w->listLeftTw(), 0);

    // Thin: columns 1 and 2 and 250; wide again: the inner width less 3000 or the columns, whichever is less.
    w->mnuOptionsViewThin->trigger();
    EXPECT_EQ(w->splitterLeftTw(), 315 + 250 + 1840);
    w->mnuOptionsViewThin->trigger();
    EXPECT_EQ(w->splitterLeftTw(), std::min<int64_t>(w->windowWidthTw() - 3000, 315 + 1840 + 1840 + 1095 + 540 + 1840));

    w->mnuOptionsViewActualPaths->trigger();
    w->mnuOptionsViewSpecs->trigger();
    EXPECT_TRUE(w->lstAllPaths->isVisible());
    w->mnuOptionsViewActualPaths->trigger();
    EXPECT_FALSE(w->lstAllPaths->isVisible());

    w->mnuOptionsPauseAutoRefresh->trigger();
    EXPECT_TRUE(w->model.menus.pauseAutoRefresh);
    EXPECT_EQ(w->lvwFiles->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
    w->mnuOptionsPauseAutoRefresh->trigger();
    EXPECT_EQ(w->lvwFiles->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xFF));
}

// ---- Window state ------------------------------------------------------------

TEST_F(WindowTest, WindowStateAndColumnWidthsSurviveARestart) {
    start();
    w->resize(toPx(12000), toPx(7500));
    w->move(toPx(900), toPx(600));
    settle();
    w->mnuOptionsViewSpecs->trigger();
    w->mnuOptWrapText->trigger();
    w->setColumnWidthTw(roll::Path, 2505);
    w->lvwFiles->horizontalHeader()->resizeSection(roll::Type, 50); // a drag on the header
    w->SizeControls(6600);
    const int64_t typeWidth = w->columnWidthTw(roll::Type);

    restart();

    EXPECT_EQ(toTwips(w->width()), 12000);
    EXPECT_EQ(toTwips(w->height()), 7500);
    EXPECT_EQ(toTwips(w->x()), 900);
    EXPECT_EQ(toTwips(w->y()), 600);
    EXPECT_TRUE(w->frameSpecs->isVisible());
    EXPECT_TRUE(w->mnuOptionsViewSpecs->isChecked());
    EXPECT_FALSE(w->mnuOptWrapText->isChecked());
    EXPECT_EQ(w->splitterLeftTw(), 6600);
    EXPECT_EQ(w->columnWidthTw(roll::Path), 2505);
    EXPECT_EQ(w->columnWidthTw(roll::Type), typeWidth);
    EXPECT_EQ(w->lvwFiles->horizontalHeader()->sectionSize(roll::Type), 50);
    EXPECT_EQ(ini(env, "display", "imgSplitter"), "6600");
    EXPECT_EQ(ini(env, "ColumnHeaders", "3"), "2505");
    EXPECT_EQ(ini(env, "display", "MenuCheckedViewSpecs"), "1");
    EXPECT_EQ(ini(env, "frmFiles", "WindowState"), "0");
}

TEST_F(WindowTest, ExitAndTheCloseBoxWriteTheSameKeys) {
    start();
    const std::string before = env.read("dirroll.INI");
    w->mnuFileExit->trigger();
    settle();
    EXPECT_FALSE(w->isVisible());
    const std::string byExit = env.read("dirroll.INI");
    EXPECT_NE(byExit, before);
    w.reset();

    env.write("dirroll.INI", before);
    start();
    w->close();
    settle();
    EXPECT_EQ(env.read("dirroll.INI"), byExit);
    for (const char* key : {"1", "6", "14"}) EXPECT_FALSE(ini(env, "ColumnHeaders", key).empty()) << key;
}

// ---- Menus and one-line commands ---------------------------------------------

TEST_F(WindowTest, MenuEntriesShortcutsAndHiddenLaterFeatures) {
    start();
    struct Case {
        QAction* a;
        const char* text;
        QKeySequence keys;
    } cases[] = {
        {w->mnuFileOpen, "&Open Profile...", {}},
        {w->mnuFileSave, "&Save Current Profile", {}},
        {w->mnuFileSaveAs, "Save &As ...", {}},
        {w->mnuFileLaunchClient, "Launch Dirroller Client", {}},
        {w->mnuFileExit, "E&xit", {}},
        {w->mnuListRefresh, "&Refresh List", QKeySequence(Qt::Key_F2)},
        {w->mnuListRefreshAllDates, "Refresh List using Any Dates", QKeySequence(Qt::CTRL | Qt::Key_F2)},
        {w->mnuListRefreshClearExcluded, "Clear Excluded Path List and Refresh", QKeySequence(Qt::SHIFT | Qt::Key_F2)},
        {w->mnuListClear, "&Clear List (Remove ALL Items)", {}},
        {w->mnuListSaveFileCLIENT, "Save List for &Client (DAT)", {}},
        {w->mnuSearchClient, "Launch Dirroller Client", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {w->mnuDisplayAutoSizeColumn, "&Auto Size Column headers", {}},
        {w->mnuOptionsViewSpecs, "&View Specification Panel", QKeySequence(Qt::Key_F12)},
        {w->mnuOptionsViewActualPaths, "View Actual Path List in Spec panel", {}},
        {w->mnuOptionsViewThin, "Thin Dirroll View (Toggle Wide / Narrow)", QKeySequence(Qt::Key_F11)},
        {w->mnuOptionsPauseAutoRefresh, "&Pause AutoRefresh", QKeySequence(Qt::SHIFT | Qt::Key_F12)},
        {w->mnuOptionsDefaultColumns, "&Use Default Column Widths", QKeySequence(Qt::CTRL | Qt::Key_W)},
        {w->mnuOptionsAutoChoose, "&Automatically choose display format", QKeySequence(Qt::CTRL | Qt::Key_A)},
        {w->mnuOptWrapText, "&Wrap Text", QKeySequence(Qt::CTRL | Qt::Key_R)},
        {w->mnuHelpContents, "&Contents", QKeySequence(Qt::Key_F1)},
        {w->mnuHelpAbout, "&About", QKeySequence(Qt::SHIFT | Qt::Key_F1)},
        {w->mnuHelpWhatsNew, "&Whats New in this Version", {}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(w->entryShown(c.a)) << c.text;
        EXPECT_EQ(c.a->text().toStdString(), c.text);
        EXPECT_EQ(c.a->shortcut(), c.keys) << c.text;
    }
    for (QAction* later : {w->mnuFileNew, w->mnuTagAll, w->mnuSearchAll, w->mnuSearchFindText, w->mnuDisplay[0],
                           w->mnuListSaveFilenames, w->mnuListDriveReport, w->mnuOptionsChooseXtn})
        EXPECT_FALSE(w->entryShown(later)) << later->text().toStdString();
    EXPECT_FALSE(w->mnuTags->menuAction()->isVisible());
    EXPECT_FALSE(w->mnuListRefreshClearExcluded->isEnabled());
    EXPECT_FALSE(w->cmdEditProfile->isVisible());

    QStringList menus;
    for (QAction* a : w->menuBar()->actions())
        if (a->isVisible()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Listing", "&Search", "&Display", "&Options", "&Help"}));
}

TEST_F(WindowTest, LaunchHelpAboutAndWhatsNew) {
    start();
    w->mnuFileLaunchClient->trigger();
    w->mnuSearchClient->trigger();
    ASSERT_EQ(plat.opened.size() + plat.started.size(), 2u);
    // Nothing named dr-client stands beside the test program: the program folder's.
    for (const auto& t : plat.opened) EXPECT_EQ(t, env.path("dr-client"));

    plat.opened.clear();
    w->mnuHelpContents->trigger();
    ASSERT_EQ(plat.opened.size(), 1u);
    EXPECT_EQ(plat.opened[0], env.path("help-dirroll.html"));
    EXPECT_NE(env.read("help-dirroll.html").find("<html>"), std::string::npos);

    bool shown = false;
    w->showAbout = [&] { shown = true; };
    w->mnuHelpAbout->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(w->windowTitle().toStdString(), "Quendal Vidazidev Dirroll");

    env.host.expectBox(Answer::OK);
    w->mnuHelpWhatsNew->trigger();
    ASSERT_EQ(env.host.boxes.size(), 1u);
    EXPECT_EQ(env.host.boxes[0].req.title, "Whats New in Dirroll 3.4");
}

TEST_F(WindowTest, ControlsCarryTheirNames) {
    start();
    for (const char* name : {"cmdEditProfile", "cmdProfile", "cmbDateRange", "cmdToolbar_3", "cmdHalt", "cmbView",
                             "chkAutoselect", "frameSpecs", "lstXtn", "DTPicker1_0", "DTPicker1_1", "lstPath",
                             "lstAllPaths", "lvExclude", "cmdHide", "lvwFiles", "imgSplitter", "lblCaption",
                             "StatusBar1", "ProgressBar1"})
        EXPECT_NE(w->findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(w->cmdToolbar[3]->toolTip().toStdString(), "Refresh the List");
    EXPECT_EQ(w->cmdHalt->toolTip().toStdString(), "Stop the current operation");
    EXPECT_EQ(w->cmbView->count(), 7);
    EXPECT_EQ(w->cmbView->itemText(6).toStdString(), "View  as OLE (Doc,Xls)");
    EXPECT_EQ(w->filesModel->columnCount(), 14);
    EXPECT_EQ(w->filesModel->headerData(13, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(), "Owner");
}

// ---- Profile menu, client list, dates ----------------------------------------

TEST_F(WindowTest, FileMenuProfileCommandsAndSaveListForClient) {
    makeFiles("data", {{"a.txt", 1}, {"b.txt", 2}});
    writeProfile("Data", "data");
    start();

    env.host.expectOpenFile(env.path("Data.pro"));
    w->mnuFileOpen->trigger();
    settle();
    ASSERT_FALSE(env.host.dialogs.empty());
    EXPECT_EQ(env.host.dialogs.back().title, "Choose Profile to Open");
    EXPECT_EQ(w->cmdProfile->currentText().toStdString(), "Data");
    EXPECT_EQ(w->model.files.size(), 2u);

    w->mnuFileSave->trigger();
    EXPECT_EQ(env.read("Data.pro").rfind("; Profile for Quendal Vidazidev Dirroller - ", 0), 0u);
    EXPECT_NE(env.read("Data.pro").find("P" + env.path("data")), std::string::npos);

    env.host.expectSaveFile(env.path("for-client.DR"));
    env.host.expectBox(Answer::OK, "Saved 2 records to\r\n" + env.path("for-client.DR"));
    w->mnuListSaveFileCLIENT->trigger();
    EXPECT_EQ(env.read("for-client.DR").rfind(";DR", 0), 0u);
    EXPECT_TRUE(env.host.scriptUsedUp());

    // A cancelled dialog changes nothing.
    env.host.expectSaveFile(std::nullopt);
    w->mnuListSaveFileCLIENT->trigger();
    EXPECT_EQ(env.host.boxes.size(), 1u);
}

TEST_F(WindowTest, TheDateRangeChoiceAndThePickersRefreshTheList) {
    makeFiles("data", {{"new.txt", 1}, {"old.txt", 2}});
    setFileTime(env.path("data/old.txt"), dr::DateTime{2019, 5, 1, 12, 0, 0});
    writeProfile("Data", "data");
    start();
    chooseProfile("Data");
    ASSERT_EQ(w->model.files.size(), 2u);

    w->cmbDateRange->setCurrentIndex(roll::LastWeek);
    emit w->cmbDateRange->activated(roll::LastWeek);
    EXPECT_EQ(column(roll::Filename), std::vector<std::string>{"new.txt"});
    EXPECT_EQ(w->DTPicker1[0]->date(), QDate(2026, 12, 4));
    EXPECT_EQ(w->DTPicker1[1]->date(), QDate(2026, 12, 11));

    w->DTPicker1[0]->setDate(QDate(2019, 1, 1));
    emit w->DTPicker1[0]->editingFinished();
    EXPECT_EQ(w->cmbDateRange->currentIndex(), roll::CustomRange);
    EXPECT_EQ(w->model.dtFrom.year, 2019);
    EXPECT_EQ(w->model.files.size(), 2u);

    // Paused: the picker's change selects Custom Date Range but leaves the list.
    w->mnuOptionsPauseAutoRefresh->trigger();
    w->DTPicker1[0]->setDate(QDate(2026, 12, 9));
    emit w->DTPicker1[0]->editingFinished();
    EXPECT_EQ(w->model.files.size(), 2u);
    EXPECT_EQ(w->model.dtFrom.day, 9);
}

TEST_F(WindowTest, ClearExcludedPathListAndRefresh) {
    makeFiles("data/keep", {{"k.txt", 1}});
    makeFiles("data/skip", {{"s.txt", 1}});
    writeProfile("Data", "data*", "~skip\r\n");
    start();
    chooseProfile("Data");
    EXPECT_EQ(column(roll::Filename), std::vector<std::string>{"k.txt"});
    EXPECT_EQ(w->lvExclude->model()->rowCount(), 1);
    EXPECT_TRUE(w->mnuListRefreshClearExcluded->isEnabled());

    w->mnuListRefreshClearExcluded->trigger(); // Shift+F2
    settle();
    EXPECT_EQ(w->lvExclude->model()->rowCount(), 0);
    EXPECT_EQ(w->model.files.size(), 2u);
    EXPECT_EQ(env.read("Data.pro").find("~skip"), std::string::npos);
    EXPECT_FALSE(w->mnuListRefreshClearExcluded->isEnabled());
}
