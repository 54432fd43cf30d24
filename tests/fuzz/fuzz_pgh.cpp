// The input as a .PGH: every record must be found again under its own number.
#include "core/store/help_set.h"

#include <cstdint>
#include <cstdlib>
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
        ("fuzz-pgh-" + std::to_string(::getpid()) + ".PGH");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<mirelda::FileProblem> problems;
    auto index = mirelda::LoadArticleIndex(InputFile(data, size), &problems);
    if (!index)
        std::abort();  // the file exists: only damage reports, never failure
    if (index->size() > size / 16 || (size % 16 != 0) != !problems.empty())
        std::abort();
    index->ForEach([&](const mirelda::ArticleEntry& e) {
        if (index->FindArticle(e.number) != &e)
            std::abort();
    });
    return 0;
}
