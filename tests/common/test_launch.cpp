#include <chrono>

#include "common/launch.h"
#include "platform/platform.h"
#include "support/test_env.h"

using namespace dr;
using drtest::EnvTest;

namespace {

// Records what would have been opened or started; opens nothing.
class FakePlatform : public Platform {
public:
    int openCode = launch::kOk;
    int exitStatus = 0;
    int pumps = 3;
    std::vector<std::pair<std::string, std::string>> opened;
    std::vector<std::vector<std::string>> started;

    std::string executablePath() override { return "/opt/dirroll/dirroll"; }
    std::string programFolder() override { return "/opt/dirroll"; }
    std::string userName() override { return "fake"; }
    std::string computerName() override { return "fakepc"; }
    std::string specialFolder(SpecialFolder) override { return ""; }
    std::vector<std::string> recentDocuments() override { return {}; }
    bool fileStat(const std::string&, FileStat&, bool) override { return false; }
    std::string accountName(uint32_t) override { return "unknown"; }
    std::string fileOwner(const std::string&, bool& ok) override { ok = false; return ""; }
    std::vector<Volume> volumes() override { return {}; }
    bool listFolder(const std::string&, bool, const std::function<bool(const DirEntry&)>&) override { return false; }
    int openDocument(const std::string& target, const std::string& params) override {
        opened.emplace_back(target, params);
        return openCode;
    }
    bool startProgram(const std::vector<std::string>& argv) override {
        started.push_back(argv);
        return true;
    }
    int runProgramAndWait(const std::vector<std::string>& argv, const std::function<void()>& pump) override {
        started.push_back(argv);
        for (int i = 0; i < pumps; ++i) pump();
        return exitStatus;
    }
    bool hasDisplay() override { return false; }
};

class LaunchTest : public EnvTest {
protected:
    LaunchTest() { setPlatform(&fake); }
    ~LaunchTest() override { setPlatform(nullptr); }
    FakePlatform fake;
};

} // namespace

TEST_F(LaunchTest, FailureCodesShowTheirMessage) {
    const std::string target = "/data/report.xyz";
    const std::pair<int, std::string> cases[] = {
        {launch::kFileNotFound, "File not found\r\n" + target},
        {launch::kPathNotFound, "Path not found"},
        {launch::kAccessDenied, "Access denied"},
        {8, "Out of memory"},
        {launch::kBadExe, "Invalid EXE file or error in EXE image"},
        {26, "A sharing violation occurred"},
        {27, "Incomplete or invalid file association"},
        {28, "DDE Time out"},
        {29, "DDE transaction failed"},
        {30, "DDE busy"},
        {launch::kNoAssociation, "No association for file extension"},
        {32, "DLL not found"},
        {launch::kUnknown, "Unknown error"},
        {1, "Unknown error"},
        {17, "Unknown error"},
    };
    for (const auto& [code, text] : cases) {
        SCOPED_TRACE(code);
        fake.openCode = code;
        env.host.expectBox(Answer::OK);
        LaunchDocument(target, false, "--x");
        ASSERT_FALSE(env.host.boxes.empty());
        EXPECT_EQ(env.host.boxes.back().req.text, text);
        EXPECT_EQ(env.host.boxes.back().req.buttons, Buttons::OK);
        EXPECT_EQ(env.host.boxes.back().req.title, ""); // the program's title
    }
    EXPECT_EQ(fake.opened.size(), std::size(cases));
    EXPECT_EQ(fake.opened.front(), (std::pair<std::string, std::string>{target, "--x"}));
    std::string log = env.read("dirroll.log");
    EXPECT_NE(log.find(", Failed to ShellExecute '" + target + "'\r\n"), std::string::npos);
}

TEST_F(LaunchTest, SuccessLogsAtTheRoutineLevel) {
    LaunchDocument("", true);
    EXPECT_TRUE(fake.opened.empty()); // an empty target does nothing

    LaunchDocument("https://example.org/", true);
    EXPECT_EQ(fake.opened.size(), 1u);
    EXPECT_FALSE(env.exists("dirroll.log")); // level 3, filtered in the main program
    EXPECT_TRUE(env.host.boxes.empty());

    rt().routineLogLevel = 0; // the client's setting
    LaunchDocument("/data/a.txt");
    EXPECT_EQ(env.read("dirroll.log"), "2026-12-11, 10:30:00, testpc, tester, Successfully ShellExecute '/data/a.txt'\r\n");
}

TEST_F(LaunchTest, RunProgramAndWaitSplitsWithoutAShell) {
    fake.exitStatus = 7;
    EXPECT_EQ(RunProgramAndWait(R"(/opt/chronal/extract "/data/my files", a.txt; rm -rf x)"), 7);
    ASSERT_EQ(fake.started.size(), 1u);
    EXPECT_EQ(fake.started[0],
              (std::vector<std::string>{"/opt/chronal/extract", "/data/my files,", "a.txt;", "rm", "-rf", "x"}));
    EXPECT_EQ(env.host.doEventsCount, 3); // events run while it waits
    EXPECT_EQ(RunProgramAndWait("   "), -1);
    EXPECT_EQ(fake.started.size(), 1u);
}

TEST(CommandLine, SplitsLikeTheOriginalSystem) {
    using V = std::vector<std::string>;
    const std::pair<const char*, V> cases[] = {
        {"a b\tc", {"a", "b", "c"}},
        {"  lead  trail  ", {"lead", "trail"}},
        {R"("a b" c)", {"a b", "c"}},
        {R"(x"y z"w)", {"xy zw"}},
        {R"("" b)", {"", "b"}},
        {R"("say ""hi""")", {R"(say "hi")"}},
        {R"(a\"b)", {R"(a"b)"}},
        {R"(a\\"b c")", {R"(a\b c)"}},
        {R"(C:\dir\file.txt)", {R"(C:\dir\file.txt)"}},
        {R"("unclosed quote)", {"unclosed quote"}},
        {"", {}},
    };
    for (const auto& [line, want] : cases) EXPECT_EQ(splitCommandLine(line), want) << line;
}

// The real platform: the wait sleeps in short slices instead of spinning.
TEST_F(EnvTest, RunProgramAndWaitWaitsInSlices) {
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(RunProgramAndWait("sleep 0.3"), 0);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_GE(ms, 290);
    EXPECT_GT(env.host.doEventsCount, 0);
    EXPECT_LT(env.host.doEventsCount, 100); // a busy poll would call it many thousand times
    EXPECT_EQ(RunProgramAndWait("sh -c \"exit 3\""), 3);
    EXPECT_EQ(RunProgramAndWait(env.path("no-such-program")), -1);
}
