#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "dirroll/listing.h"
#include "dirroll/main_model.h"
#include "dirroll/profiles.h"
#include "support/test_env.h"

using namespace dr::roll;
using dr::Answer;
using dr::DateTime;

namespace {

const DateTime kDay{2026, 12, 9, 17, 5, 0};

class ListingTest : public drtest::EnvTest {
protected:
    // A file under the program folder with a modification time.
    std::string file(const std::string& rel, const std::string& content = "x", DateTime when = kDay) {
        env.write(rel, content);
        drtest::setFileTime(env.path(rel), when);
        return env.path(rel);
    }
    ListingInput input(std::vector<std::string> folders, std::vector<std::string> patterns = {"*.*"},
                       std::vector<std::string> exclusions = {}) {
        ListingInput in;
        in.from = DateTime{1984, 1, 1, 0, 0, 0};
        in.to = DateTime{2999, 12, 31, 0, 0, 0};
        in.folders = std::move(folders);
        in.patterns = std::move(patterns);
        in.exclusions = std::move(exclusions);
        return in;
    }
    // Full paths of the rows, sorted, relative to the program folder.
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (size_t i = 0; i < m.files.size(); ++i) {
            std::string p = RowFullPath(m.files, i);
            out.push_back(p.rfind(env.folder(), 0) == 0 ? p.substr(env.folder().size() + 1) : p);
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<std::string> allPaths() const {
        std::vector<std::string> out;
        for (const std::string& p : m.lstAllPaths)
            out.push_back(p.rfind(env.folder(), 0) == 0 ? p.substr(env.folder().size()) : p);
        std::sort(out.begin(), out.end());
        return out;
    }
    MainModel m;
};

} // namespace

TEST(Patterns, WholeNameGlobWithoutRegardToCase) {
    struct Case { const char* pattern; const char* name; bool match; } cases[] = {
        {"*.JPG", "PHOTO.JPG", true},      {"*.JPG", "holiday.jpg", true},   {"*.jpg", "x.JPG", true},
        {"*.do*", "report.docx", true},    {"*.do*", "a.DOC", true},         {"*.do*", "dog.txt", false},
        {"*.htm*", "index.html", true},    {"*.C", "main.c", true},          {"*.C", "main.cpp", false},
        {"AUTOEXEC.*", "autoexec.bat", true}, {"AUTOEXEC.*", "xautoexec.bat", false},
        {"*.MP3", "songmp3", false},       {"*.MP3", "song.mp3", true},      {"*.JPEG", "a.jpe", false},
        {"*.JPEG", "a.jpeg", true},        {"file?.txt", "file1.txt", true}, {"file?.txt", "file10.txt", false},
        {"*", "README", true},             {"*.", "README", false},          {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},        {"**.txt", "x.txt", true},        {"*.txt", ".txt", true},
    };
    for (const Case& c : cases) EXPECT_EQ(GlobMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(Patterns, TableFromTheListAndFirstMatchDecides) {
    EXPECT_EQ(BuildPatternTable({"JPG", "", "*.mp3", "*.*"}), (std::vector<std::string>{"*.JPG", "*.mp3", "*.*"}));
    const auto table = BuildPatternTable({"JPG", "*.*"});
    EXPECT_TRUE(MatchesFilePattern("README", table)); // "*.*" takes names without a dot too
    EXPECT_TRUE(MatchesFilePattern("x.jpg", table));
    EXPECT_FALSE(MatchesFilePattern("x.jpg", {}));
    EXPECT_FALSE(MatchesFilePattern("x.gif", BuildPatternTable({"jpg", "png"})));
}

TEST(DateRange, WholeDaysInclusive) {
    const DateTime from{2026, 12, 1, 10, 0, 0}, to{2026, 12, 9, 8, 0, 0};
    struct Case { DateTime when; bool in; } cases[] = {
        {{2026, 12, 9, 23, 59, 0}, true},  {{2026, 12, 10, 0, 0, 0}, false}, {{2026, 12, 1, 0, 0, 0}, true},
        {{2026, 11, 30, 23, 59, 59}, false}, {{1899, 12, 30, 0, 0, 0}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(InDateRange(c.when, from, to), c.in) << c.when.day << " " << c.when.hour;
    // Todays files only: from and to are both now.
    const DateTime now{2026, 12, 11, 10, 30, 0};
    EXPECT_TRUE(InDateRange(DateTime{2026, 12, 11, 23, 59, 0}, now, now));
    EXPECT_TRUE(InDateRange(DateTime{2026, 12, 11, 0, 0, 0}, now, now));
}

TEST(FormatSizeTest, GroupsAndRightAligns) {
    struct Case { uint64_t bytes; int width; const char* text; } cases[] = {
        {0, 10, "          0"},        {1234, 10, "      1,234"},       {999, 10, "        999"},
        {1234567890, 10, "1,234,567,890"}, {12345678901ULL, 10, "12,345,678,901"}, {5, 0, "5"}, {12, 2, " 12"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatSize(c.bytes, c.width), c.text) << c.bytes;
    // The same function on a size text gives the same result.
    EXPECT_EQ(FormatSize(std::string_view("1,234")), "      1,234");
    EXPECT_EQ(FormatSize(std::string_view("      1,234")), "      1,234");
    EXPECT_EQ(FormatSize(std::string_view("1234")), "      1,234");
    EXPECT_EQ(FormatSize(std::string_view("")), "          0");
    EXPECT_EQ(FormatSize(std::string_view("n/a")), "        n/a");
}

TEST_F(ListingTest, BuildsRowsOfATreeWithTypesSizesAndDates) {
    file("tree/report.doc", std::string(1234, 'r'), DateTime{2026, 12, 9, 17, 5, 0});
    file("tree/empty.txt", "");
    file("tree/my.dir/README");
    file("tree/sub/a.JPG");
    ASSERT_TRUE(BuildListing(m, input({env.path("tree") + "/*"})));

    EXPECT_EQ(rows(), (std::vector<std::string>{"tree/empty.txt", "tree/my.dir/README", "tree/report.doc", "tree/sub/a.JPG"}));
    EXPECT_EQ(allPaths(), (std::vector<std::string>{"/tree", "/tree/my.dir", "/tree/sub"}));
    std::map<std::string, size_t> at;
    for (size_t i = 0; i < m.files.size(); ++i) at[m.files.text(i, Filename)] = i;
    const size_t doc = at["report.doc"];
    EXPECT_EQ(m.files.field(doc, Path), env.path("tree") + "/");
    EXPECT_EQ(m.files.field(doc, Size), "      1,234");
    EXPECT_EQ(m.files.field(doc, Type), "DOC");
    EXPECT_EQ(m.files.field(doc, Modified), "2026-12-09 17:05");
    EXPECT_EQ(m.files.field(doc, FullFilename), "");
    EXPECT_EQ(m.files.field(doc, Owner), "");
    EXPECT_EQ(m.files.field(at["empty.txt"], Size), "          0");
    EXPECT_EQ(m.files.field(at["README"], Type), "DIR/README");
    EXPECT_EQ(m.files.field(at["a.JPG"], Type), "JPG");
    EXPECT_EQ(m.files.totals.files, 4);
    EXPECT_EQ(m.files.totals.bytes, 1234u + 0 + 1 + 1);
    EXPECT_TRUE(m.files.sorting());
    EXPECT_EQ(m.status(1), "4 files ");
    EXPECT_EQ(m.status(2), "1,236 bytes ");

    // The fixed list files hold their header only; folders.lis the actual folders.
    const std::string header = ";DR formatted list of files created by Vaultrel - Fri, 11/12/2026 10:30:00\r\n";
    EXPECT_EQ(env.read("BackupFiles.DR"), header);
    EXPECT_EQ(env.read("Homestack.DR"), header);
    EXPECT_NE(env.read("folders.lis").find(env.path("tree/sub") + "    \r\n"), std::string::npos);
}

TEST_F(ListingTest, PatternsDatesAndFolderWithoutStar) {
    file("d/new.txt", "x", DateTime{2026, 12, 9, 23, 59, 0});
    file("d/late.txt", "x", DateTime{2026, 12, 10, 0, 0, 0});
    file("d/early.txt", "x", DateTime{2026, 12, 1, 0, 0, 0});
    file("d/pic.jpg", "x", DateTime{2026, 12, 5, 12, 0, 0});
    file("d/inner/deep.txt");
    ListingInput in = input({env.path("d") + "/"}, {"TXT", "*.*"});
    in.from = DateTime{2026, 12, 1, 15, 0, 0};
    in.to = DateTime{2026, 12, 9, 1, 0, 0};
    ASSERT_TRUE(BuildListing(m, in));
    // Each file once although two patterns match; no subfolder without '*'.
    EXPECT_EQ(rows(), (std::vector<std::string>{"d/early.txt", "d/new.txt", "d/pic.jpg"}));
    EXPECT_EQ(m.files.field(0, Path), env.path("d") + "/");

    in.patterns = {};
    ASSERT_TRUE(BuildListing(m, in));
    EXPECT_TRUE(rows().empty());
}

TEST_F(ListingTest, ExclusionsAreCaseSensitiveSubstringsOfFoldersWithoutTrailingSlash) {
    file("src/backup/old/a.txt");
    file("src/backup/b.txt");
    file("src/keep/c.txt");
    const std::string root = env.path("src") + "/*";
    struct Case { std::vector<std::string> exclusions; std::vector<std::string> folders; } cases[] = {
        {{"/backup/"}, {"/src", "/src/backup", "/src/keep"}},
        {{"/backup"}, {"/src", "/src/keep"}},
        {{"/BACKUP"}, {"/src", "/src/backup", "/src/backup/old", "/src/keep"}},
        {{"", "keep"}, {"/src", "/src/backup", "/src/backup/old"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(BuildListing(m, input({root}, {"*.*"}, c.exclusions)));
        EXPECT_EQ(allPaths(), c.folders) << c.exclusions.back();
    }
}

TEST_F(ListingTest, TreeWalksSkipLinksSpecialFilesAndUnstorableNames) {
    file("t/a.txt");
    file("t/sub/b.txt");
    ASSERT_EQ(symlink(env.path("t/sub").c_str(), env.path("t/dirlink").c_str()), 0);
    ASSERT_EQ(symlink(env.path("t/a.txt").c_str(), env.path("t/filelink.txt").c_str()), 0);
    ASSERT_EQ(mkfifo(env.path("t/pipe.txt").c_str(), 0600), 0);
    file("t/bad\nname.txt");
    file("t/bad\x1fname.txt");
    file("t/bad\rname.txt");
    file("t/bad\ndir/inside.txt");
    ASSERT_TRUE(BuildListing(m, input({env.path("t") + "/*"})));
    EXPECT_EQ(rows(), (std::vector<std::string>{"t/a.txt", "t/sub/b.txt"}));
    EXPECT_EQ(allPaths(), (std::vector<std::string>{"/t", "/t/bad\ndir", "/t/sub"}));
    const std::string log = env.read("dirroll.log");
    size_t n = 0;
    for (size_t p = log.find("File left out of the list"); p != std::string::npos;
         p = log.find("File left out of the list", p + 1))
        ++n;
    EXPECT_EQ(n, 3u) << log;
    EXPECT_NE(log.find("bad?name.txt"), std::string::npos);
    EXPECT_NE(log.find("Folder left out of the list (its name holds a line break or character 31): " +
                       env.path("t/bad?dir/")),
              std::string::npos);
}

TEST_F(ListingTest, EmptyFolderEntriesOpenNothing) {
    file("here.txt");
    char old[4096];
    ASSERT_TRUE(getcwd(old, sizeof old));
    ASSERT_EQ(chdir(env.folder().c_str()), 0);
    bool done = BuildListing(m, input({"", "*"}));
    ASSERT_EQ(chdir(old), 0);
    EXPECT_TRUE(done);
    EXPECT_TRUE(rows().empty());
}

namespace {
// Serves a small fake tree at "/" and passes everything else to the real platform.
class RootPlatform : public dr::Platform {
public:
    RootPlatform() : real_(dr::makeNativePlatform()) {}
    std::string executablePath() override { return real_->executablePath(); }
    std::string programFolder() override { return real_->programFolder(); }
    std::string userName() override { return real_->userName(); }
    std::string computerName() override { return real_->computerName(); }
    std::string specialFolder(dr::SpecialFolder w) override { return real_->specialFolder(w); }
    std::vector<std::string> recentDocuments() override { return {}; }
    bool fileStat(const std::string& p, dr::FileStat& o, bool nf) override { return real_->fileStat(p, o, nf); }
    std::string accountName(uint32_t u) override { return real_->accountName(u); }
    std::string fileOwner(const std::string& p, bool& ok) override { return real_->fileOwner(p, ok); }
    std::vector<dr::Volume> volumes() override { return {}; }
    bool listFolder(const std::string& folder, bool withStat, const std::function<bool(const DirEntry&)>& fn) override {
        dr::FileStat st;
        st.exists = st.isRegular = true;
        st.size = 42;
        st.modified = kDay.toTimeT(true);
        auto give = [&](const char* name, bool dir) {
            DirEntry e{name, std::strlen(name), dir, !dir, false, withStat ? &st : nullptr};
            return fn(e);
        };
        if (folder == "/") {
            give("root.txt", false);
            give("etc", true);
            return true;
        }
        if (folder == "/etc") {
            give("hosts", false);
            return true;
        }
        return real_->listFolder(folder, withStat, fn);
    }
    int openDocument(const std::string&, const std::string&) override { return dr::launch::kOk; }
    bool startProgram(const std::vector<std::string>&) override { return false; }
    int runProgramAndWait(const std::vector<std::string>&, const std::function<void()>&) override { return -1; }
    bool hasDisplay() override { return false; }

private:
    std::unique_ptr<dr::Platform> real_;
};
} // namespace

TEST_F(ListingTest, AFileInTheRootGetsThePathSlash) {
    RootPlatform fake;
    dr::setPlatform(&fake);
    bool done = BuildListing(m, input({"/*"}));
    dr::setPlatform(nullptr);
    ASSERT_TRUE(done);
    EXPECT_EQ(m.lstAllPaths, (std::vector<std::string>{"/", "/etc"}));
    ASSERT_EQ(m.files.size(), 2u);
    std::vector<std::string> full = {RowFullPath(m.files, 0), RowFullPath(m.files, 1)};
    std::sort(full.begin(), full.end());
    EXPECT_EQ(full, (std::vector<std::string>{"/etc/hosts", "/root.txt"}));
    for (size_t i = 0; i < 2; ++i) {
        if (m.files.field(i, Filename) == "root.txt") {
            EXPECT_EQ(m.files.field(i, Path), "/");
        }
    }
}

// Three folders of 70 files; Halt is pressed once 60 files are listed.
class HaltTest : public ListingTest {
protected:
    void SetUp() override {
        for (int f = 1; f <= 3; ++f)
            for (int i = 0; i < 70; ++i) file("h" + std::to_string(f) + "/f" + std::to_string(i) + ".txt");
        in = input({env.path("h1"), env.path("h2"), env.path("h3")});
        env.host.onDoEvents = [this] {
            if (!pressed && m.files.totals.files >= 60) {
                pressed = true;
                HaltCommand(m);
            }
        };
    }
    ListingInput in;
    bool pressed = false;
};

TEST_F(HaltTest, AnsweringNoGoesOnAndClearsTheFlag) {
    env.host.expectBox(Answer::No, "Dirroll has only listed the appropriate files from  1 out of  3 folders.\r\n"
                                   "Do you want to halt the operation ?");
    EXPECT_TRUE(BuildListing(m, in));
    EXPECT_EQ(m.files.size(), 210u);
    EXPECT_FALSE(m.halted());
    EXPECT_TRUE(m.files.sorting());
    ASSERT_EQ(env.host.boxes.size(), 1u);
    EXPECT_EQ(env.host.boxes[0].req.title, "Halt during Refresh?");
    EXPECT_EQ(env.host.boxes[0].req.buttons, dr::Buttons::YesNo);
    EXPECT_NE(m.status(3).find(" - Operation Halted by user"), std::string::npos);
}

TEST_F(HaltTest, AnsweringYesKeepsTheRowsFoundSoFarUnsorted) {
    env.host.expectBox(Answer::Yes, "from  1 out of  3 folders.");
    EXPECT_FALSE(BuildListing(m, in));
    EXPECT_EQ(m.files.size(), 61u);
    EXPECT_FALSE(m.files.sorting());
    EXPECT_EQ(m.files.totals.files, 61);
}

TEST_F(HaltTest, ALeftOverHaltDoesNotStopTheNextRun) {
    env.host.onDoEvents = nullptr;
    m.setHalt(true);
    EXPECT_TRUE(BuildListing(m, in));
    EXPECT_EQ(m.files.size(), 210u);
    EXPECT_TRUE(env.host.boxes.empty());
}

TEST_F(ListingTest, HaltWhileExpandingStillAppliesTheExclusions) {
    file("x/y/z/deep.txt");
    file("x/top.txt");
    int calls = 0;
    env.host.onDoEvents = [&] {
        if (++calls == 2) m.setHalt(true);
    };
    env.host.expectBox(Answer::OK, "Halting before directory list can be retrieved");
    env.host.expectBox(Answer::No, "from  1 out of  1 folders.");
    // Found before the halt: x and x/y; the exclusion takes x/y away.
    EXPECT_FALSE(BuildListing(m, input({env.path("x") + "/*"}, {"*.*"}, {"/y"})));
    EXPECT_EQ(allPaths(), (std::vector<std::string>{"/x"}));
    EXPECT_EQ(rows(), (std::vector<std::string>{"x/top.txt"}));
}

TEST_F(ListingTest, DateRangeChoicesSetThePickers) {
    const DateTime now = env.clock.now();
    struct Case { int index; DateTime from, to; } cases[] = {
        {AnyDates, {1984, 1, 1, 0, 0, 0}, {2999, 12, 31, 0, 0, 0}},
        {LastYear, now.addDays(-365), now},
        {LastMonth, now.addDays(-31), now},
        {LastWeek, now.addDays(-7), now},
        {Last3Days, now.addDays(-3), now},
        {TodayOnly, now, now},
    };
    m.loading = true; // no refresh, no message
    for (const Case& c : cases) {
        SelectDateRange(m, c.index);
        EXPECT_EQ(m.dtFrom, c.from) << c.index;
        EXPECT_EQ(m.dtTo, c.to) << c.index;
    }
    m.dtFrom = DateTime{2026, 1, 5, 0, 0, 0};
    m.dtTo = DateTime{2026, 2, 7, 0, 0, 0};
    SelectDateRange(m, CustomRange);
    EXPECT_EQ(m.dtFrom, (DateTime{2026, 1, 5, 0, 0, 0}));
    EXPECT_EQ(m.dateRangeToolTip, "Custom Date from 5-Jan-2026 to 7-Feb-2026");
    EXPECT_TRUE(env.host.boxes.empty());
    EXPECT_TRUE(m.files.empty());
}

TEST_F(ListingTest, AChoiceOutsideLoadingRefreshesAndDropsTheSavedList) {
    file("p/a.txt", "x", DateTime{2026, 12, 10, 9, 0, 0});
    file("p/old.txt", "x", DateTime{2001, 1, 1, 9, 0, 0});
    env.write("Docs.pro", "P" + env.path("p") + "\r\nX*.*\r\nS7\r\nEtoday\r\n");
    env.write("Docs.DR", ";DR\r\n");
    ListProfiles(m);
    m.profileSwitching = true;
    m.setProfileIndex(0);
    m.profileSwitching = false;
    ASSERT_TRUE(LoadProfile(m, env.path("Docs.pro")));

    env.host.expectBox(Answer::OK, "Use the dates in the side panel");
    SelectDateRange(m, CustomRange);
    EXPECT_FALSE(env.exists("Docs.DR"));
    EXPECT_EQ(rows(), (std::vector<std::string>{"p/a.txt"}));

    // A picker change: custom without a message, and a refresh unless paused.
    m.dtFrom = DateTime{2000, 1, 1, 0, 0, 0};
    DatePickerChanged(m);
    EXPECT_EQ(m.dateRangeIndex, CustomRange);
    EXPECT_EQ(rows(), (std::vector<std::string>{"p/a.txt", "p/old.txt"}));
    m.menus.pauseAutoRefresh = true;
    m.dtFrom = DateTime{2026, 12, 10, 0, 0, 0};
    m.files.clear();
    DatePickerChanged(m);
    EXPECT_TRUE(m.files.empty());
    EXPECT_EQ(env.host.boxes.size(), 1u);
}

TEST_F(ListingTest, RefreshCommandRebuildsAndRewritesTheSavedList) {
    file("p/a.txt", "x", DateTime{2026, 12, 10, 9, 0, 0});
    env.write("Docs.pro", "P" + env.path("p") + "\r\nX*.*\r\nS7\r\nEtoday\r\n");
    env.write("Docs.DR", ";DR stale\r\n\x1fstale.txt\x1f/nowhere/\x1f 1\x1fTXT\x1f" "2020-01-01 00:00\x1f\r\n");
    RunProfile(m, "Docs");
    EXPECT_EQ(m.files.text(0, Filename), "stale.txt");
    RefreshCommand(m);
    EXPECT_EQ(rows(), (std::vector<std::string>{"p/a.txt"}));
    EXPECT_NE(env.read("Docs.DR").find("\x1f" "a.txt\x1f"), std::string::npos);
    EXPECT_EQ(env.read("Docs.DR").find("stale"), std::string::npos);
    EXPECT_FALSE(m.progressVisible());
    EXPECT_TRUE(m.profileEnabled);
    EXPECT_EQ(m.txtHiddenProfileName, "Docs");
}

TEST_F(ListingTest, RefreshUsingAnyDatesKeepsAnyDates) {
    file("p/new.txt", "x", DateTime{2026, 12, 10, 9, 0, 0});
    file("p/old.txt", "x", DateTime{1990, 5, 1, 9, 0, 0});
    env.write("Docs.pro", "P" + env.path("p") + "\r\nX*.*\r\nS7\r\nEtoday\r\n");
    RunProfile(m, "Docs");
    EXPECT_EQ(rows(), (std::vector<std::string>{"p/new.txt"}));
    ASSERT_TRUE(env.exists("Docs.DR"));
    RefreshWithAnyDates(m);
    EXPECT_EQ(m.dateRangeIndex, AnyDates);
    EXPECT_EQ(rows(), (std::vector<std::string>{"p/new.txt", "p/old.txt"}));
    // The profile's own saved list is dropped, not overwritten with the wider list.
    EXPECT_FALSE(env.exists("Docs.DR"));
}

TEST_F(ListingTest, ClearExcludedAndRefresh) {
    file("p/a/x.txt");
    file("p/b/y.txt");
    env.write("Docs.pro", "P" + env.path("p") + "/*\r\nX*.*\r\nS01/01/1984\r\nE12/31/2999\r\n~/a\r\n");
    RunProfile(m, "Docs");
    EXPECT_EQ(rows(), (std::vector<std::string>{"p/b/y.txt"}));
    RefreshClearExcluded(m);
    EXPECT_EQ(rows(), (std::vector<std::string>{"p/a/x.txt", "p/b/y.txt"}));
    EXPECT_EQ(env.read("Docs.pro").find("~/a"), std::string::npos);
    EXPECT_FALSE(m.clearExcludedEnabled);
}

TEST_F(ListingTest, RefreshWithoutACurrentProfileRebuildsWhatTheWindowHolds) {
    file("p/a.txt");
    file("q/b.txt");
    env.write("First.pro", "P" + env.path("q") + "\r\nX*.*\r\nS01/01/1984\r\nE12/31/2999\r\n");
    env.write("else/Other.PRO", "P" + env.path("p") + "\r\nX*.*\r\nS01/01/1984\r\nE12/31/2999\r\n");
    env.host.expectOpenFile(env.path("else/Other.PRO"));
    FileOpenProfile(m);
    ASSERT_EQ(m.profileIndex, -1);
    file("p/c.txt");
    RefreshCommand(m);
    // Not the first profile of the folder: the opened profile's folders again.
    EXPECT_EQ(m.profileIndex, -1);
    EXPECT_EQ(rows(), (std::vector<std::string>{"p/a.txt", "p/c.txt"}));
    EXPECT_FALSE(env.exists("First.DR"));
}
