#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>

#include "common/format.h"
#include "common/listrules.h"
#include "common/paths.h"
#include "forwarding_platform.h"
#include "support/test_env.h"

using namespace dr;
using drtest::EnvTest;

namespace {

class PathsTest : public EnvTest {
protected:
    std::string log() const { return env.read("dirroll.log"); }
};

TEST_F(PathsTest, WritableFolderKeepsTheProbeAndGainsASeparator) {
    env.mkdir("data");
    std::string folder = env.path("data");
    EXPECT_TRUE(CheckFolderWritable(folder));
    EXPECT_EQ(folder, env.path("data") + "/");
    EXPECT_EQ(env.read("data/dirroll.tmp"),
              "this is a temp file to check the datapath   \r\n"
              "You can delete it to save space (wow - 100 bytes!)\r\n\r\n");
    // An old probe is replaced, not appended to.
    EXPECT_TRUE(CheckFolderWritable(folder));
    EXPECT_EQ(folder, env.path("data") + "/");
    EXPECT_EQ(env.read("data/dirroll.tmp").size(), 100u);
    EXPECT_TRUE(env.host.boxes.empty());
}

TEST_F(PathsTest, BlankFolderIsRefusedWithoutABox) {
    for (std::string f : {"", "   "}) {
        EXPECT_FALSE(CheckFolderWritable(f));
        EXPECT_EQ(Trim(f), "");
    }
    EXPECT_TRUE(env.host.boxes.empty());
    EXPECT_EQ(log(), "");
}

TEST_F(PathsTest, UnwritableFolderLogsAndShowsTheProblem) {
    env.write("plainfile", "x");
    for (std::string name : {"missing", "plainfile"}) {
        std::string folder = env.path(name);
        env.host.expectBox(Answer::OK, "There was an error writing to the directory '" + folder + "/' ");
        EXPECT_FALSE(CheckFolderWritable(folder));
        const drtest::ShownBox& box = env.host.boxes.back();
        EXPECT_EQ(box.req.title, "Problem writing to Directory");
        EXPECT_EQ(box.req.icon, Icon::Critical);
        EXPECT_EQ(box.req.text,
                  "There was an error writing to the directory '" + folder + "' \r\n"
                  "It may not exist, or you may not have write permissions to it.\r\n"
                  "Another reason could be that the temporary file \r\n(" + folder + "dirroll.tmp)\r\n"
                  " is in use by another application.");
        EXPECT_NE(log().find("There was an error creating the file in the directory '" + folder + "' \r\n"),
                  std::string::npos);
    }
    EXPECT_TRUE(env.host.scriptUsedUp());
}

TEST_F(PathsTest, ProbeNeverWritesThroughALink) {
    env.mkdir("data");
    env.write("victim", "precious");
    // Something puts a directory where the probe goes: it cannot be deleted, so the test fails safely.
    env.mkdir("data/dirroll.tmp");
    std::string folder = env.path("data");
    env.host.expectBox(Answer::OK, "There was an error writing");
    EXPECT_FALSE(CheckFolderWritable(folder));
    // A link in its place is removed, not followed.
    ::rmdir(env.path("data/dirroll.tmp").c_str());
    ASSERT_EQ(::symlink(env.path("victim").c_str(), env.path("data/dirroll.tmp").c_str()), 0);
    EXPECT_TRUE(CheckFolderWritable(folder));
    EXPECT_EQ(env.read("victim"), "precious");
}

class FakeFolders : public drtest::ForwardingPlatform {
public:
    std::map<SpecialFolder, std::string> folders;
    std::set<std::string> unreadable;
    std::map<std::string, std::string> sameAs; // path -> the folder it is mounted from
    bool fileStat(const std::string& p, FileStat& out, bool noFollow = false) override {
        auto it = sameAs.find(p);
        return real_->fileStat(it == sameAs.end() ? p : it->second, out, noFollow);
    }
    std::string specialFolder(SpecialFolder w) override {
        auto it = folders.find(w);
        return it == folders.end() ? std::string() : it->second;
    }
    bool listFolder(const std::string& f, bool withStat, const std::function<bool(const DirEntry&)>& fn) override {
        if (unreadable.count(f)) return false;
        return real_->listFolder(f, withStat, fn);
    }
};

TEST_F(PathsTest, SpecialFoldersComeWithoutTrailingSeparator) {
    FakeFolders fake;
    fake.folders[SpecialFolder::Documents] = "/home/u/Documents/";
    EXPECT_EQ(GetSpecialFolder(csidl::kPersonal), "/home/u/Documents");
    EXPECT_EQ(GetMyDocumentsFolder(), "/home/u/Documents");
    EXPECT_EQ(GetRecentFolder(), "");
    EXPECT_TRUE(env.host.boxes.empty());

    env.host.expectBox(Answer::OK, "The folder does not exist");
    EXPECT_EQ(GetSpecialFolder(csidl::kMyMusic), "");
    env.host.expectBox(Answer::OK, "An invalid folder ID was specified");
    EXPECT_EQ(GetSpecialFolder(12345), "");
    EXPECT_TRUE(env.host.scriptUsedUp());
}

std::vector<std::string> texts(const ListView& lv) {
    std::vector<std::string> r;
    for (const auto& row : lv.rows) r.push_back(row.text);
    return r;
}

TEST_F(PathsTest, ScanFolderTreeAddsFoldersDepthFirstOnce) {
    env.mkdir("root/a/deep");
    env.mkdir("root/b");
    env.write("root/a/file.txt", "x");
    env.write("root/.hid/f", "x");
    const std::string root = env.path("root");

    ListView lv;
    ScanFolderTree(lv, root + "/");
    ASSERT_EQ(lv.rows.size(), 5u);
    EXPECT_EQ(lv.rows[0].text, root);
    // Subfolders come in the file system's order, each with its tree right after it.
    std::vector<std::string> got = texts(lv);
    auto pos = [&](const std::string& p) { return std::find(got.begin(), got.end(), p) - got.begin(); };
    EXPECT_EQ(pos(root + "/a/deep"), pos(root + "/a") + 1);
    EXPECT_LT(pos(root + "/.hid"), 5);
    EXPECT_LT(pos(root + "/b"), 5);
    EXPECT_FALSE(env.host.busy);
    EXPECT_GE(env.host.doEventsCount, 4);

    // Scanning again while the folder is the last row: its first row is not repeated.
    ListView again;
    again.rows.push_back({root, false, {}});
    ScanFolderTree(again, root);
    EXPECT_EQ(again.rows.size(), 5u);

    ListBox box;
    box.items.push_back(root);
    ScanFolderTree(box, root);
    EXPECT_EQ(box.items.size(), 5u);
    // A different last item does not stop the folder from being added.
    ScanFolderTree(box, root + "/b");
    ASSERT_GE(box.items.size(), 5u);
    EXPECT_EQ(box.items.back(), root + "/b");
    size_t n = box.items.size();
    ScanFolderTree(box, root + "/b");
    EXPECT_EQ(box.items.size(), n);
}

TEST_F(PathsTest, ScanFolderTreeSkipsLinksUnreadableAndVanishedFolders) {
    env.mkdir("root/a");
    env.mkdir("root/secret/inner");
    env.mkdir("elsewhere/x");
    const std::string root = env.path("root");
    ASSERT_EQ(::symlink(root.c_str(), env.path("root/a/loop").c_str()), 0); // a link loop
    ASSERT_EQ(::symlink(env.path("elsewhere").c_str(), env.path("root/away").c_str()), 0);
    FakeFolders fake;
    fake.unreadable.insert(root + "/secret");

    ListView lv;
    ScanFolderTree(lv, root);
    EXPECT_EQ(texts(lv), (std::vector<std::string>{root, root + "/a"}));

    // A folder mounted again below itself ends the walk there.
    env.mkdir("root/a/mnt");
    fake.sameAs[root + "/a/mnt"] = root;
    ListView bound;
    ScanFolderTree(bound, root);
    EXPECT_EQ(texts(bound), (std::vector<std::string>{root, root + "/a"}));

    // The folder asked for may be a link itself: it is scanned under the name given.
    env.mkdir("target/sub");
    const std::string viaLink = env.path("rootlink");
    ASSERT_EQ(::symlink(env.path("target").c_str(), viaLink.c_str()), 0);
    ListView linked;
    ScanFolderTree(linked, viaLink);
    EXPECT_EQ(texts(linked), (std::vector<std::string>{viaLink, viaLink + "/sub"}));

    ListView none;
    ScanFolderTree(none, env.path("vanished"));
    ScanFolderTree(none, "");
    EXPECT_TRUE(none.rows.empty());
    EXPECT_TRUE(env.host.boxes.empty());
}

TEST_F(PathsTest, WalkFolderTreeStopsWhenAsked) {
    env.mkdir("r/a/b/c");
    int seen = 0;
    walkFolderTree(env.path("r"), [&](const std::string&) { return ++seen < 2; });
    EXPECT_EQ(seen, 2);
    std::vector<std::string> all;
    walkFolderTree("/", [&](const std::string& p) {
        all.push_back(p);
        return all.size() < 3;
    });
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0], "/");
    EXPECT_EQ(all[1].rfind("/", 0), 0u);
    EXPECT_NE(all[1].substr(0, 2), "//");
}

TEST_F(PathsTest, FileSizeOfRegularFilesOnly) {
    env.write("five", "12345");
    env.write("empty", "");
    env.mkdir("dir");
    ASSERT_EQ(::symlink(env.path("five").c_str(), env.path("link").c_str()), 0);
    EXPECT_EQ(FileSizeOf(env.path("five")), 5u);
    EXPECT_EQ(FileSizeOf(env.path("link")), 5u);
    EXPECT_EQ(FileSizeOf(env.path("empty")), 0u);
    EXPECT_EQ(FileSizeOf(env.path("dir")), 0u);
    EXPECT_EQ(FileSizeOf(env.path("missing")), 0u);
    EXPECT_EQ(FileSizeOf(""), 0u);
    // Past 4 GiB without writing the bytes.
    int fd = ::open(env.path("sparse").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, (int64_t(5) << 30) + 3), 0);
    ::close(fd);
    EXPECT_EQ(FileSizeOf(env.path("sparse")), (uint64_t(5) << 30) + 3);
}

} // namespace
