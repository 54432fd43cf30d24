// The title filter on any titles and any typed text: typing the text one unit at a time
// gives, at each step, what a fresh filter gives, and every entry at most once. Input: lines
// of Windows-1252 titles; the last line is the typed text (UTF-8).

#include "core/search/title_filter.h"
#include "core/store/cp1252.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<mirelda::TitleRecord> titles;
    std::size_t from = 0;
    std::int32_t number = 0;
    for (std::size_t newline = input.find('\n'); newline != std::string_view::npos;
         newline = input.find('\n', from)) {
        titles.push_back({++number, std::string(input.substr(from, newline - from))});
        from = newline + 1;
    }
    const std::u16string typed = mirelda::Utf8ToUtf16(input.substr(from));
    mirelda::TitleFilter typing(titles);
    for (std::size_t length = 1; length <= typed.size(); ++length) {
        const std::u16string_view text(typed.data(), length);
        const std::vector<std::uint32_t> found = typing.Find(text);
        mirelda::TitleFilter fresh(titles);
        if (found != fresh.Find(text))
            std::abort();
        if (std::set<std::uint32_t>(found.begin(), found.end()).size() != found.size())
            std::abort();
        for (const std::uint32_t entry : found)
            if (entry >= typing.size())
                std::abort();
    }
    return 0;
}
