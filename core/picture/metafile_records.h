// Record helpers shared by the WMF and EMF readers: what the two formats store alike.
#pragma once

#include "core/picture/dib.h"
#include "core/picture/metafile_player.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace mirelda::picture {

// `count` points from `at`: i16 pairs when `small`, else i32 pairs; none when the record is short.
inline std::vector<Point> ReadPoints(RecordReader& r, std::size_t at, std::size_t count, bool small)
{
    std::vector<Point> points;
    const std::size_t size = small ? 4 : 8;
    if (count > r.Size() / size || !r.Has(at, count * size))
        return points;
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (small)
            points.push_back(
                {static_cast<double>(r.I16(at + i * 4)), static_cast<double>(r.I16(at + i * 4 + 2))});
        else
            points.push_back(
                {static_cast<double>(r.I32(at + i * 8)), static_cast<double>(r.I32(at + i * 8 + 4))});
    }
    return points;
}

inline PenStyle PenStyleOf(std::uint32_t style)
{
    switch (style & 0xF) {
    case 1:
        return PenStyle::Dash;
    case 2:
        return PenStyle::Dot;
    case 3:
        return PenStyle::DashDot;
    case 4:
        return PenStyle::DashDotDot;
    case 5:
        return PenStyle::Null;
    default:
        return PenStyle::Solid;
    }
}

inline GdiObject PenObject(std::uint32_t style, double width, std::uint32_t color)
{
    GdiObject o;
    o.kind = GdiObject::Kind::Pen;
    o.pen = LogPen{PenStyleOf(style), width, ColorRef(color)};
    return o;
}

inline GdiObject BrushObject(std::uint32_t style, std::uint32_t color, std::uint32_t hatch)
{
    GdiObject o;
    o.kind = GdiObject::Kind::Brush;
    Brush& b = o.brush;
    b.color = ColorRef(color);
    b.style = style == 1 ? BrushStyle::Null : style == 2 ? BrushStyle::Hatched : BrushStyle::Solid;
    b.hatch = static_cast<Hatch>(std::min<std::uint32_t>(hatch, 5));
    return o;
}

// A font object without its face. Both formats' LOGFONT keep the italic, underline,
// strike-out and charset bytes together, at `flagsAt`.
inline GdiObject FontObject(RecordReader& r, double height, double escapement, std::int32_t weight,
                            std::size_t flagsAt)
{
    GdiObject o;
    o.kind = GdiObject::Kind::Font;
    LogFont& f = o.font;
    f.height = height;
    f.escapement = escapement;
    f.weight = weight;
    f.italic = r.U8(flagsAt) != 0;
    f.underline = r.U8(flagsAt + 1) != 0;
    f.strikeOut = r.U8(flagsAt + 2) != 0;
    f.charset = r.U8(flagsAt + 3);
    return o;
}

// A pattern brush of `bmp`; one whose DIB could not be read paints grey.
inline GdiObject PatternBrush(std::optional<std::vector<std::uint8_t>> bmp)
{
    GdiObject o;
    o.kind = GdiObject::Kind::Brush;
    o.brush.color = Color{128, 128, 128};
    if (bmp) {
        o.brush.style = BrushStyle::Pattern;
        o.brush.pattern = std::make_shared<const std::vector<std::uint8_t>>(std::move(*bmp));
    }
    return o;
}

inline void DrawBmp(Player& p, std::vector<std::uint8_t>&& bmp, const DibLayout& layout, const Rect& dest,
                    double sx, double sy, double sw, double sh, std::uint32_t rop)
{
    p.DrawBitmap(std::make_shared<const std::vector<std::uint8_t>>(std::move(bmp)), layout.width,
                 layout.height, dest, sx, sy, sw, sh, rop);
}

} // namespace mirelda::picture
