#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "client/client_startup.h"
#include "client/list_model.h"
#include "client_fixture.h"
#include "common/ini.h"
#include "common/runtime.h"

using namespace dr::client;
using ListModelTest = drtest::ClientFolderTest;

namespace {

// The native platform, except that documents are recorded instead of opened.
class RecordingPlatform : public dr::Platform {
public:
    std::vector<std::string> opened;

    std::string executablePath() override { return native_->executablePath(); }
    std::string programFolder() override { return native_->programFolder(); }
    std::string userName() override { return native_->userName(); }
    std::string computerName() override { return native_->computerName(); }
    std::string specialFolder(dr::SpecialFolder w) override { return native_->specialFolder(w); }
    std::vector<std::string> recentDocuments() override { return {}; }
    bool fileStat(const std::string& p, dr::FileStat& out, bool noFollow) override {
        return native_->fileStat(p, out, noFollow);
    }
    std::string accountName(uint32_t uid) override { return native_->accountName(uid); }
    std::string fileOwner(const std::string& p, bool& ok) override { return native_->fileOwner(p, ok); }
    std::vector<dr::Volume> volumes() override { return native_->volumes(); }
    bool listFolder(const std::string& f, bool withStat, const std::function<bool(const DirEntry&)>& fn) override {
        return native_->listFolder(f, withStat, fn);
    }
    int openDocument(const std::string& target, const std::string&) override {
        opened.push_back(target);
        return dr::launch::kOk;
    }
    bool startProgram(const std::vector<std::string>& argv) override {
        opened.push_back(argv.empty() ? "" : argv[0]);
        return true;
    }
    int runProgramAndWait(const std::vector<std::string>&, const std::function<void()>&) override { return 0; }
    bool hasDisplay() override { return false; }

private:
    std::unique_ptr<dr::Platform> native_ = dr::makeNativePlatform();
};

class ScreenTest : public drtest::ClientFolderTest {
protected:
    ScreenTest() {
        dr::setPlatform(&platform);
        writeIni("");
        screen.showStartPage = [this] { pages.push_back("start"); };
        screen.showSummary = [this](const std::string& p) { pages.push_back(p); };
    }
    ~ScreenTest() override { dr::setPlatform(nullptr); }

    void list(const std::string& name, int daysOld = 0) {
        env.write(name, drtest::drList({}));
        age(name, daysOld);
    }
    std::string key() const { return dr::ReadIniValue(env.path("dr-client.ini"), "general", "dirroll"); }

    RecordingPlatform platform;
    MainScreen screen;
    std::vector<std::string> pages;
};

std::vector<std::string> names(const std::vector<SavedList>& lists) {
    std::vector<std::string> v;
    for (const SavedList& l : lists) v.push_back(l.name);
    std::sort(v.begin(), v.end());
    return v;
}

TEST_F(ListModelTest, SavedListsAreFoundInAnyCaseButBackupFilesIsDropped) {
    for (const char* f : {"BackupFiles.DR", "backupfiles.dr", "Work.DR", "home.dr", "Mixed.Dr", "notes.txt",
                          "Work.DRX", "DR", "Homestack.DR"})
        env.write(f, drtest::drList({}));
    env.mkdir("folder.DR");
    std::vector<SavedList> lists = FindSavedLists();
    EXPECT_EQ(names(lists), (std::vector<std::string>{"Homestack", "Mixed", "Work", "backupfiles", "home"}));
    for (const SavedList& l : lists) EXPECT_EQ(l.path.substr(0, env.folder().size() + 1), env.folder() + "/");
    auto mixed = std::find_if(lists.begin(), lists.end(), [](auto& l) { return l.name == "Mixed"; });
    ASSERT_NE(mixed, lists.end());
    EXPECT_EQ(mixed->path, env.path("Mixed.Dr"));
}

TEST_F(ListModelTest, ListsOutsideTheDayRangeAreLeftOut) {
    env.write("Old.DR", drtest::drList({}));
    drtest::setFileTime(env.path("Old.DR"), dr::DateTime{1969, 12, 31, 12, 0, 0});
    env.write("Far.DR", drtest::drList({}));
    drtest::setFileTime(env.path("Far.DR"), dr::DateTime{2099, 1, 2, 0, 0, 0});
    env.write("Last.DR", drtest::drList({}));
    drtest::setFileTime(env.path("Last.DR"), dr::DateTime{2099, 1, 1, 23, 0, 0});
    EXPECT_EQ(names(FindSavedLists()), (std::vector<std::string>{"Last"}));
}

TEST_F(ListModelTest, OutOfDateAfterThreeDays) {
    const dr::DateTime today = env.clock.now();
    struct Case {
        int daysOld;
        bool outOfDate;
        const char* tip;
    } cases[] = {
        {4, true, "Dirroll last updated Mon, 07-Dec-2026 (OUT OF DATE)"},
        {3, false, "Dirroll last updated Tue, 08-Dec-2026"},
        {0, false, "Dirroll last updated Fri, 11-Dec-2026"},
        {-1, false, "Dirroll last updated Sat, 12-Dec-2026"},
    };
    for (const Case& c : cases) {
        dr::DateTime m = today.addDays(-c.daysOld);
        m.hour = 23; // the day counts, not the hour
        EXPECT_EQ(IsListOutOfDate(m, today), c.outOfDate) << c.daysOld;
        EXPECT_EQ(ListToolTip(m, today), c.tip);
    }
    EXPECT_EQ(ListToolTip(dr::DateTime{}, today), "");
}

TEST_F(ScreenTest, SelectingAListMakesItCurrent) {
    list("Old.DR", 4);
    list("Fresh.DR", 3);
    ASSERT_EQ(screen.fillListCombo(), FillResult::Filled);
    for (int i = 0; i < 2; ++i) {
        screen.selectList(i);
        bool old = screen.lists.text() == "Old";
        std::string file = env.path(screen.lists.text() + ".DR");
        EXPECT_EQ(settings().currentListPath, file);
        EXPECT_EQ(settings().summaryPath, env.path(screen.lists.text() + ".sum"));
        EXPECT_EQ(key(), file);
        EXPECT_EQ(screen.lists.italic, old);
        EXPECT_EQ(screen.lists.toolTip, old ? "Dirroll last updated Mon, 07-Dec-2026 (OUT OF DATE)"
                                            : "Dirroll last updated Tue, 08-Dec-2026");
    }
    screen.dropDown();
    EXPECT_FALSE(screen.lists.italic);
}

TEST_F(ScreenTest, ListNamedInTheLowerCaseExtensionIsSearchedAtItsOwnPath) {
    list("mixed.dr");
    ASSERT_EQ(screen.fillListCombo(), FillResult::Filled);
    EXPECT_EQ(screen.lists.text(), "mixed");
    EXPECT_EQ(settings().currentListPath, env.path("mixed.dr"));
    EXPECT_EQ(settings().summaryPath, env.path("mixed.sum"));
}

TEST_F(ScreenTest, SummaryPageShownWhenItExists) {
    list("Work.DR");
    ASSERT_EQ(screen.fillListCombo(), FillResult::Filled);
    EXPECT_EQ(pages, (std::vector<std::string>{"start"}));
    env.write("Work.sum", "<HTML></HTML>");
    screen.selectList(0);
    EXPECT_EQ(pages.back(), env.path("Work.sum"));
}

TEST_F(ScreenTest, TheRememberedListReopens) {
    env.mkdir("elsewhere");
    env.write("elsewhere/B.DR", drtest::drList({}));
    env.write("elsewhere/Z.DR", drtest::drList({}));
    struct Case {
        std::string remembered;
        std::string selected;
    } cases[] = {
        {"A.DR", "A"},            // the remembered list, not the last entry
        {"C.DR", "C"},
        {"Gone.DR", "LAST"},      // a missing file: the last entry
        {"", "LAST"},
        {"elsewhere/B.DR", "B"},  // same name in another folder: that entry
        {"elsewhere/Z.DR", "FIRST"}, // no such entry: the first
    };
    for (const char* n : {"A.DR", "B.DR", "C.DR"}) list(n);
    for (const Case& c : cases) {
        reset();
        writeIni(c.remembered.empty() ? "" : "dirroll=" + env.path(c.remembered) + "\r\n");
        MainScreen s;
        ASSERT_EQ(s.fillListCombo(), FillResult::Filled);
        std::string want = c.selected == "LAST" ? s.lists.entries.back()
                           : c.selected == "FIRST" ? s.lists.entries.front()
                                                   : c.selected;
        EXPECT_EQ(s.lists.text(), want) << c.remembered;
        EXPECT_EQ(settings().currentListPath, env.path(want + ".DR")) << c.remembered;
        EXPECT_EQ(key(), env.path(want + ".DR")) << c.remembered;
    }
}

TEST_F(ScreenTest, RefillingListsEachListOnce) {
    list("A.DR");
    list("B.DR");
    screen.fillListCombo();
    screen.fillListCombo();
    EXPECT_EQ(screen.lists.entries.size(), 2u);
    EXPECT_EQ(screen.lists.paths.size(), 2u);
}

TEST_F(ScreenTest, NoListsInAUserInstallAsksForAServer) {
    list("BackupFiles.DR"); // hidden, so there is nothing to search
    int dialogs = 0;
    setServerPathDialog([&] { ++dialogs; });
    env.host.expectBox(dr::Answer::OK, "There are no file lists available.\r\nDirrolls are created by the Dirroll "
                                       "application on \r\nyour local drive, or copied from a server if\r\nyou have "
                                       "the Server version.");
    settings().installMode = "USERONLY";
    EXPECT_EQ(screen.fillListCombo(), FillResult::NoListsServer);
    EXPECT_EQ(env.host.boxes[0].req.title, "No Dirrolls available - about to update");
    EXPECT_EQ(env.host.boxes[0].req.icon, dr::Icon::Critical);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(screen.lists.empty());
    EXPECT_TRUE(platform.opened.empty());
}

TEST_F(ScreenTest, NoListsInAFullInstallStartsTheMainProgram) {
    env.write("dirroll", "#!/bin/sh\n");
    settings().installMode = "FULL";
    env.host.expectBox(dr::Answer::OK, "There are no file lists available.");
    EXPECT_EQ(screen.fillListCombo(), FillResult::NoListsStartMain);
    EXPECT_EQ(platform.opened, (std::vector<std::string>{env.path("dirroll")}));
}

TEST_F(ScreenTest, InitialiseFillsTheCombos) {
    list("Work.DR");
    env.write("users.txt", "alice\r\n\r\nbob\r\n");
    screen.searchText = "old";
    ASSERT_EQ(screen.initialise(), FillResult::Filled);

    EXPECT_EQ(screen.dateRange.entries, DateRangeEntries());
    EXPECT_EQ(screen.dateRange.text(), "At any time");
    EXPECT_EQ(screen.dtStart, (dr::DateTime{1980, 1, 1, 0, 0, 0}));
    EXPECT_EQ(screen.dtEnd, (dr::DateTime{2099, 12, 31, 0, 0, 0}));
    EXPECT_FALSE(screen.customDateVisible);
    EXPECT_FALSE(screen.modifiedRed);
    EXPECT_EQ(screen.type.entries.size(), 8u);
    EXPECT_EQ(screen.type.text(), "All File Types");
    EXPECT_FALSE(screen.lookForRed);
    EXPECT_EQ(screen.output.entries,
              (std::vector<std::string>{"Web Style", "Single Line", "Table mode", "Preview mode"}));
    EXPECT_EQ(screen.output.text(), "Web Style");
    EXPECT_EQ(screen.users, (std::vector<std::string>{"[any user]", "alice", "bob"}));
    EXPECT_EQ(screen.ownerText, "[any user]");
    EXPECT_FALSE(screen.byRed);
    EXPECT_EQ(screen.lists.text(), "Work");
    EXPECT_EQ(screen.searchText, "");
    EXPECT_EQ(pages.front(), "start");
    EXPECT_EQ(log().find("No users file load"), std::string::npos);
}

TEST_F(ScreenTest, MissingUsersFileIsLogged) {
    list("Work.DR");
    screen.initialise();
    EXPECT_EQ(screen.users, (std::vector<std::string>{"[any user]"}));
    EXPECT_NE(log().find("No users file load - " + env.path("users.txt")), std::string::npos) << log();
}

TEST_F(ScreenTest, ChoosingATypeSetsTheFilterAndTheStyle) {
    screen.output.entries = OutputStyles();
    screen.chooseOutput(kStylePreview);
    screen.chooseType(1);
    EXPECT_EQ(settings().typeFilter, ".DOT .DOC .XLS .XLM .VSD");
    EXPECT_EQ(screen.output.selected, kStyleWeb);
    EXPECT_TRUE(screen.lookForRed);

    screen.chooseType(kTypePictures);
    EXPECT_EQ(settings().typeFilter, ".GIF .JPG .JPEG .BMP .TIF .PNG");
    EXPECT_EQ(screen.output.selected, kStylePreview);

    env.host.expectInput(std::string(".TXT .LOG"));
    screen.chooseType(kTypeChoose);
    EXPECT_EQ(env.host.inputs, (std::vector<std::string>{"Enter file spec"}));
    EXPECT_EQ(settings().typeFilter, ".TXT .LOG");
    EXPECT_EQ(screen.output.selected, kStyleWeb);

    env.host.expectInput(std::nullopt);
    screen.chooseType(kTypeChoose);
    EXPECT_EQ(settings().typeFilter, "");

    screen.chooseType(kTypeAll);
    EXPECT_FALSE(screen.lookForRed);
}

TEST_F(ScreenTest, DateRangesCountBackFromNow) {
    const dr::DateTime now = env.clock.now();
    const dr::DateTime origin{1980, 1, 1, 0, 0, 0};
    struct Case {
        int index;
        dr::DateTime from, to;
    } cases[] = {
        {0, origin, now.addDays(-7)},   {1, origin, now.addDays(-31)}, {2, origin, now.addDays(-364)},
        {3, origin, {2099, 12, 31, 0, 0, 0}}, {4, now.addDays(-364), now}, {5, now.addDays(-31), now},
        {6, now.addDays(-7), now},
    };
    for (const Case& c : cases) {
        screen.chooseDateRange(c.index);
        EXPECT_EQ(screen.dtStart, c.from) << c.index;
        EXPECT_EQ(screen.dtEnd, c.to) << c.index;
        EXPECT_FALSE(screen.customDateVisible);
        EXPECT_EQ(screen.modifiedRed, c.index != kRangeAnyTime);
    }
    // The custom range keeps the pickers and shows the frame.
    screen.chooseDateRange(kRangeCustom);
    EXPECT_EQ(screen.dtStart, now.addDays(-7));
    EXPECT_TRUE(screen.customDateVisible);
}

TEST_F(ScreenTest, OwnerLabelTurnsRedForAnOwner) {
    screen.setOwnerText("alice");
    EXPECT_TRUE(screen.byRed);
    screen.setOwnerText("[any user]");
    EXPECT_FALSE(screen.byRed);
}

TEST_F(ScreenTest, NewestListIsTheLatestModified) {
    EXPECT_EQ(NewestList(), "");
    list("Old.DR", 5);
    list("New.DR", 1);
    list("Mid.DR", 2);
    EXPECT_EQ(NewestList(), env.path("New.DR"));
}

TEST_F(ScreenTest, WindowSearchUsesTheScreensFields) {
    env.mkdir("data");
    const std::string data = env.path("data") + "/";
    env.write("data/a.doc", "x");
    env.write("data/b.txt", "x");
    env.write("Work.DR", drtest::drList({drtest::drRecord("a.doc", data, "  1", "2026-12-10 10:00", "alice"),
                                         drtest::drRecord("b.txt", data, "  1", "2026-12-10 10:00", "alice")}));
    writeIni("maxresults=7\r\nShowMissing=1\r\n");
    ASSERT_EQ(screen.initialise(), FillResult::Filled);
    screen.chooseType(1);
    screen.chooseDateRange(6);
    screen.setOwnerText("alice");
    screen.chooseOutput(2);
    screen.searchText = "alice";

    SearchRequest r = screen.searchRequest(false);
    EXPECT_EQ(r.listName, "Work");
    EXPECT_EQ(r.listPath, env.path("Work.DR"));
    EXPECT_EQ(r.typeText, "Documents");
    EXPECT_EQ(r.typeFilter, ".DOT .DOC .XLS .XLM .VSD");
    EXPECT_EQ(r.rangeText, "since the last Week");
    EXPECT_EQ(r.from, env.clock.now().addDays(-7));
    EXPECT_EQ(r.owner, "alice");
    EXPECT_EQ(r.style, 2);
    EXPECT_EQ(r.maxResults, 7);
    EXPECT_TRUE(r.showMissing);
    EXPECT_EQ(r.pagePath, env.path("results.htm"));

    SearchOutcome o = RunSearch(r);
    ASSERT_EQ(o.results.size(), 1u);
    EXPECT_EQ(o.results[0].path, data + "a.doc");
    EXPECT_TRUE(env.exists("results.htm"));
}

TEST_F(ScreenTest, StartupWithoutServerFillsTheScreen) {
    list("Work.DR");
    settings().debugMode = true;
    StartupResult r = ClientStartup(screen);
    EXPECT_FALSE(r.quit);
    EXPECT_EQ(r.captionSuffix, "");
    EXPECT_FALSE(settings().debugMode);
    EXPECT_EQ(screen.lists.text(), "Work");
    EXPECT_EQ(settings().currentListPath, env.path("Work.DR"));
}

} // namespace
