#include "core/search/accent_fold.h"

#include "core/store/cp1252.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

namespace mirelda {
namespace {

constexpr char16_t kDropped = 0xFFFF; // a noncharacter: no text is the poorer for losing it

bool IsCombiningMark(UChar32 c)
{
    return (U_GET_GC_MASK(c) & (U_GC_MN_MASK | U_GC_ME_MASK)) != 0;
}

// Every unit's folding, in both modes, built once (the search folds every unit of every text).
struct FoldTables
{
    std::array<char16_t, 0x10000> keepCase;
    std::array<char16_t, 0x10000> upper;
    std::array<unsigned char, 256> cp1252KeepCase;
    std::array<unsigned char, 256> cp1252Upper;

    FoldTables()
    {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
        for (UChar32 c = 0; c < 0x10000; ++c) {
            char16_t base = static_cast<char16_t>(c);
            if (U16_IS_SURROGATE(c)) {
                // Kept as they are: a pair is compared unit by unit.
            } else if (IsCombiningMark(c) || c == kDropped) {
                base = kDropped;
            } else if (icu::UnicodeString parts; U_SUCCESS(status) && nfd->getDecomposition(c, parts)) {
                UChar32 only = -1;
                bool single = true;
                for (int32_t i = 0; i < parts.length(); i = parts.moveIndex32(i, 1)) {
                    const UChar32 part = parts.char32At(i);
                    if (IsCombiningMark(part))
                        continue;
                    single = only < 0;
                    only = part;
                }
                if (single && only >= 0 && only <= 0xFFFF)
                    base = static_cast<char16_t>(only);
            }
            keepCase[c] = base;
            const UChar32 up = base == kDropped ? base : u_toupper(base);
            upper[c] = up <= 0xFFFF ? static_cast<char16_t>(up) : base;
        }
        for (int b = 0; b < 256; ++b) {
            const char16_t unit = Cp1252ToUnicode(static_cast<unsigned char>(b));
            const auto toByte = [&](char16_t folded, unsigned char fallback) {
                const int byte = folded == kDropped ? -1 : Cp1252ByteOf(folded);
                return byte < 0 ? fallback : static_cast<unsigned char>(byte);
            };
            cp1252KeepCase[b] = toByte(keepCase[unit], static_cast<unsigned char>(b));
            cp1252Upper[b] =
                toByte(upper[unit], static_cast<unsigned char>(UpperCp1252(static_cast<char>(b))));
        }
    }
};

const FoldTables& Tables()
{
    static const auto tables = std::make_unique<const FoldTables>();
    return *tables;
}

} // namespace

std::u16string FoldAccents(std::u16string_view text, bool matchCase)
{
    const auto& table = matchCase ? Tables().keepCase : Tables().upper;
    std::u16string folded;
    folded.reserve(text.size());
    for (const char16_t c : text) {
        const char16_t f = table[c];
        if (f != kDropped)
            folded.push_back(f);
    }
    return folded;
}

const std::array<unsigned char, 256>& FoldedCp1252(bool matchCase)
{
    return matchCase ? Tables().cp1252KeepCase : Tables().cp1252Upper;
}

} // namespace mirelda
