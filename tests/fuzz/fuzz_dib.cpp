// The input as a DIB and as a device bitmap: a BMP file made from either says its own size
// and points at pixels inside itself.
#include "core/picture/dib.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Check(const std::optional<std::vector<std::uint8_t>>& bmp)
{
    if (!bmp)
        return;
    std::uint32_t size, offset;
    if (bmp->size() < 54)
        std::abort();
    std::memcpy(&size, bmp->data() + 2, 4);
    std::memcpy(&offset, bmp->data() + 10, 4);
    if (size != bmp->size() || offset > size)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    Check(mirelda::picture::BmpFromDib(bytes));
    if (size >= 4) {
        const mirelda::picture::DeviceBitmap format{data[0] + 1, data[1] + 1, data[2], 1 << (data[3] & 7),
                                                    (data[3] & 8) ? 4 : 1};
        Check(mirelda::picture::BmpFromDeviceBitmap(bytes.subspan(4), format));
    }
    return 0;
}
