// The client window: layouts, searches by Enter, Go, reports and FIND links,
// the links of a results page, the menus and the start-up.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include "client/list_model.h"
#include "client_window_fixture.h"
#include "common/ini.h"
#include "ui/client/frm_dr_options.h"
#include "ui/client/frm_server_path.h"
#include "ui/common/about_box.h"

using namespace drtest;
using dr::Answer;
using dr::ui::frmDRClient;
using dr::ui::toPx;

namespace {

bool isRed(const QLabel* l) { return l->palette().color(QPalette::WindowText) == QColor(0xFF, 0, 0); }

// A program folder with a list "work" of three real files.
class SearchWindowTest : public ClientWindowTest {
protected:
    void SetUp() override {
        docs = file("docs/budget-2026.xls");
        file("docs/budget-notes.txt");
        file("docs/holiday.jpg");
        writeList("work.DR", {listRecord("budget-2026.xls", docs, "2026-12-09 17:05", "tester"),
                              listRecord("budget-notes.txt", docs, "2026-12-01 08:00", "anna"),
                              listRecord("holiday.jpg", docs, "2025-07-01 12:00", "tester")});
    }
    std::string docs;
};

} // namespace

// ---- Layouts -------------------------------------------------------------------

TEST_F(SearchWindowTest, AdvancedShowsTheMenusAndFieldsAndMovesTheBrowser) {
    frmDRClient& w = start();
    ASSERT_TRUE(started);
    // The simple layout at start, with the menus still there.
    EXPECT_FALSE(w.chkAdvanced->isChecked());
    EXPECT_TRUE(w.menuBar()->isVisible());
    EXPECT_TRUE(w.cmbType->isVisible());
    EXPECT_FALSE(w.cmbDateRange->isVisible());
    EXPECT_FALSE(w.web->isVisible());

    w.chkAdvanced->click();
    EXPECT_TRUE(w.menuBar()->isVisible());
    for (QWidget* c : {static_cast<QWidget*>(w.cmbDateRange), static_cast<QWidget*>(w.cmbUser),
                       static_cast<QWidget*>(w.cmbOutput), static_cast<QWidget*>(w.Label3[3]),
                       static_cast<QWidget*>(w.Label3[5]), static_cast<QWidget*>(w.Label3[1])})
        EXPECT_TRUE(c->isVisible()) << c->objectName().toStdString();
    EXPECT_EQ(w.web->geometry().top(), toPx(540 + 315 + 50));
    EXPECT_EQ(w.web->geometry().left(), 0);
    EXPECT_EQ(w.web->width(), w.centralWidget()->width());
    EXPECT_EQ(w.web->geometry().bottom(), w.centralWidget()->height() - 1);

    w.chkAdvanced->click();
    EXPECT_FALSE(w.menuBar()->isVisible());
    EXPECT_FALSE(w.cmbDateRange->isVisible());
    EXPECT_FALSE(w.cmbUser->isVisible());
    EXPECT_FALSE(w.Label3[5]->isVisible());
    EXPECT_TRUE(w.cmbType->isVisible());
    EXPECT_EQ(w.web->geometry().top(), toPx(90 + 315 + 50));
    EXPECT_EQ(w.web->width(), w.centralWidget()->width());
    // The shortcuts still work without the menu bar.
    EXPECT_TRUE(w.actions().contains(w.mnuToolsOptions));
}

TEST_F(SearchWindowTest, ControlsStandAtTheirDesignPlaces) {
    frmDRClient& w = start();
    struct Case { QWidget* c; int left, top, width, height; };
    for (const Case& k : {Case{w.cmbType, 900, 90, 1725, 315}, Case{w.txtFind, 3690, 90, 2535, 285},
                          Case{w.cmbDirroll, 6840, 90, 2265, 315}, Case{w.cmdFind, 9180, 0, 1095, 375},
                          Case{w.lblHelp, 3690, 900, 4695, 285}, Case{w.cmbOutput, 6030, 540, 1545, 315}}) {
        QRect g = k.c->geometry();
        EXPECT_EQ(g, QRect(toPx(k.left), toPx(k.top), toPx(k.width), toPx(k.height))) << k.c->objectName().toStdString();
    }
    EXPECT_EQ(w.findChild<QComboBox*>("cmbDirroll"), w.cmbDirroll);
    EXPECT_EQ(w.findChild<QLabel*>("Label3(2)"), w.Label3[2]);
    EXPECT_EQ(w.windowTitle().toStdString(), frmDRClient::kCaption);
    EXPECT_EQ(w.cmbDirroll->currentText(), "work");
    EXPECT_EQ(w.cmbUser->currentText(), "[any user]");
    EXPECT_EQ(w.cmbDateRange->currentText(), "At any time");
    // The start page is written beside the program and shown.
    EXPECT_TRUE(env.exists("blank.htm"));
    EXPECT_TRUE(env.exists("help-dr-client.html"));
    EXPECT_EQ(w.web->localFile().toStdString(), env.path("blank.htm"));
}

// ---- Searches ------------------------------------------------------------------

TEST_F(SearchWindowTest, EnterAndGoShowTheResultsPage) {
    for (bool byEnter : {true, false}) {
        SCOPED_TRACE(byEnter ? "Enter" : "Go");
        frmDRClient& w = start();
        w.txtFind->setText("budget");
        if (byEnter) pressEnter(w.txtFind);
        else w.cmdFind->click();
        EXPECT_EQ(w.searchesRun(), 1);
        EXPECT_TRUE(w.web->isVisible());
        EXPECT_TRUE(w.cmdFind->isEnabled());
        EXPECT_EQ(w.web->localFile().toStdString(), env.path("results.htm"));
        EXPECT_EQ(lastCaption(), "Findwright  - 2 Matches");
        QString shown = w.web->toPlainText();
        EXPECT_TRUE(shown.contains("budget-2026.xls"));
        EXPECT_TRUE(shown.contains("budget-notes.txt"));
        EXPECT_FALSE(shown.contains("holiday.jpg"));
        EXPECT_FALSE(w.lblHelp->isVisible());
        EXPECT_EQ(w.web->geometry().bottom(), w.centralWidget()->height() - 1);
        window.reset();
    }
}

TEST_F(ClientWindowTest, SearchWithoutListsShowsItsMessageOnly) {
    onDialog = [](QDialog& d) { d.reject(); };
    env.host.expectBox(Answer::OK, "There are no file lists available.");
    frmDRClient& w = start();
    ASSERT_TRUE(started); // USERONLY: the window stays with an empty list combo
    env.host.expectBox(Answer::OK, "There are no Dirrolls available");
    w.txtFind->setText("x");
    w.cmdFind->click();
    EXPECT_TRUE(env.host.scriptUsedUp());
    EXPECT_FALSE(w.web->isVisible());
    EXPECT_TRUE(w.cmdFind->isEnabled());
    EXPECT_FALSE(env.exists("results.htm"));
}

TEST_F(SearchWindowTest, WhileASearchRunsTriggersAreIgnoredButMenusWork) {
    frmDRClient& w = start();
    w.txtFind->setText("budget");
    int calls = 0;
    bool goEnabled = true;
    env.host.expectBox(Answer::No, "You have turned on 'Show Folders'");
    env.host.onDoEvents = [&] {
        if (calls++) return;
        goEnabled = w.cmdFind->isEnabled();
        pressEnter(w.txtFind);
        w.mnuReportDefault[2]->trigger();
        w.web->activateLink("FINDholiday");
        w.mnuToolsShowFolders->trigger(); // a menu that only asks
    };
    w.cmdFind->click();
    EXPECT_GT(calls, 0);
    EXPECT_FALSE(goEnabled);
    EXPECT_EQ(w.searchesRun(), 1);
    EXPECT_EQ(w.txtFind->text(), "budget");
    EXPECT_TRUE(env.host.scriptUsedUp());
    EXPECT_EQ(lastCaption(), "Findwright  - 2 Matches");
    // Once it has finished the next Enter searches again.
    env.host.onDoEvents = {};
    pressEnter(w.txtFind);
    EXPECT_EQ(w.searchesRun(), 2);
}

TEST_F(SearchWindowTest, FindLinkRunsOneSearchWithItsWords) {
    env.write("blank.htm", "<html><body><p>Try <a href=\"FINDholiday\">holiday pictures</a></p></body></html>");
    frmDRClient& w = start();
    w.web->show();
    w.PlaceBrowser();
    ASSERT_TRUE(clickLink(*w.web, "FINDholiday"));
    EXPECT_EQ(w.searchesRun(), 1);
    EXPECT_EQ(w.txtFind->text(), "holiday");
    EXPECT_EQ(lastCaption(), "Findwright  - 1 Matches");
    EXPECT_EQ(w.web->localFile().toStdString(), env.path("results.htm"));
    EXPECT_TRUE(platform.opened.empty());
}

TEST_F(SearchWindowTest, ResultLinksGoToTheOpener) {
    struct Case { int style; const char* hrefTail; std::string opened; };
    const Case cases[] = {
        {0, "budget-2026.xls", docs + "budget-2026.xls"},
        {0, "docs/", docs},                               // the folder link
        {3, "budget-2026.xls", docs + "budget-2026.xls"}, // Preview mode's plain paths
        {3, "docs/", docs},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.hrefTail) + " in style " + std::to_string(k.style));
        frmDRClient& w = start();
        platform.opened.clear();
        w.screen.chooseOutput(k.style);
        w.txtFind->setText("2026.xls");
        w.cmdFind->click();
        ASSERT_TRUE(clickLink(*w.web, k.hrefTail));
        EXPECT_EQ(platform.opened, std::vector<std::string>{k.opened});
        EXPECT_EQ(w.searchesRun(), 1);
        EXPECT_TRUE(env.host.boxes.empty());
        window.reset();
    }
}

// ---- Default reports -------------------------------------------------------------

TEST_F(ClientWindowTest, YesterdaysReportFindsTheDateTextInTheListLines) {
    std::string docs = file("docs/minutes.doc");
    file("docs/agenda.doc");
    std::string dated = file("docs/2026-12-10/scan.pdf");
    writeList("work.DR", {listRecord("minutes.doc", docs, "2026-12-10 08:15"),
                          listRecord("agenda.doc", docs, "2026-12-09 17:05"),
                          listRecord("scan.pdf", dated, "2026-11-02 10:00")});
    frmDRClient& w = start();
    w.mnuReportDefault[1]->trigger();
    EXPECT_EQ(w.searchesRun(), 1);
    EXPECT_EQ(w.txtFind->text(), "2026-12-10");
    EXPECT_TRUE(w.chkAdvanced->isChecked());
    EXPECT_EQ(w.cmbDateRange->currentText(), "At any time");
    EXPECT_EQ(lastCaption(), "Findwright  - 2 Matches");
    EXPECT_NE(page().find("minutes.doc"), std::string::npos);
    EXPECT_NE(page().find("scan.pdf"), std::string::npos);
    EXPECT_EQ(page().find("agenda.doc"), std::string::npos);
}

TEST_F(ClientWindowTest, YesterdaysReportOnAnOutOfDateListOnlyShowsItsMessage) {
    std::string docs = file("docs/minutes.doc");
    writeList("work.DR", {listRecord("minutes.doc", docs, "2026-12-10 08:15")}, 4);
    frmDRClient& w = start();
    EXPECT_TRUE(w.cmbDirroll->toolTip().endsWith("(OUT OF DATE)"));
    w.txtFind->setText("kept");
    env.host.expectBox(Answer::OK, "Dirroll is out of date to perform a search of yesterdays files");
    w.mnuReportDefault[1]->trigger();
    EXPECT_TRUE(env.host.scriptUsedUp());
    EXPECT_EQ(w.searchesRun(), 0);
    EXPECT_EQ(w.txtFind->text(), "kept");
    EXPECT_FALSE(w.chkAdvanced->isChecked());
    EXPECT_FALSE(env.exists("results.htm"));
}

TEST_F(ClientWindowTest, LastWeeksReportSearchesForTheLoginName) {
    std::string docs = file("docs/mine.doc");
    for (const char* n : {"shared.doc", "theirs.doc", "old-mine.doc"}) file(std::string("docs/") + n);
    writeList("work.DR", {listRecord("mine.doc", docs, "2026-12-09 17:05", "tester"),
                          listRecord("shared.doc", docs, "2026-12-08 09:00", "EVERYONE"),
                          listRecord("theirs.doc", docs, "2026-12-09 17:05", "anna"),
                          listRecord("old-mine.doc", docs, "2026-11-01 09:00", "tester")});
    frmDRClient& w = start();
    w.txtFind->setText("leftover");
    w.mnuReportDefault[0]->trigger();
    EXPECT_EQ(w.cmbUser->currentText(), "tester");
    EXPECT_TRUE(isRed(w.Label3[3]));
    EXPECT_EQ(w.cmbDateRange->currentText(), "since the last Week");
    EXPECT_EQ(w.txtFind->text(), "");
    EXPECT_EQ(lastCaption(), "Findwright  - 2 Matches");
    for (const char* n : {"mine.doc", "shared.doc"}) EXPECT_NE(page().find(n), std::string::npos) << n;
    for (const char* n : {"theirs.doc", "old-mine.doc"}) EXPECT_EQ(page().find(n), std::string::npos) << n;
}

TEST_F(ClientWindowTest, OldDocumentsReport) {
    std::string docs = file("docs/old.doc");
    file("docs/old.txt");
    file("docs/new.doc");
    writeList("work.DR", {listRecord("old.doc", docs, "2024-03-01 09:00"), listRecord("old.txt", docs, "2024-03-01 09:00"),
                          listRecord("new.doc", docs, "2026-12-01 09:00")});
    frmDRClient& w = start();
    w.mnuReportDefault[2]->trigger();
    EXPECT_EQ(w.cmbType->currentText(), "Documents");
    EXPECT_EQ(w.cmbDateRange->currentText(), "over a year ago");
    EXPECT_TRUE(w.chkAdvanced->isChecked());
    EXPECT_EQ(lastCaption(), "Findwright  - 1 Matches");
    EXPECT_NE(page().find("old.doc"), std::string::npos);
}

// ---- Fields and menus --------------------------------------------------------------

TEST_F(SearchWindowTest, FilterLabelsTurnRedAndDefaultsRestoreThem) {
    frmDRClient& w = start();
    w.chkAdvanced->click();
    w.screen.chooseType(1);
    w.screen.chooseDateRange(dr::client::kRangeCustom);
    w.cmbUser->setEditText("anna");
    w.txtFind->setText("budget");
    EXPECT_TRUE(isRed(w.Label3[2]));
    EXPECT_TRUE(isRed(w.Label3[5]));
    EXPECT_TRUE(isRed(w.Label3[3]));
    EXPECT_TRUE(w.frameDate->isVisible());
    EXPECT_EQ(w.screen.ownerText, "anna");
    // The custom pickers feed the search.
    w.dtStart->setDateTime(QDateTime(QDate(2026, 11, 30), QTime(0, 0)));
    EXPECT_EQ(w.screen.dtStart.day, 30);

    w.mnuToolsReset->trigger();
    EXPECT_FALSE(isRed(w.Label3[2]));
    EXPECT_FALSE(isRed(w.Label3[5]));
    EXPECT_FALSE(isRed(w.Label3[3]));
    EXPECT_FALSE(w.frameDate->isVisible());
    EXPECT_EQ(w.cmbType->currentText(), "All File Types");
    EXPECT_EQ(w.cmbOutput->currentText(), "Web Style");
    EXPECT_EQ(w.cmbUser->currentText(), "[any user]");
    EXPECT_EQ(w.txtFind->text(), "");
    EXPECT_EQ(w.txtFind->cursorPosition(), 0);
    EXPECT_FALSE(w.web->isVisible());
    EXPECT_EQ(w.web->localFile().toStdString(), env.path("blank.htm"));
}

TEST_F(SearchWindowTest, ClearResultsGoesBackToTheStartPage) {
    frmDRClient& w = start();
    w.txtFind->setText("budget");
    w.cmdFind->click();
    ASSERT_TRUE(w.web->isVisible());
    w.mnuReportClear->trigger();
    EXPECT_FALSE(w.web->isVisible());
    EXPECT_FALSE(w.lblWait->isVisible());
    EXPECT_EQ(w.web->localFile().toStdString(), env.path("blank.htm"));
}

TEST_F(SearchWindowTest, OutOfDateListIsItalicUntilItsDropDownOpens) {
    age("work.DR", 4);
    frmDRClient& w = start();
    EXPECT_TRUE(w.cmbDirroll->font().italic());
    EXPECT_TRUE(w.cmbDirroll->toolTip().endsWith(" (OUT OF DATE)"));
    w.cmbDirroll->showPopup();
    EXPECT_FALSE(w.cmbDirroll->font().italic());
    w.cmbDirroll->hidePopup();
}

TEST_F(SearchWindowTest, ShowListOfFoldersAsksBeforeTurningOn) {
    frmDRClient& w = start();
    struct Step { bool wasChecked; Answer answer; bool checked; };
    for (const Step& s : {Step{false, Answer::No, false}, Step{false, Answer::Yes, true}, Step{true, Answer::OK, false}}) {
        ASSERT_EQ(w.mnuToolsShowFolders->isChecked(), s.wasChecked);
        size_t before = env.host.boxes.size();
        if (!s.wasChecked) env.host.expectBox(s.answer, "of all folders containing the search string");
        w.mnuToolsShowFolders->trigger();
        EXPECT_EQ(w.mnuToolsShowFolders->isChecked(), s.checked);
        EXPECT_EQ(env.host.boxes.size(), before + (s.wasChecked ? 0 : 1));
    }
    EXPECT_EQ(env.host.boxes[0].req.title, "Do you want to turn on Show Folders?");
    EXPECT_EQ(env.host.boxes[0].req.buttons, dr::Buttons::YesNo);
}

TEST_F(SearchWindowTest, DebugModeTogglesWithItsMessages) {
    frmDRClient& w = start();
    env.host.expectBox(Answer::OK, "You have turned on Debug mode");
    w.mnuToolsDebug->trigger();
    EXPECT_TRUE(dr::client::settings().debugMode);
    EXPECT_TRUE(w.mnuToolsDebug->isChecked());
    EXPECT_EQ(env.host.boxes.back().req.title, "Debug Mode Activated");
    w.txtFind->setText("budget");
    w.cmdFind->click();
    EXPECT_NE(env.read("dr-client.log").find(" Searching for 'budget'"), std::string::npos);
    env.host.expectBox(Answer::OK, "Debug Mode turned off");
    w.mnuToolsDebug->trigger();
    EXPECT_FALSE(dr::client::settings().debugMode);
    EXPECT_FALSE(w.mnuToolsDebug->isChecked());
}

TEST_F(SearchWindowTest, SummaryIsWrittenAndShown) {
    frmDRClient& w = start();
    w.mnuReportSummary->trigger();
    EXPECT_TRUE(env.exists("work.sum"));
    EXPECT_TRUE(w.web->isVisible());
    EXPECT_EQ(w.web->localFile().toStdString(), env.path("work.sum"));
    EXPECT_TRUE(w.web->toPlainText().contains("Total Files = 3"));
    // Choosing the list again shows the summary straight away.
    window.reset();
    frmDRClient& again = start();
    EXPECT_TRUE(again.web->isVisible());
    EXPECT_EQ(again.web->localFile().toStdString(), env.path("work.sum"));
}

TEST_F(SearchWindowTest, HelpMenuEntries) {
    frmDRClient& w = start();
    ASSERT_EQ(dr::client::settings().installMode, "USERONLY");
    EXPECT_FALSE(w.mnuToolsLaunch->isVisible());
    w.mnuHelpContents->trigger(); // a user-only install opens its help too
    w.mnuHelpContact->trigger();
    ASSERT_EQ(platform.opened.size(), 2u);
    EXPECT_EQ(platform.opened[0], env.path("help-dr-client.html"));
    EXPECT_EQ(platform.opened[1], std::string("mailto:") + frmDRClient::kSupportMail + "?subject=Dirroller_v3.4");

    onDialog = [](QDialog& d) {
        auto* about = qobject_cast<dr::ui::frmAboutDirroll*>(&d);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->lblTitle->text(), "Dirroller Client");
    };
    w.mnuHelpAbout->trigger();
    EXPECT_EQ(dialogs, std::vector<std::string>{"frmAboutDirroll"});
    EXPECT_EQ(w.mnuHelpAbout->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
}

TEST_F(SearchWindowTest, HelpFallsBackToTheMainProgramsPageThenOnline) {
    env.write("dirroll", "#!/bin/sh\n");
    frmDRClient& w = start();
    EXPECT_TRUE(w.mnuToolsLaunch->isVisible());
    std::remove(env.path("help-dr-client.html").c_str());
    env.write("help-dirroll.html", "<html></html>");
    w.mnuHelpContents->trigger();
    std::remove(env.path("help-dirroll.html").c_str());
    w.mnuHelpContents->trigger();
    w.mnuToolsLaunch->trigger();
    EXPECT_EQ(platform.opened, (std::vector<std::string>{env.path("help-dirroll.html"), frmDRClient::kOnlineHelp,
                                                         env.path("dirroll")}));
}

TEST_F(SearchWindowTest, ExitStoresTheWindowPlacement) {
    frmDRClient& w = start();
    w.resize(toPx(12000), toPx(6000));
    w.mnuFileExit->trigger();
    EXPECT_FALSE(w.isVisible());
    const std::string ini = env.path("dr-client.ini");
    EXPECT_EQ(dr::ReadIniValue(ini, "frmDRClient", "Width"), "12000");
    EXPECT_EQ(dr::ReadIniValue(ini, "frmDRClient", "Height"), "6000");
    EXPECT_EQ(dr::ReadIniValue(ini, "frmDRClient", "WindowState"), "0");
    // The next start comes back at that size.
    window.reset();
    frmDRClient& again = start();
    EXPECT_EQ(again.width(), toPx(12000));
    EXPECT_EQ(again.height(), toPx(6000));
}

// ---- Start-up --------------------------------------------------------------------

TEST_F(ClientWindowTest, FirstStartWithoutTheMainProgramAsksForTheServerTwice) {
    std::remove(env.path("dr-client.ini").c_str());
    env.host.expectBox(Answer::OK, "There are no file lists available.");
    onDialog = [](QDialog& d) {
        auto* dlg = qobject_cast<dr::ui::frmServerPath*>(&d);
        ASSERT_NE(dlg, nullptr);
        dlg->cmdCancel->click();
    };
    frmDRClient& w = start();
    EXPECT_TRUE(started);
    EXPECT_TRUE(env.host.scriptUsedUp());
    EXPECT_EQ(env.host.boxes[0].req.title, "No Dirrolls available - about to update");
    // Dialog, message, dialog.
    EXPECT_EQ(dialogs, (std::vector<std::string>{"frmServerPath", "frmServerPath"}));
    EXPECT_EQ(boxesAtDialog, (std::vector<size_t>{0, 1}));
    std::string ini = env.read("dr-client.ini");
    EXPECT_EQ(ini.rfind("DR-CLIENT.INI - this INI file was automatically created on 11-Dec-2026 10:30:00\r\n", 0), 0u);
    EXPECT_EQ(dr::ReadIniValue(env.path("dr-client.ini"), "general", "UpdateServer"), "0");
    EXPECT_EQ(w.cmbDirroll->count(), 0);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(ClientWindowTest, NoListsInAFullInstallStartsTheMainProgramAndEnds) {
    env.write("dirroll", "#!/bin/sh\n");
    env.host.expectBox(Answer::OK, "There are no file lists available.");
    frmDRClient& w = start();
    EXPECT_FALSE(started);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(platform.opened, std::vector<std::string>{env.path("dirroll")});
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(ClientWindowTest, ServerUpdateCopiesListsAndCountsThemInTheCaption) {
    std::string docs = file("docs/a.txt");
    env.mkdir("server");
    for (const char* n : {"server/alpha.DR", "server/beta.DR"}) writeList(n, {listRecord("a.txt", docs, "2026-12-10 10:00")});
    env.write("dr-client.ini", "[general]\r\nUpdateServer=1\r\nServerUpdatePath=" + env.path("server") + "\r\n");
    frmDRClient& w = start();
    ASSERT_TRUE(started);
    EXPECT_EQ(w.windowTitle().toStdString(), std::string(frmDRClient::kCaption) + "   ( 2 updates)");
    EXPECT_EQ(w.cmbDirroll->count(), 2);
    EXPECT_TRUE(env.exists("alpha.DR"));
    EXPECT_TRUE(env.host.boxes.empty());
}

TEST_F(SearchWindowTest, ServerMenuOpensTheServerDialog) {
    frmDRClient& w = start();
    env.mkdir("server");
    struct Case { std::string typed; bool closes; const char* box; };
    for (const Case& k : {Case{"", false, "please enter the server path"}, Case{env.path("server"), true, ""}}) {
        SCOPED_TRACE(k.typed);
        if (*k.box) env.host.expectBox(Answer::OK, k.box);
        int result = -1;
        onDialog = [&](QDialog& d) {
            auto* dlg = qobject_cast<dr::ui::frmServerPath*>(&d);
            ASSERT_NE(dlg, nullptr);
            EXPECT_EQ(dlg->windowTitle(), "Do you want to Update Dirrolls from a Server?");
            dlg->txtServer->setText(QString::fromStdString(k.typed));
            dlg->cmdOK->click();
            result = d.result();
        };
        w.mnuToolsUpdate->trigger();
        EXPECT_EQ(result == QDialog::Accepted, k.closes);
        EXPECT_TRUE(env.host.scriptUsedUp());
    }
    const std::string ini = env.path("dr-client.ini");
    EXPECT_EQ(dr::ReadIniValue(ini, "general", "UpdateServer"), "1");
    EXPECT_EQ(dr::ReadIniValue(ini, "general", "ServerUpdatePath"), env.path("server") + "/");
}

TEST_F(SearchWindowTest, FileMenuSavesAndLaunchesTheResults) {
    frmDRClient& w = start();
    w.txtFind->setText("budget");
    w.cmdFind->click();
    env.host.expectSaveFile(std::nullopt); // cancelled: nothing is written
    w.mnuFileSave->trigger();
    env.host.expectSaveFile(env.path("kept.htm"));
    w.mnuFileSave->trigger();
    ASSERT_EQ(env.host.dialogs.size(), 2u);
    EXPECT_EQ(env.host.dialogs[0].title, "Choose a name to save the List of Directories");
    EXPECT_EQ(env.read("kept.htm"), page());
    w.mnuFileLaunchBrowser->trigger();
    EXPECT_EQ(platform.opened, std::vector<std::string>{env.path("results.htm")});
}
