// RTF -> plain text throughput on article-like RTF: a LibreOffice-style header, formatted
// paragraphs with accents, link-looking runs, a hidden run, a small table, a list and a PNG.
//
//   cmake -S . -B build/rtf-bench -G Ninja -DMIRELDA_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//   ninja -C build/rtf-bench bench_rtf_plaintext && build/rtf-bench/bench/bench_rtf_plaintext

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "core/richtext/plain_text.h"
#include "core/richtext/rtf_reader.h"
#include "core/richtext/text_find.h"

namespace {

const char* const kWords[] = {"le",
                              "la",
                              "les",
                              "des",
                              "une",
                              "article",
                              "fen\\'eatre",
                              "aide",
                              "cliquez",
                              "sur",
                              "bouton",
                              "param\\'e8tres",
                              "affichage",
                              "ouvrir",
                              "fichier",
                              "la barre",
                              "d'outils",
                              "s\\'e9lection",
                              "pr\\'e9c\\'e9dent",
                              "signet",
                              "recherche",
                              "annotation",
                              "\\u8217\\'92",
                              "texte",
                              "menu",
                              "\\'e0",
                              "pour",
                              "avec",
                              "sommaire",
                              "lien",
                              "imprimer",
                              "options",
                              "Mirelda",
                              "\\'e9l\\'e9ment"};

std::string Header()
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New Roman;}"
           "{\\f1\\fswiss\\fprq2\\fcharset0 Arial;}{\\f2\\fnil\\fcharset2 Symbol;}}"
           "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red128\\green0\\blue0;}"
           "{\\stylesheet{\\s0\\snext0\\f0\\fs24 Normal;}{\\s1\\sbasedon0\\snext0\\b\\f1\\fs32 Heading 1;}}"
           "{\\*\\generator Mirelda bench;}{\\info{\\title Article}{\\author Bench}}\\viewkind4\r\n";
}

// About `bytes` bytes of article RTF, always the same for the same size.
std::string MakeArticle(std::size_t bytes)
{
    std::mt19937 rng(42);
    const auto word = [&] { return std::string(kWords[rng() % std::size(kWords)]); };
    std::string rtf = Header();
    rtf += "\\pard\\plain\\s1\\sb240\\sa120\\keepn\\b\\f1\\fs32 Titre de l'article\\par\r\n";
    int paragraph = 0;
    while (rtf.size() < bytes) {
        ++paragraph;
        rtf += "\\pard\\plain\\s0\\sa140\\sl276\\slmult1\\qj\\f0\\fs24 ";
        const int sentences = 2 + static_cast<int>(rng() % 4);
        for (int s = 0; s < sentences; ++s) {
            const int words = 6 + static_cast<int>(rng() % 12);
            for (int w = 0; w < words; ++w) {
                switch (rng() % 16) {
                case 0:
                    rtf += "{\\b " + word() + "}";
                    break;
                case 1:
                    rtf += "{\\i " + word() + " " + word() + "}";
                    break;
                case 2:
                    rtf += "\\cf2\\ul " + word() + " " + word() + "\\cf0\\ulnone";
                    break; // a link
                case 3:
                    rtf += "{\\v " + word() + "}";
                    break;
                default:
                    rtf += word();
                    break;
                }
                rtf += ' ';
            }
            rtf += ".\r\n";
        }
        rtf += "\\par\r\n";
        if (paragraph % 7 == 0) {
            rtf += "{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}\\fi-"
                   "360\\li720 " +
                   word() + " " + word() + "\\par\r\n";
        }
        if (paragraph % 11 == 0) {
            rtf += "\\trowd\\cellx3000\\cellx6000\\pard\\intbl " + word() + "\\cell " + word() +
                   "\\cell\\row\\pard\r\n";
        }
        if (paragraph == 5) {
            rtf += "{\\*\\shppict{\\pict\\picwgoal1440\\pichgoal720\\pngblip\r\n";
            for (int line = 0; line < 32; ++line) { // 1 KB of picture
                for (int i = 0; i < 32; ++i)
                    rtf += "0123456789abcdef"[rng() % 16], rtf += "0123456789abcdef"[rng() % 16];
                rtf += "\r\n";
            }
            rtf += "}}{\\nonshppict{\\pict\\wmetafile8 0100090000}}\\par\r\n";
        }
    }
    rtf += "}";
    return rtf;
}

void BM_ExtractPlainText(benchmark::State& state)
{
    const std::string rtf = MakeArticle(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::u16string text = mirelda::ExtractPlainText(rtf);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_ExtractPlainText)->Arg(4 << 10)->Arg(32 << 10)->Arg(256 << 10);

void BM_ReadRtf(benchmark::State& state)
{
    const std::string rtf = MakeArticle(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        mirelda::RichDocument doc = mirelda::ReadRtf(rtf);
        benchmark::DoNotOptimize(doc.text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_ReadRtf)->Arg(32 << 10);

// The search's inner loop: a word that is not there, the worst case.
void BM_FindText(benchmark::State& state)
{
    const std::u16string text = mirelda::ExtractPlainText(MakeArticle(256 << 10));
    const bool matchCase = state.range(0) != 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(mirelda::FindText(text, u"introuvable", 0, matchCase, true));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_FindText)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
