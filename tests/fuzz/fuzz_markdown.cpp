// Markdown articles on any bytes: the RTF made of them reads as a sound document, and when no
// error was reported the compiler's link stripper takes it without complaint.
#include "core/authoring/markdown.h"
#include "core/richtext/rtf_reader.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    mirelda::authoring::Diagnostics diags;
    const std::string rtf = mirelda::authoring::MarkdownToRtf(
        {reinterpret_cast<const char*>(data), size}, "a.md",
        [](const std::string& name) { return std::optional<std::string>(name); }, diags);
    if (!mirelda::CheckDocument(mirelda::ReadRtf(rtf)).empty())
        std::abort();
    if (diags.empty() && (mirelda::authoring::StripLinkFields(rtf, "a.md", diags), !diags.empty()))
        std::abort();
    return 0;
}
