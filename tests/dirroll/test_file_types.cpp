#include <gtest/gtest.h>

#include "common/runtime.h"
#include "dirroll/default_profiles.h"
#include "dirroll/file_types.h"
#include "dirroll/startup.h"
#include "support/test_env.h"

using namespace dr::roll;

namespace {

// A settings file as the first start writes it.
class DefaultTableTest : public drtest::EnvTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteLineFile(SettingsPath(), DefaultIniLines({})));
        LoadFileTypeTable(table, SettingsPath());
    }
    FileTypeTable table;
};

class FileTypesTest : public drtest::EnvTest {};

// A table from a hand-written [HowToDisplayFiles] section.
FileTypeTable tableFrom(const drtest::TestEnv& env, const std::string& section) {
    env.write("dirroll.INI", "[HowToDisplayFiles]\r\n" + section);
    FileTypeTable t;
    LoadFileTypeTable(t, env.path("dirroll.INI"));
    return t;
}

} // namespace

TEST(ExtensionOf, TakesTheTextAfterTheLastDotOfTheWholePath) {
    struct Case {
        const char* path;
        const char* ext;
    } cases[] = {
        {"/data/report.doc", "doc"},     {"/data/archive.tar.gz", "gz"}, {"/data/README", ""},
        {"/data/my.dir/README", "dir/README"}, {"/data/trailing.", ""},  {"", ""},
        {".bashrc", "bashrc"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExtensionOf(c.path), c.ext) << c.path;
}

TEST_F(DefaultTableTest, ModeFollowsTheSubstringRuleOverTheDefaultLists) {
    struct Case {
        const char* ext;
        int mode;
    } cases[] = {
        {"XLS", 6}, {"DOC", 3}, {"PDF", 3}, {"PNG", 3}, {"HTML", 3}, {"HTM", 3}, {"GIF", 2}, {"BMP", 2},
        {"JPG", 2}, {"DLL", 4}, {"COM", 4}, {"C", 4},    {"CO", 4},   {"EXE", 5}, {"MP3", 5}, {"WAV", 5},
        {"TXT", 1}, {"INI", 1}, {"HH", 1},  {"H", 3},    {"L", 6},    {"S", 6},   {"X", 6},   {"Doc", 3},
        {"jpg", 2}, {"OGG", 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseDisplayMode(table, std::string("/files/a.") + c.ext), c.mode) << c.ext;
}

TEST_F(DefaultTableTest, NamesWithoutAnExtensionAreFixedWidthText) {
    EXPECT_EQ(ChooseDisplayMode(table, "/files/README"), kModeFixedText);
    // The extension "dir/README" holds a separator and matches no list.
    EXPECT_EQ(ChooseDisplayMode(table, "/files/my.dir/README"), kModeFixedText);
}

TEST_F(DefaultTableTest, RowColoursComeFromTheModeOfTheName) {
    EXPECT_EQ(DisplayColourOf(table, "a.jpg"), 0x800080u);
    EXPECT_EQ(DisplayColourOf(table, "a.html"), 0x800000u);
    EXPECT_EQ(DisplayColourOf(table, "a.dll"), 0xC0u);
    EXPECT_EQ(DisplayColourOf(table, "a.mp3"), 0x8000u);
    EXPECT_EQ(DisplayColourOf(table, "a.xls"), 0x8000u);
    EXPECT_EQ(DisplayColourOf(table, "a.txt"), 0u);
    EXPECT_EQ(DisplayColourOf(table, "README"), 0u);
}

TEST_F(DefaultTableTest, TheProcessWideTableIsWhatLoadFileTypeTableReads) {
    fileTypeTable() = FileTypeTable{};
    EXPECT_EQ(ChooseDisplayMode("a.jpg"), kModeFixedText); // nothing loaded yet
    EXPECT_EQ(DisplayColourOf("a.jpg"), 0u);
    LoadFileTypeTable();
    EXPECT_EQ(ChooseDisplayMode("a.jpg"), kModePicture);
    EXPECT_EQ(DisplayColourOf("a.jpg"), 0x800080u);
    fileTypeTable() = FileTypeTable{};
}

TEST_F(FileTypesTest, MissingAndBlankListsBecomeZero) {
    FileTypeTable t = tableFrom(env, "Picture=\r\nWeb=HTML,\r\n");
    EXPECT_EQ(t.lists[kModePicture], "0");
    EXPECT_EQ(t.lists[kModeOle], "0");
    EXPECT_EQ(t.lists[kModeWeb], "HTML,");
    // Only an extension holding "0" reaches the picture list now.
    EXPECT_EQ(ChooseDisplayMode(t, "a.gif"), kModeFixedText);
    EXPECT_EQ(ChooseDisplayMode(t, "a.0"), kModeOle); // "0" is also the missing OLE list
    for (const auto& c : t.colours) EXPECT_EQ(c, "0");
}

TEST_F(FileTypesTest, ListsTypedInLowerCaseNeverMatch) {
    FileTypeTable t = tableFrom(env, "Picture=gif,jpg,\r\nColorPicture = &H800080\r\n");
    EXPECT_EQ(ChooseDisplayMode(t, "a.gif"), kModeFixedText);
    EXPECT_EQ(ChooseDisplayMode(t, "a.GIF"), kModeFixedText);
    EXPECT_EQ(DisplayColourOf(t, "a.gif"), 0u);
}

TEST_F(FileTypesTest, ColourTextsThatAreNotNumbersPaintNormally) {
    FileTypeTable t = tableFrom(env, "Picture=GIF,\r\nWeb=HTM,\r\nStrings=DLL,\r\n"
                                     "ColorPicture = &HZZ\r\nColorWeb = 255\r\nColorStrings = &h00ff00\r\n");
    EXPECT_EQ(DisplayColourOf(t, "a.gif"), 0u);
    EXPECT_EQ(DisplayColourOf(t, "a.htm"), 255u);
    EXPECT_EQ(DisplayColourOf(t, "a.dll"), 0xFF00u);
}

TEST(ParseColourText, ReadsTheSettingsNotation) {
    struct Case {
        const char* text;
        uint32_t value;
    } cases[] = {
        {"&H800080", 0x800080}, {"&HC0", 0xC0}, {" &H8000 ", 0x8000}, {"0", 0},   {"", 0},
        {"&H", 0},              {"&HG1", 0},    {"12ab", 0},          {"42", 42}, {"&HFFFFFFFF", 0xFFFFFFFF},
        {"&H1FFFFFFFF", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseColourText(c.text), c.value) << c.text;
}
