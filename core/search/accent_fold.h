#pragma once
// Comparison that ignores accents: each UTF-16 unit stands for its base letter (its canonical
// decomposition without the combining marks: é, ê, È → e, E; ç → c), combining marks written
// on their own count for nothing, and without matchCase the result is upper-cased as the text
// find compares (simple upper-case mapping). Letters that do not decompose stay (œ, æ, ø, ß).

#include <array>
#include <string>
#include <string_view>

namespace mirelda {

std::u16string FoldAccents(std::u16string_view text, bool matchCase);

// The same folding for the Windows-1252 titles, byte for byte: each byte maps to the byte of
// its folded character (É → E, ç → C with case ignored), or stays itself when Windows-1252 has
// no byte for it, so a folded title keeps its length and positions.
const std::array<unsigned char, 256>& FoldedCp1252(bool matchCase);

} // namespace mirelda
