// First 4 bytes: the record's offset; the rest: the .PGD. Whatever the lengths say, the
// strings read never exceed the file.
#include "core/store/help_set.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

std::filesystem::path InputFile(const std::uint8_t* data, std::size_t size)
{
    // A memory-backed folder when there is one: a disk write per input is a hundred times slower.
    static const std::filesystem::path path =
        (std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                   : std::filesystem::temp_directory_path()) /
        ("fuzz-pgd-" + std::to_string(::getpid()) + ".PGD");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    mirelda::ArticleEntry entry;
    entry.number = 1;
    entry.textOffset = static_cast<std::uint32_t>(data[0] | data[1] << 8 | data[2] << 16) |
                       static_cast<std::uint32_t>(data[3]) << 24;
    const auto path = InputFile(data + 4, size - 4);
    auto article = mirelda::ReadArticle(path, entry);
    if (article && article->title.size() + article->text.size() + 8 > size - 4)
        std::abort();
    auto reader = mirelda::ArticleDataReader::Open(path);
    if (!reader)
        std::abort();
    auto title = reader->ReadTitle(entry);
    if (article && (!title || *title != article->title))
        std::abort();
    return 0;
}
