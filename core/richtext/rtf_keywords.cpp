#include "core/richtext/rtf_keywords.h"

#include <array>
#include <cstddef>

namespace mirelda::rtf {
namespace {

struct Entry
{
    std::string_view name;
    Kw kw;
};

constexpr Entry kEntries[] = {
#define MIRELDA_RTF_ENTRY(name) {#name, Kw::k_##name},
    MIRELDA_RTF_KEYWORDS(MIRELDA_RTF_ENTRY) MIRELDA_RTF_SKIPPED_DESTINATIONS(MIRELDA_RTF_ENTRY)
#undef MIRELDA_RTF_ENTRY
};

// Open addressing over an FNV-1a hash: the reader looks a word up for nearly every control
// word of the input, so this must cost a few nanoseconds.
constexpr std::size_t kSlots = 2048;
static_assert(std::size(kEntries) * 3 < kSlots);

constexpr std::uint32_t Hash(std::string_view s)
{
    std::uint32_t h = 2166136261u;
    for (char c : s) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return h;
}

struct Table
{
    std::array<std::int16_t, kSlots> slot{}; // index into kEntries + 1; 0 is empty

    constexpr Table()
    {
        for (std::size_t i = 0; i < std::size(kEntries); ++i) {
            std::size_t s = Hash(kEntries[i].name) & (kSlots - 1);
            while (slot[s] != 0)
                s = (s + 1) & (kSlots - 1);
            slot[s] = static_cast<std::int16_t>(i + 1);
        }
    }
};

constexpr Table kTable{};

} // namespace

Kw LookupKeyword(std::string_view letters)
{
    std::size_t s = Hash(letters) & (kSlots - 1);
    while (kTable.slot[s] != 0) {
        const Entry& e = kEntries[kTable.slot[s] - 1];
        if (e.name == letters)
            return e.kw;
        s = (s + 1) & (kSlots - 1);
    }
    return Kw::Unknown;
}

bool IsDestinationWithoutText(std::string_view word)
{
    const Kw kw = LookupKeyword(word);
    return IsSkippedDestination(kw) || kw == Kw::k_fonttbl || kw == Kw::k_colortbl || kw == Kw::k_pict ||
           kw == Kw::k_fldinst || kw == Kw::k_listtext || kw == Kw::k_pn || kw == Kw::k_pntxtb ||
           kw == Kw::k_pntxta;
}

} // namespace mirelda::rtf
