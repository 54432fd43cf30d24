// title_filter_keystrokes BASE [WORD...]: the cost of the contents bar's title filter on a help
// set. Prints the time to read and fold every title (done in the background in the viewer),
// then, for each word typed one letter at a time (then erased one letter at a time), the
// slowest keystroke (wall clock, and this thread's processor time) and the median one, in
// milliseconds. Without words:
// a one-letter start, title words with and without their accents, and the rare word.

#include "bench/generate_help_set.h"
#include "core/search/title_filter.h"
#include "core/store/cp1252.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// This thread's processor time: on a busy machine the wall clock also counts other programs.
double ThreadMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: title_filter_keystrokes BASE [WORD...]\n", stderr);
        return 2;
    }
    const std::string base = argv[1];
    std::vector<std::string> words(argv + 2, argv + argc);
    if (words.empty())
        words = {"e", "parametre", "ecole liste", std::string(mirelda::bench::kRareWord)};

    const auto loadStart = Clock::now();
    auto index = mirelda::LoadArticleIndex(base + ".PGH");
    if (!index) {
        std::fprintf(stderr, "%s\n", index.error().message.c_str());
        return 1;
    }
    std::printf("index loaded: %zu entries in %.1f ms\n", index->size(), MillisecondsSince(loadStart));
    auto titles = mirelda::LoadTitles(*index, base + ".PGD");
    if (!titles) {
        std::fprintf(stderr, "%s\n", titles.error().message.c_str());
        return 1;
    }
    mirelda::TitleFilter filter(std::move(*titles));
    std::printf("titles read and folded: %zu in %.1f ms\n", filter.size(), MillisecondsSince(loadStart));

    double slowestOverall = 0;
    double slowestCpu = 0;
    for (const std::string& word : words) {
        const std::u16string typed = mirelda::Utf8ToUtf16(word);
        std::vector<double> times;
        std::vector<double> cpuTimes;
        std::size_t lastCount = 0;
        const auto type = [&](std::size_t length) {
            const auto start = Clock::now();
            const double cpuStart = ThreadMilliseconds();
            lastCount = filter.Find(typed.substr(0, length)).size();
            cpuTimes.push_back(ThreadMilliseconds() - cpuStart);
            times.push_back(MillisecondsSince(start));
        };
        for (std::size_t n = 1; n <= typed.size(); ++n)
            type(n);
        const std::size_t found = lastCount;
        for (std::size_t n = typed.size(); n-- > 1;)
            type(n);
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        std::sort(cpuTimes.begin(), cpuTimes.end());
        slowestOverall = std::max(slowestOverall, sorted.back());
        slowestCpu = std::max(slowestCpu, cpuTimes.back());
        std::printf(
            "'%s': %zu keystrokes, slowest %.2f ms (processor %.2f ms), median %.2f ms (%zu titles for "
            "the whole word)\n",
            word.c_str(), times.size(), sorted.back(), cpuTimes.back(), sorted[sorted.size() / 2], found);
    }
    std::printf("slowest keystroke: %.2f ms (processor time %.2f ms)\n", slowestOverall, slowestCpu);
    return 0;
}
