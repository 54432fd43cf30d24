// The input as RTF, read both ways: the plain text must be the model's text, the model must
// keep its invariants and stay within the input's size, and find must find what is there.
#include "core/richtext/plain_text.h"
#include "core/richtext/rtf_reader.h"
#include "core/richtext/text_find.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view rtf(reinterpret_cast<const char*>(data), size);
    const mirelda::RichDocument doc = mirelda::ReadRtf(rtf);
    if (mirelda::ExtractPlainText(rtf) != doc.text)
        std::abort();
    if (!mirelda::CheckDocument(doc).empty())
        std::abort();
    if (doc.text.size() > size + 1)
        std::abort();

    // A stretch of the text, looked for from the start, is found at or before where it is.
    const std::u16string_view text = doc.text;
    const std::size_t at = size % text.size();
    const std::size_t length = 1 + (size / 7) % 5;
    const std::u16string_view what = text.substr(at, length);
    const auto limit = static_cast<std::int32_t>(at);
    for (const bool matchCase : {false, true}) {
        const std::int32_t found = mirelda::FindText(text, what, 0, matchCase, false);
        if (found < 0 || found > limit)
            std::abort();
        const std::int32_t later = mirelda::FindText(text, what, limit + 1, matchCase, false);
        if (later != -1 && later <= limit)
            std::abort();
        const std::int32_t word = mirelda::FindText(text, what, 0, matchCase, true);
        if (word != -1 && (word < found || (matchCase && text.substr(word, what.size()) != what)))
            std::abort();
    }
    return 0;
}
