// The input as an EMF: the display list stays within its limits and every index in it is in range.
#include "check_display_list.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    mirelda::fuzz::CheckMetafile(mirelda::picture::ReadEmf(std::span(data, size)));
    return 0;
}
