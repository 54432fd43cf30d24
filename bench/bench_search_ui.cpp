// The search over all articles on a large help set, side by side with
//   - the floor: `grep -c` over the raw .PGD, which only reads the bytes once;
//   - the naive way: each article loaded into a QTextDocument through SetRichText (a scratch
//     text control, as a rich-edit based viewer does it) and searched with QTextDocument::find.
// For a rare word (every article's text searched) and a frequent one (the 1000-result limit
// reached early). A summary with the ratios follows the benchmark table.
//
//   bench_search_ui [benchmark options]            the help set is build/.../bench/data/LARGE,
//                                                  generated there on first use (20 000 articles)
//   MIRELDA_BENCH_HELP_SET=/path/BASE bench_search_ui   another help set
//   bench_search_ui --generate OUT_BASE [articles]  only write the synthetic help set
//
// The naive way over 20 000 articles takes minutes: it is measured over the first
// kNaiveSample articles of the enumeration order and extrapolated linearly to the articles
// the engine visits (all of them for the rare word).

#include "bench/generate_help_set.h"
#include "core/search/search_engine.h"
#include "core/store/cp1252.h"
#include "ui/richtext/set_rich_text.h"

#include <QApplication>
#include <QTextDocument>
#include <QTextEdit>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>

using namespace mirelda::ui;

namespace {

using namespace mirelda;
namespace fs = std::filesystem;

constexpr std::size_t kNaiveSample = 1000;

struct Data
{
    fs::path base;
    ArticleIndex index;
    std::size_t articles = 0;
};
Data* g_data = nullptr;

struct Figure
{
    double wallMs = 0;
    double cpuMs = 0;
    std::string note;
};
std::map<std::string, Figure> g_figures; // "engine/rare", "grep/rare", "naive/rare"...

double ProcessCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double ChildrenCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double Now()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string Word(bool rare)
{
    return EncodeCp1252(Utf8ToUtf16(rare ? bench::kRareWord : bench::kFrequentWord));
}
const char* Name(bool rare)
{
    return rare ? "rare" : "frequent";
}

void Record(const std::string& key, double wall, double cpu, int iterations, std::string note = {})
{
    g_figures[key] = {wall / iterations, cpu / iterations, std::move(note)};
}

void BM_Engine(benchmark::State& state, bool rare)
{
    SearchRequest request{Word(rare), false, false, true, true};
    const fs::path pgd = g_data->base.string() + ".PGD";
    double wall = 0, cpu = 0;
    int n = 0;
    std::size_t hits = 0;
    for (auto _ : state) {
        const double w0 = Now(), c0 = ProcessCpuMs();
        auto found = FindMatchingArticles(g_data->index, pgd, request);
        wall += Now() - w0;
        cpu += ProcessCpuMs() - c0;
        ++n;
        if (!found) {
            state.SkipWithError(found.error().message.c_str());
            return;
        }
        hits = found->size();
    }
    state.counters["results"] = static_cast<double>(hits);
    Record(std::string("engine/") + Name(rare), wall, cpu, n, std::to_string(hits) + " results");
}

// grep reads the raw bytes: the frequent word is written "fen\'eatre" in the RTF.
void BM_Grep(benchmark::State& state, bool rare)
{
    const std::string pattern = rare ? std::string(bench::kRareWord) : std::string("fen\\\\'eatre");
    const std::string command =
        "LC_ALL=C grep -c -F -e \"" + pattern + "\" '" + g_data->base.string() + ".PGD'";
    double wall = 0, cpu = 0;
    int n = 0;
    long lines = 0;
    for (auto _ : state) {
        const double w0 = Now(), c0 = ChildrenCpuMs();
        // Read through a pipe: GNU grep stops at the first match when its output is /dev/null.
        std::FILE* pipe = popen(command.c_str(), "r");
        if (!pipe || std::fscanf(pipe, "%ld", &lines) != 1) {
            if (pipe)
                pclose(pipe);
            state.SkipWithError("grep failed");
            return;
        }
        pclose(pipe);
        wall += Now() - w0;
        cpu += ChildrenCpuMs() - c0;
        ++n;
    }
    state.counters["lines"] = static_cast<double>(lines);
    Record(std::string("grep/") + Name(rare), wall, cpu, n, std::to_string(lines) + " lines");
}

// The same scan as the engine's (enumeration order, titles first, the limit), with each text
// loaded into a text control's QTextDocument and searched there.
void BM_Naive(benchmark::State& state, bool rare)
{
    const std::string word = Word(rare);
    const QString needle = QString::fromStdU16String(DecodeCp1252(word));
    const std::string upperWord = UpperCp1252(word);
    const fs::path pgd = g_data->base.string() + ".PGD";
    double wall = 0, cpu = 0;
    int n = 0;
    std::size_t visited = 0, hits = 0;
    const std::size_t sample = rare ? kNaiveSample : g_data->articles; // the frequent word stops at the limit
    for (auto _ : state) {
        QTextEdit scratch;
        auto data = ArticleDataReader::Open(pgd);
        if (!data) {
            state.SkipWithError("cannot open the .PGD");
            return;
        }
        visited = hits = 0;
        const double w0 = Now(), c0 = ProcessCpuMs();
        g_data->index.ForEach([&](const ArticleEntry& entry) {
            if (visited == sample || hits == kSearchResultLimit)
                return;
            ++visited;
            auto article = data->Read(entry);
            if (!article || IsPopupTitle(article->title))
                return;
            if (UpperCp1252(article->title).find(upperWord) != std::string::npos) {
                ++hits;
                return;
            }
            SetRichText(scratch, article->text);
            if (!scratch.document()->find(needle, 0).isNull())
                ++hits;
        });
        wall += Now() - w0;
        cpu += ProcessCpuMs() - c0;
        ++n;
    }
    state.counters["visited"] = static_cast<double>(visited);
    state.counters["results"] = static_cast<double>(hits);
    // Stopped by the sample size before the limit: extrapolate to what the engine visits.
    double scale = 1;
    std::string note = std::to_string(hits) + " results, " + std::to_string(visited) + " articles visited";
    if (visited == sample && hits < kSearchResultLimit && visited < g_data->articles) {
        scale = static_cast<double>(g_data->articles) / visited;
        note += ", extrapolated x" + std::to_string(scale).substr(0, 5) + " to all articles";
    }
    Record(std::string("naive/") + Name(rare), wall * scale, cpu * scale, n, note);
}

void PrintSummary()
{
    std::printf("\nSummary (milliseconds per search; CPU = this process, or grep's own for grep)\n");
    for (bool rare : {true, false}) {
        const std::string k = Name(rare);
        const Figure e = g_figures["engine/" + k], g = g_figures["grep/" + k], q = g_figures["naive/" + k];
        std::printf("  %-8s engine %8.1f wall %8.1f cpu   [%s]\n", k.c_str(), e.wallMs, e.cpuMs,
                    e.note.c_str());
        std::printf("  %-8s grep   %8.1f wall %8.1f cpu   [%s]\n", "", g.wallMs, g.cpuMs, g.note.c_str());
        std::printf("  %-8s naive  %8.1f wall %8.1f cpu   [%s]\n", "", q.wallMs, q.cpuMs, q.note.c_str());
        if (g.wallMs > 0 && e.wallMs > 0)
            std::printf("  %-8s engine / grep  = %.2f (wall)  %.2f (cpu)\n", "", e.wallMs / g.wallMs,
                        g.cpuMs > 0 ? e.cpuMs / g.cpuMs : 0.0);
        if (e.wallMs > 0)
            std::printf("  %-8s naive / engine = %.1f (wall)  %.1f (cpu)\n", "", q.wallMs / e.wallMs,
                        e.cpuMs > 0 ? q.cpuMs / e.cpuMs : 0.0);
    }
}

int Generate(const fs::path& base, std::uint32_t count)
{
    std::error_code ec;
    fs::create_directories(base.parent_path(), ec);
    auto made = bench::GenerateHelpSet(base, count);
    if (!made) {
        std::fprintf(stderr, "%s: %s\n", made.error().path.c_str(), made.error().message.c_str());
        return 1;
    }
    std::printf("%s: %u articles, %llu bytes of article data\n", base.c_str(), made->articles,
                static_cast<unsigned long long>(made->dataBytes));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::string_view(argv[1]) == "--generate")
        return Generate(argv[2],
                        argc > 3 ? static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 20000);

    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    Data data;
    const char* chosen = std::getenv("MIRELDA_BENCH_HELP_SET");
    data.base = chosen ? fs::path(chosen) : fs::absolute(argv[0]).parent_path() / "data" / "LARGE";
    if (!fs::exists(data.base.string() + ".PGD")) {
        std::printf("Generating %s ...\n", data.base.c_str());
        if (Generate(data.base, 20000) != 0)
            return 1;
    }
    auto index = LoadArticleIndex(data.base.string() + ".PGH");
    if (!index) {
        std::fprintf(stderr, "%s\n", index.error().message.c_str());
        return 1;
    }
    data.index = std::move(*index);
    data.articles = data.index.size();
    g_data = &data;
    std::printf("Help set %s: %zu articles, %llu bytes of .PGD\n", data.base.c_str(), data.articles,
                static_cast<unsigned long long>(fs::file_size(data.base.string() + ".PGD")));

    for (bool rare : {true, false}) {
        const std::string k = Name(rare);
        benchmark::RegisterBenchmark(("engine/" + k).c_str(), BM_Engine, rare)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(rare ? 10 : 20);
        benchmark::RegisterBenchmark(("grep/" + k).c_str(), BM_Grep, rare)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(10);
        benchmark::RegisterBenchmark(("naive/" + k).c_str(), BM_Naive, rare)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintSummary();
    return 0;
}
