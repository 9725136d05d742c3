// Saved lists from anywhere: the record reader, the pre-filter, the results
// page and the summary page over arbitrary bytes.
//
// Input: byte 0 picks the style and the filters, byte 1 the limit, the bytes
// up to the first NUL after them are the search text, the rest is the list.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client/record.h"
#include "client/results_page.h"
#include "client/search.h"
#include "client/summary.h"
#include "common/host.h"
#include "common/runtime.h"

using namespace dr::client;

namespace {

struct Setup {
    dr::HeadlessHost host{nullptr, false};
    std::string folder;
    std::string list;
    Setup() {
        char tmpl[] = "/tmp/fuzz-client-XXXXXX";
        folder = mkdtemp(tmpl) ? tmpl : "/tmp";
        dr::rt().host = &host;
        dr::rt().programFolder = folder;
        dr::rt().programName = "dr-client";
        list = folder + "/Fuzz.DR";
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup setup;
    if (size < 2) return 0;
    const uint8_t opts = data[0];
    const int64_t limit = data[1] % 8;
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    size_t nul = rest.find('\0');
    std::string search(rest.substr(0, std::min<size_t>(nul, 64)));
    std::string_view body = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);

    if (FILE* f = std::fopen(setup.list.c_str(), "wb")) {
        std::fwrite(body.data(), 1, body.size(), f);
        std::fclose(f);
    }

    // The reader on every line.
    LineReader in(setup.list, 4096);
    std::string_view l;
    int64_t sum = 0;
    while (in.next(l)) {
        Record r(l);
        int64_t v = 0;
        if (ParseSizeText(r.field(kFieldSize), v)) sum += v & 1;
        sum += r.fullPath().size() & 1;
    }

    // Pre-filter and page, in memory.
    std::string lines, label;
    PrefilterToBuffer(search, setup.list, lines, {}, limit, &label);
    RenderParams p;
    p.searchText = search;
    p.description = "d " + search;
    p.progressText = label;
    p.listPath = setup.list;
    p.style = opts % 4;
    p.limit = limit;
    p.showMissing = opts & 4;
    p.owner = opts & 8 ? "EVERYONE" : "[any user]";
    p.typeFilter = opts & 16 ? search : "";
    if (opts & 32) p.from = p.to = dr::DateTime{2026, 1, 1, 0, 0, 0};
    std::string page;
    RenderLines(lines, p, &page);
    for (int style = 0; style < 4; ++style)
        FormatResultEntry(search, search, search, style, search, search, search, opts);
    IsWantedFileType(search, search);
    ClockDifference(search, label);

    // The summary.
    ListSummary s;
    if (SummariseList(setup.list, {"[any user]", search}, s)) page = SummaryPage(s, setup.list);
    return static_cast<int>(sum & 0);
}
