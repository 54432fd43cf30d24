// Loading a bookmark file whose names come in reverse list order: the worst case of inserting
// each bookmark at its sorted place, which loading did before it sorted once (measured here as
// BM_AddOneByOneReversed). Compared with the same file in list order.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DMIRELDA_BUILD_BENCH=ON
//   ninja -C build/bench bench_bookmark_load && build/bench/bench/bench_bookmark_load

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/lists/bookmark_store.h"
#include "core/lists/bookmarks.h"
#include "core/lists/list_order.h"

namespace {

std::vector<mirelda::Bookmark> Names(int count, bool reversed)
{
    std::vector<mirelda::Bookmark> out;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Signet %07d", reversed ? count - i : i);
        out.push_back({name, i + 1});
    }
    return out;
}

void LoadBookmarkFile(benchmark::State& state, bool reversed)
{
    const int count = static_cast<int>(state.range(0));
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("mirelda-bench-" + std::to_string(::getpid()) + ".SIG");
    if (!mirelda::SaveBookmarks(path, Names(count, reversed))) {
        state.SkipWithError("cannot write the bookmark file");
        return;
    }
    const mirelda::ListOrder order("fr_FR");
    for (auto _ : state) {
        mirelda::BookmarkStore store(path, order);
        benchmark::DoNotOptimize(store.Load());
        if (store.list().size() != static_cast<std::size_t>(count))
            state.SkipWithError("not every bookmark was loaded");
    }
    std::filesystem::remove(path);
}

void BM_LoadReversed(benchmark::State& state)
{
    LoadBookmarkFile(state, true);
}
void BM_LoadInOrder(benchmark::State& state)
{
    LoadBookmarkFile(state, false);
}

// What loading did before it sorted once: each bookmark inserted at its place, in file order.
void BM_AddOneByOneReversed(benchmark::State& state)
{
    const std::vector<mirelda::Bookmark> bookmarks = Names(static_cast<int>(state.range(0)), true);
    const mirelda::ListOrder order("fr_FR");
    for (auto _ : state) {
        mirelda::BookmarkList list(order);
        for (const mirelda::Bookmark& b : bookmarks)
            list.Add(b);
        benchmark::DoNotOptimize(list.size());
    }
}

BENCHMARK(BM_AddOneByOneReversed)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadReversed)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadInOrder)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
