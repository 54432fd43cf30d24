// .NOT and .NO$ files: the input is split into a saved file and a leftover scratch file
// (first byte: where, as a share of the rest). Loading must survive any bytes; saving must
// write every annotation that could be shown, and a second start must show the same texts.
#include "core/notes/annotation_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace {

const std::filesystem::path& Folder()
{
    static const std::filesystem::path folder = [] {
        std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/mirelda-fuzz-not-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return std::filesystem::path(pattern);
    }();
    return folder;
}

void Write(const std::filesystem::path& path, const char* data, std::size_t size)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(data, static_cast<std::streamsize>(size));
}

std::map<std::int32_t, std::string> ShowAll(mirelda::AnnotationStore& store)
{
    std::map<std::int32_t, std::string> shown;
    for (std::int32_t article : store.Articles())
        if (std::string text = store.ShowAnnotation(article); !text.empty())
            shown[article] = text;
    return shown;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t rest = size - 1;
    const std::size_t split = rest * data[0] / 255;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const auto saved = Folder() / "F.NOT";
    const auto scratch = Folder() / "F.NO$";
    Write(saved, bytes, split);
    Write(scratch, bytes + split, rest - split);

    mirelda::AnnotationStore store(saved, scratch);
    store.LoadIndex();
    // A damaged input leaves a copy aside; drop it so copies do not pile up across runs.
    std::error_code ignored;
    std::filesystem::remove(Folder() / "F.NOT.damaged", ignored);
    auto before = ShowAll(store);
    store.ShowAnnotation(1);
    if (!store.StoreAnnotation(1, "fuzz\nnote"))
        __builtin_trap();
    before[1] = "fuzz\r\nnote";
    if (!store.SaveAnnotations())
        __builtin_trap();

    mirelda::AnnotationStore next(saved, scratch);
    auto report = next.LoadIndex();
    if (report.savedDamage || report.recovered != 0 || ShowAll(next) != before)
        __builtin_trap();
    return 0;
}
