#include <gtest/gtest.h>

#include "common/ini.h"
#include "common/listrules.h"
#include "support/test_env.h"

using namespace dr;
using drtest::EnvTest;

namespace {

ListViewRow row(std::string text, std::vector<std::string> subs = {}, bool checked = false) {
    return ListViewRow{std::move(text), checked, std::move(subs)};
}

ListView twoColumns() {
    ListView lv;
    lv.columns = {{"Name", 0}, {"Size", 0}};
    lv.rows = {row("a.txt", {"10"})};
    return lv;
}

class ListRulesTest : public EnvTest {
protected:
    std::string log() const { return env.read("dirroll.log"); }
};

TEST_F(ListRulesTest, LoadFileToListBoxReplacesOrAppendsAndSkipsEmptyLines) {
    env.write("list.lis", "one\r\n\r\ntwo\nthree\rfour");
    ListBox box;
    box.items = {"kept"};
    LoadFileToListBox(box, env.path("list.lis"), 1);
    EXPECT_EQ(box.items, (std::vector<std::string>{"kept", "one", "two", "three", "four"}));
    LoadFileToListBox(box, env.path("list.lis"), 0);
    EXPECT_EQ(box.items, (std::vector<std::string>{"one", "two", "three", "four"}));

    env.write("paths.lis", "/data,\r\n/srv/a,b,\r\n,\r\n");
    ListView lv;
    lv.rows = {row("old")};
    LoadFileToListBox(lv, env.path("paths.lis"), 0);
    ASSERT_EQ(lv.rows.size(), 3u);
    EXPECT_EQ(lv.rows[0].text, "/data");
    EXPECT_TRUE(lv.rows[0].checked);
    EXPECT_EQ(lv.rows[1].text, "/srv/a,b"); // only one trailing comma goes
    EXPECT_EQ(lv.rows[2].text, "");
    LoadFileToListBox(lv, env.path("paths.lis"), 1);
    EXPECT_EQ(lv.rows.size(), 6u);
}

TEST_F(ListRulesTest, LoadFileToListBoxWithoutAFileChangesNothing) {
    rt().logLevel = 3;
    ListBox box;
    box.items = {"x"};
    LoadFileToListBox(box, "", 0);
    EXPECT_EQ(log(), "");
    LoadFileToListBox(box, env.path("gone.lis"), 0);
    EXPECT_EQ(box.items, std::vector<std::string>{"x"});
    EXPECT_NE(log().find("LoadFileToListBox : cant find " + env.path("gone.lis") + "\r\n"), std::string::npos);

    rt().logLevel = 0; // the routine line is filtered at level 0
    ListView lv;
    LoadFileToListBox(lv, env.path("gone2.lis"), 0);
    EXPECT_EQ(log().find("gone2"), std::string::npos);
}

TEST_F(ListRulesTest, SaveListboxToFileFromTheFirstIndex) {
    ListBox box;
    box.items = {"a", "b", "c"};
    int64_t count = -1;
    SaveListboxToFile(box, env.path("out.lis"), count, 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(env.read("out.lis"), "b\r\nc\r\n");
    SaveListboxToFile(box, env.path("out.lis"), count, -5);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(env.read("out.lis"), "a\r\nb\r\nc\r\n");
    SaveListboxToFile(box, env.path("out.lis"), count, 9);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(env.read("out.lis"), "");

    // A list view writes rows from first index + 1 with sub-item 1 only; it loads back as one text.
    ListView lv;
    lv.rows = {row("/skip"), row("/data", {"sub", "ignored"}), row("/plain", {""})};
    SaveListboxToFile(lv, env.path("lv.lis"), count, 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(env.read("lv.lis"), "/data,sub\r\n/plain\r\n");
    ListView back;
    LoadFileToListBox(back, env.path("lv.lis"));
    ASSERT_EQ(back.rows.size(), 2u);
    EXPECT_EQ(back.rows[0].text, "/data,sub");
    EXPECT_TRUE(back.rows[0].subItems.empty());
}

TEST_F(ListRulesTest, SaveListboxToFileErrors) {
    rt().logLevel = 3;
    ListBox box;
    box.items = {"a"};
    int64_t count = 7;
    SaveListboxToFile(box, "", count);
    EXPECT_EQ(count, 0);
    EXPECT_NE(log().find("Cant save listbox because a filename wasnt specified"), std::string::npos);

    const std::string bad = env.path("no/such/folder/x.lis");
    env.host.expectBox(Answer::OK, "An Error occurred in SaveListboxToFile: 76 = Path not found while saving '" +
                                       bad + "'");
    SaveListboxToFile(box, bad, count);
    EXPECT_EQ(count, 0);
    EXPECT_NE(log().find("ErrorSaveListboxToFile: 76 = Path not found\r\n"), std::string::npos);

    env.host.expectBox(Answer::OK, "Disk full");
    SaveListboxToFile(box, "/dev/full", count);
    EXPECT_TRUE(env.host.scriptUsedUp());
}

TEST_F(ListRulesTest, SaveListViewToFileLayout) {
    ListView one;
    one.columns = {{"Path", 0}};
    one.rows = {row("/a"), row("/b")};
    SaveListViewToFile(one, env.path("one.txt"), "  ");
    EXPECT_EQ(env.read("one.txt"), "/a    \r\n/b    \r\n");

    ListView lv;
    lv.columns = {{"Name", 0}, {"Size", 0}, {"Type", 0}};
    lv.rows = {row("x.txt", {"10", "TXT"}), row("y", {"5"})};
    SaveListViewToFile(lv, env.path("full.txt"), ";", true, "Title", "", "Line 3", "----");
    EXPECT_EQ(env.read("full.txt"),
              "Title\r\nLine 3\r\n"
              "----\r\nName;Size;Type;\r\n----\r\n"
              "x.txt;10;TXT;;\r\n----\r\n"
              "y;5;;;\r\n----\r\n");
    rt().logLevel = 3;
    SaveListViewToFile(lv, env.path("nodiv.txt"), ",", true);
    EXPECT_EQ(env.read("nodiv.txt"), "Name,Size,Type,\r\nx.txt,10,TXT,,\r\ny,5,,,\r\n");
    EXPECT_NE(log().find("Saving List to file :" + env.path("nodiv.txt")), std::string::npos);
    // An unwritable path is skipped without a box.
    SaveListViewToFile(lv, env.path("no/dir/x.txt"), ",");
    EXPECT_TRUE(env.host.boxes.empty());
}

TEST_F(ListRulesTest, SaveListViewAsCsvEndsEveryLineWithTheSeparator) {
    ListView lv = twoColumns();
    SaveListViewAsCsv(lv, env.path("q.csv"), true, true);
    EXPECT_EQ(env.read("q.csv"), "\"Name\",\"Size\",\"\"\r\n\"a.txt\",\"10\",\"\"\r\n");
    SaveListViewAsCsv(lv, env.path("p.csv"), true, false);
    EXPECT_EQ(env.read("p.csv"), "Name,Size,\r\na.txt,10,\r\n");
    SaveListViewAsCsv(lv, env.path("n.csv"));
    EXPECT_EQ(env.read("n.csv"), "a.txt,10,\r\n");

    // A quote inside a quoted field is doubled, so the field stays whole.
    lv.rows = {row("say \"hi\".txt", {"1,5"})};
    SaveListViewAsCsv(lv, env.path("e.csv"), false, true);
    EXPECT_EQ(env.read("e.csv"), "\"say \"\"hi\"\".txt\",\"1,5\",\"\"\r\n");
}

TEST(PrintLineWithWordWrap, PiecesOfAtMostWidth) {
    struct Case {
        std::string text;
        int64_t width;
        std::vector<std::string> lines;
    } const cases[] = {
        {"abcdefghijkl", 5, {" abcde", "\t  fghij", "\t  kl"}},
        {"abcdefghijk", 5, {" abcde", "\t  fghij", "\t  k"}},
        {"abcd", 5, {" abcd"}},
        {"abcde", 5, {" abcde"}},
        {"abcdefghij", 5, {" abcde", "\t  fghij"}},
        {"", 5, {" "}},
        {"abc", 0, {" abc"}},
        {"abc", -3, {" abc"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> got;
        PrintLineWithWordWrap([&](const std::string& l) { got.push_back(l); }, c.text, c.width);
        EXPECT_EQ(got, c.lines) << c.text << "/" << c.width;
    }
}

TEST(ListOperations, FindListIndex) {
    ListView lv;
    lv.rows = {row("/data/photos", {"x", "JPG"}), row("/data/music", {"y", "MP3"}), row("", {"z"})};
    EXPECT_EQ(FindListIndex("music", lv), 2);
    EXPECT_EQ(FindListIndex("/data", lv), 1);
    EXPECT_EQ(FindListIndex("MP3", lv, 2), 2);
    EXPECT_EQ(FindListIndex("MP", lv, 2), 0) << "sub-items must be equal";
    EXPECT_EQ(FindListIndex("z", lv, 1), 3);
    EXPECT_EQ(FindListIndex("z", lv, 9), 0);
    EXPECT_EQ(FindListIndex("nothing", lv), 0);

    ListBox box;
    box.items = {"alpha", "beta", "Beta"};
    EXPECT_EQ(FindListIndex("Beta", box), 2);
    EXPECT_EQ(FindListIndex("alpha", box), 0);
    EXPECT_EQ(FindListIndex("bet", box), 0);
}

TEST(ListOperations, CheckCountAndRemove) {
    ListView lv;
    lv.rows = {row("/a/x", {}, true), row("/b/x"), row("/a/y", {}, true)};
    EXPECT_EQ(CountCheckedItems(lv), 2);
    SetAllChecked(lv, 1);
    EXPECT_EQ(CountCheckedItems(lv), 3);
    SetAllChecked(lv, -1);
    EXPECT_EQ(CountCheckedItems(lv), 0);
    lv.rows.assign(40000, row("r", {}, true));
    EXPECT_EQ(CountCheckedItems(lv), 40000) << "more than 16 bits hold";

    lv.rows = {row("/a/x"), row("/b/x"), row("/a/y")};
    RemoveMatchingItems("", lv);
    EXPECT_EQ(lv.rows.size(), 3u);
    RemoveMatchingItems("/a/", lv);
    ASSERT_EQ(lv.rows.size(), 1u);
    EXPECT_EQ(lv.rows[0].text, "/b/x");

    ListBox box;
    box.items = {"keep", "drop me", "also drop", "Keep"};
    RemoveMatchingItems("drop", box);
    EXPECT_EQ(box.items, (std::vector<std::string>{"keep", "Keep"}));
}

TEST(ListOperations, AutoSizeColumnsFromTheLongestText) {
    ListView lv;
    lv.columns = {{"Path", 1}, {"Name", 1}, {"Size", 1}, {"Type", 1}};
    lv.rows = {row("/abc", {"n", "12345", ""}), row("/a", {"name", "1"})};
    AutoSizeColumns(lv, {true, true, false, true, true, true});
    EXPECT_EQ(lv.columns[0].width, 4 * 77 + 400);
    EXPECT_EQ(lv.columns[1].width, 4 * 77 + 400);
    EXPECT_EQ(lv.columns[2].width, 1) << "not flagged";
    EXPECT_EQ(lv.columns[3].width, 400) << "no texts";
}

TEST(WindowPlacement, RestoreArithmetic) {
    const WindowPlacement present{100, 200, 5000, 4000};
    const int64_t W = 28800, H = 16200; // 1920 x 1080 pixels
    struct Case {
        StoredPlacement stored;
        bool fractions;
        WindowPlacement want;
    } const cases[] = {
        {{"7200", "9000", "1500", "600"}, false, {1500, 600, 9000, 7200}},
        {{"7200", "9000", "-300", "-15"}, false, {0, 0, 9000, 7200}},          // off the left edge
        {{"50", "9000", "0", "0"}, false, {0, 0, 9000, H * 3 / 4}},            // too small to see
        {{"99", "100", "0", "0"}, false, {0, 0, 100, H * 3 / 4}},
        {{"", "", "", ""}, false, {0, 0, 5000, 4000}},                         // nothing stored
        {{"", "", "", ""}, true, {0, 0, W * 3 / 4, H * 3 / 4}},
        {{"99999", "40000", "30000", "17000"}, false, {W / 4, H / 4, W * 3 / 4, H * 3 / 4}},
        {{"abc", "1e3x", "12.5", "x"}, false, {12, 0, 5000, 4000}},
        {{"9999999999", "7200", "0", "0"}, false, {0, 0, 7200, 4000}},         // beyond 32 bits: 0
    };
    for (const auto& c : cases) {
        WindowPlacement p = restoredPlacement(c.stored, present, W, H, c.fractions);
        EXPECT_EQ(p.left, c.want.left) << c.stored.left;
        EXPECT_EQ(p.top, c.want.top) << c.stored.top;
        EXPECT_EQ(p.width, c.want.width) << c.stored.width;
        EXPECT_EQ(p.height, c.want.height) << c.stored.height;
    }
    // A screen wider than 2184 pixels is wider than 32767 twips.
    const int64_t wide = 3840 * 15;
    WindowPlacement p = restoredPlacement({"20000", "40000", "35000", "100"}, present, wide, 2160 * 15, false);
    EXPECT_EQ(p.width, 40000);
    EXPECT_EQ(p.left, 35000);
}

TEST_F(ListRulesTest, PlacementRoundTripThroughTheSettingsFile) {
    const std::string ini = env.path("dirroll.INI");
    SaveWindowPlacement("frmFiles", ini, {1500, 600, 9000, 7200}, WindowState::Normal);
    EXPECT_EQ(ReadIniValue(ini, "frmFiles", "Height"), "7200");
    EXPECT_EQ(ReadIniValue(ini, "frmFiles", "WindowState"), "0");
    std::string text = env.read("dirroll.INI");
    EXPECT_LT(text.find("Height"), text.find("Width"));
    EXPECT_LT(text.find("Left"), text.find("Top"));
    EXPECT_LT(text.find("Top"), text.find("WindowState"));

    // Maximised: only the state changes, the normal placement stays.
    SaveWindowPlacement("frmFiles", ini, {0, 0, 28800, 16200}, WindowState::Maximized);
    EXPECT_EQ(ReadIniValue(ini, "frmFiles", "Width"), "9000");
    EXPECT_EQ(ReadIniValue(ini, "frmFiles", "WindowState"), "2");

    WindowPlacement p = RestoreWindowPlacement("frmFiles", ini, {0, 0, 1, 1}, 28800, 16200, true);
    EXPECT_EQ(p.left, 1500);
    EXPECT_EQ(p.top, 600);
    EXPECT_EQ(p.width, 9000);
    EXPECT_EQ(p.height, 7200);
    p = RestoreWindowPlacement("frmOther", ini, {0, 0, 8000, 6000}, 28800, 16200, false);
    EXPECT_EQ(p.width, 8000);
    EXPECT_EQ(p.height, 6000);

    auto v = windowPlacementValues({1, 2, 3, 4}, WindowState::Minimized);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0], (std::pair<std::string, std::string>{"WindowState", "1"}));
}

} // namespace
