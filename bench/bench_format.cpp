// Per-row formatting cost: every listed file gets a size and a time text, and
// a client search formats every match. Usage: bench_format [benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "common/format.h"
#include "common/text.h"

namespace {

void BM_SizeText(benchmark::State& s) {
    int64_t v = 1;
    for (auto _ : s) {
        std::string t = dr::formatNumber(v, "###,###,###,###");
        dr::PadLeft(t, 10);
        benchmark::DoNotOptimize(t);
        v = v * 7 + 13;
        if (v > (int64_t(1) << 40)) v = 1;
    }
}
BENCHMARK(BM_SizeText);

void BM_ModifiedText(benchmark::State& s) {
    dr::DateTime t{2024, 1, 1, 0, 0, 0};
    int64_t i = 0;
    for (auto _ : s) {
        std::string x = dr::formatDate(t.addSeconds(i), "yyyy-mm-dd hh:mm");
        benchmark::DoNotOptimize(x);
        i += 4001;
    }
}
BENCHMARK(BM_ModifiedText);

void BM_RateText(benchmark::State& s) {
    double v = 1.5;
    for (auto _ : s) {
        std::string x = dr::formatNumber(v, "#,##0.#####");
        benchmark::DoNotOptimize(x);
        v *= 1.0001;
    }
}
BENCHMARK(BM_RateText);

void BM_ValOfSizeField(benchmark::State& s) {
    const std::string field = "      1,234";
    for (auto _ : s) benchmark::DoNotOptimize(dr::Val(field));
}
BENCHMARK(BM_ValOfSizeField);

void BM_CaseInsensitiveFind(benchmark::State& s) {
    const std::string line =
        "/home/user/Pictures/2019/Holiday/IMG_2041.JPG\x1fIMG_2041.JPG\x1f/home/user/Pictures/2019/Holiday/\x1f";
    for (auto _ : s) benchmark::DoNotOptimize(dr::ifind(line, "holiday"));
}
BENCHMARK(BM_CaseInsensitiveFind);

} // namespace

BENCHMARK_MAIN();
