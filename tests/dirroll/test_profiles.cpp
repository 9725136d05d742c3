#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/log.h"
#include "dirroll/listing.h"
#include "dirroll/main_model.h"
#include "dirroll/profiles.h"
#include "dirroll/saved_list.h"
#include "support/test_env.h"

using namespace dr::roll;
using dr::Answer;
using dr::DateTime;

namespace {

class ProfileTest : public drtest::EnvTest {
protected:
    std::string file(const std::string& rel, DateTime when = DateTime{2026, 12, 10, 9, 0, 0}) {
        env.write(rel, "x");
        drtest::setFileTime(env.path(rel), when);
        return env.path(rel);
    }
    // A profile of the program folder listing folder p with any pattern.
    void profile(const std::string& name, const std::string& extra = "S7\r\nEtoday\r\n") {
        env.write(name, "P" + env.path("p") + "\r\nX*.*\r\n" + extra);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (size_t i = 0; i < m.files.size(); ++i) out.emplace_back(m.files.field(i, Filename));
        std::sort(out.begin(), out.end());
        return out;
    }
    time_t mtime(const std::string& rel) const {
        struct stat st {};
        ::stat(env.path(rel).c_str(), &st);
        return st.st_mtime;
    }
    MainModel m;
    const DateTime now = DateTime{2026, 12, 11, 10, 30, 0};
};

} // namespace

TEST_F(ProfileTest, LineTypesInEitherCase) {
    env.write("t.pro", "; comment\r\n'quote\r\n:colon\r\n*star\r\np/b/*\r\nP/a/\r\nx*.jpg\r\nXJPG\r\n"
                       "~/tmp/\r\n~ with blanks \r\n\r\nZ ignored\r\ns7\r\netoday\r\n");
    ASSERT_TRUE(LoadProfile(m, env.path("t.pro")));
    EXPECT_EQ(m.lstPath.items(), (std::vector<std::string>{"/a/", "/b/*"}));
    EXPECT_EQ(m.lstXtn.items(), (std::vector<std::string>{"*.jpg", "JPG"}));
    EXPECT_EQ(m.lvExclude, (std::vector<std::string>{"/tmp/", " with blanks "}));
    EXPECT_EQ(m.dateRangeIndex, LastWeek);
    EXPECT_EQ(m.dtFrom, now.addDays(-7));
    EXPECT_EQ(m.dtTo, now);
    EXPECT_FALSE(m.loading);
    EXPECT_EQ(env.read("ff_paths.lis"), "/a/\r\n/b/*\r\n");
    EXPECT_EQ(env.read("ff_specs.lis"), "*.jpg\r\nJPG\r\n");
}

TEST_F(ProfileTest, StartAndEndLineRules) {
    const DateTime preset{2026, 3, 3, 0, 0, 0};
    struct Case {
        const char* lines;
        int index;
        DateTime from, to;
        const char* tip;
    } cases[] = {
        {"S14\r\nEtoday", LastWeek, now.addDays(-14), now, ""},         // no choice of its own
        {"S1000", LastWeek, preset, preset, "tip"},                   // not a date: unchanged
        {"Sxx", LastWeek, now, preset, ""},                           // no number: 0 days
        {"S1\r\nETODAY", TodayOnly, now, now, ""},
        {"S3\r\nEtoday", Last3Days, now.addDays(-3), now, ""},
        {"S30\r\nEtoday", LastMonth, now.addDays(-31), now, ""},
        {"S364\r\nEtoday", LastYear, now.addDays(-365), now, ""},
        {"S01/01/1984\r\nE12/31/2999", AnyDates, {1984, 1, 1, 0, 0, 0}, {2999, 12, 31, 0, 0, 0}, "Any Date  "},
        // The pair the old program wrote for Any Dates.
        {"S01/01/1984\r\nE12/31/2020", AnyDates, {1984, 1, 1, 0, 0, 0}, {2999, 12, 31, 0, 0, 0}, "Any Date  "},
        {"S01/01/1984\r\nE12/31/2021", CustomRange, {1984, 1, 1, 0, 0, 0}, {2021, 12, 31, 0, 0, 0},
         "Custom Date from 1-Jan-1984 to 31-Dec-2021"},
        {"S06/15/2026\r\nE07/01/2026 ", CustomRange, {2026, 6, 15, 0, 0, 0}, {2026, 7, 1, 0, 0, 0},
         "Custom Date from 15-Jun-2026 to 1-Jul-2026"},
        {"S13/45/2026\r\nE02/30/2026", LastWeek, preset, preset, "tip"},
        {"; only comments\r\n", LastWeek, preset, preset, "tip"},
    };
    for (const Case& c : cases) {
        m.dateRangeIndex = LastWeek;
        m.dtFrom = m.dtTo = preset;
        m.dateRangeToolTip = "tip";
        env.write("d.pro", c.lines);
        ASSERT_TRUE(LoadProfile(m, env.path("d.pro")));
        EXPECT_EQ(m.dateRangeIndex, c.index) << c.lines;
        EXPECT_EQ(m.dtFrom, c.from) << c.lines;
        EXPECT_EQ(m.dtTo, c.to) << c.lines;
        EXPECT_EQ(m.dateRangeToolTip, c.tip) << c.lines;
    }
    EXPECT_TRUE(env.host.boxes.empty());
    EXPECT_TRUE(m.files.empty()); // selecting a choice while loading refreshes nothing
}

TEST_F(ProfileTest, MissingProfileLeavesEmptyLists) {
    m.lstPath.add("/old");
    m.lvExclude.push_back("x");
    env.host.expectBox(Answer::OK);
    EXPECT_FALSE(LoadProfile(m, env.path("none.pro")));
    ASSERT_EQ(env.host.boxes.size(), 1u);
    EXPECT_EQ(env.host.boxes[0].req.text, "Cant find the profile \r\n " + env.path("none.pro"));
    EXPECT_TRUE(m.lstPath.empty());
    EXPECT_TRUE(m.lvExclude.empty());
    EXPECT_FALSE(m.loading);
}

TEST_F(ProfileTest, SaveProfileWritesTheExactLines) {
    m.lstPath.add("/data/*");
    m.lstPath.add("");
    m.lstPath.add(" /b/ ");
    m.lstXtn.add("*.JPG");
    m.lstXtn.add("");
    m.lvExclude = {"/tmp/", "", " /cache/ "};
    ASSERT_TRUE(SaveProfile(m, env.path("s.pro"), "S7", "Etoday"));
    const std::string expected =
        "; Profile for Quendal Vidazidev Dirroller - " + dr::GetVersionString() + "\r\n"
        ";  for support visit https://www.quendal.example/dirroller\r\n"
        ";  or email support@quendal.example\r\n"
        "; \r\n"
        "; --------------------------------------------------------------\r\n"
        "; Format of Profiles: \r\n"
        ";   Line starting with 'S' is the start date of the file\r\n"
        ";   Line starting with 'E' is the end date of the file\r\n"
        ";   Line starting with 'P' is a path to include in the list\r\n"
        ";   Line starting with '~' is text to exclude from the list\r\n"
        ";   Line starting with 'X' is a file pattern to include\r\n"
        "; \r\n"
        "; --------------------------------------------------------------\r\n"
        "\r\n\r\n"
        "; Start Date of Files\r\nS7\r\n\r\n"
        "; End Date of Files\r\nEtoday\r\n\r\n\r\n"
        "; Directories to Scan \r\n\r\n"
        "P\r\nP/b/\r\nP/data/*\r\n"
        "\r\n; Extensions (eg EXE, DOC, MP3 )\r\n"
        "X*.JPG\r\n"
        "\r\n\r\n; Excluded Paths and Strings\r\n"
        "~/tmp/\r\n~/cache/\r\n"
        "\r\n\r\n";
    EXPECT_EQ(env.read("s.pro"), expected);

    // What it writes loads back into the same lists and dates.
    MainModel back;
    ASSERT_TRUE(LoadProfile(back, env.path("s.pro")));
    EXPECT_EQ(back.lstPath.items(), (std::vector<std::string>{"", "/b/", "/data/*"}));
    EXPECT_EQ(back.lstXtn.items(), (std::vector<std::string>{"*.JPG"}));
    EXPECT_EQ(back.lvExclude, (std::vector<std::string>{"/tmp/", "/cache/"}));
    EXPECT_EQ(back.dateRangeIndex, LastWeek);
}

TEST_F(ProfileTest, DateLinesFollowTheChoice) {
    m.dtFrom = DateTime{2026, 2, 3, 10, 0, 0};
    m.dtTo = DateTime{2026, 11, 30, 0, 0, 0};
    struct Case { int index; const char* start; const char* end; } cases[] = {
        {AnyDates, "S01/01/1984", "E12/31/2999"}, {LastYear, "S365", "Etoday"}, {LastMonth, "S31", "Etoday"},
        {LastWeek, "S7", "Etoday"},  {Last3Days, "S3", "Etoday"}, {TodayOnly, "S1", "Etoday"},
        {CustomRange, "S02/03/2026", "E11/30/2026"}, {-1, "", ""},
    };
    for (const Case& c : cases) {
        m.dateRangeIndex = c.index;
        auto [s, e] = DateLinesFor(m);
        EXPECT_EQ(s, c.start) << c.index;
        EXPECT_EQ(e, c.end) << c.index;
    }
}

TEST_F(ProfileTest, SaveFailureIsLoggedAndShown) {
    env.host.expectBox(Answer::OK, "An error occurred saving the profile '");
    const std::string path = env.path("no/such/folder/x.pro");
    EXPECT_FALSE(SaveProfile(m, path, "S7", "Etoday"));
    ASSERT_EQ(env.host.boxes.size(), 1u);
    EXPECT_EQ(env.host.boxes[0].req.title, "Error Saving Profile");
    EXPECT_EQ(env.host.boxes[0].req.icon, dr::Icon::Information);
    EXPECT_EQ(env.host.boxes[0].req.text.rfind("An error occurred saving the profile '" + path + "' ERR=\r\n", 0), 0u);
    EXPECT_NE(env.read("dirroll.log").find("An error occurred saving the profile '" + path + "' ERR="),
              std::string::npos);
}

TEST_F(ProfileTest, SaveCurrentProfileAsksForANameWhenThereIsNone) {
    m.lstPath.add("/x/");
    m.dateRangeIndex = AnyDates;
    env.host.expectInput(std::string("my profile"));
    FileSaveProfile(m);
    EXPECT_EQ(env.host.inputs, (std::vector<std::string>{"Enter name for current settings"}));
    EXPECT_NE(env.read("my profile.pro").find("\r\nS01/01/1984\r\n"), std::string::npos);
    EXPECT_NE(env.read("my profile.pro").find("\r\nE12/31/2999\r\n"), std::string::npos);

    env.host.expectInput(std::string(""));
    FileSaveProfile(m); // an empty answer stops
    env.host.expectInput(std::nullopt);
    FileSaveProfile(m);

    env.host.expectInput(std::string("../evil"));
    env.host.expectBox(Answer::OK, "An error occurred saving the profile '");
    FileSaveProfile(m);
    EXPECT_FALSE(env.exists("../evil.pro"));
    EXPECT_EQ(env.host.boxes.back().req.title, "Error Saving Profile");

    // With a current profile, it is saved under its name without a question.
    m.setProfiles({"Docs"});
    m.setProfileIndex(0);
    m.dateRangeIndex = LastMonth;
    FileSaveProfile(m);
    EXPECT_NE(env.read("Docs.pro").find("\r\nS31\r\n"), std::string::npos);
    EXPECT_TRUE(env.host.scriptUsedUp());
}

TEST_F(ProfileTest, ProfilesAreFoundWhateverTheCaseOfTheirExtension) {
    for (const char* f : {"a.pro", "B.PRO", "c.Pro", "notes.txt", "d.pro.bak", ".pro"}) env.write(f, "");
    env.mkdir("dir.pro");
    ListProfiles(m);
    std::vector<std::string> got = m.profiles;
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::string>{"B", "a", "c"}));

    EXPECT_EQ(ResolveOnDisk(env.path("B.pro")), env.path("B.PRO"));
    EXPECT_EQ(ResolveOnDisk(env.path("a.pro")), env.path("a.pro"));
    EXPECT_EQ(ResolveOnDisk(env.path("b.pro")), env.path("b.pro")); // the name itself keeps its case
    EXPECT_EQ(ResolveOnDisk(env.path("none.DR")), env.path("none.DR"));
}

TEST_F(ProfileTest, RunProfileBuildsAndWritesTheSavedList) {
    file("p/new.txt");
    profile("Docs.PRO");
    RunProfile(m, "Docs");
    EXPECT_EQ(m.profileText(), "Docs");
    EXPECT_EQ(names(), (std::vector<std::string>{"new.txt"}));
    EXPECT_EQ(m.caption(), "Quendal Vidazidev Dirroller - Docs");
    EXPECT_EQ(m.status(3), "Quendal Vidazidev Dirroller - Docs");
    EXPECT_EQ(env.host.captions.front(), "Quendal Vidazidev Dirroller - Loading new Profile...");
    EXPECT_EQ(m.status(1), "1 files (0 tagged files) ");
    const std::string list = env.read("Docs.DR");
    EXPECT_EQ(list.rfind(";DR formatted list of files created by Dirroller - Fri, 11/12/2026 10:30:00\r\n", 0), 0u);
    EXPECT_NE(list.find("\x1fnew.txt\x1f"), std::string::npos);
    EXPECT_EQ(env.read("ff_paths.lis"), env.path("p") + "\r\n");
    EXPECT_EQ(env.read("ff_specs.lis"), "*.*\r\n");
    EXPECT_TRUE(env.exists("ExcludedPaths.txt"));
    EXPECT_FALSE(m.profileSwitching);
    EXPECT_FALSE(m.loading);
}

TEST_F(ProfileTest, RunProfileShowsTheSavedListWithoutRewritingIt) {
    file("p/new.txt");
    profile("Docs.pro");
    const std::string saved = ";DR formatted list of files created by Dirroller - Wed, 9/12/2026 17:14:05\r\n"
                              "\x1f" "cached.txt\x1f/c/\x1f" "1,000\x1fTXT\x1f" "2026-12-09 17:05\x1f\r\n";
    env.write("Docs.DR", saved);
    drtest::setFileTime(env.path("Docs.DR"), DateTime{2026, 12, 9, 17, 14, 5});
    const time_t before = mtime("Docs.DR");
    RunProfile(m, "Docs");
    EXPECT_EQ(names(), (std::vector<std::string>{"cached.txt"}));
    EXPECT_EQ(m.lstAllPaths, (std::vector<std::string>{"[using Saved Dirroll]"}));
    EXPECT_EQ(m.caption(),
              "Quendal Vidazidev Dirroller - 'Docs' (last refreshed on Wed, 9-Dec-26 click refresh to update list)");
    EXPECT_EQ(m.status(3), "Loaded 'Docs.DR' (last refreshed on Wed, 9-Dec-26 click refresh to update list)");
    EXPECT_EQ(env.read("Docs.DR"), saved);
    EXPECT_EQ(mtime("Docs.DR"), before);
    EXPECT_EQ(m.files.totals.bytes, 1000u);
}

TEST_F(ProfileTest, RunProfileRebuildsAFileThatIsNotASavedList) {
    file("p/new.txt");
    profile("Docs.pro");
    env.write("Docs.DR", ";dr lower case is no header\r\n");
    RunProfile(m, "Docs");
    EXPECT_EQ(names(), (std::vector<std::string>{"new.txt"}));
    EXPECT_EQ(env.read("Docs.DR").rfind(";DR formatted", 0), 0u);
}

TEST_F(ProfileTest, AHaltedBuildWritesNoSavedList) {
    for (int i = 0; i < 80; ++i) file("p/f" + std::to_string(i) + ".txt");
    profile("Docs.pro");
    env.host.onDoEvents = [&] {
        if (m.files.totals.files >= 33) m.setHalt(true);
    };
    env.host.expectBox(Answer::Yes, "Do you want to halt the operation ?");
    RunProfile(m, "Docs");
    EXPECT_EQ(m.files.size(), 33u);
    EXPECT_FALSE(env.exists("Docs.DR"));
}

TEST_F(ProfileTest, AnUnknownNameRunsTheFirstProfile) {
    file("p/new.txt");
    profile("Only.pro");
    env.host.onDoEvents = nullptr;
    RunProfile(m, "Missing");
    EXPECT_EQ(m.profileText(), "Only");
    EXPECT_EQ(names(), (std::vector<std::string>{"new.txt"}));
    EXPECT_TRUE(env.exists("Only.DR"));
}

TEST_F(ProfileTest, ComboClickRunsUnlessCodeIsSwitching) {
    file("p/new.txt");
    profile("A.pro");
    profile("B.pro");
    ListProfiles(m);
    const int b = m.findProfile("B");
    ASSERT_GE(b, 0);
    m.profileSwitching = true;
    SelectProfileIndex(m, b);
    EXPECT_TRUE(m.files.empty());
    m.profileSwitching = false;
    SelectProfileIndex(m, b);
    EXPECT_EQ(m.txtHiddenProfileName, "B");
    EXPECT_EQ(names(), (std::vector<std::string>{"new.txt"}));
    EXPECT_TRUE(env.exists("B.DR"));
    EXPECT_TRUE(m.profileEnabled);
    m.setProfileIndex(-1);
    m.files.clear();
    ProfileClick(m);
    EXPECT_TRUE(m.files.empty());
}

TEST_F(ProfileTest, SetupProfileRefreshesWithoutASavedListAndHonoursPause) {
    file("p/new.txt");
    env.write("else/Other.PRO", "P" + env.path("p") + "\r\nX*.*\r\nS7\r\nEtoday\r\n");
    SetupProfile(m, env.path("else/Other.PRO"));
    EXPECT_EQ(names(), (std::vector<std::string>{"new.txt"}));
    EXPECT_FALSE(m.files.tagged(0));
    EXPECT_FALSE(env.exists("else/Other.DR"));
    EXPECT_FALSE(env.exists("Other.DR"));

    m.files.clear();
    m.menus.pauseAutoRefresh = true;
    SetupProfile(m, env.path("else/Other.PRO"));
    EXPECT_TRUE(m.files.empty());
    EXPECT_EQ(m.status(3), "AUTOREFRESH IS TURNED OFF - Dirroll has not been refreshed");
}

TEST_F(ProfileTest, OpenProfileInsideAndOutsideTheProgramFolder) {
    file("p/new.txt");
    profile("Docs.PRO");
    env.write("else/Other.pro", "P" + env.path("p") + "\r\nX*.*\r\nS7\r\nEtoday\r\n");

    env.host.expectOpenFile(env.path("Docs.PRO"));
    FileOpenProfile(m);
    ASSERT_EQ(env.host.dialogs.size(), 1u);
    EXPECT_EQ(env.host.dialogs[0].title, "Choose Profile to Open");
    EXPECT_EQ(env.host.dialogs[0].startFolder, env.folder());
    EXPECT_EQ(env.host.dialogs[0].fileName, "*.pro");
    EXPECT_EQ(m.profileText(), "Docs");
    EXPECT_EQ(m.txtHiddenProfileName, "Docs");
    EXPECT_TRUE(env.exists("Docs.DR"));

    env.host.expectOpenFile(env.path("else/Other.pro"));
    FileOpenProfile(m);
    EXPECT_EQ(m.profileIndex, -1);
    EXPECT_EQ(m.txtHiddenProfileName, "Other");
    EXPECT_EQ(m.caption(), "Quendal Vidazidev Dirroller - " + env.path("else/Other.pro"));
    EXPECT_EQ(names(), (std::vector<std::string>{"new.txt"}));
    EXPECT_FALSE(env.exists("else/Other.DR"));

    env.host.expectOpenFile(std::string("*.pro"));
    FileOpenProfile(m);
    env.host.expectOpenFile(std::nullopt);
    FileOpenProfile(m);
    EXPECT_EQ(m.txtHiddenProfileName, "Other");
    EXPECT_FALSE(env.host.busy);
}

TEST_F(ProfileTest, SaveAsWritesFixedDatesAndRunsTheProfileAsNamedOnDisk) {
    file("p/new.txt");
    m.lstPath.add(env.path("p"));
    m.lstXtn.add("*.*");
    m.dateRangeIndex = LastWeek;
    m.dtFrom = DateTime{2026, 12, 1, 0, 0, 0};
    m.dtTo = DateTime{2026, 12, 31, 0, 0, 0};
    env.host.expectSaveFile(env.path("Fresh.PRO"));
    FileSaveProfileAs(m);
    EXPECT_EQ(env.host.dialogs.back().title, "Choose a name to save the Profile as");
    EXPECT_EQ(env.host.dialogs.back().defaultExt, "PRO");
    const std::string text = env.read("Fresh.PRO");
    EXPECT_NE(text.find("\r\nS12/01/2026\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nE12/31/2026\r\n"), std::string::npos);
    EXPECT_EQ(m.txtHiddenProfileName, "Fresh");
    EXPECT_EQ(m.profileText(), "Fresh");
    EXPECT_EQ(names(), (std::vector<std::string>{"new.txt"}));
    EXPECT_TRUE(env.exists("Fresh.DR"));
    EXPECT_TRUE(env.host.boxes.empty()); // the profile was found

    env.host.expectSaveFile(std::string("*.PRO"));
    FileSaveProfileAs(m);
    EXPECT_TRUE(env.host.scriptUsedUp());
}

TEST_F(ProfileTest, NewProfileClearsTheSpecAndCallsTheEditor) {
    file("p/new.txt");
    env.write("ff_paths.lis", "/old\r\n");
    env.write("ff_specs.lis", "*.old\r\n");
    m.lstPath.add("/old");
    std::string given;
    m.profileEditor = [&](MainModel& w, const std::string& name) {
        given = name;
        EXPECT_TRUE(w.lstPath.empty());
        EXPECT_FALSE(env.exists("ff_paths.lis"));
        EXPECT_EQ(w.dtFrom, now.addDays(-14));
        profile("Made.pro");
        w.txtHiddenProfileName = "Made";
    };
    FileNewProfile(m);
    EXPECT_EQ(given, "New Profile");
    EXPECT_EQ(m.profileText(), "Made");
    EXPECT_EQ(names(), (std::vector<std::string>{"new.txt"}));
}

TEST_F(ProfileTest, UnattendedLoadsWriteNoInteractiveSideFiles) {
    profile("Docs.pro");
    m.unattended = true;
    ASSERT_TRUE(LoadProfile(m, env.path("Docs.pro")));
    EXPECT_FALSE(env.exists("ff_paths.lis"));
    EXPECT_FALSE(env.exists("ff_specs.lis"));
}
