#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sstream>

#include "client/cli.h"
#include "client_fixture.h"
#include "common/ini.h"
#include "common/log.h"

using namespace dr::client;

namespace {

class CliTest : public drtest::ClientFolderTest {
protected:
    CliTest() {
        env.mkdir("data");
        data = env.path("data") + "/";
        for (const char* f : {"Report 2026.doc", "report-notes.txt", "budget.xls", "photo.jpg"}) env.write("data/" + std::string(f), "x");
        list = drtest::drList({
            drtest::drRecord("Report 2026.doc", data, "      1,234", "2026-12-09 17:05", "alice"),
            drtest::drRecord("report-notes.txt", data, "         10", "2026-12-10 08:00", "bob"),
            drtest::drRecord("gone report.doc", data, "         10", "2026-12-10 08:00", "alice"),
            drtest::drRecord("budget.xls", data, "    120,000", "2025-01-05 10:00", "EVERYONE"),
            drtest::drRecord("photo.jpg", data, "          0", "2026-12-01 12:00", "alice"),
        });
        env.write("Work.DR", list);
        writeIni("maxresults=100\r\nShowMissing=1\r\n");
    }

    int run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return runClientCli(args, out, err);
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> v;
        std::istringstream in(out.str());
        for (std::string l; std::getline(in, l);) v.push_back(l);
        return v;
    }
    std::vector<std::string> paths(std::initializer_list<const char*> names) const {
        std::vector<std::string> v;
        for (const char* n : names) v.push_back(data + n);
        return v;
    }

    std::string data, list;
    std::ostringstream out, err;
};

TEST_F(CliTest, SearchPrintsTheResultsInPageOrder) {
    struct Case {
        std::vector<std::string> args;
        std::vector<const char*> found;
        int status;
    } cases[] = {
        {{"--search", "report"}, {"Report 2026.doc", "report-notes.txt"}, 0},
        {{"--search", "REPORT ALICE"}, {"Report 2026.doc"}, 0},
        {{"--search", "nothing-here"}, {}, 1},
        {{"--search", "report", "--limit", "1"}, {"Report 2026.doc"}, 0},
        {{"--search", "", "--limit", "0"}, {"Report 2026.doc", "report-notes.txt", "budget.xls", "photo.jpg"}, 0},
        {{"--search=", "--limit=2"}, {"Report 2026.doc", "report-notes.txt"}, 0},
        {{"--search", "", "--type", "1"}, {"Report 2026.doc", "budget.xls"}, 0},
        {{"--search", "", "--type", ".TXT .JPG"}, {"report-notes.txt", "photo.jpg"}, 0},
        {{"--search", "", "--type", "TXT"}, {}, 1},
        {{"--search", "", "--owner", "alice"}, {"Report 2026.doc", "budget.xls", "photo.jpg"}, 0},
        {{"--search", "", "--owner", "ALICE"}, {"budget.xls"}, 0},
        {{"--search", "", "--range", "6"}, {"Report 2026.doc", "report-notes.txt"}, 0},
        {{"--search", "", "--range", "2"}, {"budget.xls"}, 0},
        {{"--search", "", "--from", "2026-12-09", "--to", "2026-12-09"}, {"Report 2026.doc"}, 0},
        {{"--search", "", "--from", "2026-12-01"}, {"Report 2026.doc", "report-notes.txt", "photo.jpg"}, 0},
        {{"--search", "", "--to", "2025-12-31"}, {"budget.xls"}, 0},
        {{"--search", "", "--from", "2026-12-11"}, {}, 1},
        {{"--search", "report", "--list", "work"}, {"Report 2026.doc", "report-notes.txt"}, 0},
        {{"--search", "report", "--list", "Work.DR", "--style", "2"}, {"Report 2026.doc", "report-notes.txt"}, 0},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const auto& a : c.args) shown += "[" + a + "] ";
        EXPECT_EQ(run(c.args), c.status) << shown << err.str();
        std::vector<std::string> want;
        for (const char* f : c.found) want.push_back(data + f);
        EXPECT_EQ(lines(), want) << shown;
    }
}

TEST_F(CliTest, BadUseIsAnError) {
    const std::vector<std::vector<std::string>> cases = {
        {"--search"},
        {"--bogus"},
        {"--search", "x", "--style", "4"},
        {"--search", "x", "--limit", "-1"},
        {"--search", "x", "--limit", "many"},
        {"--search", "x", "--type", "7"},
        {"--search", "x", "--range", "7"},
        {"--search", "x", "--from", "2026-13-01"},
        {"--search", "x", "--to", "9/12/2026"},
        {"--search", "x", "--from", "2026-12-01", "--range", "3"},
        {"--summary", "--from", "2026-12-01"},
        {"--limit", "3"},
        {"--lists", "--summary"},
        {"--summary", "--type", "1"},
        {"--lists=yes"},
        {"--search", "report", "--list", "Nope"},
        {"--search", "report", "--list", "/no/such/list.DR"},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const auto& a : args) shown += "[" + a + "] ";
        EXPECT_EQ(run(args), 2) << shown;
        EXPECT_EQ(out.str(), "") << shown;
        EXPECT_NE(err.str().find("dr-client: "), std::string::npos) << shown;
    }
}

TEST_F(CliTest, ListChoice) {
    env.write("Newer.DR", drtest::drList({drtest::drRecord("budget.xls", data)}));
    age("Work.DR", 5);
    age("Newer.DR", 1);
    // Nothing remembered: the newest list.
    EXPECT_EQ(run({"--search", "", "--limit", "0"}), 0);
    EXPECT_EQ(lines(), paths({"budget.xls"}));
    // The remembered one.
    writeIni("dirroll=" + env.path("Work.DR") + "\r\n");
    EXPECT_EQ(run({"--search", "report"}), 0);
    EXPECT_EQ(lines(), paths({"Report 2026.doc", "report-notes.txt"}));
    // By path, anywhere.
    env.write("data/copy.txt", list);
    EXPECT_EQ(run({"--search", "notes", "--list", env.path("data/copy.txt")}), 0);
    EXPECT_EQ(lines(), paths({"report-notes.txt"}));
    // Never rewrites the remembered list.
    EXPECT_EQ(dr::ReadIniValue(env.path("dr-client.ini"), "general", "dirroll"), env.path("Work.DR"));
}

TEST_F(CliTest, NoListsIsAnError) {
    ::unlink(env.path("Work.DR").c_str());
    EXPECT_EQ(run({"--search", "report"}), 2);
    EXPECT_NE(err.str().find("no saved lists"), std::string::npos) << err.str();
    EXPECT_EQ(run({"--lists"}), 1);
    EXPECT_EQ(out.str(), "");
}

TEST_F(CliTest, LeavesTheWindowsWorkFilesAlone) {
    env.write("results.htm", "window page");
    const std::string page = env.path("data/page.htm");
    EXPECT_EQ(run({"--search", "report", "--html", page}), 0);
    EXPECT_EQ(env.read("results.htm"), "window page");
    EXPECT_FALSE(env.exists("tmpResults.txt"));
    EXPECT_FALSE(env.exists("folders.lis"));
    std::string html = drtest::readFile(page);
    EXPECT_EQ(html.rfind("<HTML><HEAD><TITLE>Search Results</TITLE>\r\n", 0), 0u) << html.substr(0, 200);
    EXPECT_NE(html.find("<H3>Search Result for 'report'</H3>"), std::string::npos);
    EXPECT_NE(html.find(" was not found on hard drive</FONT><BR>"), std::string::npos); // ShowMissing=1
    EXPECT_NE(html.find("Found 2 results which matched all criteria"), std::string::npos);

    // Without --html no page at all.
    ::unlink(page.c_str());
    EXPECT_EQ(run({"--search", "report"}), 0);
    EXPECT_FALSE(env.exists("data/page.htm"));
    EXPECT_EQ(env.read("results.htm"), "window page");
}

// A page that cannot be written is an error, even when something of that
// name is already there; the results are still printed.
TEST_F(CliTest, UnwritablePageIsAnError) {
    env.mkdir("data/pages");
    env.write("data/pages/keep.htm", "kept");
    env.mkdir("data/empty");
    for (const char* target : {"data/pages", "data/empty", "data/nowhere/page.htm"}) {
        EXPECT_EQ(run({"--search", "report", "--html", env.path(target)}), 2) << target;
        EXPECT_EQ(lines(), paths({"Report 2026.doc", "report-notes.txt"})) << target;
        EXPECT_NE(err.str().find("could not write"), std::string::npos) << target << ": " << err.str();
    }
    EXPECT_EQ(env.read("data/pages/keep.htm"), "kept");
    struct stat st {};
    EXPECT_EQ(::stat(env.path("data/empty").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode)); // a folder given as the page stays a folder
}

TEST_F(CliTest, ListsShowDatesAndOutOfDateMarks) {
    env.write("Old.DR", drtest::drList({}));
    env.write("BackupFiles.DR", drtest::drList({}));
    age("Work.DR", 1, 14);
    age("Old.DR", 4, 8);
    EXPECT_EQ(run({"--lists"}), 0);
    std::vector<std::string> l = lines();
    std::sort(l.begin(), l.end());
    EXPECT_EQ(l, (std::vector<std::string>{"Old\t2026-12-07 08:00\t(OUT OF DATE)", "Work\t2026-12-10 14:00"}));
}

TEST_F(CliTest, SummaryIsWrittenBesideTheList) {
    EXPECT_EQ(run({"--summary", "--list", "Work"}), 0) << err.str();
    EXPECT_EQ(lines(), (std::vector<std::string>{env.path("Work.sum")}));
    std::string page = env.read("Work.sum");
    EXPECT_EQ(page.rfind("<HTML><HEAD><TITLE>Summary of Dirroll</TITLE>\r\n", 0), 0u) << page.substr(0, 100);
    EXPECT_NE(page.find("Total Files = 5<BR>"), std::string::npos);

    env.write("plain.txt", "no header\r\n");
    env.host.allowAnyBox();
    EXPECT_EQ(run({"--summary", "--list", env.path("plain.txt")}), 2);
    EXPECT_FALSE(env.exists("plain.sum"));
}

TEST_F(CliTest, UpdateFromTheServer) {
    env.mkdir("server");
    env.write("server/Team.DR", drtest::drList({}));
    age("server/Team.DR", 1);
    writeIni("ServerUpdatePath=" + env.path("server") + "\r\n");
    EXPECT_EQ(run({"--update"}), 0) << err.str();
    EXPECT_EQ(out.str(), "1 list updated from " + env.path("server") + "/\n");
    EXPECT_TRUE(env.exists("Team.DR"));
    EXPECT_EQ(run({"--update"}), 0);
    EXPECT_EQ(out.str(), "0 lists updated from " + env.path("server") + "/\n");

    writeIni("ServerUpdatePath=" + env.path("gone") + "\r\n");
    EXPECT_EQ(run({"--update"}), 2);
    EXPECT_NE(err.str().find("server folder not found"), std::string::npos);
    writeIni("ServerUpdatePath=\r\n");
    EXPECT_EQ(run({"--update"}), 2);
    EXPECT_NE(log().find("Blank Server path, so not updating"), std::string::npos);
}

TEST_F(CliTest, HelpAndVersion) {
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_EQ(out.str().rfind("Usage: dr-client", 0), 0u);
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(out.str(), "dr-client " + dr::getAppVersionNum() + "\n");
    EXPECT_FALSE(env.exists("dr-client.log")); // neither reads the settings
}

} // namespace
