// The help-set compiler's source parsers (the UTF-8 check, articles.txt, contents.txt, the
// link-field stripper) on any bytes. The stripper must only ever remove bytes: what it returns is never
// longer than the input plus the braces it puts back around each link result.
#include "core/authoring/help_compiler.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    mirelda::authoring::Diagnostics diags;
    mirelda::authoring::CheckUtf8Lines(input, "a.md", diags);
    for (const auto& a : mirelda::authoring::ParseArticleList(input, "articles.txt", diags))
        if (a.number <= 0 || a.name.empty())
            std::abort();
    // A rejected entry only holds its place in the tree: its depth must still be one the
    // compiler can hang it from.
    int previousDepth = -1;
    for (const auto& c : mirelda::authoring::ParseContents(input, "contents.txt", diags)) {
        if (!c.rejected && (c.title.empty() || c.title.size() > 79 || c.depth > previousDepth + 1))
            std::abort();
        previousDepth = c.depth;
    }
    if (mirelda::authoring::StripLinkFields(input, "a.rtf", diags).rtf.size() > input.size())
        std::abort();
    for (const auto& d : diags)
        if (d.line > size + 1)
            std::abort();
    return 0;
}
