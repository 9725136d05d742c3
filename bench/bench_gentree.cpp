// A deterministic folder tree for the automode benchmark: the same seed gives
// the same folders, names, sizes and times on every machine. Files are sparse,
// so a large tree costs inodes, not disk space.
//
//   bench_gentree <root> [folders] [files] [seed]   (defaults 5000, 200000, 1)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

uint64_t next(uint64_t& s) {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return s >> 33;
}

const char* const kWords[] = {"report", "Holiday", "budget", "notes", "IMG", "song", "Draft final", "backup",
                              "index", "main", "readme", "Invoice", "scan", "photo", "track", "data"};
const char* const kExts[] = {".txt", ".doc", ".JPG", ".jpeg", ".mp3", ".c", ".h", ".html", ".pdf", ".xls",
                             ".png", ".gif", ".bmp", ".exe", ".dll", ".cfg", "", ".tar.gz", ".LOG", ".ini"};

bool makeDir(const std::string& p) { return ::mkdir(p.c_str(), 0755) == 0 || errno == EEXIST; }

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <root> [folders] [files] [seed]\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    const long folders = argc > 2 ? std::atol(argv[2]) : 5000;
    const long files = argc > 3 ? std::atol(argv[3]) : 200000;
    uint64_t seed = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 1;
    if (folders < 1 || files < 0 || !makeDir(root)) {
        std::fprintf(stderr, "cannot make %s\n", root.c_str());
        return 1;
    }

    // Folder i hangs below a random earlier folder, at most six levels deep.
    std::vector<std::string> dirs{root};
    std::vector<int> depth{0};
    dirs.reserve(static_cast<size_t>(folders));
    for (long i = 1; i < folders; ++i) {
        size_t parent;
        do parent = next(seed) % dirs.size();
        while (depth[parent] >= 6);
        std::string p = dirs[parent] + "/" + kWords[next(seed) % 16] + " " + std::to_string(i);
        if (!makeDir(p)) {
            std::fprintf(stderr, "cannot make %s\n", p.c_str());
            return 1;
        }
        dirs.push_back(std::move(p));
        depth.push_back(depth[parent] + 1);
    }

    const time_t base = 1262304000; // 2010-01-01
    for (long i = 0; i < files; ++i) {
        const std::string& d = dirs[next(seed) % dirs.size()];
        std::string p = d + "/" + kWords[next(seed) % 16] + "_" + std::to_string(i) + kExts[next(seed) % 20];
        int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            std::fprintf(stderr, "cannot make %s\n", p.c_str());
            return 1;
        }
        off_t size = static_cast<off_t>(next(seed) % 4 == 0 ? 0 : next(seed) % 5000000);
        if (size && ::ftruncate(fd, size) != 0) std::perror("ftruncate");
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = base + static_cast<time_t>(next(seed) % (16LL * 365 * 86400));
        times[0].tv_nsec = times[1].tv_nsec = 0;
        ::futimens(fd, times);
        ::close(fd);
    }
    std::printf("%ld folders, %ld files under %s\n", folders, files, root.c_str());
    return 0;
}
