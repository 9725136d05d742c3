#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dirroll/file_list.h"
#include "dirroll/main_model.h"
#include "support/test_env.h"

using namespace dr::roll;

namespace {

FileList::Fields row(std::string_view name, std::string_view path = "/d/", std::string_view size = "          1",
                     std::string_view type = "TXT") {
    FileList::Fields f{};
    f[Filename] = name;
    f[Path] = path;
    f[Size] = size;
    f[Type] = type;
    f[Modified] = "2026-12-09 17:05";
    return f;
}

std::vector<std::string> column(const FileList& fl, int col) {
    std::vector<std::string> out;
    for (size_t i = 0; i < fl.size(); ++i) out.emplace_back(fl.field(i, col));
    return out;
}

struct Recorder : FileListListener {
    std::vector<std::string> events;
    void rowsReset() override { events.push_back("reset"); }
    void rowsAppended(size_t first, size_t count) override {
        events.push_back("append " + std::to_string(first) + "+" + std::to_string(count));
    }
    void rowsChanged(size_t a, size_t b) override { events.push_back("change " + std::to_string(a) + "-" + std::to_string(b)); }
    void rowsRemoved(size_t a, size_t n) override { events.push_back("remove " + std::to_string(a) + "+" + std::to_string(n)); }
    void rowsReordered() override { events.push_back("reorder"); }
};

} // namespace

TEST(FileList, KeepsFieldsTagsColoursAndBold) {
    FileList fl;
    fl.append(row("a.txt"), 0x800080, false);
    FileList::Fields f = row("b.doc", "/x/", "      1,234", "DOC");
    f[Owner] = "alice";
    f[Artist] = "";
    fl.append(f, 0, true);
    ASSERT_EQ(fl.size(), 2u);
    EXPECT_EQ(fl.field(1, Filename), "b.doc");
    EXPECT_EQ(fl.field(1, Owner), "alice");
    EXPECT_EQ(fl.field(1, Created), "");
    EXPECT_EQ(fl.field(0, FullFilename), "");
    EXPECT_EQ(fl.colour(0), 0x800080u);
    EXPECT_TRUE(fl.tagged(1));
    EXPECT_FALSE(fl.tagged(0));
    fl.setBold(0, true);
    EXPECT_TRUE(fl.bold(0));
    EXPECT_FALSE(fl.bold(1));
    // Out-of-range columns read as empty, as a missing sub-item does.
    EXPECT_EQ(fl.field(0, kColumns), "");
}

TEST(FileList, SetFieldRewritesOnlyThatColumn) {
    FileList fl;
    for (int i = 0; i < 5; ++i) fl.append(row("f" + std::to_string(i) + ".txt"));
    fl.setField(2, Owner, "bob");          // longer: row moves
    fl.setField(2, Type, "XYZ");           // same length: in place
    fl.setFields(3, {{Created, "2026-01-01 00:00"}, {Accessed, "2026-01-02"}, {Filename, "renamed.txt"}});
    EXPECT_EQ(fl.field(2, Owner), "bob");
    EXPECT_EQ(fl.field(2, Type), "XYZ");
    EXPECT_EQ(fl.field(2, Filename), "f2.txt");
    EXPECT_EQ(fl.field(2, Modified), "2026-12-09 17:05");
    EXPECT_EQ(fl.field(3, Filename), "renamed.txt");
    EXPECT_EQ(fl.field(3, Created), "2026-01-01 00:00");
    EXPECT_EQ(fl.field(3, Accessed), "2026-01-02");
    EXPECT_EQ(fl.field(3, Path), "/d/");
    EXPECT_EQ(fl.field(4, Filename), "f4.txt");
    fl.setField(0, FullFilename, " ");
    EXPECT_EQ(fl.field(0, FullFilename), " ");
    // Texts read from files (tags) cannot break a saved record.
    fl.setFields(1, {{Artist, "a\r\nb\x1f" "c"}, {Album, "ok"}});
    EXPECT_EQ(fl.field(1, Artist), "a  b c");
    EXPECT_EQ(fl.field(1, Album), "ok");
}

TEST(FileList, LongRowsAndRepeatedRewritesSurviveCompaction) {
    FileList fl;
    const std::string big(70000, 'p'); // beyond 16-bit field offsets
    fl.append(row("wide.txt", big));
    EXPECT_EQ(fl.field(0, Path), big);
    EXPECT_EQ(fl.field(0, Filename), "wide.txt");
    EXPECT_EQ(fl.field(0, Modified), "2026-12-09 17:05");

    for (int i = 0; i < 300; ++i) fl.append(row("n" + std::to_string(i)));
    // Enough dead text to force the blocks to be rewritten several times.
    std::string title(30000, 't');
    for (int round = 0; round < 8; ++round) {
        title[0] = static_cast<char>('a' + round);
        title.push_back('x');
        for (size_t r = 1; r < fl.size(); ++r) fl.setField(r, Title, title);
    }
    fl.columnClick(Filename); // descending: n99 .. n0, then wide.txt
    fl.columnClick(Filename); // ascending
    EXPECT_EQ(fl.field(0, Filename), "n0");
    for (size_t r = 0; r < fl.size(); ++r) {
        if (fl.field(r, Filename) == "wide.txt") {
            EXPECT_EQ(fl.field(r, Path), big);
        } else {
            EXPECT_EQ(fl.field(r, Title), title) << r;
            EXPECT_EQ(fl.field(r, Path), "/d/");
        }
    }
    EXPECT_LT(fl.memoryBytes(), size_t(64) << 20);
}

TEST(FileList, AReservationForAHugeListKeepsEveryBlockAddressable) {
    // Loading a saved list of several gigabytes reserves by its file size;
    // rows are addressed by 32-bit offsets within a block.
    FileList fl;
    fl.reserve(0, size_t(6) << 30);
    EXPECT_LT(fl.memoryBytes(), size_t(4) << 30);
    fl.append(row("a.txt"));
    EXPECT_EQ(fl.field(0, Filename), "a.txt");
}

TEST(FileList, SortIsStableByteOrderInBothDirections) {
    FileList fl;
    // Names sharing long prefixes, equal keys and mixed case.
    const char* names[] = {"same", "Zeta", "alpha", "same", "alphabet-soup-long-1", "alphabet-soup-long-0", "same", "beta"};
    for (int i = 0; i < 8; ++i) {
        FileList::Fields f = row(names[i]);
        std::string tag = std::to_string(i);
        f[Owner] = tag;
        fl.append(f);
    }
    fl.setSortKey(Filename, false);
    fl.setSorting(true);
    EXPECT_EQ(column(fl, Filename), (std::vector<std::string>{"Zeta", "alpha", "alphabet-soup-long-0",
                                                             "alphabet-soup-long-1", "beta", "same", "same", "same"}));
    EXPECT_EQ(column(fl, Owner)[5] + column(fl, Owner)[6] + column(fl, Owner)[7], "036");
    fl.setSortKey(Filename, true);
    EXPECT_EQ(column(fl, Filename), (std::vector<std::string>{"same", "same", "same", "beta", "alphabet-soup-long-1",
                                                             "alphabet-soup-long-0", "alpha", "Zeta"}));
    // Equal keys keep the order they had before this sort.
    EXPECT_EQ(column(fl, Owner)[0] + column(fl, Owner)[1] + column(fl, Owner)[2], "036");
}

TEST(FileList, HeaderClicksFlipTheDirectionStartingDescending) {
    FileList fl;
    fl.append(row("a", "/d/", "        100"));
    fl.append(row("b", "/d/", "      1,000"));
    fl.append(row("c", "/d/", "         20"));
    EXPECT_FALSE(fl.sorting());
    fl.columnClick(Size);
    EXPECT_TRUE(fl.sorting());
    EXPECT_TRUE(fl.sortDescending());
    EXPECT_EQ(column(fl, Filename), (std::vector<std::string>{"b", "a", "c"}));
    fl.columnClick(Size);
    EXPECT_FALSE(fl.sortDescending());
    EXPECT_EQ(column(fl, Filename), (std::vector<std::string>{"c", "a", "b"}));
}

TEST(FileList, RemovingRowsKeepsTheOthers) {
    FileList fl;
    for (int i = 0; i < 6; ++i) fl.append(row("r" + std::to_string(i)));
    fl.removeRow(0);
    EXPECT_EQ(fl.removeIf([&](size_t i) { return fl.field(i, Filename) == "r3" || fl.field(i, Filename) == "r5"; }), 2u);
    EXPECT_EQ(column(fl, Filename), (std::vector<std::string>{"r1", "r2", "r4"}));
    fl.append(row("r9"));
    EXPECT_EQ(fl.field(3, Filename), "r9");
    fl.clear();
    EXPECT_TRUE(fl.empty());
}

TEST(FileList, ListenersHearBatchesNotSingleRows) {
    FileList fl;
    Recorder rec;
    fl.addListener(&rec);
    fl.append(row("a"));
    fl.append(row("b"));
    fl.append(row("c"));
    EXPECT_TRUE(rec.events.empty());
    fl.publish();
    fl.append(row("d"));
    fl.setTagged(0, true); // a change publishes what is pending first
    fl.columnClick(Filename);
    fl.removeRow(0);
    fl.clear();
    fl.removeListener(&rec);
    fl.append(row("e"));
    fl.publish();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"append 0+3", "append 3+1", "change 0-0", "reorder", "remove 0+1",
                                                    "reset"}));
}

TEST(FileList, RowFullPathPutsOneSeparatorBetween) {
    FileList fl;
    fl.append(row("a.txt", "/data/"));
    fl.append(row("b.txt", "/data"));
    fl.append(row("root.txt", "/"));
    EXPECT_EQ(RowFullPath(fl, 0), "/data/a.txt");
    EXPECT_EQ(RowFullPath(fl, 1), "/data/b.txt");
    EXPECT_EQ(RowFullPath(fl, 2), "/root.txt");
}

TEST(FileList, SizeTextValue) {
    struct Case { const char* text; uint64_t value; } cases[] = {
        {"      1,234", 1234}, {"0", 0}, {"", 0}, {"  12,345,678,901 ", 12345678901ULL},
        {"abc", 0}, {"12kb", 0}, {"1,2,3", 123}, {"99999999999999999999999", UINT64_MAX},
    };
    for (const Case& c : cases) EXPECT_EQ(SizeTextValue(c.text), c.value) << c.text;
}

class StatusTest : public drtest::EnvTest {};

TEST_F(StatusTest, UpdateFileStatusCountsTagsAndSetsOwnTexts) {
    MainModel m;
    m.files.append(row("a", "/d/", "        100"));
    m.files.append(row("b", "/d/", "        200"), 0, true);
    m.files.append(row("c", "/d/", "        300"));
    m.files.totals.files = 3;
    m.files.totals.bytes = 600;
    m.setCaption("Quendal Vidazidev Dirroller - Docs");
    UpdateFileStatus(m);
    EXPECT_EQ(m.status(1), "3 files (1 tagged files) ");
    EXPECT_EQ(m.status(2), "600 bytes  (200 tagged bytes) ");
    EXPECT_EQ(m.status(3), "Quendal Vidazidev Dirroller - Docs");
    EXPECT_EQ(m.files.field(1, FullFilename), " ");
    EXPECT_EQ(m.files.field(0, FullFilename), "");
    EXPECT_EQ(env.host.status[2].back(), "600 bytes  (200 tagged bytes) ");

    m.files.setTagged(1, false);
    UpdateFileStatus(m);
    EXPECT_EQ(m.files.field(1, FullFilename), "");

    m.files.clear();
    m.files.totals = Totals{};
    UpdateFileStatus(m);
    EXPECT_EQ(m.status(1), " files (0 tagged files) ");
    EXPECT_EQ(m.status(2), " bytes  (0 tagged bytes) ");
}

TEST(SortedListTest, KeepsCaseBlindOrderWithNewEqualsLast) {
    SortedList l;
    for (const char* s : {"beta", "Alpha", "gamma", "alpha", "*.JPG", "ALPHA"}) l.add(s);
    EXPECT_EQ(l.items(), (std::vector<std::string>{"*.JPG", "Alpha", "alpha", "ALPHA", "beta", "gamma"}));
}
