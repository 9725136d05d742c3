#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/format.h"
#include "common/text.h"
#include "support/test_env.h"

using namespace dr;
using drtest::EnvTest;

namespace {

TEST(TextBasics, CutAtNullAndFlattenLineBreaks) {
    EXPECT_EQ(CutAtNull(std::string("abc\0def", 7)), "abc");
    EXPECT_EQ(CutAtNull("abc"), "abc");
    EXPECT_EQ(CutAtNull(std::string("\0x", 2)), "");
    EXPECT_EQ(FlattenLineBreaks("a\r\nb\rc\nd"), "a  b c d");
}

TEST(TextBasics, JoinPathGivesTheFolderItsSeparator) {
    std::string folder = "/data";
    EXPECT_EQ(JoinPath(folder, "x.txt"), "/data/x.txt");
    EXPECT_EQ(folder, "/data/");
    EXPECT_EQ(JoinPath(folder, "y.txt"), "/data/y.txt");
    EXPECT_EQ(folder, "/data/");
    const std::string fixed = "/srv";
    EXPECT_EQ(JoinPath(fixed, "a"), "/srv/a");
}

TEST(TextBasics, PadLeftRightAlignsInWidthPlusOne) {
    struct Case {
        const char* text;
        int64_t width;
        const char* want;
    } const cases[] = {
        {"abc", 5, "   abc"},
        {"abcdefg", 5, "abcdefg"},
        {"abcde", 5, " abcde"},
        {"abcdef", 5, "abcdef"},
        {"", 3, "    "},
        {"1,234", 10, "      1,234"},
        {"x", 0, "x"},
        {"x", -4, "x"},
    };
    for (const auto& c : cases) {
        std::string t = c.text;
        EXPECT_EQ(PadLeft(t, c.width), c.want) << c.text << "/" << c.width;
        EXPECT_EQ(t, c.want) << "the caller's text receives the result";
    }
}

TEST(TextBasics, ExtractFolderAndFileName) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    } const cases[] = {
        {"/data/x.txt", "/data/", "x.txt"},
        {"x.txt", "", ""},
        {"/data/", "/data/", ""},
        {"/", "/", ""},
        {"", "", ""},
        {"/a/b/c", "/a/b/", "c"},
        {"a/b", "a/", "b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFolder(c.path), c.folder) << c.path;
        EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
    }
}

class TextEnvTest : public EnvTest {
protected:
    std::string log() const { return env.read("dirroll.log"); }
};

TEST_F(TextEnvTest, AppendToStringArrayKeepsTheLastTwoSlotsFree) {
    std::vector<std::string> slots(11); // 0..10
    EXPECT_EQ(AppendToStringArray(slots, "a"), 1);
    EXPECT_EQ(slots[1], "a");
    for (int i = 2; i <= 9; ++i) EXPECT_EQ(AppendToStringArray(slots, "n" + std::to_string(i)), i);
    EXPECT_EQ(log().find("array full"), std::string::npos);
    // Slot 9 is filled: full.
    EXPECT_EQ(AppendToStringArray(slots, "z"), 9);
    EXPECT_EQ(slots[10], "");
    EXPECT_NE(log().find(" array full"), std::string::npos);

    std::vector<std::string> none;
    EXPECT_EQ(AppendToStringArray(none, "x"), 0);
    std::vector<std::string> gap(11);
    gap[5] = "five";
    EXPECT_EQ(AppendToStringArray(gap, "six"), 6); // after the highest, not the first gap
}

TEST_F(TextEnvTest, FileExistsSeesHiddenFilesAndTakesWildcardsLiterally) {
    env.write(".hidden", "x");
    env.write("a*b?.txt", "x");
    env.mkdir("sub");
    EXPECT_TRUE(FileExists(env.path(".hidden")));
    EXPECT_TRUE(FileExists(env.path("a*b?.txt")));
    EXPECT_TRUE(FileExists(env.path("sub")));
    EXPECT_FALSE(FileExists(env.path("a*")));
    EXPECT_FALSE(FileExists(env.path("*.txt")));
    EXPECT_FALSE(FileExists(env.path("missing")));
    EXPECT_FALSE(FileExists(""));
    ASSERT_EQ(::symlink("nowhere", env.path("dangling").c_str()), 0);
    EXPECT_TRUE(FileExists(env.path("dangling"))); // the entry is there
}

TEST_F(TextEnvTest, SafeFileCopyWithMissingSourceLeavesTheTargetAlone) {
    env.write("target.dr", "old");
    EXPECT_FALSE(SafeFileCopy(env.path("nope.dr"), env.path("target.dr"), true));
    EXPECT_EQ(env.read("target.dr"), "old");
    EXPECT_NE(log().find("SafeFileCopy Failed - source file doesnt exist: " + env.path("nope.dr") + "\r\n"),
              std::string::npos);
    EXPECT_EQ(log().find("Failed to copy"), std::string::npos);
}

TEST_F(TextEnvTest, SafeFileCopyKeepsABackupOfThePreviousTarget) {
    env.write("src.dr", "new contents");
    env.write("out/t.dr", "previous");
    env.write("out/t.dr.BAK", "ancient");
    EXPECT_TRUE(SafeFileCopy(env.path("src.dr"), env.path("out/t.dr")));
    EXPECT_EQ(env.read("out/t.dr"), "new contents");
    EXPECT_EQ(env.read("out/t.dr.BAK"), "previous");
    EXPECT_EQ(log(), "");

    // Without a backup the old one stays as it was.
    env.write("src.dr", "third");
    EXPECT_TRUE(SafeFileCopy(env.path("src.dr"), env.path("out/t.dr"), true));
    EXPECT_EQ(env.read("out/t.dr"), "third");
    EXPECT_EQ(env.read("out/t.dr.BAK"), "previous");

    // A new target: created, and no backup of nothing.
    EXPECT_TRUE(SafeFileCopy(env.path("src.dr"), env.path("out/fresh.dr")));
    EXPECT_EQ(env.read("out/fresh.dr"), "third");
    EXPECT_FALSE(env.exists("out/fresh.dr.BAK"));
    // Nothing but the files themselves is left in the folder.
    int n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(env.path("out"))) ++n;
    EXPECT_EQ(n, 3);
}

TEST_F(TextEnvTest, SafeFileCopyCopiesLargeFilesWhole) {
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 % 251);
    env.write("big.bin", big);
    ASSERT_EQ(::chmod(env.path("big.bin").c_str(), 0640), 0);
    EXPECT_TRUE(SafeFileCopy(env.path("big.bin"), env.path("copy.bin"), true));
    EXPECT_EQ(env.read("copy.bin"), big);
    struct stat st;
    ASSERT_EQ(::stat(env.path("copy.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(TextEnvTest, AFailedCopyNeverDestroysTheTarget) {
    env.write("target.dr", "keep me");
    // Opens as a regular file but fails on the first read.
    EXPECT_FALSE(SafeFileCopy("/proc/self/mem", env.path("target.dr"), true, true));
    EXPECT_EQ(env.read("target.dr"), "keep me");
    const std::string want = "SafeFileCopy Failed to copy /proc/self/mem to " + env.path("target.dr") + "\r\n";
    EXPECT_NE(log().find(want), std::string::npos);
    EXPECT_NE(log().find("MSGBOX NOT SHOWN - Error copying the file \r\n/proc/self/mem  to \r\n" +
                         env.path("target.dr") + "\r\n"),
              std::string::npos);
    int n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(env.folder())) ++n;
    EXPECT_EQ(n, 2) << "no temporary file is left behind"; // target.dr and the log

    // A folder as the source, or a folder in the target's place: logged, nothing replaced.
    env.mkdir("adir");
    EXPECT_FALSE(SafeFileCopy(env.path("adir"), env.path("target.dr"), true));
    EXPECT_EQ(env.read("target.dr"), "keep me");
    env.write("src.dr", "x");
    env.mkdir("tdir");
    EXPECT_FALSE(SafeFileCopy(env.path("src.dr"), env.path("tdir"), true));
    EXPECT_TRUE(std::filesystem::is_directory(env.path("tdir")));
    // A target folder that does not exist.
    EXPECT_FALSE(SafeFileCopy(env.path("src.dr"), env.path("no/such/t.dr"), true));
    EXPECT_EQ(log().find("MSGBOX NOT SHOWN", log().find("MSGBOX NOT SHOWN") + 1), std::string::npos)
        << "the second line only when asked for";
}

TEST_F(TextEnvTest, SafeFileCopyOntoItselfOnlyLogsTheFailure) {
    env.write("same.dr", "contents");
    ASSERT_EQ(::link(env.path("same.dr").c_str(), env.path("alias.dr").c_str()), 0);
    EXPECT_FALSE(SafeFileCopy(env.path("same.dr"), env.path("same.dr"), true));
    EXPECT_FALSE(SafeFileCopy(env.path("same.dr"), env.path("alias.dr"), true));
    EXPECT_EQ(env.read("same.dr"), "contents");
    EXPECT_NE(log().find("SafeFileCopy Failed to copy " + env.path("same.dr") + " to " + env.path("alias.dr")),
              std::string::npos);
    struct stat a, b;
    ASSERT_EQ(::stat(env.path("same.dr").c_str(), &a), 0);
    ASSERT_EQ(::stat(env.path("alias.dr").c_str(), &b), 0);
    EXPECT_EQ(a.st_ino, b.st_ino) << "still one file";
}

TEST(ClockText, SecondsAndDifferences) {
    EXPECT_EQ(ClockTextToSeconds("10:05:50"), 36350);
    EXPECT_EQ(ClockTextToSeconds("00:00:00"), 0);
    EXPECT_EQ(ClockTextToSeconds("23:59:59"), 86399);
    EXPECT_EQ(ClockTextToSeconds("12:xx:yy"), 43200);
    EXPECT_EQ(ClockTextToSeconds(""), 0);
    EXPECT_EQ(FormatClockTime(DateTime{2026, 1, 2, 3, 4, 5}), "03:04:05");

    struct Case {
        const char* from;
        const char* to;
        const char* want;
    } const cases[] = {
        {"10:05:50", "11:05:10", "00:59:20"},
        {"10:00:00", "10:00:00", "00:00:00"},
        {"08:59:59", "09:00:00", "00:00:01"},
        {"10:30:40", "10:20:50", "23:50:10"}, // the end before the start: the next day
        {"23:59:30", "00:00:10", "00:00:40"}, // over midnight
        {"10:00:00", "12:xx:00", "02:00:00"},
    };
    for (const auto& c : cases) {
        DateTime d = ClockTextDifference(c.from, c.to);
        EXPECT_EQ(formatDate(d, "hh:mm:ss"), c.want) << c.from << " -> " << c.to;
        EXPECT_EQ(ClockTextDifferenceSeconds(c.from, c.to), d.hour * 3600 + d.minute * 60 + d.second);
    }
}

} // namespace
