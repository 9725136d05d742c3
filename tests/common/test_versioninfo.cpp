#include <gtest/gtest.h>

#include "common/versioninfo.h"
#include "pe_fixture.h"
#include "support/test_env.h"

using namespace dr;
using drtest::Bytes;
using drtest::EnvTest;

namespace {

const char* const kFullText =
    "Company Name:      Acme Ltd\r\n"
    "File Description:  Dirroller\r\n"
    "File Version:      3.4.0.1\r\n"
    "Internal Name:     dirroll\r\n"
    "Legal Copyright:   (c) Acme\r\n"
    "Original FileName: DIRROLL.EXE\r\n"
    "Product Name:      Dirroller\r\n"
    "Product Version:   3.4.1\r\n";

class VersionInfoTest : public EnvTest {
protected:
    std::string save(const std::string& name, const Bytes& b) {
        env.write(name, std::string(b.begin(), b.end()));
        return env.path(name);
    }
};

TEST_F(VersionInfoTest, ReadsTheEightTextsOfAnExecutable) {
    const Bytes block = drtest::versionBlock({drtest::fullTable()});
    EXPECT_EQ(VersionInfoText(save("app.exe", drtest::peImage(block))), kFullText);
    EXPECT_EQ(VersionInfoText(save("app64.dll", drtest::peImage(block, true))), kFullText);

    VersionResource res;
    ASSERT_TRUE(readVersionResource(drtest::peImage(block), res));
    EXPECT_EQ(res.translationKey(), "040904B0");
    EXPECT_EQ(res.query("040904b0", "originalfilename"), "DIRROLL.EXE");
    EXPECT_EQ(res.query("040904B0", "Comments"), "");
    EXPECT_EQ(res.query("04070000", "ProductName"), "");
}

TEST_F(VersionInfoTest, NoResourceOrNoProductVersionGivesNoVersionInfo) {
    env.write("readme.txt", "MZ but not much else");
    env.write("empty.exe", "");
    env.mkdir("folder.exe");
    auto noVersion = drtest::fullTable(u"");
    auto blankVersion = drtest::fullTable(u"   ");
    const std::string paths[] = {
        env.path("readme.txt"),
        env.path("empty.exe"),
        env.path("folder.exe"),
        env.path("missing.exe"),
        "",
        "/dev/null",
        save("nover.exe", drtest::peImage(drtest::versionBlock({noVersion}))),
        save("blank.exe", drtest::peImage(drtest::versionBlock({blankVersion}))),
        save("notables.exe", drtest::peImage(drtest::versionBlock({}))),
    };
    for (const auto& p : paths) EXPECT_EQ(VersionInfoText(p), "No version info") << p;
}

TEST_F(VersionInfoTest, TheTranslationChoosesTheTable) {
    drtest::VersionTable en = drtest::fullTable(u"1.0-en"), de = drtest::fullTable(u"1.0-de");
    de.key = u"040704B0";
    de.strings[0].second = u"Acme GmbH \u00A9 Caf\u00E9 \U0001F600";
    Bytes block = drtest::versionBlock({en, de}, 0x0407, 0x04B0);
    std::string text = VersionInfoText(save("de.exe", drtest::peImage(block)));
    EXPECT_NE(text.find("Company Name:      Acme GmbH \xC2\xA9 Caf\xC3\xA9 \xF0\x9F\x98\x80\r\n"), std::string::npos);
    EXPECT_NE(text.find("Product Version:   1.0-de\r\n"), std::string::npos);

    // Without a translation entry the first table is used.
    block = drtest::versionBlock({de, en}, -1);
    text = VersionInfoText(save("nolang.exe", drtest::peImage(block)));
    EXPECT_NE(text.find("Product Version:   1.0-de\r\n"), std::string::npos);
}

TEST_F(VersionInfoTest, ValuesStopAtTheirNulAndAt128Characters) {
    drtest::VersionTable t = drtest::fullTable();
    t.strings[1].second = std::u16string(300, u'x');
    t.strings[2].second = std::u16string(u"1.2\0junk", 8);
    VersionResource res;
    ASSERT_TRUE(readVersionResource(drtest::peImage(drtest::versionBlock({t})), res));
    EXPECT_EQ(res.query("040904B0", "FileDescription"), std::string(128, 'x'));
    EXPECT_EQ(res.query("040904B0", "FileVersion"), "1.2");
}

TEST_F(VersionInfoTest, ResourcesThatLieAboutTheirSizesAreReadInBounds) {
    const Bytes block = drtest::versionBlock({drtest::fullTable()});
    const Bytes good = drtest::peImage(block);
    VersionResource res;

    // Every truncation of the image: no read past its end, a result either way.
    for (size_t n = 0; n <= good.size(); n += (n < 0x300 ? 1 : 7)) {
        Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        readVersionResource(cut, res);
        // On the heap, so a read past the end shows under a sanitizer.
        Bytes heap(cut);
        heap.shrink_to_fit();
        readVersionResource(heap, res);
    }

    struct Patch {
        const char* what;
        size_t at;
        uint32_t value;
        bool wide;
    } const patches[] = {
        {"root length far beyond the block", drtest::kBlockOffset, 0xFFFF, false},
        {"root length too small", drtest::kBlockOffset, 3, false},
        {"root length zero", drtest::kBlockOffset, 0, false},
        {"value length beyond the block", drtest::kBlockOffset + 2, 0xFFFF, false},
        {"data entry size of 4 GiB", drtest::kDataEntryOffset + 4, 0xFFFFFFFF, true},
        {"data entry outside every section", drtest::kDataEntryOffset, 0x7FFFFFF0, true},
        {"data entry before the section", drtest::kDataEntryOffset, 0x10, true},
        {"subdirectory pointing at itself", drtest::kRsrcFileOffset + 0x14, 0x80000000u, true},
        {"subdirectory far away", drtest::kRsrcFileOffset + 0x14, 0xFFFFFFFF, true},
        {"entry count of 65535", drtest::kRsrcFileOffset + 0x0E, 0xFFFF, true},
        {"pe header offset beyond the file", 0x3C, 0xFFFFFFF0, true},
        {"section count of 65535", 0x46, 0xFFFF, true},
    };
    for (const auto& p : patches) {
        Bytes bad = good;
        if (p.wide) drtest::put32(bad, p.at, p.value);
        else drtest::put16(bad, p.at, uint16_t(p.value));
        bad.shrink_to_fit();
        readVersionResource(bad, res); // must come back
        EXPECT_EQ(VersionInfoText(save("bad.exe", bad)).empty(), false) << p.what;
    }

    // A first string claiming to be longer than its table: the table ends where its parent does.
    Bytes bad = good;
    size_t strAt = drtest::kBlockOffset + 0x5C + 0x24 + 0x18; // VS_VERSION_INFO, StringFileInfo, table headers
    drtest::put16(bad, strAt, 0xFFF0);
    EXPECT_NO_FATAL_FAILURE(readVersionResource(bad, res));
}

TEST(VersionBlock, ParsesOnlyVersionBlocks) {
    VersionResource res;
    EXPECT_FALSE(parseVersionBlock({}, res));
    Bytes junk(100, 0xAB);
    EXPECT_FALSE(parseVersionBlock(junk, res));
    Bytes other = drtest::versionNode(u"SOMETHING_ELSE", {}, 0, 1);
    EXPECT_FALSE(parseVersionBlock(other, res));
    Bytes ok = drtest::versionBlock({drtest::fullTable()});
    ASSERT_TRUE(parseVersionBlock(ok, res));
    ASSERT_EQ(res.tables.size(), 1u);
    EXPECT_EQ(res.tables[0].strings.size(), 8u);
    EXPECT_TRUE(res.hasTranslation);
    EXPECT_EQ(versionInfoTextOf(res), kFullText);
}

} // namespace
