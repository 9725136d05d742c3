#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/ini.h"
#include "common/log.h"
#include "common/format.h"
#include "desktop_platform.h"
#include "dirroll/automode.h"
#include "dirroll/main_model.h"
#include "dirroll/server_config.h"
#include "dirroll/startup.h"
#include "support/test_env.h"

using namespace dr::roll;
using Lines = std::vector<std::string>;

namespace {

// The messages of the activity log, without their date, time and names.
Lines logMessages(const drtest::TestEnv& env) {
    Lines out;
    std::string text = env.read("dirroll.log");
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 2;
        // cLog: "yyyy-mm-dd, hh:mm:ss, pc, user, text"; WriteLogLine: "yyyymmdd,hh:mm:ss,prog,user,pc,text".
        bool cLogLine = line.size() > 4 && line[4] == '-';
        size_t at = 0;
        for (int i = 0; i < (cLogLine ? 4 : 5) && at != std::string::npos; ++i) {
            at = line.find(cLogLine ? ", " : ",", at);
            if (at != std::string::npos) at += cLogLine ? 2 : 1;
        }
        out.push_back(at == std::string::npos ? line : line.substr(at));
    }
    return out;
}

size_t lineCount(const std::string& text) {
    size_t n = 0;
    for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++n;
    return n;
}

class AutomodeTest : public drtest::EnvTest {
protected:
    void SetUp() override {
        env.write("tree/a.txt", "aaa");
        env.write("tree/sub/b.txt", "bb");
        env.write("tree/sub/c.jpg", "c");
    }
    // A profile over tree/ with every file.
    void profile(const std::string& rel) {
        env.write(rel, "S01/01/1984\r\nE12/31/2999\r\nP" + env.path("tree") + "/*\r\nX*.*\r\n");
    }
    MainModel owner;
};

} // namespace

TEST_F(AutomodeTest, NamedProfileWritesItsListWithEveryLogLine) {
    profile("Documents.pro");
    AutomodeResult r = RunAutomode("Documents", owner, "");
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(r.files, 3);
    const std::string list = env.path("Documents.DR");
    EXPECT_EQ(r.listPath, list);
    EXPECT_EQ(logMessages(env), (Lines{
                                    "TIMING - running in Automode using profile Documents",
                                    "DEBUG - saved profile Documents",
                                    "DEBUG - updated dirroll Documents",
                                    "DEBUG - done  GetExtraInfoForFiles Documents",
                                    "DEBUG - done  SaveListViewToDATFileDocuments",
                                    "TIMING - Finished saving 3 files to " + list,
                                }));
    std::string saved = env.read("Documents.DR");
    EXPECT_EQ(lineCount(saved), 4u);
    // The extra pass ran: every record carries an access date and an owner.
    EXPECT_NE(saved.find("\x1f" "2026-"), std::string::npos);
    // Unattended runs leave the interactive side files alone.
    EXPECT_FALSE(env.exists("ff_paths.lis"));
    EXPECT_FALSE(env.exists("ff_specs.lis"));
    EXPECT_TRUE(env.host.boxes.empty());
}

TEST_F(AutomodeTest, ProfilePathArgumentsWriteTheListBesideTheProfile) {
    struct Case {
        const char* onDisk;
        const char* argument;
        const char* list;
    } cases[] = {
        {"profiles/Photos.PRO", "profiles/Photos.PRO", "profiles/Photos.DR"},
        {"profiles/lower.pro", "profiles/lower.PRO", "profiles/lower.DR"}, // found as named on disk
        {"Docs.PRO", "Docs", "Docs.DR"},
    };
    for (const Case& c : cases) {
        profile(c.onDisk);
        std::string arg = c.argument[0] == 'p' ? env.path(c.argument) : c.argument;
        AutomodeResult r = RunAutomode(arg, owner, "");
        EXPECT_EQ(r.status, kExitOk) << c.argument;
        EXPECT_EQ(r.listPath, env.path(c.list));
        EXPECT_EQ(lineCount(env.read(c.list)), 4u) << c.list;
    }
}

TEST_F(AutomodeTest, RunsOverMidnightGiveTheRightStats) {
    profile("Night.pro");
    env.clock.set(dr::DateTime{2026, 12, 11, 23, 59, 58});
    bool advanced = false;
    env.host.onDoEvents = [&] {
        if (!advanced) env.clock.advanceSeconds(5);
        advanced = true;
    };
    ASSERT_EQ(RunAutomode("Night", owner, "").status, kExitOk);
    Lines log = logMessages(env);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "STATS - 3 files in 00:00:05 = 0.6 files/second");
}

TEST_F(AutomodeTest, MissingProfileWritesNothingAndFails) {
    env.write("Missing.DR", "a good old list\r\n");
    const char* arguments[] = {"Missing", "\"Documents\""};
    profile("Documents.pro");
    for (const char* arg : arguments) {
        AutomodeResult r = RunAutomode(arg, owner, env.path("share"));
        EXPECT_EQ(r.status, kExitMissingProfile) << arg;
    }
    EXPECT_EQ(env.read("Missing.DR"), "a good old list\r\n");
    EXPECT_FALSE(env.exists("\"Documents\".DR"));
    EXPECT_FALSE(env.exists("share"));
    // The message goes to the log, never to the screen.
    EXPECT_TRUE(env.host.boxes.empty());
    EXPECT_EQ(logMessages(env), (Lines{"TIMING - running in Automode using profile Missing",
                                       "MSGBOX Cant find the profile    " + env.path("Missing.pro"),
                                       "TIMING - running in Automode using profile \"Documents\"",
                                       "MSGBOX Cant find the profile    " + env.path("\"Documents\".pro")}));
}

TEST_F(AutomodeTest, AFailedSaveIsLoggedCopiesNothingAndFails) {
    profile("Broken.pro");
    env.mkdir("Broken.DR"); // a folder where the list should go
    env.mkdir("share");
    AutomodeResult r = RunAutomode("Broken", owner, env.path("share"));
    EXPECT_EQ(r.status, kExitListFailed);
    Lines log = logMessages(env);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "An error occurred printing to file " + env.path("Broken.DR"));
    EXPECT_FALSE(env.exists("share/Broken.DR"));
}

TEST_F(AutomodeTest, CopiesTheListToTheCopyFolder) {
    profile("Documents.pro");
    env.mkdir("share");
    ASSERT_EQ(RunAutomode("Documents", owner, env.path("share")).status, kExitOk);
    EXPECT_EQ(env.read("share/Documents.DR"), env.read("Documents.DR"));
    Lines log = logMessages(env);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "Copying Dirroll to " + env.path("share") + "/Documents.DR");

    // A copy folder that is not there: the list stays, the copy is logged as failed.
    EXPECT_EQ(RunAutomode("Documents", owner, env.path("nowhere")).status, kExitCopyFailed);
    EXPECT_TRUE(env.exists("Documents.DR"));
}

TEST_F(AutomodeTest, ElapsedAndRateTexts) {
    EXPECT_EQ(FormatElapsed(0), "00:00:00");
    EXPECT_EQ(FormatElapsed(3725), "01:02:05");
    EXPECT_EQ(FormatElapsed(90000), "25:00:00");
    EXPECT_EQ(FormatRate(200.0), "200");
    EXPECT_EQ(FormatRate(100.0 / 3), "33.3333333333333");
    EXPECT_EQ(FormatRate(0.6), "0.6");
}

// ---- Server mode ----------------------------------------------------------------

TEST_F(AutomodeTest, ServerListOfThreeWithOneMissing) {
    profile("A.pro");
    profile("C.pro");
    env.mkdir("share");
    env.write("dr-server.cfg", "; Server Config File\r\n; \r\n" + env.path("A.pro") + "\r\n\r\n" +
                                   env.path("B.pro") + "\r\n" + env.path("C.pro") + "\r\n");
    ServerConfig cfg = LoadServerConfig();
    ASSERT_TRUE(cfg.exists);
    ASSERT_EQ(cfg.profiles, (Lines{env.path("A.pro"), env.path("B.pro"), env.path("C.pro")}));
    Lines labels, captions;
    ServerView view{[&](const std::string& s) { labels.push_back(s); },
                    [&](const std::string& s) { captions.push_back(s); }};
    EXPECT_EQ(UpdateAllLists(cfg.profiles, owner, env.path("share"), view), kExitOk);
    EXPECT_EQ(labels, (Lines{" ( 1 of 3) Updating A.pro ", " ( 2 of 3) Updating B.pro ", " ( 3 of 3) Updating C.pro "}));
    EXPECT_EQ(captions.front(), "Dirroller Server - updating  ( 1 of 3) Updating A.pro ");
    for (const char* f : {"A.DR", "C.DR", "share/A.DR", "share/C.DR"}) EXPECT_TRUE(env.exists(f)) << f;
    EXPECT_FALSE(env.exists("B.DR"));
    EXPECT_FALSE(env.exists("share/B.DR"));
    EXPECT_TRUE(env.host.boxes.empty()) << "a missing entry is skipped without a message";
}

TEST_F(AutomodeTest, HeadlessServerUsesTheCopySettings) {
    profile("A.pro");
    env.mkdir("share");
    env.write("dr-server.cfg", env.path("A.pro") + "\r\n");
    env.write("dirroll.INI", "[server]\r\nCopyFilesAfterCreation = 1 \r\nFolderCopyDestination=" + env.path("share") +
                                 "/\r\n");
    EXPECT_EQ(RunServerHeadless(owner), kExitOk);
    EXPECT_TRUE(env.exists("share/A.DR"));

    ::unlink(env.path("share/A.DR").c_str());
    env.write("dirroll.INI", "[server]\r\nCopyFilesAfterCreation=true\r\nFolderCopyDestination=" + env.path("share") +
                                 "\r\n");
    EXPECT_EQ(RunServerHeadless(owner), kExitOk);
    EXPECT_FALSE(env.exists("share/A.DR")) << "only \"1\" switches the copy on";
}

TEST_F(AutomodeTest, MissingServerConfigRunsNothing) {
    ServerConfig cfg = LoadServerConfig();
    EXPECT_FALSE(cfg.exists);
    const std::string path = env.path("dr-server.cfg");
    EXPECT_EQ(ServerListEntries(cfg), (Lines{"WARNING - missing Server Config File", path}));
    EXPECT_EQ(RunServerHeadless(owner), kExitNoConfig);
    EXPECT_EQ(logMessages(env).back(), "WARNING - missing Server Config File " + path);
}

TEST_F(AutomodeTest, ApplyStoresTheCopySettings) {
    env.mkdir("share");
    const std::string ini = env.path("dirroll.INI");
    struct Case {
        bool copy;
        std::string folder;
        const char* box;       // "" when none
        const char* flag;
        std::string stored;
    } cases[] = {
        {true, env.path("share"), "Path has been updated", "1", env.path("share") + "/"},
        {true, "   ", "This is not a valid directory", "1", "   "},
        {false, env.path("share"), "", "0", ""},
    };
    for (const Case& c : cases) {
        if (*c.box) env.host.expectBox(dr::Answer::OK, c.box);
        EXPECT_EQ(ApplyServerSettings(ini, c.copy, c.folder), c.stored);
        EXPECT_EQ(dr::ReadIniValue(ini, "server", "CopyFilesAfterCreation"), c.flag);
        EXPECT_EQ(dr::ReadIniValue(ini, "server", "FolderCopyDestination"), dr::Trim(c.stored));
        EXPECT_TRUE(env.host.scriptUsedUp());
    }
    EXPECT_EQ(env.host.boxes[0].req.title, "Path Updated");
    EXPECT_EQ(env.host.boxes[1].req.title, "Invalid Folder Name");
    EXPECT_EQ(env.host.boxes[1].req.icon, dr::Icon::Critical);
    EXPECT_EQ(dr::ReadIniValue(ini, "server", "FolderCopyDestination"), "");
}

TEST_F(AutomodeTest, CreateConfigListsEveryProfileOfTheFolder) {
    profile("A.pro");
    profile("b.PRO");
    env.write("notes.txt", "x");
    ASSERT_TRUE(CreateServerConfigFile());
    std::string text = env.read("dr-server.cfg");
    EXPECT_EQ(text.substr(0, text.find("\r\n")),
              "; Server Config File created by dirroll " + dr::GetVersionString() + " on Fri, 11-Dec-2026 10:30:00");
    EXPECT_NE(text.find("\r\n; \r\n"), std::string::npos);
    ServerConfig cfg = LoadServerConfig();
    std::sort(cfg.profiles.begin(), cfg.profiles.end());
    EXPECT_EQ(cfg.profiles, (Lines{env.path("A.pro"), env.path("b.PRO")}));
}

// ---- The scheduler script --------------------------------------------------------

TEST_F(AutomodeTest, BatchFileIsAQuotedExecutableShellScript) {
    drtest::DesktopPlatform desktop;
    env.write("Bob's list.PRO", "X*.*\r\n");
    const std::string script = env.path("run.sh");
    env.host.expectBox(dr::Answer::OK, "This option allows you to make a batch file");
    env.host.expectSaveFile(script);
    env.host.expectBox(dr::Answer::OK, "Batch File created in " + script);
    CreateAutomodeBatchFile("Bob's list", "/opt/dir roll/dirroll");

    const std::string profilePath = env.path("Bob's list.PRO");
    std::string quotedProfile = "'" + profilePath.substr(0, profilePath.find('\'')) + "'\\''s list.PRO'";
    EXPECT_EQ(env.read("run.sh"), "#!/bin/sh\n"
                                  "echo 'This batch file runs the selected profile which'\n"
                                  "echo 'automatically updates the dirroll (.DR ) used '\n"
                                  "echo 'by the Dirroller Client.'\n"
                                  "echo 'created by Dirroller " +
                                      dr::GetVersionString() + "'\n'/opt/dir roll/dirroll' " + quotedProfile + "\n");
    struct stat st{};
    ASSERT_EQ(::stat(script.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0111, 0111u);
    EXPECT_EQ(desktop.opened, (Lines{env.folder()}));
    EXPECT_EQ(env.host.dialogs.at(0).defaultExt, "sh");
    EXPECT_EQ(env.host.boxes.at(0).req.title, "Creating a Batch file to run Profile Automatically");
}

TEST_F(AutomodeTest, BatchFileRunsTheProgramWithTheProfileAsOneWord) {
    drtest::DesktopPlatform desktop;
    env.write("it's $(x) `y`.pro", "X*.*\r\n");
    env.host.allowAnyBox();
    env.host.expectSaveFile(env.path("run.sh"));
    CreateAutomodeBatchFile("it's $(x) `y`", "/bin/echo");
    FILE* p = ::popen(("/bin/sh '" + env.path("run.sh") + "'").c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[256];
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    EXPECT_EQ(::pclose(p), 0);
    EXPECT_EQ(out, "This batch file runs the selected profile which\n"
                   "automatically updates the dirroll (.DR ) used \n"
                   "by the Dirroller Client.\n"
                   "created by Dirroller " +
                       dr::GetVersionString() + "\n" + env.path("it's $(x) `y`.pro") + "\n");
}

TEST_F(AutomodeTest, BatchFileStopsWhenNoNameIsChosen) {
    drtest::DesktopPlatform desktop;
    for (std::optional<std::string> answer : {std::optional<std::string>(), std::optional<std::string>("*.sh")}) {
        env.host.expectBox(dr::Answer::OK);
        env.host.expectSaveFile(answer);
        CreateAutomodeBatchFile("Documents");
    }
    // Without a current profile there is nothing to run.
    env.host.expectBox(dr::Answer::OK, "Choose a profile first");
    CreateAutomodeBatchFile("");
    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_EQ(env.host.boxes.size(), 3u);
    EXPECT_TRUE(env.host.dialogs.size() == 2u && env.host.scriptUsedUp());
}

TEST_F(AutomodeTest, HaltFromTheStartingWindowStopsTheRunButAStaleOneDoesNot) {
    profile("Documents.pro");
    env.host.setHalt(true); // left over from an earlier click
    EXPECT_EQ(RunAutomode("Documents", owner, "").status, kExitOk);
    EXPECT_TRUE(env.exists("Documents.DR"));

    ::unlink(env.path("Documents.DR").c_str());
    env.host.onDoEvents = [&] { env.host.setHalt(true); };
    EXPECT_EQ(RunAutomode("Documents", owner, "").status, kExitListFailed);
    EXPECT_FALSE(env.exists("Documents.DR")) << "a halted scan writes no list";
    EXPECT_TRUE(env.host.boxes.empty());
}
