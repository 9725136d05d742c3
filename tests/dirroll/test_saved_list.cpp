#include <gtest/gtest.h>
#include <unistd.h>

#include <dirent.h>

#include <string>
#include <vector>

#include "dirroll/file_types.h"
#include "dirroll/listing.h"
#include "dirroll/main_model.h"
#include "dirroll/saved_list.h"
#include "support/test_env.h"

using namespace dr::roll;
using dr::Answer;
using dr::DateTime;

namespace {

const std::string S(1, '\x1f');

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        size_t e = text.find("\r\n", at);
        if (e == std::string::npos) e = text.size();
        out.push_back(text.substr(at, e - at));
        at = e + 2;
    }
    return out;
}

FileList::Fields rowOf(const std::string& name, const std::string& path, const std::string& size) {
    FileList::Fields f{};
    f[Filename] = name;
    f[Path] = path;
    f[Size] = size;
    f[Type] = "DOC";
    f[Modified] = "2026-12-09 17:05";
    return f;
}

// A record of n fields: field 1 empty, field 2 the name, then the given texts.
std::string record(std::vector<std::string> fields) {
    std::string r;
    for (const std::string& f : fields) r += f + S;
    return r;
}

class SavedListTest : public drtest::EnvTest {
protected:
    std::string list(int records, const std::string& eol = "\r\n") {
        std::string t = ";DR formatted list of files created by Dirroller - Wed, 9/12/2026 17:14:05" + eol;
        for (int i = 0; i < records; ++i)
            t += record({"", "f" + std::to_string(i) + ".txt", "/d/", "      1,000", "TXT", "2026-12-09 17:05"}) + eol;
        return t;
    }
    MainModel m;
};

struct Visibility : FileListListener {
    explicit Visibility(const FileList& f) : files(f) {}
    void visibilityChanged(bool on) override { events.push_back({on, files.size()}); }
    const FileList& files;
    std::vector<std::pair<bool, size_t>> events;
};

} // namespace

TEST_F(SavedListTest, FormatByteForByte) {
    for (int i = 0; i < 10; ++i) m.files.append(rowOf("report" + std::to_string(i) + ".doc", "/Docs/", "      1,234"));
    m.files.setTagged(3, true);
    UpdateFileStatus(m); // a tagged row's own text becomes one blank
    ASSERT_TRUE(SaveListViewToDATFile(m.files, env.path("out.DR")));
    const std::string text = env.read("out.DR");
    const auto ls = lines(text);
    ASSERT_EQ(ls.size(), 11u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(ls[0], ";DR formatted list of files created by Dirroller - Fri, 11/12/2026 10:30:00");
    EXPECT_EQ(ls[1], S + "report0.doc" + S + "/Docs/" + S + "      1,234" + S + "DOC" + S + "2026-12-09 17:05" +
                         std::string(9, '\x1f'));
    for (size_t i = 1; i < ls.size(); ++i) {
        EXPECT_EQ(std::count(ls[i].begin(), ls[i].end(), '\x1f'), 14) << i;
        EXPECT_EQ(ls[i].back(), '\x1f');
        EXPECT_EQ(ls[i].substr(0, 1), i == 4 ? " " : S) << i;
    }

    // An empty list is the header alone.
    m.files.clear();
    ASSERT_TRUE(SaveListViewToDATFile(m.files, env.path("empty.DR")));
    EXPECT_EQ(lines(env.read("empty.DR")).size(), 1u);
}

TEST_F(SavedListTest, WritesInTheCurrentSortOrderAndLoadsBack) {
    m.files.append(rowOf("b.doc", "/x/", "         20"));
    FileList::Fields f = rowOf("a.mp3", "/y/", "  1,000,000");
    f[Created] = "2020-01-01 10:00";
    f[Width] = "640";
    f[Artist] = "Someone";
    f[Owner] = "alice";
    m.files.append(f);
    m.files.columnClick(Filename);
    m.files.columnClick(Filename); // ascending: a.mp3 first
    ASSERT_TRUE(SaveListViewToDATFile(m.files, env.path("l.DR")));
    EXPECT_EQ(lines(env.read("l.DR"))[1].substr(0, 7), S + "a.mp3" + S);

    MainModel back;
    ASSERT_EQ(LoadSavedList(back, env.path("l.DR")), LoadResult::Loaded);
    ASSERT_EQ(back.files.size(), 2u);
    for (int c = Filename; c < kColumns; ++c) EXPECT_EQ(back.files.field(0, c), m.files.field(0, c)) << c;
    EXPECT_EQ(back.files.totals.files, 2);
    EXPECT_EQ(back.files.totals.bytes, 1000020u);
}

TEST_F(SavedListTest, FieldTextsNeverSplitOrShiftARecord) {
    // Tag values and owners come from file contents and accounts.
    FileList::Fields f = rowOf("a.mp3", "/m/", "         10");
    f[Artist] = "one\r\ntwo";
    f[Title] = "x" + S + "y";
    f[Album] = "cr\ronly";
    f[Owner] = "bob";
    m.files.append(f);
    ASSERT_TRUE(SaveListViewToDATFile(m.files, env.path("t.DR")));
    const auto ls = lines(env.read("t.DR"));
    ASSERT_EQ(ls.size(), 2u);
    EXPECT_EQ(std::count(ls[1].begin(), ls[1].end(), '\x1f'), 14);

    MainModel back;
    ASSERT_EQ(LoadSavedList(back, env.path("t.DR")), LoadResult::Loaded);
    ASSERT_EQ(back.files.size(), 1u);
    EXPECT_EQ(back.files.field(0, Artist), "one  two");
    EXPECT_EQ(back.files.field(0, Title), "x y");
    EXPECT_EQ(back.files.field(0, Album), "cr only");
    EXPECT_EQ(back.files.field(0, Owner), "bob");
}

TEST_F(SavedListTest, LoadTrimsFormatsAndSkipsBlankLines) {
    env.write("x.DR", ";DR any text\r\n" + record({" ", " a.doc ", "/d/", "1234", "DOC", "2026-12-09 17:05"}) +
                          "\r\n   \r\n\r\n; a comment becomes a row\r\n" +
                          record({"", "b.txt", "/e/", "n/a", "TXT", "2026-12-09 17:05", "c", "d", "e", "f", "g", "h",
                                  "i", "owner", "15th", "16th"}) +
                          "\r\n");
    ASSERT_EQ(LoadSavedList(m, env.path("x.DR")), LoadResult::Loaded);
    ASSERT_EQ(m.files.size(), 3u);
    // Six fields: columns 7 to 14 empty; the own text is not restored.
    EXPECT_EQ(m.files.field(0, FullFilename), "");
    EXPECT_EQ(m.files.field(0, Filename), "a.doc");
    EXPECT_EQ(m.files.field(0, Size), "      1,234");
    for (int c = Created; c < kColumns; ++c) EXPECT_EQ(m.files.field(0, c), "") << c;
    EXPECT_EQ(m.files.field(1, Filename), "");
    EXPECT_EQ(m.files.field(1, Size), "          0");
    EXPECT_EQ(m.files.field(2, Owner), "owner");
    EXPECT_EQ(m.files.field(2, Size), "        n/a");
    EXPECT_EQ(m.files.totals.files, 3);
    EXPECT_EQ(m.files.totals.bytes, 1234u);
    EXPECT_EQ(m.status(1), "3 files ");
    EXPECT_EQ(m.status(2), "1,234 bytes ");
}

TEST_F(SavedListTest, AnyLineEndLoadsTheSame) {
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        env.write("e.DR", list(5, eol));
        ASSERT_EQ(LoadSavedList(m, env.path("e.DR")), LoadResult::Loaded) << int(eol[0]);
        EXPECT_EQ(m.files.size(), 5u);
        EXPECT_EQ(m.files.field(4, Filename), "f4.txt");
    }
}

TEST_F(SavedListTest, WhatIsNotASavedListLoadsNothing) {
    m.files.append(rowOf("old.doc", "/d/", "1"));
    struct Case { const char* name; std::string content; } cases[] = {
        {"lower.DR", ";dr formatted list\r\n" + record({"", "a", "/d/", "1", "", ""}) + "\r\n"},
        {"empty.DR", ""},
        {"text.DR", "hello\r\n"},
    };
    for (const Case& c : cases) {
        env.write(c.name, c.content);
        EXPECT_EQ(LoadSavedList(m, env.path(c.name)), LoadResult::NotAList) << c.name;
        EXPECT_TRUE(m.files.empty());
    }
    EXPECT_EQ(LoadSavedList(m, env.path("missing.DR")), LoadResult::NotAList);

    // A large file of another kind reserves no room for rows.
    env.write("big.DR", "");
    ASSERT_EQ(::truncate(env.path("big.DR").c_str(), off_t(64) << 20), 0);
    EXPECT_EQ(LoadSavedList(m, env.path("big.DR")), LoadResult::NotAList);
    EXPECT_LT(m.files.memoryBytes(), size_t(16) << 20);
    for (int p = 1; p <= 3; ++p) EXPECT_TRUE(env.host.status[p].empty()) << p;
}

TEST_F(SavedListTest, StatusPanelsAndWhenTheListShows) {
    env.write("small.DR", list(500));
    drtest::setFileTime(env.path("small.DR"), DateTime{2026, 12, 9, 8, 0, 0});
    {
        Visibility vis(m.files);
        m.files.addListener(&vis);
        ASSERT_EQ(LoadSavedList(m, env.path("small.DR")), LoadResult::Loaded);
        m.files.removeListener(&vis);
        EXPECT_EQ(vis.events, (std::vector<std::pair<bool, size_t>>{{false, 0}, {true, 500}}));
    }
    EXPECT_EQ(m.status(3), "Loaded 'small.DR' (last refreshed on Wed, 9-Dec-26 click refresh to update list)");
    EXPECT_EQ(m.status(1), "500 files ");
    EXPECT_EQ(m.status(2), "500,000 bytes ");
    EXPECT_EQ(env.host.status[1].front(), "22 files "); // counted before the 23rd row is added
    EXPECT_EQ(env.host.doEventsCount, 0);

    env.write("big.DR", list(5000));
    Visibility vis(m.files);
    m.files.addListener(&vis);
    ASSERT_EQ(LoadSavedList(m, env.path("big.DR")), LoadResult::Loaded);
    m.files.removeListener(&vis);
    EXPECT_EQ(vis.events, (std::vector<std::pair<bool, size_t>>{{false, 0}, {true, 799}}));
    EXPECT_EQ(env.host.doEventsCount, 1 + 1); // at record 800 and at 2863
}

TEST_F(SavedListTest, HaltWhileLoadingWithYesAndNo) {
    env.write("big.DR", list(5000));
    bool pressed = false;
    env.host.onDoEvents = [&] {
        if (!pressed) {
            pressed = true;
            HaltCommand(m);
        }
    };
    env.host.expectBox(Answer::No, "Dirroll has only listed  800 files.\r\nDo you want to halt the operation ?");
    EXPECT_EQ(LoadSavedList(m, env.path("big.DR")), LoadResult::Loaded);
    EXPECT_EQ(m.files.size(), 5000u);
    EXPECT_FALSE(m.halted());

    pressed = false;
    env.host.expectBox(Answer::Yes, "Dirroll has only listed  800 files.");
    EXPECT_EQ(LoadSavedList(m, env.path("big.DR")), LoadResult::Partial);
    EXPECT_EQ(m.files.size(), 800u);
    EXPECT_TRUE(m.files.visible());
    EXPECT_EQ(m.status(3).rfind("PARTIALLY Loaded 'big.DR' (last refreshed on ", 0), 0u);
    EXPECT_EQ(m.status(1), "800 files ");
    EXPECT_EQ(env.host.boxes[1].req.title, "Halt during Refresh?");

    // A halt left over does not cut the next load short.
    env.host.onDoEvents = nullptr;
    m.setHalt(true);
    EXPECT_EQ(LoadSavedList(m, env.path("big.DR")), LoadResult::Loaded);
    EXPECT_EQ(m.files.size(), 5000u);
}

TEST_F(SavedListTest, LoadedRowsTakeTheDisplayColourOfTheirFullPath) {
    env.write("dirroll.INI", "[HowToDisplayFiles]\r\nPicture=GIF,JPG,\r\nColorPicture = &H800080\r\n");
    LoadFileTypeTable();
    env.write("c.DR", ";DR\r\n" + record({"", "a.jpg", "/p/", "1", "JPG", "2026-12-09 17:05"}) + "\r\n" +
                          record({"", "b.txt", "/p/", "1", "TXT", "2026-12-09 17:05"}) + "\r\n");
    ASSERT_EQ(LoadSavedList(m, env.path("c.DR")), LoadResult::Loaded);
    EXPECT_EQ(m.files.colour(0), 0x800080u);
    EXPECT_EQ(m.files.colour(1), 0u);
    fileTypeTable() = FileTypeTable{};
}

TEST_F(SavedListTest, AFailedWriteLeavesTheOldListWhole) {
    env.write("keep.DR", list(3));
    m.files.append(rowOf("x", "/d/", "1"));
    // A folder in the way makes the rename fail after the data was written.
    env.mkdir("blocked.DR/inside");
    EXPECT_FALSE(SaveListViewToDATFile(m.files, env.path("blocked.DR")));
    EXPECT_FALSE(SaveListViewToDATFile(m.files, env.path("no/such/dir/x.DR")));
    EXPECT_EQ(env.read("keep.DR"), list(3));
    // No temporary files are left behind.
    int entries = 0;
    DIR* d = opendir(env.folder().c_str());
    while (dirent* e = readdir(d))
        if (std::string(e->d_name).find(".XXXX") != std::string::npos || e->d_name[0] == '.') ++entries;
    closedir(d);
    EXPECT_EQ(entries, 2); // "." and ".."
    EXPECT_NE(env.read("dirroll.log").find("An error occurred printing to file " + env.path("blocked.DR")),
              std::string::npos);
}

TEST_F(SavedListTest, SaveListForClient) {
    for (int i = 0; i < 1234; ++i) m.files.append(rowOf("f" + std::to_string(i), "/d/", "1"));
    env.host.expectSaveFile(env.path("client.DR"));
    env.host.expectBox(Answer::OK);
    SaveListForClient(m);
    ASSERT_EQ(env.host.dialogs.size(), 1u);
    const auto& d = env.host.dialogs[0];
    EXPECT_EQ(d.title, "Choose a name to save the List of File Details");
    EXPECT_EQ(d.startFolder, env.folder());
    EXPECT_EQ(d.fileName, "*.DR");
    EXPECT_EQ(d.defaultExt, "DR");
    EXPECT_EQ(env.host.boxes.back().req.text, "Saved 1,234 records to\r\n" + env.path("client.DR"));
    EXPECT_EQ(lines(env.read("client.DR")).size(), 1235u);

    m.files.clear();
    env.host.expectSaveFile(env.path("none.DR"));
    env.host.expectBox(Answer::OK);
    SaveListForClient(m);
    EXPECT_EQ(env.host.boxes.back().req.text, "Saved  records to\r\n" + env.path("none.DR"));

    env.mkdir("taken.DR/x");
    env.host.expectSaveFile(env.path("taken.DR"));
    env.host.expectBox(Answer::OK);
    SaveListForClient(m);
    EXPECT_EQ(env.host.boxes.back().req.text.rfind("An error occurred printing to file " + env.path("taken.DR") +
                                                       "\r\nErr = ",
                                                   0),
              0u);

    env.host.expectSaveFile(std::string("*.DR"));
    SaveListForClient(m);
    env.host.expectSaveFile(std::nullopt);
    SaveListForClient(m);
    EXPECT_EQ(env.host.boxes.size(), 3u);
    EXPECT_FALSE(env.host.busy);
}
