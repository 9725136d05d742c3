#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "dirroll/extra_info.h"
#include "dirroll/main_model.h"
#include "platform/platform.h"
#include "support/test_env.h"

using namespace dr::roll;

namespace {

class ExtraInfoTest : public drtest::EnvTest {};

// 30-byte (or n-byte) field: the text, then NULs.
std::string field(const std::string& text, size_t n = 30) {
    std::string f = text.substr(0, n);
    f.resize(n, '\0');
    return f;
}

std::string id3(const std::string& title, const std::string& artist, const std::string& album,
                const std::string& year, const std::string& comment) {
    std::string b = "TAG" + field(title) + field(artist) + field(album) + field(year, 4) + field(comment);
    b += '\x0c'; // genre
    return b;
}

std::string be16(unsigned v) { return {char(v >> 8), char(v & 0xFF)}; }
std::string le16(unsigned v) { return {char(v & 0xFF), char(v >> 8)}; }
std::string be32(uint32_t v) { return be16(v >> 16) + be16(v & 0xFFFF); }
std::string le32(uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }

std::string png(uint32_t w, uint32_t h) {
    return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(w) + be32(h) + std::string(5, '\0');
}
std::string gif(unsigned w, unsigned h) { return "GIF89a" + le16(w) + le16(h) + std::string(6, '\0'); }
std::string bmp(int32_t w, int32_t h) {
    return "BM" + le32(0) + le32(0) + le32(54) + le32(40) + le32(uint32_t(w)) + le32(uint32_t(h)) +
           std::string(28, '\0');
}
std::string bmpCore(unsigned w, unsigned h) {
    return "BM" + le32(0) + le32(0) + le32(26) + le32(12) + le16(w) + le16(h) + std::string(4, '\0');
}
std::string segment(unsigned marker, const std::string& body) {
    return std::string{char(0xFF), char(marker)} + be16(unsigned(body.size() + 2)) + body;
}
// SOI, an APP0, an optional large APP1, a table, fill bytes, then the frame header.
std::string jpeg(unsigned w, unsigned h, unsigned sof = 0xC0, size_t exifBytes = 0) {
    std::string j = "\xFF\xD8";
    j += segment(0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));
    if (exifBytes) j += segment(0xE1, "Exif" + std::string(exifBytes, 'x'));
    j += segment(0xC4, std::string(20, '\0')); // a Huffman table is no frame
    j += "\xFF\xFF";
    j += segment(sof, std::string("\x08", 1) + be16(h) + be16(w) + std::string("\x03\x01\x22\x00", 4));
    j += segment(0xDA, std::string(8, '\0'));
    return j;
}

} // namespace

TEST_F(ExtraInfoTest, ReadMp3TagGivesFiveLabelledLines) {
    env.write("a.mp3", std::string(500, 'm') + id3("Song", "Band", "Record", "1999", "Nice one"));
    EXPECT_EQ(ReadMp3Tag(env.path("a.mp3")),
              "Title    = Song\r\nArtist   = Band\r\nAlbum    = Record\r\nYear     = 1999\r\nComment  = Nice one\r\n");
}

TEST_F(ExtraInfoTest, Mp3TagCases) {
    struct Case {
        const char* name;
        std::string content;
        std::string artist, title, album; // TagValue of the result
        bool tagged;
    } cases[] = {
        {"short", "TAG" + std::string(100, 'x'), "", "", "", false},
        {"notag", std::string(300, 'x'), "", "", "", false},
        {"exact", id3("T", "A", "B", "2001", ""), "A", "T", "B", true},
        // 30 bytes without a NUL, and blanks kept at the end.
        {"full", id3(std::string(30, 'Z'), "Padded   ", "B", "", ""), "Padded   ", std::string(30, 'Z'), "B", true},
        // Line breaks in a field become blanks.
        {"breaks", id3("a\r\nb", "x\ny", "B", "", ""), "x y", "a  b", "B", true},
        // The first occurrence of the word wins: the title line feeds Artist.
        {"word", id3("The Artist Formerly", "Prince", "B", "", ""), "erly", "The Artist Formerly", "B", true},
    };
    for (const Case& c : cases) {
        env.write(c.name, c.content);
        std::string tag = ReadMp3Tag(env.path(c.name));
        if (!c.tagged) {
            EXPECT_EQ(tag, "No tag") << c.name;
            continue;
        }
        EXPECT_EQ(TagValue(tag, "Artist"), c.artist) << c.name;
        EXPECT_EQ(TagValue(tag, "Title"), c.title) << c.name;
        EXPECT_EQ(TagValue(tag, "Album"), c.album) << c.name;
    }
    EXPECT_EQ(ReadMp3Tag(env.path("missing.mp3")), "No tag");
}

TEST(TagValue, TakesElevenCharactersAfterTheWordUpToTheLineEnd) {
    const std::string size = "Width    = 1,024 \r\nHeight   =  768\r\n";
    EXPECT_EQ(TagValue(size, "Width"), "1,024");
    EXPECT_EQ(TagValue(size, "Height"), "768");
    EXPECT_EQ(TagValue("Title    =  spaced  \r\n", "Title"), " spaced  ");
    EXPECT_EQ(TagValue("Title    = last line", "Title"), "last line");
    EXPECT_EQ(TagValue(size, "Artist"), "");
    EXPECT_EQ(TagValue("Width", "Width"), "");
}

TEST_F(ExtraInfoTest, PictureSizesComeFromTheHeaders) {
    struct Case {
        const char* name;
        std::string content;
        int w, h;
    } cases[] = {
        {"a.png", png(1024, 768), 1024, 768},
        {"a.gif", gif(320, 200), 320, 200},
        {"a.bmp", bmp(640, 480), 640, 480},
        {"down.bmp", bmp(640, -480), 640, 480},
        {"core.bmp", bmpCore(16, 32), 16, 32},
        {"a.jpg", jpeg(1920, 1080), 1920, 1080},
        {"prog.jpg", jpeg(800, 600, 0xC2), 800, 600},
        {"exif.jpg", jpeg(4000, 3000, 0xC0, 40000), 4000, 3000},
    };
    for (const Case& c : cases) {
        env.write(c.name, c.content);
        auto s = ReadPictureDimensions(env.path(c.name));
        ASSERT_TRUE(s.has_value()) << c.name;
        EXPECT_EQ(s->width, c.w) << c.name;
        EXPECT_EQ(s->height, c.h) << c.name;
    }
    EXPECT_EQ(ReadPictureSize(env.path("a.png")), "Width    = 1,024\r\nHeight   = 768\r\n");
}

TEST_F(ExtraInfoTest, UnreadablePicturesHaveNoSize) {
    std::string j = jpeg(10, 10);
    const std::pair<const char*, std::string> cases[] = {
        {"text.jpg", "just some text, not a picture at all"},
        {"cut.jpg", j.substr(0, 30)},                       // ends before the frame header
        {"noframe.jpg", std::string("\xFF\xD8\xFF\xD9", 4)}, // end of image first
        {"cut.png", png(5, 5).substr(0, 20)},
        {"zero.gif", gif(0, 10)},
        {"empty.bmp", ""},
    };
    for (const auto& [name, content] : cases) {
        env.write(name, content);
        EXPECT_FALSE(ReadPictureDimensions(env.path(name)).has_value()) << name;
        EXPECT_FALSE(ReadPictureSize(env.path(name)).has_value()) << name;
    }
    EXPECT_FALSE(ReadPictureDimensions(env.path("missing.png")).has_value());
}

namespace {

// A file list of real files of the test folder.
void addRow(MainModel& m, const drtest::TestEnv& env, const std::string& name, const std::string& type) {
    FileList::Fields f{};
    std::string folder = env.folder() + "/";
    f[Filename] = name;
    f[Path] = folder;
    f[Type] = type;
    f[Width] = "w0";
    f[Height] = "h0";
    m.files.append(f);
}

} // namespace

TEST_F(ExtraInfoTest, ThePassFillsDatesOwnersTagsAndPictureSizes) {
    env.write("song.mp3", std::string(200, 'x') + id3("Title1", "Artist1", "Album1", "2020", ""));
    env.write("photo.jpg", jpeg(300, 200));
    env.write("icon.png", png(16, 16));
    env.write("notes.txt", "hello");
    MainModel m;
    addRow(m, env, "song.mp3", "MP3");
    addRow(m, env, "photo.jpg", "JPG");
    addRow(m, env, "icon.png", "PNG");
    addRow(m, env, "notes.txt", "TXT");
    addRow(m, env, "gone.txt", "TXT");
    drtest::setFileTime(env.path("notes.txt"), dr::DateTime{2025, 3, 4, 5, 6, 7});

    m.setHalt(true); // left over from an earlier click
    EXPECT_TRUE(GetExtraInfoForFiles(m, true));
    const std::string me = dr::platform().accountName(static_cast<uint32_t>(getuid()));
    FileList& f = m.files;
    EXPECT_EQ(f.text(0, Artist), "Artist1");
    EXPECT_EQ(f.text(0, Title), "Title1");
    EXPECT_EQ(f.text(0, Album), "Album1");
    EXPECT_EQ(f.text(1, Width), "300");
    EXPECT_EQ(f.text(1, Height), "200");
    EXPECT_EQ(f.text(2, Width), "w0") << "PNG files get no size from the pass";
    EXPECT_EQ(f.text(3, Accessed), "2025-03-04");
    for (size_t r = 0; r < 4; ++r) EXPECT_EQ(f.text(r, Owner), me) << r;
    EXPECT_EQ(f.text(4, Owner), "");
    EXPECT_EQ(f.text(4, Accessed), "");
    EXPECT_EQ(f.headers[Artist], "MP3 Artist");
    EXPECT_EQ(f.headers[Album], "MP3 Album");
    EXPECT_FALSE(m.progressVisible());
}

TEST_F(ExtraInfoTest, WithoutPicturesTheSizeColumnsAreHiddenAndLeftAlone) {
    env.write("photo.jpg", jpeg(300, 200));
    MainModel m;
    addRow(m, env, "photo.jpg", "JPG");
    EXPECT_TRUE(GetExtraInfoForFiles(m, false));
    EXPECT_EQ(m.files.text(0, Width), "w0");
    EXPECT_EQ(m.files.text(0, Height), "h0");
    EXPECT_EQ(m.files.widths[Width], 0);
    EXPECT_EQ(m.files.widths[Height], 0);
    EXPECT_FALSE(m.files.text(0, Accessed).empty());
}

TEST_F(ExtraInfoTest, HaltLeavesTheRowsNotYetVisited) {
    env.write("a.txt", "a");
    MainModel m;
    for (int i = 0; i < 100; ++i) addRow(m, env, "a.txt", "TXT");
    env.host.onDoEvents = [&] { m.setHalt(true); };
    EXPECT_FALSE(GetExtraInfoForFiles(m, false));
    EXPECT_FALSE(m.files.text(0, Accessed).empty());
    size_t visited = 0;
    while (visited < m.files.size() && !m.files.text(visited, Accessed).empty()) ++visited;
    EXPECT_GT(visited, 0u);
    EXPECT_LT(visited, 100u);
    for (size_t r = visited; r < 100; ++r) EXPECT_EQ(m.files.text(r, Accessed), "") << r;
}

TEST_F(ExtraInfoTest, TheMenuEntryAsksAboutPictures) {
    env.write("photo.jpg", jpeg(30, 20));
    struct Case {
        dr::Answer answer;
        const char* width;
        bool visited;
    } cases[] = {{dr::Answer::Cancel, "w0", false}, {dr::Answer::No, "w0", true}, {dr::Answer::Yes, "30", true}};
    for (const Case& c : cases) {
        MainModel m;
        addRow(m, env, "photo.jpg", "JPG");
        env.host.expectBox(c.answer, "Do you also want to get Picture width and height?");
        ExtraInfoCommand(m);
        EXPECT_EQ(m.files.text(0, Width), c.width);
        EXPECT_EQ(m.files.text(0, Accessed).empty(), !c.visited);
    }
}

TEST_F(ExtraInfoTest, ManyRowsOfOneFolderGetTheirOwnFacts) {
    // Enough rows in one folder for a single listing to serve them, in an
    // order other than the folder's, with a vanished file and a link among them.
    MainModel m;
    std::vector<std::string> want;
    for (int i = 11; i >= 0; --i) {
        std::string name = "f" + std::to_string(i) + ".txt";
        env.write(name, "x");
        drtest::setFileTime(env.path(name), dr::DateTime{2000 + i, 1 + i, 1 + i, 12, 0, 0});
        addRow(m, env, name, "TXT");
        char buf[16];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", 2000 + i, 1 + i, 1 + i);
        want.push_back(buf);
        if (i == 6) {
            addRow(m, env, "vanished.txt", "TXT");
            want.push_back("");
            ASSERT_EQ(::symlink(env.path("f0.txt").c_str(), env.path("link.txt").c_str()), 0);
            addRow(m, env, "link.txt", "TXT");
            want.push_back("2000-01-01");
        }
    }
    EXPECT_TRUE(GetExtraInfoForFiles(m, false));
    ASSERT_EQ(m.files.size(), want.size());
    for (size_t r = 0; r < want.size(); ++r) EXPECT_EQ(m.files.text(r, Accessed), want[r]) << m.files.text(r, Filename);
}
