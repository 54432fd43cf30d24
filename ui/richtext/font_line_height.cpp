#include "ui/richtext/font_line_height.h"

#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace mirelda::ui {

namespace {

// A big-endian 16-bit value of a font table; nothing past its end.
bool Read16(const QByteArray& table, qsizetype offset, int& value, bool isSigned)
{
    if (offset < 0 || offset + 2 > table.size())
        return false;
    const auto word = static_cast<std::uint16_t>((static_cast<unsigned char>(table[offset]) << 8) |
                                                 static_cast<unsigned char>(table[offset + 1]));
    value = isSigned ? static_cast<std::int16_t>(word) : word;
    return true;
}

// The font's line height in font units, as its tables mean it; 0 when they cannot say.
int DesignLineHeight(const QRawFont& raw)
{
    const QByteArray os2 = raw.fontTable("OS/2");
    int selection = 0;
    int ascender = 0;
    int descender = 0;
    int gap = 0;
    // fsSelection bit 7, USE_TYPO_METRICS: the typographic metrics are the ones to use.
    if (Read16(os2, 62, selection, false) && (selection & 0x80) != 0 && Read16(os2, 68, ascender, true) &&
        Read16(os2, 70, descender, true) && Read16(os2, 72, gap, true) && ascender - descender > 0)
        return ascender - descender + std::max(gap, 0);
    const QByteArray hhea = raw.fontTable("hhea");
    if (Read16(hhea, 4, ascender, true) && Read16(hhea, 6, descender, true) && Read16(hhea, 8, gap, true) &&
        ascender - descender > 0)
        return ascender - descender + std::max(gap, 0);
    return 0;
}

} // namespace

FontLineHeight LineHeightOf(const QFont& font)
{
    const QFontMetricsF metrics(font);
    FontLineHeight out;
    // The text layout rounds each line up to a whole pixel.
    out.drawn = std::ceil(metrics.ascent() + metrics.descent() + metrics.leading());
    out.intended = out.drawn;
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid() || raw.unitsPerEm() <= 0)
        return out;
    const int design = DesignLineHeight(raw);
    // Past twice what Qt draws, the tables are not believed.
    const double intended = design * raw.pixelSize() / raw.unitsPerEm();
    if (design > 0 && intended > out.drawn / 2 && intended < out.drawn * 2)
        out.intended = intended;
    return out;
}

} // namespace mirelda::ui
