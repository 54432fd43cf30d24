// The help-set compiler's source parsers (articles.txt, contents.txt, the link-field
// stripper) on any bytes. The stripper must only ever remove bytes: what it returns is never
// longer than the input plus the braces it puts back around each link result.
#include "core/authoring/help_compiler.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    mirelda::authoring::Diagnostics diags;
    mirelda::authoring::ParseArticleList(input, "articles.txt", diags);
    for (const auto& c : mirelda::authoring::ParseContents(input, "contents.txt", diags))
        if (c.title.empty() || c.title.size() > 79)
            std::abort();
    if (mirelda::authoring::StripLinkFields(input, "a.rtf", diags).rtf.size() > input.size())
        std::abort();
    for (const auto& d : diags)
        if (d.line > size + 1)
            std::abort();
    return 0;
}
