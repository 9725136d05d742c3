// Times the client's search and summary on a saved list (see bench_client_gen):
//
//   bench_client_search <list.DR> <absent word> <three words> <common word>
//
// Each figure is the best of five runs on a warm page cache.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "client/search.h"
#include "client/summary.h"
#include "common/host.h"
#include "common/runtime.h"

using namespace dr::client;

namespace {

double cpuNow() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The best wall time of `runs` runs, and the processor time of that run.
struct Figure {
    double wall = 1e9, cpu = 0;
};

Figure best(int runs, const std::function<void()>& f) {
    Figure b;
    for (int i = 0; i < runs; ++i) {
        double c0 = cpuNow();
        auto t0 = std::chrono::steady_clock::now();
        f();
        double w = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (w < b.wall) b = Figure{w, cpuNow() - c0};
    }
    return b;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s <list.DR> <absent word> <three words> <common word>\n", argv[0]);
        return 2;
    }
    const std::string list = argv[1], absent = argv[2], three = argv[3], common = argv[4];
    const std::string folder = list.substr(0, list.rfind('/'));
    dr::HeadlessHost host(nullptr, false);
    dr::rt().host = &host;
    dr::rt().programFolder = folder;
    dr::rt().programName = "dr-client";
    const std::string work = folder + "/tmpResults.txt", page = folder + "/results.htm";

    auto show = [](const char* what, const Figure& t, const std::string& note) {
        std::printf("%-46s %7.3f s   cpu %6.3f s   %s\n", what, t.wall, t.cpu, note.c_str());
    };
    std::string buf;
    int64_t n = 0;
    Figure t = best(5, [&] { n = PrefilterToBuffer(absent, list, buf, {}, 100); });
    show(("pre-filter, absent word '" + absent + "'").c_str(), t, std::to_string(n) + " matches");

    t = best(5, [&] {
        std::string w = three;
        n = PrefilterList(w, list, work, {}, 0);
    });
    show("pre-filter, three words, no limit", t, std::to_string(n) + " matches, work file written");

    SearchOutcome o;
    SearchRequest r;
    r.listName = "Bench";
    r.listPath = list;
    r.askQuestions = false;
    r.searchText = three;
    r.maxResults = 0;
    r.onResult = [](const ResultEntry&) {};
    t = best(5, [&] { o = RunSearch(r); });
    show("search, three words, no limit, in memory", t,
         std::to_string(o.count) + " of " + std::to_string(o.count + o.missing) + " candidates exist");

    SearchRequest w = SearchRequest::forWindow();
    w.listName = "Bench";
    w.listPath = list;
    w.askQuestions = false;
    w.searchText = common;
    w.maxResults = 100;
    t = best(5, [&] { o = RunSearch(w); });
    show(("search '" + common + "', limit 100, page written").c_str(), t, std::to_string(o.count) + " results");

    std::vector<std::string> owners = DefaultOwnerCombo();
    bool ok = false;
    t = best(5, [&] { ok = BuildListSummary(list, folder + "/Bench.sum", owners); });
    show("summary of the whole list", t, ok ? "written" : "FAILED");
    return 0;
}
