#include "core/richtext/rtf_reader.h"

#include "core/richtext/rtf_parser.h"

namespace mirelda {

RichDocument ReadRtf(std::string_view rtf)
{
    return ReadRtf(rtf, nullptr);
}

RichDocument ReadRtf(std::string_view rtf, std::vector<std::uint32_t>* positionOffsets)
{
    rtf::Parser<true> parser(rtf, positionOffsets);
    parser.Run();
    return rtf::TakeDocument(parser);
}

} // namespace mirelda
