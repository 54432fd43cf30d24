#include "core/richtext/plain_text.h"

#include "core/richtext/rtf_parser.h"

namespace mirelda {

std::u16string ExtractPlainText(std::string_view rtf)
{
    rtf::Parser<false> parser(rtf);
    parser.Run();
    return std::move(parser.Text());
}

std::u16string ExtractPlainTextLines(std::string_view rtf)
{
    std::u16string text = ExtractPlainText(rtf);
    if (!text.empty() && text.back() == u'\r')
        text.pop_back();
    for (char16_t& c : text)
        if (c == u'\r')
            c = u'\n';
    return text;
}

} // namespace mirelda
