#include "core/richtext/plain_text.h"

#include "core/richtext/rtf_parser.h"

namespace mirelda {

std::u16string ExtractPlainText(std::string_view rtf)
{
    rtf::Parser<false> parser(rtf);
    parser.Run();
    return std::move(parser.Text());
}

} // namespace mirelda
