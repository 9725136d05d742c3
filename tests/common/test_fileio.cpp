#include <unistd.h>

#include <stdexcept>

#include "common/fileio.h"
#include "common/runtime.h"
#include "support/test_env.h"

using namespace dr;
using drtest::EnvTest;

namespace {

using V = std::vector<std::string>;
const std::string kStamp = "2026-12-11, 10:30:00, testpc, tester, ";

// The lines the usual loop sees: while moreData, getLine.
V readLoop(const std::string& path) {
    cFileIO f(path);
    V lines;
    if (!f.openFile("INPUT")) return lines;
    while (f.moreData()) lines.push_back(f.getLine());
    return lines;
}

} // namespace

TEST_F(EnvTest, FileReadLoopEndsWithOneEmptyLine) {
    const std::string longLine(200000, 'L');
    const std::string atBoundary(64 * 1024 - 1, 'x'); // CR ends one read chunk, LF starts the next
    struct Case {
        const char* what;
        std::string content;
        V want;
    } cases[] = {
        {"CR LF lines", "a\r\nb\r\nc\r\n", {"a", "b", "c", ""}},
        {"empty file", "", {""}},
        {"mixed line ends, no final one", "a\nb\rc\r\nd", {"a", "b", "c", "d", ""}},
        {"blank lines stay", "a\r\n\r\n\nb", {"a", "", "", "b", ""}},
        {"CR LF split between reads", atBoundary + "\r\ny", {atBoundary, "y", ""}},
        {"a line longer than a read", longLine, {longLine, ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        env.write("lines.txt", c.content);
        EXPECT_EQ(readLoop(env.path("lines.txt")), c.want);
    }

    // The reusing form reports the final empty line as the end.
    env.write("lines.txt", "a\r\nb");
    cFileIO f(env.path("lines.txt"));
    ASSERT_TRUE(f.openFile("input"));
    std::string line;
    V got;
    while (f.getLine(line)) got.push_back(line);
    EXPECT_EQ(got, (V{"a", "b"}));
    EXPECT_FALSE(f.moreData());

    env.write("lines.txt", "a\r\nb\r\n");
    EXPECT_EQ(cFileIO(env.path("lines.txt")).LoadFileToString("\r\n"), "a\r\nb\r\n\r\n");
}

TEST_F(EnvTest, FileOpenModesAndFailures) {
    const std::string path = env.path("out.txt");
    {
        cFileIO f(path);
        ASSERT_TRUE(f.openFile("OUTPUT"));
        f.printLine("one");
        f.closeFile();
        ASSERT_TRUE(f.openFile("append")); // the mode in small letters
        f.printLine("two");
    } // the destructor closes (and writes out) the file
    EXPECT_EQ(env.read("out.txt"), "one\r\ntwo\r\n");
    {
        cFileIO f(path);
        ASSERT_TRUE(f.openFile("Output"));
        std::string big(1000, 'b');
        for (int i = 0; i < 300; ++i) f.printLine(big); // more than one buffer
    }
    EXPECT_EQ(env.read("out.txt").size(), 300u * 1002u);

    // An unknown mode opens nothing.
    env.host.expectBox(Answer::OK, "Invalid method of opening file");
    cFileIO bad(path);
    EXPECT_FALSE(bad.openFile("BINARY"));
    EXPECT_FALSE(bad.isOpen());
    EXPECT_FALSE(bad.moreData());
    EXPECT_EQ(bad.getLine(), "");

    // A failed open is logged at level 0, unless errors are ignored.
    cFileIO missing(env.path("missing.txt"));
    EXPECT_FALSE(missing.openFile("INPUT", true));
    EXPECT_FALSE(env.exists("dirroll.log"));
    EXPECT_FALSE(missing.openFile("INPUT"));
    EXPECT_EQ(env.read("dirroll.log"), kStamp + "cFileIO - An error occurred opening the file " +
                                           env.path("missing.txt") + "\r\nErr = No such file or directory\r\n");
    env.mkdir("folder");
    EXPECT_FALSE(cFileIO(env.path("folder")).openFile("INPUT", true));
    EXPECT_TRUE(env.host.scriptUsedUp());
}

TEST_F(EnvTest, FileWriteErrorsShowTheirBoxUnlessSilent) {
    cFileIO closed(env.path("x.txt"));
    env.host.expectBox(Answer::OK, "An error occurred printing to file " + env.path("x.txt") + "\r\nErr = ");
    closed.printLine("nowhere");
    closed.printLine("nowhere", true);
    EXPECT_FALSE(env.exists("x.txt"));

    env.mkdir("folder");
    cFileIO folder(env.path("folder"));
    env.host.expectBox(Answer::OK, "An error occurred appending to file " + env.path("folder") + "\r\nErr = ");
    folder.appendLine("line");
    folder.appendLine("line", true);
    env.host.expectBox(Answer::OK, "An error occurred appending to file ");
    folder.dumpArray(V{"", "a"});
    EXPECT_TRUE(env.host.scriptUsedUp());
    EXPECT_EQ(env.host.boxes.size(), 3u);
}

TEST_F(EnvTest, FileAppendAndDumpOpenWhenNeeded) {
    cFileIO f(env.path("a.txt"));
    f.appendLine("first");
    f.appendLine("second");
    EXPECT_FALSE(f.isOpen());
    f.dumpArray(V{"never", "a", "  ", "", "b"}, false, "> ");
    EXPECT_EQ(env.read("a.txt"), "first\r\nsecond\r\n> a\r\n> b\r\n");

    ASSERT_TRUE(f.openFile("OUTPUT"));
    f.appendLine("into the open file");
    f.dumpArray(V{"never", "c"});
    EXPECT_TRUE(f.isOpen());
    f.closeFile();
    EXPECT_EQ(env.read("a.txt"), "into the open file\r\nc\r\n");

    EXPECT_TRUE(f.Exists());
    f.Clear();
    EXPECT_FALSE(f.Exists());
    f.Clear(); // a missing file is no error
    env.write(".hidden", "h");
    EXPECT_TRUE(cFileIO(env.path(".hidden")).Exists());
    env.mkdir("dir");
    EXPECT_FALSE(cFileIO(env.path("dir")).Exists());
}

TEST_F(EnvTest, FileReadErrorOffersRetryAndIgnore) {
    // Reading this process's memory from address 0 fails with an I/O error.
    cFileIO f("/proc/self/mem");
    ASSERT_TRUE(f.openFile("INPUT"));
    env.host.expectBox(Answer::Retry, "An error occurred reading from the file /proc/self/mem\r\nErr = ");
    env.host.expectBox(Answer::Ignore, "Click OK to resume");
    EXPECT_EQ(f.getLine(), "");
    EXPECT_FALSE(f.moreData()); // an ignored error ends the read loop
    EXPECT_EQ(env.host.boxes.size(), 2u);
    EXPECT_EQ(env.host.boxes[0].req.title, "Error reading from File");
    EXPECT_EQ(env.host.boxes[0].req.buttons, Buttons::AbortRetryIgnore);
    EXPECT_EQ(defaultAnswer(env.host.boxes[0].req), Answer::Ignore); // unattended runs go on
}

TEST_F(EnvTest, FileWaitPausesAndTimesOut) {
    rt().logLevel = 1;
    const std::string path = env.path("late.txt");
    // Each wait step lets events run; the test's clock moves a second per step.
    int steps = 0;
    env.host.onDoEvents = [&] {
        ++steps;
        env.clock.advanceMillis(1000);
    };
    cFileIO f(path);
    EXPECT_FALSE(f.waitUntilFileCanBeOpened(5));
    EXPECT_EQ(steps, 5);
    EXPECT_FALSE(env.host.busy);

    env.host.onDoEvents = [&] {
        if (++steps == 7) drtest::writeFile(path, "now");
    };
    EXPECT_TRUE(f.waitUntilFileCanBeOpened(5));
    EXPECT_TRUE(f.waitUntilFileCanBeOpened(5));
    EXPECT_EQ(env.read("dirroll.log"),
              kStamp + "FAIL - waitUntilFileCanOpened Timed out waiting for file to be opened after 5 attempts for file " +
                  path + "\r\n" + kStamp + "SUCCESS - waitUntilFileCanOpened took 2 attempts for " + path + "\r\n" +
                  kStamp + "SUCCESS - waitUntilFileCanOpened took 0 attempts for " + path + "\r\n");
}

TEST_F(EnvTest, ArrayParsesRecordLines) {
    struct Case {
        const char* text;
        bool blanks;
        V first; // the leading items
        size_t count;
    } cases[] = {
        {"a;;b", true, {"a", "", "b", ""}, 99},
        {"a;;b", false, {"a", "b"}, 2},
        {"a;;b;", true, {"a", "", "b", ""}, 99},
        {"a;;b;", false, {"a", "b"}, 2},
        {" x ; y ;  ", false, {"x", "y"}, 2},
        {"", false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        clsArray a;
        a.CreateByParsingText(c.text, ";", c.blanks);
        EXPECT_EQ(a.Count(), c.count);
        for (size_t i = 0; i < c.first.size(); ++i) EXPECT_EQ(a.Item(i + 1), c.first[i]) << i;
    }
    // More than 99 fields: the first 99 stay, no box.
    std::string many;
    for (int i = 1; i <= 120; ++i) many += std::to_string(i) + "|";
    clsArray a;
    a.CreateByParsingText(many, "|", false);
    EXPECT_EQ(a.Count(), 99u);
    EXPECT_EQ(a.Item(99), "99");
    EXPECT_TRUE(env.host.boxes.empty());
}

TEST_F(EnvTest, ArrayItemsAndLookup) {
    clsArray a;
    a.Add("Alpha");
    a.Add("beta");
    env.host.expectBox(Answer::OK, "ndx isnt setup to add at specific point yet");
    a.Add("Gamma", 5);
    EXPECT_EQ(a.Count(), 3u);
    EXPECT_EQ(a.Item(3), "Gamma");
    EXPECT_EQ(a.Item(0), "");
    EXPECT_EQ(a.Item(4), "");
    a.setItem(2, "BETA");
    EXPECT_THROW(a.setItem(4, "x"), std::out_of_range);
    EXPECT_THROW(a.setItem(0, "x"), std::out_of_range);

    struct Case {
        const char* text;
        bool caseSensitive;
        size_t want;
    } cases[] = {{"beta", false, 2}, {"beta", true, 0}, {"BETA", true, 2}, {"alph", false, 0}, {"", false, 0}};
    for (const Case& c : cases) EXPECT_EQ(a.GetIndexByText(c.text, 3, c.caseSensitive), c.want) << c.text;
    a.init(10);
    EXPECT_EQ(a.Count(), 0u);
}

TEST_F(EnvTest, ArrayDiskRoundTrip) {
    env.write("in.txt", "one\r\ntwo\nthree\r\n");
    clsArray a;
    a.Add("kept");
    env.host.expectBox(Answer::OK, "Read in 4 lines \r\n from file " + env.path("in.txt"));
    EXPECT_EQ(a.LoadFromDisk(env.path("in.txt"), true), 4); // the final empty line counts
    EXPECT_EQ(a.items(), (V{"kept", "one", "two", "three", ""}));

    a.SaveToDisk(env.path("out.txt"));
    EXPECT_EQ(env.read("out.txt"), "kept\r\none\r\ntwo\r\nthree\r\n\r\n");

    env.host.expectBox(Answer::OK, "Error loading file from disk to Array\r\nNo such file");
    EXPECT_EQ(a.LoadFromDisk(env.path("missing.txt")), -1);
    EXPECT_EQ(a.Count(), 5u);
    EXPECT_TRUE(env.host.scriptUsedUp());
}
