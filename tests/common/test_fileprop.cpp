#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/fileprop.h"
#include "common/format.h"
#include "common/listrules.h"
#include "forwarding_platform.h"
#include "pe_fixture.h"
#include "support/test_env.h"

using namespace dr;
using drtest::EnvTest;

namespace {

// Steers the birth time, which not every file system keeps.
class BirthTimes : public drtest::ForwardingPlatform {
public:
    bool has = false;
    std::time_t created = 0;
    bool fileStat(const std::string& p, FileStat& out, bool noFollow = false) override {
        if (!real_->fileStat(p, out, noFollow)) return false;
        out.hasCreated = has;
        out.created = created;
        return true;
    }
};

class FilePropTest : public EnvTest {
protected:
    std::string sized(const std::string& name, int64_t size) {
        int fd = ::open(env.path(name).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
        return env.path(name);
    }
    BirthTimes birth;
};

TEST_F(FilePropTest, AFreshObjectShowsTheZeroDate) {
    clsFileProp fp;
    EXPECT_EQ(fp.GetDateCreated(), "1899-12-30 00:00:00");
    EXPECT_EQ(fp.GetDateModified(), "1899-12-30 00:00:00");
    EXPECT_EQ(fp.GetDateAccessed(), "1899-12-30");
}

TEST_F(FilePropTest, TimesInLocalTimeWithTheirTextForms) {
    env.write("note.txt", "hello");
    drtest::setFileTime(env.path("note.txt"), DateTime{2004, 3, 7, 9, 5, 30});
    birth.has = true;
    birth.created = DateTime{2003, 12, 25, 18, 0, 1}.toTimeT(true);
    clsFileProp fp;
    fp.FindFileInfo(env.path("note.txt"));
    EXPECT_EQ(fp.LastWriteTime(), "2004-3-7 at 9:5:30");
    EXPECT_EQ(fp.LastAccessTime(), "2004-3-7 at 9:5:30");
    EXPECT_EQ(fp.CreationTime(), "2003-12-25 at 18:0:1");
    EXPECT_EQ(fp.GetDateModified(), "2004-03-07 09:05:30");
    EXPECT_EQ(fp.GetDateCreated(), "2003-12-25 18:00:01");
    EXPECT_EQ(fp.GetDateAccessed(), "2004-03-07");
    EXPECT_EQ(fp.modified(), (DateTime{2004, 3, 7, 9, 5, 30}));

    EXPECT_EQ(fp.GetAllFileInfo(),
              "File Created on = 25-Dec-2003 (Thu) at 18:00:01  "
              "Last Written on = 07-Mar-2004 (Sun) at 09:05:30  "
              "Last Accessed on= 07-Mar-2004 (Sun)\r\n"
              "OriginalFileName= \r\n"
              "ProductName     = \r\n"
              "FileVersion     = \r\n"
              "Temporary       = False\r\n"
              "IconIndex       = 0\r\n"
              "\r\n"
              "Normal          = True\r\n"
              "Archive         = False\r\n"
              "ReadOnly        = False\r\n"
              "System          = False\r\n"
              "Hidden          = False\r\n"
              "Compress        = False\r\n");

    // Without a birth time the created date is empty.
    birth.has = false;
    fp.FindFileInfo(env.path("note.txt"));
    EXPECT_EQ(fp.GetDateCreated(), "");
    EXPECT_EQ(fp.CreationTime(), "");
    EXPECT_EQ(fp.GetDateModified(), "2004-03-07 09:05:30");
    EXPECT_EQ(fp.GetAllFileInfo().substr(0, 44), "File Created on =  at   Last Written on = 07");
}

TEST_F(FilePropTest, ByteSizeWithGroupingAndSixtyFourBits) {
    struct Case {
        int64_t size;
        const char* want;
    } const cases[] = {
        {0, " bytes"},
        {5, "5 bytes"},
        {1234567, "1,234,567 bytes"},
        {(int64_t(2) << 30) + 1, "2,147,483,649 bytes"},
        {(int64_t(5) << 30) + 3, "5,368,709,123 bytes"},
    };
    clsFileProp fp;
    for (const auto& c : cases) {
        fp.FindFileInfo(sized("f.bin", c.size));
        EXPECT_EQ(fp.ByteSize(), c.want) << c.size;
    }
}

TEST_F(FilePropTest, AttributesAndTypeNames) {
    env.write("photo.jpg", "x");
    env.write(".profile", "x");
    env.write("README", "x");
    env.write("locked.txt", "x");
    ::chmod(env.path("locked.txt").c_str(), 0444);
    env.mkdir("docs");
    struct Case {
        const char* name;
        bool dir, readOnly, hidden, normal;
        const char* type;
    } const cases[] = {
        {"photo.jpg", false, false, false, true, "JPG File"},
        {".profile", false, false, true, false, "File"}, // a dot file has no extension
        {"README", false, false, false, true, "File"},
        {"locked.txt", false, true, false, false, "TXT File"},
        {"docs", true, false, false, false, "File Folder"},
    };
    for (const auto& c : cases) {
        clsFileProp fp;
        fp.FindFileInfo(env.path(c.name), true);
        EXPECT_EQ(fp.Directory(), c.dir) << c.name;
        EXPECT_EQ(fp.ReadOnly(), c.readOnly) << c.name;
        EXPECT_EQ(fp.Hidden(), c.hidden) << c.name;
        EXPECT_EQ(fp.Normal(), c.normal) << c.name;
        EXPECT_EQ(fp.FileType(), c.type) << c.name;
        EXPECT_FALSE(fp.System() || fp.Archive() || fp.Temporary() || fp.Compress()) << c.name;
        EXPECT_EQ(fp.IconIndex(), 0);
    }
    clsFileProp fp;
    fp.FindFileInfo(env.path("photo.jpg"));
    EXPECT_EQ(fp.FileName(), UCase(env.path("photo.jpg")));
    EXPECT_EQ(fileTypeName("/a/b.tar.gz", false), "GZ File");
    EXPECT_EQ(fileTypeName("/a/trailingdot.", false), "File");
}

TEST_F(FilePropTest, AFileThatCannotBeExaminedKeepsThePreviousValues) {
    env.write("a.txt", "abc");
    clsFileProp fp;
    fp.FindFileInfo("");
    EXPECT_TRUE(env.host.boxes.empty());
    fp.FindFileInfo(env.path("a.txt"));
    const std::string before = fp.GetAllFileInfo() + fp.ByteSize() + fp.FileName();
    env.host.expectBox(Answer::OK, "Can't open the file");
    fp.FindFileInfo(env.path("gone.txt"));
    EXPECT_EQ(fp.GetAllFileInfo() + fp.ByteSize() + fp.FileName(), before);
    EXPECT_TRUE(env.host.scriptUsedUp());
}

TEST_F(FilePropTest, VersionTextsOfAnExecutable) {
    drtest::Bytes img = drtest::peImage(drtest::versionBlock({drtest::fullTable()}));
    env.write("app.exe", std::string(img.begin(), img.end()));
    clsFileProp fp;
    fp.FindFileInfo(env.path("app.exe"));
    EXPECT_EQ(fp.CompanyName(), "Acme Ltd");
    EXPECT_EQ(fp.OriginalFileName(), "DIRROLL.EXE");
    EXPECT_EQ(fp.ProductVersion(), "3.4.1");
    EXPECT_NE(fp.GetAllFileInfo().find("FileVersion     = 3.4.0.1\r\n"), std::string::npos);
    // A later file without a version block leaves the texts as they were.
    env.write("plain.txt", "x");
    fp.FindFileInfo(env.path("plain.txt"));
    EXPECT_EQ(fp.ProductName(), "Dirroller");
}

TEST_F(FilePropTest, GetFileOwnerAddsItsLine) {
    env.write("mine.txt", "x");
    ListBox box;
    const std::string me = platform().accountName(::geteuid());
    EXPECT_EQ(GetFileOwner(env.path("mine.txt"), &box), me);
    EXPECT_EQ(GetFileOwner(env.path("gone.txt"), &box), "");
    EXPECT_EQ(box.items, (std::vector<std::string>{"Owner = " + me, "Owner = "}));
    EXPECT_EQ(GetFileOwner(env.path("mine.txt")), me) << "no list is fine";

    if (::geteuid() != 0) GTEST_SKIP() << "giving a file away needs root";
    env.write("orphan.txt", "x");
    ASSERT_EQ(::chown(env.path("orphan.txt").c_str(), 54321, 54321), 0);
    EXPECT_EQ(GetFileOwner(env.path("orphan.txt"), &box), "unknown");
    EXPECT_EQ(box.items.size(), 2u) << "no line for an unknown owner";
}

} // namespace
