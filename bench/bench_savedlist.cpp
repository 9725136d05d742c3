// Saved lists at scale: generates a deterministic list of N records, then
// times loading it into the file list (with the peak resident memory),
// writing it back, and sorting it by the Filename column.
//
//   bench_savedlist gen <file> [records]    write the list (default 1,000,000)
//   bench_savedlist run <file> <out>        load, save to <out>, sort; prints the figures
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/runtime.h"
#include "dirroll/file_list.h"
#include "dirroll/listing.h"
#include "dirroll/main_model.h"
#include "dirroll/saved_list.h"

using namespace dr::roll;

namespace {

uint64_t next(uint64_t& s) {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return s >> 33;
}

int generate(const char* path, long records) {
    static const char* const words[] = {"report", "budget", "photo", "invoice", "notes", "draft", "scan",
                                        "minutes", "backup", "plan", "summary", "letter", "contract", "song"};
    static const char* const exts[] = {"doc", "xls", "jpg", "pdf", "txt", "mp3", "png", "zip", "html", "c"};
    static const char* const owners[] = {"alice", "bob", "carol", "dave", ""};
    FILE* f = std::fopen(path, "wb");
    if (!f) return 1;
    std::fputs(";DR formatted list of files created by Dirroller - Wed, 9/12/2026 17:14:05\r\n", f);
    uint64_t s = 42;
    char line[512];
    for (long i = 0; i < records; ++i) {
        // 5,000 folders of about 200 files each.
        long folder = i / 200;
        uint64_t size = next(s) % 50000000;
        std::string sz = FormatSize(size, 10);
        int n = std::snprintf(line, sizeof line,
                              "\x1f%s_%06lu_%s.%s\x1f/srv/share/dept%02ld/project%03ld/part%02ld/\x1f%s\x1f%s\x1f"
                              "20%02d-%02d-%02d %02d:%02d\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f%s\x1f\r\n",
                              words[next(s) % 14], static_cast<unsigned long>(next(s) % 1000000),
                              words[next(s) % 14], exts[i % 10], folder % 40, folder / 40 % 125, folder % 7,
                              sz.c_str(), exts[i % 10], static_cast<int>(10 + next(s) % 17),
                              static_cast<int>(1 + next(s) % 12), static_cast<int>(1 + next(s) % 28),
                              static_cast<int>(next(s) % 24), static_cast<int>(next(s) % 60), owners[next(s) % 5]);
        std::fwrite(line, 1, static_cast<size_t>(n), f);
    }
    return std::fclose(f) == 0 ? 0 : 1;
}

double seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

int run(const char* in, const char* out) {
    using clock = std::chrono::steady_clock;
    MainModel m;
    m.unattended = true;
    auto t0 = clock::now();
    double c0 = cpuSeconds();
    LoadResult r = LoadSavedList(m, in);
    auto t1 = clock::now();
    double c1 = cpuSeconds();
    long peak = peakKiB();
    if (r != LoadResult::Loaded) {
        std::fprintf(stderr, "not loaded\n");
        return 1;
    }
    bool saved = SaveListViewToDATFile(m.files, out);
    auto t2 = clock::now();
    double c2 = cpuSeconds();
    m.files.setSortKey(Filename, false);
    m.files.setSorting(true);
    auto t3 = clock::now();
    double c3 = cpuSeconds();
    if (!saved) return 1;
    std::printf("records        %zu\n", m.files.size());
    std::printf("               wall      cpu\n");
    std::printf("load           %.3f s   %.3f s   (goal 0.5 s)\n", seconds(t0, t1), c1 - c0);
    std::printf("peak memory    %.1f MB  (resident, whole process; goal 250 MB)\n", peak / 1024.0);
    std::printf("save           %.3f s   %.3f s   (goal 0.3 s)\n", seconds(t1, t2), c2 - c1);
    std::printf("sort Filename  %.3f s   %.3f s\n", seconds(t2, t3), c3 - c2);
    std::printf("first/last     %s / %s\n", std::string(m.files.field(0, Filename)).c_str(),
                std::string(m.files.field(m.files.size() - 1, Filename)).c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "gen") == 0)
        return generate(argv[2], argc >= 4 ? std::atol(argv[3]) : 1000000);
    if (argc >= 4 && std::strcmp(argv[1], "run") == 0) return run(argv[2], argv[3]);
    std::fprintf(stderr, "usage: %s gen <file> [records] | run <file> <out>\n", argv[0]);
    return 2;
}
