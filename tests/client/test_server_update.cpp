#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "client/client_startup.h"
#include "client/list_model.h"
#include "client/server_update.h"
#include "client_fixture.h"
#include "common/runtime.h"

using namespace dr::client;

namespace {

class ServerUpdateTest : public drtest::ClientFolderTest {
protected:
    ServerUpdateTest() {
        env.mkdir("server");
        server = env.path("server") + "/";
        settings().serverUpdatePath = server;
    }

    // A file of `size` bytes, modified `days` before now at `hour`.
    void put(const std::string& name, size_t size, int days, int hour = 9, char fill = 'x') {
        env.write(name, std::string(size, fill));
        age(name, days, hour);
    }
    time_t mtime(const std::string& name) const {
        struct stat st;
        return ::stat(env.path(name).c_str(), &st) == 0 ? st.st_mtime : 0;
    }

    std::string server;
};

TEST_F(ServerUpdateTest, CopyRules) {
    struct Case {
        const char* what;
        long localSize;    // -1: no local copy
        int localDays, localHour;
        long serverSize;
        int serverDays, serverHour;
        bool copied;
        const char* logged;  // "" nothing at all
    } cases[] = {
        {"only on the server", -1, 0, 0, 800, 2, 9, true, "TIMING - Done updating Work.DR to "},
        {"same day, later on the server", 800, 1, 8, 900, 1, 17, false,
         "UpdateFileIfNeeded = skipping Work.DR because it has same date"},
        {"local newer by a day", 800, 0, 9, 700, 1, 9, true, "TIMING - About to update Work.DR from "},
        {"server newer", 800, 3, 9, 900, 1, 9, true, "TIMING - Done updating Work.DR to "},
        {"400,000 local against 500 on the server", 400000, 3, 9, 500, 1, 9, false, ""},
        {"300,000 is not large", 300000, 3, 9, 500, 1, 9, true, "TIMING - Done updating"},
        {"1,000 on the server is not nearly empty", 400000, 3, 9, 1000, 1, 9, true, "TIMING - Done updating"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::unlink(env.path("Work.DR").c_str());
        ::unlink(env.path("dr-client.log").c_str());
        if (c.localSize >= 0) put("Work.DR", c.localSize, c.localDays, c.localHour, 'L');
        put("server/Work.DR", c.serverSize, c.serverDays, c.serverHour, 'S');
        const std::string before = env.read("Work.DR");
        settings().updatedCount = 0;

        EXPECT_EQ(UpdateFileIfNeeded("Work.DR"), c.copied);
        EXPECT_EQ(settings().updatedCount, c.copied ? 1 : 0);
        if (c.copied) {
            EXPECT_EQ(env.read("Work.DR"), env.read("server/Work.DR"));
            EXPECT_EQ(mtime("Work.DR"), mtime("server/Work.DR")); // the list keeps its age
        } else {
            EXPECT_EQ(env.read("Work.DR"), before);
        }
        if (*c.logged)
            EXPECT_NE(log().find(c.logged), std::string::npos) << log();
        else
            EXPECT_EQ(log(), "");
    }
}

TEST_F(ServerUpdateTest, LogLinesNameTheFolders) {
    put("server/Work.DR", 50, 1);
    UpdateFileIfNeeded("Work.DR");
    EXPECT_NE(log().find(", TIMING - About to update Work.DR from " + server + "\r\n"), std::string::npos) << log();
    EXPECT_NE(log().find(", TIMING - Done updating Work.DR to " + env.folder() + "\r\n"), std::string::npos);
}

TEST_F(ServerUpdateTest, NothingHappensWithoutANameOrSource) {
    EXPECT_FALSE(UpdateFileIfNeeded(""));
    EXPECT_FALSE(UpdateFileIfNeeded("Missing.DR"));
    EXPECT_EQ(settings().updatedCount, 0);
    EXPECT_EQ(log(), "");
}

TEST_F(ServerUpdateTest, TheProgramFolderItselfIsNoServer) {
    put("Work.DR", 100, 3);
    ASSERT_EQ(::symlink(env.folder().c_str(), env.path("link").c_str()), 0);
    for (const std::string& spelling : {env.folder() + "/", env.folder() + "//", env.folder() + "/./",
                                        env.path("server") + "/../", env.path("link") + "/"}) {
        settings().serverUpdatePath = spelling;
        EXPECT_FALSE(UpdateFileIfNeeded("Work.DR")) << spelling;
        UpdateListsFromServer();
        EXPECT_EQ(settings().updatedCount, 0) << spelling;
    }
    EXPECT_EQ(log().find("TIMING"), std::string::npos) << log();
    EXPECT_EQ(log().find("skipping"), std::string::npos) << log();
}

// A copy that fails half way (a file size limit stands in for a full disk).
TEST_F(ServerUpdateTest, AFailedCopyKeepsTheLocalListAndIsNotCounted) {
    put("Big.DR", 100, 3, 9, 'L');
    put("server/Big.DR", 200000, 1, 9, 'S');
    put("server/Small.DR", 100, 1, 9, 'S');

    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    UpdateListsFromServer();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(env.read("Big.DR"), std::string(100, 'L'));
    EXPECT_EQ(env.read("Small.DR"), std::string(100, 'S')); // the update went on
    EXPECT_EQ(settings().updatedCount, 1);
    EXPECT_NE(log().find("SafeFileCopy Failed to copy " + server + "Big.DR"), std::string::npos) << log();
    EXPECT_EQ(log().find("Done updating Big.DR"), std::string::npos) << log();
    for (const auto& e : std::filesystem::directory_iterator(env.folder()))
        EXPECT_EQ(e.path().filename().string().find(".copy"), std::string::npos) << e.path();
}

TEST_F(ServerUpdateTest, FolderCheck) {
    env.write("afile", "x");
    ASSERT_EQ(::symlink("loop", env.path("loop").c_str()), 0);
    struct Case {
        std::string path;
        FolderCheck want;
    } cases[] = {
        {server, FolderCheck::Exists},
        {env.path("server"), FolderCheck::Exists},
        {env.path("nowhere/"), FolderCheck::Missing},
        {env.path("afile"), FolderCheck::Missing},
        {env.path("afile/below/"), FolderCheck::Missing},
        {"", FolderCheck::Missing},
        {env.path("loop/"), FolderCheck::Error},
        {"/" + std::string(5000, 'a') + "/", FolderCheck::Error},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckServerFolder(c.path), c.want) << c.path.substr(0, 80);
}

TEST_F(ServerUpdateTest, UpdateCopiesListsAndUsersButCountsOnlyLists) {
    put("server/A.DR", 10, 1);
    put("server/b.dr", 10, 1);
    put("server/C.DR", 10, 1);
    put("server/notes.txt", 10, 1);
    env.write("server/users.txt", "alice\r\nbob\r\n");
    age("server/users.txt", 2);
    put("C.DR", 10, 1); // same day: skipped
    env.write("users.txt", "old\r\n");
    age("users.txt", 5);

    MainScreen screen;
    screen.users = {"[any user]", "old"};
    screen.setOwnerText("old");
    UpdateListsFromServer(&screen);

    EXPECT_EQ(settings().updatedCount, 2);
    EXPECT_TRUE(env.exists("A.DR"));
    EXPECT_TRUE(env.exists("b.dr"));
    EXPECT_FALSE(env.exists("notes.txt"));
    EXPECT_EQ(env.read("users.txt"), "alice\r\nbob\r\n");
    EXPECT_EQ(screen.users, (std::vector<std::string>{"[any user]", "alice", "bob"}));
    EXPECT_EQ(screen.ownerText, "[any user]");
}

TEST_F(ServerUpdateTest, BlankServerPathOnlyLogs) {
    settings().serverUpdatePath = "";
    ServerUpdateResult r = RunServerUpdate();
    EXPECT_EQ(r.updated, 0);
    EXPECT_NE(log().find("Blank Server path, so not updating"), std::string::npos);
    EXPECT_TRUE(env.host.boxes.empty());
}

TEST_F(ServerUpdateTest, StartUpUpdate) {
    ASSERT_EQ(::symlink("loop", env.path("loop").c_str()), 0);
    struct Case {
        std::string path;
        bool message;
        int updated;
        std::string suffix;
    } cases[] = {
        {env.path("nowhere") + "/", false, 0, ""},
        {env.path("loop") + "/", true, 0, ""},
        {env.path("server") + "/", false, 3, "   ( 3 updates)"},
    };
    for (const char* n : {"A.DR", "B.DR", "C.DR"}) put(std::string("server/") + n, 10, 1);
    for (const Case& c : cases) {
        settings().serverUpdatePath = c.path;
        if (c.message) env.host.expectBox(dr::Answer::OK, "Check your options for the server updates\r\n" + c.path +
                                                              "\r\nis not responding");
        size_t boxes = env.host.boxes.size();
        MainScreen screen;
        ServerUpdateResult r = RunServerUpdate(&screen);
        EXPECT_EQ(env.host.boxes.size(), boxes + (c.message ? 1 : 0)) << c.path;
        if (c.message) {
            EXPECT_EQ(env.host.boxes.back().req.title, "Dirroll Client");
            EXPECT_EQ(env.host.boxes.back().req.icon, dr::Icon::Information);
        }
        EXPECT_EQ(r.updated, c.updated) << c.path;
        EXPECT_EQ(r.captionSuffix, c.suffix) << c.path;
        EXPECT_EQ(screen.lists.entries.size(), size_t(c.updated)) << c.path; // refilled after copies
    }
}

TEST_F(ServerUpdateTest, StartUpRunsTheUpdateWhenSwitchedOn) {
    put("server/Work.DR", 10, 1);
    writeIni("UpdateServer=1\r\nServerUpdatePath=" + env.path("server") + "\r\n");
    MainScreen screen;
    StartupResult r = ClientStartup(screen);
    EXPECT_EQ(r.updated, 1);
    EXPECT_EQ(r.captionSuffix, "   ( 1 updates)");
    EXPECT_EQ(screen.lists.entries, (std::vector<std::string>{"Work"}));

    // Switched off: nothing is copied.
    ::unlink(env.path("Work.DR").c_str());
    put("server/Other.DR", 10, 1);
    put("Local.DR", 10, 0);
    writeIni("UpdateServer=0\r\nServerUpdatePath=" + env.path("server") + "\r\n");
    MainScreen again;
    r = ClientStartup(again);
    EXPECT_EQ(r.updated, 0);
    EXPECT_FALSE(env.exists("Other.DR"));
}

} // namespace
