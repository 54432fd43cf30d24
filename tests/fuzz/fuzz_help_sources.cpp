// The help-set compiler's source parsers (articles.txt, contents.txt, the link-field
// stripper) on any bytes. The stripper must only ever remove bytes: what it returns is never
// longer than the input plus the braces it puts back around each link result.
// The parsers live in mirelda-tool, not in a library: their sources are compiled in here.
#include "core/authoring/link_fields.cpp"
#include "core/authoring/source_files.cpp"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    mirelda::helpc::Diagnostics diags;
    mirelda::helpc::ParseArticleList(input, "articles.txt", diags);
    auto contents = mirelda::helpc::ParseContents(input, "contents.txt", diags);
    for (const auto& c : contents)
        if (c.title.empty() || c.title.size() > 79)
            std::abort();
    auto stripped = mirelda::helpc::StripLinkFields(input, "a.rtf", diags);
    if (stripped.rtf.size() > input.size())
        std::abort();
    for (const auto& d : diags)
        if (d.line > size + 1)
            std::abort();
    return 0;
}
