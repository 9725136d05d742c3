#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "desktop_platform.h"
#include "dirroll/default_profiles.h"
#include "dirroll/main_model.h"
#include "dirroll/profiles.h"
#include "dirroll/recent_profiles.h"
#include "support/test_env.h"

using namespace dr::roll;
using Lines = std::vector<std::string>;

namespace {



// A user whose home has documents, pictures and ~/src, but no music,
// downloads, ~/dev/src or ~/apps.
class DefaultProfilesTest : public drtest::EnvTest {
protected:
    void SetUp() override {
        home = env.path("home");
        for (const char* d : {"home/Documents", "home/Pictures", "home/src", "home/bin"}) env.mkdir(d);
        desktop.folders = {{dr::SpecialFolder::Home, home},
                           {dr::SpecialFolder::Documents, home + "/Documents"},
                           {dr::SpecialFolder::Pictures, home + "/Pictures"},
                           {dr::SpecialFolder::Music, home + "/Music"},
                           {dr::SpecialFolder::Downloads, ""}};
    }
    Lines fileLines(const std::string& name) { return drtest::crlfLines(env.read(name)); }

    drtest::DesktopPlatform desktop;
    std::string home;
};

} // namespace

TEST_F(DefaultProfilesTest, ProfilesNameTheFoldersOfThisUser) {
    const std::string docs = "P" + home + "/Documents/*";
    const Lines any = {"S01/01/1984", "E12/31/2999"};
    auto with = [&](Lines tail) {
        Lines l = any;
        l.insert(l.end(), tail.begin(), tail.end());
        return l;
    };
    const Lines docsBlock = {docs, "~/.cache/", "~/.local/share/Trash/"};
    auto plus = [](Lines a, const Lines& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    Lines programs = {"P/etc/"};
    for (const std::string& p : {std::string("/opt"), std::string("/usr/local"), home + "/bin", home + "/apps"})
        if (drtest::isDirectory(p)) programs.push_back("P" + p + "/*");

    struct Case {
        const char* file;
        Lines lines;
    } cases[] = {
        {"Dirroll Directory.pro", with({"P" + env.folder(), "X*.*"})},
        {"Graphics Files.pro",
         with(plus(plus({"P" + env.folder()}, docsBlock),
                   {"P" + home + "/Pictures/*", "X*.BMP", "X*.GIF", "X*.ICO", "X*.WMF", "X*.PNG", "X*.JPG",
                    "X*.JPEG"}))},
        // No music or download folder here, so no folder lines for them.
        {"Audio and Music.pro", with(plus(docsBlock, {"X*.MP3", "X*.OGG", "X*.WAV", "~/.cache/"}))},
        {"Document Files.pro", with(plus(docsBlock, {"X*.do*", "X*.xl*", "X*.md*", "X*.pu*", "X*.htm*", "X*.txt"}))},
        {"Source Code.pro",
         with(plus(docsBlock, {"P" + home + "/src/*", "~/backup/", "~/bk/", "X*.VBW", "X*.VBP", "X*.FRM", "X*.BAS",
                               "X*.CLS", "X*.C", "X*.CPP", "X*.H", "X*.HH", "X*.ASP", "X*.HTM*", "X*.CJB",
                               "X*.INC", "X*.JAVA", "X*.JS", "X*.VBS"}))},
        {"Applications.pro", with({"P/opt/*", "X*.EXE", "X*.COM", "X*.BAT"})},
        {"System Configuration Files.pro",
         with(plus(programs, {"XAUTOEXEC.*", "XCONFIG.*", "X*.INI", "X*.BAT", "X*.CFG", "X*.TXT", "X*.LOG",
                              "X*.CONF"}))},
    };
    CreateDefaultProfileFiles(env.folder());
    for (const Case& c : cases) EXPECT_EQ(fileLines(c.file), c.lines) << c.file;
    EXPECT_TRUE(env.exists("Recent Files.pro"));
}

TEST_F(DefaultProfilesTest, ExistingProfilesAreLeftUntouched) {
    env.write("Graphics Files.pro", "mine\r\n");
    env.write("Applications.PRO", "also mine\r\n");
    CreateDefaultProfileFiles(env.folder());
    EXPECT_EQ(env.read("Graphics Files.pro"), "mine\r\n");
    EXPECT_EQ(env.read("Applications.PRO"), "also mine\r\n");
    EXPECT_FALSE(env.exists("Applications.pro")) << "no twin beside the file in another case";
    EXPECT_TRUE(env.exists("Document Files.pro"));
    EXPECT_TRUE(env.exists("Dirroll Directory.pro"));
}

TEST_F(DefaultProfilesTest, DefaultProfilesLoadAsAnyDates) {
    CreateDefaultProfileFiles(env.folder());
    MainModel m;
    ASSERT_TRUE(LoadProfile(m, env.path("Graphics Files.pro")));
    EXPECT_EQ(m.dateRangeIndex, AnyDates);
    EXPECT_EQ(m.dtTo, (dr::DateTime{2999, 12, 31, 0, 0, 0}));
    EXPECT_EQ(m.lstXtn.size(), 7u);
}

TEST_F(DefaultProfilesTest, RecentProfilesListTheFoldersOfRecentDocuments) {
    const std::string f = env.folder();
    desktop.recent = {f + "/Docs/a.doc", f + "/docs/b.doc", f + "/Docs/c.txt", "/x.txt", "", "nofolder"};
    CreateRecentFilesProfiles();
    // Folders that differ only in case are different folders here.
    const Lines folders = {f + "/Docs/", f + "/docs/", "/"};
    EXPECT_EQ(fileLines("recentFolders.txt"), folders);
    struct Case {
        const char* file;
        const char* start;
        const char* pattern;
    } cases[] = {{"Recent Files.pro", "S7", "X*.*"},
                 {"Recent Pictures.pro", "S31", "X*.JPG"},
                 {"Recent Documents.pro", "S31", "X*.DOC"}};
    for (const Case& c : cases) {
        Lines want = {c.start, "Etoday", c.pattern, "P" + f};
        for (const auto& d : folders) want.push_back("P" + d);
        EXPECT_EQ(fileLines(c.file), want) << c.file;
    }
}

TEST_F(DefaultProfilesTest, RecentProfilesAreRewrittenEveryTime) {
    desktop.recent = {env.folder() + "/one/a.txt"};
    CreateRecentFilesProfiles();
    desktop.recent = {};
    CreateRecentFilesProfiles();
    EXPECT_EQ(fileLines("Recent Files.pro"), (Lines{"S7", "Etoday", "X*.*", "P" + env.folder()}));
    EXPECT_EQ(env.read("recentFolders.txt"), "");
}

namespace {

// Profiles over a small folder, so running one is quick and visible.
class RecentRunTest : public DefaultProfilesTest {
protected:
    void SetUp() override {
        DefaultProfilesTest::SetUp();
        env.write("data/a.txt", "a");
        for (const char* name : {"Alpha", "Recent Files"})
            env.write(std::string(name) + ".pro", "S01/01/1984\r\nE12/31/2999\r\nP" + env.path("data") + "\r\nX*.*\r\n");
    }
};

} // namespace

TEST_F(RecentRunTest, RunsRecentFilesOrTheFirstProfile) {
    struct Case {
        std::vector<std::string> profiles;
        int selected;
        const char* expectName;
    } cases[] = {
        {{"Alpha", "Recent Files"}, -1, "Recent Files"},
        {{"Alpha", "Recent Files"}, 1, "Recent Files"}, // already selected: run again
        {{"Alpha"}, -1, "Alpha"},                       // absent: the first profile
    };
    for (const Case& c : cases) {
        MainModel m;
        m.profiles = c.profiles;
        m.profileIndex = c.selected;
        if (std::find(c.profiles.begin(), c.profiles.end(), "Recent Files") == c.profiles.end())
            ::unlink(env.path("Recent Files.pro").c_str());
        ::unlink(env.path("Recent Files.DR").c_str());
        ::unlink(env.path("Alpha.DR").c_str());
        RunProfileRecentFiles(m);
        EXPECT_EQ(m.profileText(), c.expectName);
        EXPECT_EQ(m.files.size(), 1u) << c.expectName;
        EXPECT_TRUE(env.exists(std::string(c.expectName) + ".DR"));
    }
}

TEST_F(RecentRunTest, DoesNothingWithoutProfiles) {
    MainModel m;
    RunProfileRecentFiles(m);
    EXPECT_EQ(m.profileIndex, -1);
    EXPECT_TRUE(env.host.captions.empty());
    EXPECT_EQ(m.files.size(), 0u);
}

TEST_F(RecentRunTest, UpdateCommandRewritesThenRuns) {
    desktop.recent = {env.path("data") + "/a.txt"};
    MainModel m;
    ListProfiles(m);
    UpdateRecentFilesCommand(m);
    EXPECT_EQ(m.profileText(), "Recent Files");
    EXPECT_EQ(fileLines("Recent Files.pro").back(), "P" + env.path("data") + "/");
    bool listed = false;
    for (size_t r = 0; r < m.files.size(); ++r)
        listed = listed || (m.files.text(r, Filename) == "a.txt" && m.files.text(r, Path) == env.path("data") + "/");
    EXPECT_TRUE(listed);
}
