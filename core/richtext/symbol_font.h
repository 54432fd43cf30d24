#pragma once
// Text in the symbol fonts of Windows documents (Symbol, Wingdings): a byte of such text stands
// for the symbol the font draws there, and that symbol is what the text holds, so that search,
// copy and plain text see "⊕" where the article shows it. Internal to core/richtext.

#include <cstdint>
#include <string_view>

namespace mirelda::rtf {

enum class SymbolFont : std::uint8_t { None, Symbol, Wingdings };

// The symbol font a font-table name designates ("Symbol", "Wingdings", in any case).
SymbolFont SymbolFontOf(std::u16string_view name);

// The unit the font draws for `byte`, always one UTF-16 unit, so that the numbering stays that
// of the byte. A symbol that Unicode has only beyond the BMP gives its nearest BMP look-alike
// where there is one, else (and for a byte the font leaves empty) the font's own private-use
// code U+F000 + byte. Control bytes (below 0x20) stay themselves.
char16_t SymbolFontUnit(SymbolFont font, unsigned char byte);

} // namespace mirelda::rtf
