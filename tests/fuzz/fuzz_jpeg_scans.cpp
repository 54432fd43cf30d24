// The input as a JPEG whose scans are counted: the count never passes its stop, and a later
// stop never counts fewer.
#include "core/picture/jpeg_scans.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> jpeg(data, size);
    const std::size_t stop = size ? data[size - 1] % 8 : 0;
    const std::size_t few = mirelda::picture::CountJpegScans(jpeg, stop);
    const std::size_t all = mirelda::picture::CountJpegScans(jpeg, SIZE_MAX);
    if (few > stop || all < few || (all < stop && few != all))
        std::abort();
    return 0;
}
