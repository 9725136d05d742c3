#include "common/log.h"
#include "dr_version.h"
#include "support/test_env.h"

using namespace dr;
using drtest::EnvTest;

namespace {
const std::string kStamp = "2026-12-11, 10:30:00, testpc, tester, ";
const std::string kHyphens(54, '-');
} // namespace

TEST_F(EnvTest, LogWritesOnlyLevelsAtOrBelowTheConfiguredOne) {
    struct Case {
        int16_t configured;
        int level;
        bool written;
    } cases[] = {{0, 0, true}, {0, 1, false}, {0, 3, false}, {3, 3, true}, {3, 1, true}, {1, 3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.configured) + "/" + std::to_string(c.level));
        std::remove(env.path("dirroll.log").c_str());
        cLog log;
        log.init("", "", "", true, c.configured);
        EXPECT_EQ(configuredLogLevel(), c.configured);
        log.log("message", c.level);
        EXPECT_EQ(env.read("dirroll.log"), kStamp + kHyphens + "\r\n" + (c.written ? kStamp + "message\r\n" : ""));
    }
}

TEST_F(EnvTest, LogInitNamesFilesAndWritesItsOpening) {
    cLog log;
    log.init();
    EXPECT_EQ(log.logFile(), env.path("dirroll.log"));
    EXPECT_EQ(log.errorFile(), env.path("error.log"));
    EXPECT_EQ(log.TempFile(), env.path("temp.log"));
    EXPECT_TRUE(log.initialised());
    // "Started Program" is level 1, filtered out at level 0.
    EXPECT_EQ(env.read("dirroll.log"), kStamp + kHyphens + "\r\n");

    cLog verbose;
    verbose.init(env.path("x.log"), "", "", false, 1);
    EXPECT_EQ(env.read("x.log"), kStamp + "Started Program\r\n" + kStamp + kHyphens + "\r\n");
    verbose.setLogLevel(3); // the property does not move the filter
    verbose.log("routine", 3);
    EXPECT_EQ(env.read("x.log"), kStamp + "Started Program\r\n" + kStamp + kHyphens + "\r\n");

    // The client's own names; the fall-back file stays error.log.
    cLog client;
    client.init(env.path("dr-client.log"), env.path("dr-error.log"), "", true, 0);
    EXPECT_EQ(env.read("dr-client.log"), kStamp + kHyphens + "\r\n");
    EXPECT_EQ(client.errorFile(), env.path("dr-error.log"));

    // Under the server's name the default log follows it.
    rt().programName = "dr-server";
    cLog server;
    EXPECT_EQ(server.logFile(), env.path("dr-server.log"));
}

TEST_F(EnvTest, LogArrayAndNamedFileLayouts) {
    cLog log;
    log.init();
    const std::string items[] = {"", "first", "second"};
    log.logArray(items);
    std::string text = env.read("dirroll.log");
    EXPECT_EQ(text.substr(text.find("\r\n") + 2), "20261211,1030,tester,testpc, ARRAY=1-first2-second\r\n");

    struct Case {
        int type;
        const char* want;
    } cases[] = {
        {1, "20261211,10:30:00,tester,testpc,msg\r\n"},
        {2, "20261211,10:30:00,msg\r\n"},
        {77, "20261211,10:30:00,someone,msg\r\n"},
        {3, "msg\r\n"},
        {42, "msg\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        std::remove(env.path("named.txt").c_str());
        log.logToNamedFile(env.path("named.txt"), "msg", c.type, 0, "someone");
        EXPECT_EQ(env.read("named.txt"), c.want);
    }
    log.logToNamedFile(env.path("named.txt"), "too detailed", 3, 3);
    EXPECT_EQ(env.read("named.txt"), "msg\r\n");
    log.logToNamedFile("", "to the activity log", 3);
    EXPECT_NE(env.read("dirroll.log").find("ARRAY=1-first2-second\r\nto the activity log\r\n"), std::string::npos);
}

TEST_F(EnvTest, WriteLogLineLayoutAndFilter) {
    WriteLogLine("hello", 0);
    WriteLogLine("quiet", 3);
    EXPECT_EQ(env.read("dirroll.log"), "20261211,10:30:00,dirroll,tester,testpc,hello\r\n");
    EXPECT_EQ(GetLoginName(), "tester");
}

TEST_F(EnvTest, FallBackWritersUseErrorLog) {
    env.mkdir("dirroll.log"); // the activity log cannot be opened
    cLog log;
    WriteLogLine("lost line", 0);
    log.logArray(std::vector<std::string>{"a"});
    log.logToNamedFile(env.path("no/such/file.txt"), "named line", 1);
    EXPECT_EQ(env.read("error.log"),
              "LOGGING ERROR 2026-12-11 10:30:00 - text = lost line\r\n"
              "ARRAY LOGGING ERROR 2026-12-11 10:30:00 - text = error logging array\r\n"
              "VASK LOGGING ERROR 2026-12-11 10:30:00 - text = named line\r\n");
    // Filtered lines never reach the fall-back either.
    WriteLogLine("filtered", 3);
    EXPECT_EQ(env.read("error.log").find("filtered"), std::string::npos);
}

TEST_F(EnvTest, FailedAppendShowsOneBoxAndNeverRecurses) {
    env.mkdir("dirroll.log");
    env.host.expectBox(Answer::OK, "An error occurred appending to file " + env.path("dirroll.log") + "\r\nErr = ");
    appLog().log("first", 0);
    EXPECT_EQ(env.host.boxes.size(), 1u);
    EXPECT_TRUE(env.host.scriptUsedUp());

    // A headless host logs its boxes to the same broken log: one box, no loop.
    int sunk = 0;
    auto sink = headlessLogSink();
    HeadlessHost headless([&](const std::string& t) { ++sunk; sink(t); }, false);
    rt().host = &headless;
    appLog().log("second", 0);
    EXPECT_EQ(sunk, 1);
    rt().host = &env.host;
}

TEST_F(EnvTest, HeadlessBoxesGoToTheLog) {
    HeadlessHost headless(headlessLogSink(), false);
    EXPECT_EQ(headless.message("Nothing to do", "", Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(env.read("dirroll.log"), kStamp + "MSGBOX Nothing to do\r\n");
}

TEST_F(EnvTest, VersionTexts) {
    EXPECT_EQ(formatVersionString(2, 1, 17), "v2.1   (build 17)");
    EXPECT_EQ(formatVersionNum(2, 1, 17), "2.1.17");
    EXPECT_EQ(getAppVersionNum(), "3.4." + std::to_string(DR_VERSION_BUILD));
    EXPECT_EQ(appLog().getAppVersionString(), "v3.4   (build " + std::to_string(DR_VERSION_BUILD) + ")");
    EXPECT_EQ(GetVersionNumber(), getAppVersionNum());
}

TEST_F(EnvTest, CheckFileAvailabilityNeverCreates) {
    cLog log;
    LogErr err{53, "File not found"};
    log.setErr(&err);
    env.write("there.txt", "x");
    EXPECT_TRUE(log.CheckFileAvailability(env.path("there.txt")));
    EXPECT_FALSE(log.CheckFileAvailability(env.path("missing.txt")));
    EXPECT_FALSE(env.exists("missing.txt"));
    EXPECT_EQ(err.number, 0);
}
