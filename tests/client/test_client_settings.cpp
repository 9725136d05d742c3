#include <gtest/gtest.h>

#include "client/client_settings.h"
#include "client_fixture.h"
#include "common/ini.h"
#include "common/log.h"

using namespace dr::client;
using SettingsTest = drtest::ClientFolderTest;

namespace {

struct ValueCase {
    const char* key;
    const char* value;
    int64_t expected;
};

class SettingsValues : public drtest::ClientFolderTest, public ::testing::WithParamInterface<ValueCase> {};

void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.key << "=" << c.value; }

std::string caseName(const ::testing::TestParamInfo<ValueCase>& info) {
    return std::string(info.param.key) + "_" + std::to_string(info.index);
}

TEST_P(SettingsValues, ReadFromTheSettingsFile) {
    const ValueCase& c = GetParam();
    writeIni(std::string(c.key) + "=" + c.value + "\r\n");
    LoadClientSettings();
    const ClientSettings& s = settings();
    int64_t got = std::string(c.key) == "maxresults" ? s.maxResults : s.previewSize;
    EXPECT_EQ(got, c.expected) << c.key << "=" << c.value;
}

INSTANTIATE_TEST_SUITE_P(Limits, SettingsValues,
                         ::testing::Values(ValueCase{"maxresults", "0", 100}, ValueCase{"maxresults", "", 100},
                                           ValueCase{"maxresults", "5", 5}, ValueCase{"maxresults", "250", 250},
                                           ValueCase{"maxresults", "-4", 100},
                                           ValueCase{"maxresults", "lots", 100},
                                           ValueCase{"maxresults", "2.5", 3}),
                         caseName);
INSTANTIATE_TEST_SUITE_P(PreviewSizes, SettingsValues,
                         ::testing::Values(ValueCase{"picPrevSize", "AUTOSIZE", 1},
                                           ValueCase{"picPrevSize", "Autosize", 1},
                                           ValueCase{"picPrevSize", "autoSIZE", 1}, ValueCase{"picPrevSize", "", 64},
                                           ValueCase{"picPrevSize", "big", 150},
                                           ValueCase{"picPrevSize", "99999", 150},
                                           ValueCase{"picPrevSize", "1", 1}, ValueCase{"picPrevSize", "100", 100}),
                         caseName);

TEST_F(SettingsTest, FirstStartWritesTheDefaultFileAndAsksForAServer) {
    int dialogs = 0;
    setServerPathDialog([&] { ++dialogs; });
    LoadClientSettings();

    EXPECT_EQ(env.read("dr-client.ini"),
              "DR-CLIENT.INI - this INI file was automatically created on 11-Dec-2026 10:30:00\r\n"
              "\r\n"
              "[general]\r\n"
              "title=DR-CLIENT\r\n"
              "version=" + dr::GetVersionNumber() + "\r\n"
              "dirroll=\r\n"
              "maxresults=100\r\n"
              "ShowMissing=1\r\n"
              "picPrevSize=AUTOSIZE\r\n"
              "UpdateServer=0\r\n"
              "ServerUpdatePath=/mnt/dirroller/\r\n");
    EXPECT_EQ(dialogs, 1);
    const ClientSettings& s = settings();
    EXPECT_EQ(s.installMode, "USERONLY");
    EXPECT_EQ(s.iniPath, env.path("dr-client.ini"));
    EXPECT_EQ(s.maxResults, 100);
    EXPECT_TRUE(s.showMissing);
    EXPECT_EQ(s.previewSize, 1);
    EXPECT_EQ(s.updateServer, "0");
    EXPECT_EQ(s.serverUpdatePath, "/mnt/dirroller/");
    EXPECT_EQ(s.currentListPath, "");
    EXPECT_NE(log().find(", testpc, tester, CreateDefaultIniFile\r\n"), std::string::npos) << log();

    // The file is there now: a reload neither rewrites it nor asks again.
    env.write("dr-client.ini", "[general]\r\nmaxresults=7\r\n");
    LoadClientSettings();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(settings().maxResults, 7);
}

TEST_F(SettingsTest, FullInstallNeverAsksForAServer) {
    env.write("dirroll", "#!/bin/sh\n");
    int dialogs = 0;
    setServerPathDialog([&] { ++dialogs; });
    LoadClientSettings();
    EXPECT_EQ(settings().installMode, "FULL");
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(env.exists("dr-client.ini"));
}

TEST_F(SettingsTest, EveryLoadStartsTheLogWithASeparator) {
    writeIni("");
    LoadClientSettings();
    LoadClientSettings();
    std::string sep = ", testpc, tester, " + std::string(54, '-') + "\r\n";
    std::string l = log();
    size_t first = l.find(sep);
    ASSERT_NE(first, std::string::npos) << l;
    EXPECT_NE(l.find(sep, first + 1), std::string::npos);
    EXPECT_EQ(l.find("Started Program"), std::string::npos);
    EXPECT_EQ(dr::appLog().logFile(), env.path("dr-client.log"));
    EXPECT_EQ(dr::appLog().errorFile(), env.path("dr-error.log"));
}

TEST_F(SettingsTest, FlagsServerFolderAndRememberedList) {
    env.write("Work.DR", drtest::drList({}));
    struct Case {
        std::string lines;
        bool showMissing;
        std::string updateServer, serverPath, list, summary;
    } cases[] = {
        {"ShowMissing=1\r\nUpdateServer=1\r\nServerUpdatePath=/srv/lists\r\ndirroll=" + env.path("Work.DR") + "\r\n",
         true, "1", "/srv/lists/", env.path("Work.DR"), env.path("Work.sum")},
        {"ShowMissing=yes\r\nUpdateServer=\r\nServerUpdatePath=  /srv/lists/  \r\ndirroll=" + env.path("Gone.DR") + "\r\n",
         false, "0", "/srv/lists/", "", ""},
        {"ShowMissing=\r\nServerUpdatePath=\r\n", false, "0", "", "", ""},
    };
    for (const Case& c : cases) {
        reset();
        writeIni(c.lines);
        LoadClientSettings();
        const ClientSettings& s = settings();
        EXPECT_EQ(s.showMissing, c.showMissing) << c.lines;
        EXPECT_EQ(s.updateServer, c.updateServer) << c.lines;
        EXPECT_EQ(s.serverUpdatePath, c.serverPath) << c.lines;
        EXPECT_EQ(s.currentListPath, c.list) << c.lines;
        EXPECT_EQ(s.summaryPath, c.summary) << c.lines;
    }
}

TEST_F(SettingsTest, UsersFileSkipsEmptyLines) {
    EXPECT_TRUE(LoadUsersFile().empty());
    env.write("users.txt", "alice\r\n\r\nbob\nalice\r\n");
    EXPECT_EQ(LoadUsersFile(), (std::vector<std::string>{"alice", "bob", "alice"}));
}

TEST_F(SettingsTest, RememberedListMustExist) {
    writeIni("");
    EXPECT_EQ(RememberedList(), "");
    RememberList(env.path("Work.DR"));
    EXPECT_EQ(dr::ReadIniValue(env.path("dr-client.ini"), "general", "dirroll"), env.path("Work.DR"));
    EXPECT_EQ(RememberedList(), "");
    env.write("Work.DR", drtest::drList({}));
    EXPECT_EQ(RememberedList(), env.path("Work.DR"));
}

// ---- frmServerPath ------------------------------------------------------------

class ServerPathDialogTest : public drtest::ClientFolderTest {
protected:
    std::string key(const char* k) const { return dr::ReadIniValue(env.path("dr-client.ini"), "general", k); }
};

TEST_F(ServerPathDialogTest, LoadShowsTheStoredPath) {
    writeIni("UpdateServer=\r\nServerUpdatePath=/srv/dr\r\n");
    ServerPathDialog d;
    EXPECT_EQ(d.load(), "/srv/dr");
    EXPECT_EQ(settings().updateServer, "0");
    EXPECT_EQ(settings().serverUpdatePath, "/srv/dr/");
}

TEST_F(ServerPathDialogTest, YesWithAnEmptyTextKeepsTheDialogOpen) {
    writeIni("UpdateServer=0\r\n");
    env.host.expectBox(dr::Answer::OK, "If you want to update Dirrolls from the server, please enter the server path");
    ServerPathDialog d;
    EXPECT_FALSE(d.yes("   "));
    ASSERT_EQ(env.host.boxes.size(), 1u);
    EXPECT_EQ(env.host.boxes[0].req.title, "Please Enter Server Path");
    EXPECT_EQ(key("UpdateServer"), "0");
}

TEST_F(ServerPathDialogTest, YesWithAnExistingFolderStoresItWithASlash) {
    writeIni("");
    env.mkdir("server");
    ServerPathDialog d;
    EXPECT_TRUE(d.yes(env.path("server")));
    EXPECT_TRUE(env.host.boxes.empty());
    EXPECT_EQ(key("UpdateServer"), "1");
    EXPECT_EQ(key("ServerUpdatePath"), env.path("server") + "/");
    EXPECT_FALSE(env.host.busy);
}

TEST_F(ServerPathDialogTest, YesWithAFolderThatDoesNotRespondAsks) {
    writeIni("UpdateServer=0\r\n");
    const std::string missing = env.path("nowhere");
    ServerPathDialog d;

    env.host.expectBox(dr::Answer::No, "The server path you have entered is not responding - do you want to use it?");
    EXPECT_FALSE(d.yes(missing));
    EXPECT_EQ(key("UpdateServer"), "0");
    EXPECT_EQ(key("ServerUpdatePath"), "");
    EXPECT_EQ(env.host.boxes.back().req.title, "Server Path does not respond");
    EXPECT_EQ(env.host.boxes.back().req.buttons, dr::Buttons::YesNo);

    env.host.expectBox(dr::Answer::Yes);
    EXPECT_TRUE(d.yes(missing));
    EXPECT_EQ(key("UpdateServer"), "1");
    EXPECT_EQ(key("ServerUpdatePath"), missing + "/");
}

TEST_F(ServerPathDialogTest, NoStoresTheTextAsTyped) {
    writeIni("UpdateServer=1\r\n");
    ServerPathDialog d;
    d.no("/srv/typed");
    EXPECT_EQ(key("UpdateServer"), "0");
    EXPECT_EQ(key("ServerUpdatePath"), "/srv/typed");
}

} // namespace
