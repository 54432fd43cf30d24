// generate_help_set OUT_BASE [articles]: writes the large synthetic help set that the search
// benchmark reads (OUT_BASE.PGH, .PGD, .PGL, .FIC), 20 000 articles unless told otherwise.

#include "bench/generate_help_set.h"

#include <charconv>
#include <cstdio>
#include <string_view>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fputs("usage: generate_help_set OUT_BASE [articles]\n", stderr);
        return 2;
    }
    std::uint32_t count = 20000;
    if (argc == 3) {
        const std::string_view text = argv[2];
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
        if (ec != std::errc() || end != text.data() + text.size() || count == 0 || count > 10'000'000) {
            std::fputs("generate_help_set: the article count must be a number from 1 to 10000000\n", stderr);
            return 2;
        }
    }
    const auto result = mirelda::bench::GenerateHelpSet(argv[1], count);
    if (!result) {
        std::fprintf(stderr, "generate_help_set: %s: %s\n", result.error().path.c_str(),
                     result.error().message.c_str());
        return 1;
    }
    std::printf("%u articles (%u pop-ups), %llu bytes of article data; '%s' in %u articles, '%s' in %u\n",
                result->articles, result->popups, static_cast<unsigned long long>(result->dataBytes),
                std::string(mirelda::bench::kRareWord).c_str(), result->rareArticles,
                std::string(mirelda::bench::kFrequentWord).c_str(), result->frequentArticles);
    return 0;
}
