// WMF as RTF's \wmetafile carries it:
//   [placeable header, 22 bytes: key 9AC6CDD7, handle u16, bounding box 4 x i16 (left, top,
//    right, bottom), units per inch u16, reserved u32, checksum u16]
//   header, 18 bytes: type u16 (1 or 2), header words u16 (9), version u16, size u32 (words),
//    objects u16, largest record u32 (words), unused u16
//   records: size u32 (words, with these 6 bytes), function u16, parameters (16-bit words,
//    coordinates as i16, most given y before x); function 0 ends the file
#include "core/picture/dib.h"
#include "core/picture/metafile.h"
#include "core/picture/metafile_player.h"
#include "core/picture/metafile_records.h"

#include <algorithm>
#include <memory>

namespace mirelda::picture {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

// The record functions this reader plays, as the WMF format names them (META_*); others are
// skipped.
enum class WmfFunction : std::uint16_t {
    Eof = 0x0000,
    SaveDc = 0x001E,
    CreatePalette = 0x00F7,
    SetBkMode = 0x0102,
    SetMapMode = 0x0103,
    SetPolyFillMode = 0x0106,
    RestoreDc = 0x0127,
    SelectClipRegion = 0x012C,
    SelectObject = 0x012D,
    SetTextAlign = 0x012E,
    DibCreatePatternBrush = 0x0142,
    DeleteObject = 0x01F0,
    CreatePatternBrush = 0x01F9,
    SetBkColor = 0x0201,
    SetTextColor = 0x0209,
    SetWindowOrg = 0x020B,
    SetWindowExt = 0x020C,
    SetViewportOrg = 0x020D,
    SetViewportExt = 0x020E,
    OffsetWindowOrg = 0x020F,
    OffsetViewportOrg = 0x0211,
    LineTo = 0x0213,
    MoveTo = 0x0214,
    CreatePenIndirect = 0x02FA,
    CreateFontIndirect = 0x02FB,
    CreateBrushIndirect = 0x02FC,
    Polygon = 0x0324,
    Polyline = 0x0325,
    ScaleWindowExt = 0x0410,
    ScaleViewportExt = 0x0412,
    ExcludeClipRect = 0x0415,
    IntersectClipRect = 0x0416,
    Ellipse = 0x0418,
    Rectangle = 0x041B,
    TextOut = 0x0521,
    PolyPolygon = 0x0538,
    RoundRect = 0x061C,
    PatBlt = 0x061D,
    CreateRegion = 0x06FF,
    Arc = 0x0817,
    Pie = 0x081A,
    Chord = 0x0830,
    DibBitBlt = 0x0940,
    ExtTextOut = 0x0A32,
    DibStretchBlt = 0x0B41,
    SetDibToDev = 0x0D33,
    StretchDib = 0x0F43,
};

// A rectangle given as bottom, right, top, left from `at`.
Rect Brtl(RecordReader& r, std::size_t at)
{
    return Rect{static_cast<double>(r.I16(at + 6)), static_cast<double>(r.I16(at + 4)),
                static_cast<double>(r.I16(at + 2)), static_cast<double>(r.I16(at))};
}

std::vector<Point> Points(RecordReader& r, std::size_t at, std::size_t count)
{
    return ReadPoints(r, at, count, true);
}

void DrawDib(Player& player, std::span<const std::uint8_t> dib, const Rect& dest, double sx, double sy,
             double sw, double sh, std::uint32_t rop)
{
    DibLayout layout;
    std::optional<std::vector<std::uint8_t>> bmp = BmpFromDib(dib, &layout);
    if (!bmp)
        return;
    DrawBmp(player, std::move(*bmp), layout, dest, sx, sy, sw, sh, rop);
}

void Play(Player& p, WmfFunction function, RecordReader& r)
{
    switch (function) {
    case WmfFunction::SetMapMode:
        p.SetMapMode(r.U16(0));
        break;
    case WmfFunction::SetWindowOrg:
        p.SetWindowOrg(r.I16(2), r.I16(0));
        break;
    case WmfFunction::SetWindowExt:
        p.SetWindowExt(r.I16(2), r.I16(0));
        break;
    case WmfFunction::SetViewportOrg:
        p.SetViewportOrg(r.I16(2), r.I16(0));
        break;
    case WmfFunction::SetViewportExt:
        p.SetViewportExt(r.I16(2), r.I16(0));
        break;
    case WmfFunction::OffsetWindowOrg:
        p.OffsetWindowOrg(r.I16(2), r.I16(0));
        break;
    case WmfFunction::OffsetViewportOrg:
        p.OffsetViewportOrg(r.I16(2), r.I16(0));
        break;
    case WmfFunction::ScaleWindowExt:
        p.ScaleWindowExt(r.I16(6), r.I16(4), r.I16(2), r.I16(0));
        break;
    case WmfFunction::ScaleViewportExt:
        p.ScaleViewportExt(r.I16(6), r.I16(4), r.I16(2), r.I16(0));
        break;
    case WmfFunction::SetBkColor:
        p.SetBkColor(ColorRef(r.U32(0)));
        break;
    case WmfFunction::SetBkMode:
        p.SetBkMode(r.U16(0));
        break;
    case WmfFunction::SetTextColor:
        p.SetTextColor(ColorRef(r.U32(0)));
        break;
    case WmfFunction::SetTextAlign:
        p.SetTextAlign(r.U16(0));
        break;
    case WmfFunction::SetPolyFillMode:
        p.SetPolyFillMode(r.U16(0));
        break;
    case WmfFunction::SaveDc:
        p.SaveDc();
        break;
    case WmfFunction::RestoreDc:
        p.RestoreDc(r.I16(0));
        break;

    case WmfFunction::CreatePenIndirect: // style, width (x, y), colour
        p.CreateObjectAtFreeSlot(PenObject(r.U16(0), r.I16(2), r.U32(6)));
        break;
    case WmfFunction::CreateBrushIndirect: // style, colour, hatch
        p.CreateObjectAtFreeSlot(BrushObject(r.U16(0), r.U32(2), r.U16(6)));
        break;
    case WmfFunction::DibCreatePatternBrush: { // style, colour usage, DIB
        p.CreateObjectAtFreeSlot(
            PatternBrush(r.Size() > 4 ? BmpFromDib(r.Bytes(4, r.Size() - 4)) : std::nullopt));
        break;
    }
    case WmfFunction::CreateFontIndirect: { // height, width, escapement, orientation, weight,
        // italic, underline, strike-out, charset, 4 bytes, face (up to 32 bytes)
        GdiObject o = FontObject(r, r.I16(0), r.I16(4), r.I16(8), 10);
        LogFont& f = o.font;
        if (r.Size() > 18) {
            std::span<const std::uint8_t> face = r.Bytes(18, std::min<std::size_t>(32, r.Size() - 18));
            face =
                face.first(static_cast<std::size_t>(std::find(face.begin(), face.end(), 0) - face.begin()));
            f.face = p.DecodeText(face, f.charset == 2 ? 0 : f.charset);
        }
        p.CreateObjectAtFreeSlot(std::move(o));
        break;
    }
    case WmfFunction::CreatePalette:
    case WmfFunction::CreatePatternBrush: // device-dependent: only its slot is taken
    case WmfFunction::CreateRegion: {
        GdiObject o;
        o.kind = GdiObject::Kind::Other;
        p.CreateObjectAtFreeSlot(std::move(o));
        break;
    }
    case WmfFunction::SelectObject:
        p.SelectObject(r.U16(0));
        break;
    case WmfFunction::DeleteObject:
        p.DeleteObject(r.U16(0));
        break;

    case WmfFunction::MoveTo:
        p.MoveTo(r.I16(2), r.I16(0));
        break;
    case WmfFunction::LineTo:
        p.LineTo(r.I16(2), r.I16(0));
        break;
    case WmfFunction::Rectangle:
        p.Rectangle(Brtl(r, 0));
        break;
    case WmfFunction::RoundRect:
        p.RoundRect(Brtl(r, 4), r.I16(2), r.I16(0));
        break;
    case WmfFunction::Ellipse:
        p.Ellipse(Brtl(r, 0));
        break;
    case WmfFunction::Arc:
    case WmfFunction::Pie:
    case WmfFunction::Chord: {
        const ArcKind kind = function == WmfFunction::Arc   ? ArcKind::Arc
                             : function == WmfFunction::Pie ? ArcKind::Pie
                                                            : ArcKind::Chord;
        if (r.Has(0, 16))
            p.ArcShape(kind, Brtl(r, 8), r.I16(6), r.I16(4), r.I16(2), r.I16(0));
        break;
    }
    case WmfFunction::Polygon:
    case WmfFunction::Polyline: {
        const std::vector<Point> points = Points(r, 2, r.U16(0));
        p.Poly(points, function == WmfFunction::Polygon);
        break;
    }
    case WmfFunction::PolyPolygon: { // polygons, their point counts, all points
        const std::size_t polygons = r.U16(0);
        if (!r.Has(2, polygons * 2))
            break;
        std::vector<std::uint32_t> counts;
        std::size_t total = 0;
        for (std::size_t i = 0; i < polygons; ++i) {
            counts.push_back(r.U16(2 + i * 2));
            total += counts.back();
        }
        const std::vector<Point> points = Points(r, 2 + polygons * 2, total);
        if (points.size() == total)
            p.PolyPolygon(points, counts, true);
        break;
    }
    case WmfFunction::TextOut: { // length, string (even), y, x
        const std::size_t length = r.U16(0);
        const std::size_t padded = (length + 1) / 2 * 2;
        if (!r.Has(2, padded + 4))
            break;
        p.TextOut(r.I16(2 + padded + 2), r.I16(2 + padded), p.Decode(r.Bytes(2, length)), {}, 0, nullptr);
        break;
    }
    case WmfFunction::ExtTextOut: { // y, x, length, options, [rectangle], string (even), [dx]
        const double y = r.I16(0), x = r.I16(2);
        const std::size_t length = static_cast<std::uint16_t>(r.I16(4));
        const std::uint16_t options = r.U16(6);
        std::size_t at = 8;
        Rect rect;
        const bool hasRect = (options & 6) != 0 && r.Has(8, 8) && r.Size() >= 16 + length;
        if (hasRect) {
            rect = Rect{static_cast<double>(r.I16(8)), static_cast<double>(r.I16(10)),
                        static_cast<double>(r.I16(12)), static_cast<double>(r.I16(14))};
            at = 16;
        }
        if (!r.Has(at, length))
            break;
        const std::span<const std::uint8_t> bytes = r.Bytes(at, length);
        std::u16string text = p.Decode(bytes);
        std::vector<double> dx;
        const std::size_t dxAt = at + (length + 1) / 2 * 2;
        if (text.size() == length && r.Has(dxAt, length * 2)) {
            for (std::size_t i = 0; i < length; ++i)
                dx.push_back(r.I16(dxAt + i * 2));
        }
        p.TextOut(x, y, std::move(text), std::move(dx), options, hasRect ? &rect : nullptr);
        break;
    }
    case WmfFunction::IntersectClipRect:
        p.IntersectClipRect(Brtl(r, 0));
        break;
    case WmfFunction::ExcludeClipRect:
        p.ExcludeClipRect(Brtl(r, 0));
        break;
    case WmfFunction::SelectClipRegion:
        p.ClearClip();
        break; // SelectClipRegion: regions are not kept

    case WmfFunction::PatBlt: { // rop, height, width, y, x
        const double h = r.I16(4), w = r.I16(6), y = r.I16(8), x = r.I16(10);
        if (!r.Failed())
            p.PatBlt(Rect{x, y, x + w, y + h}, r.U32(0));
        break;
    }
    case WmfFunction::DibBitBlt: { // rop, ySrc, xSrc, height, width, yDest, xDest, DIB
        if (r.Size() == 14) {
            const double h = r.I16(6), w = r.I16(8), y = r.I16(10), x = r.I16(12);
            p.PatBlt(Rect{x, y, x + w, y + h}, r.U32(0));
            break;
        }
        if (r.Size() <= 16)
            break;
        const double sy = r.I16(4), sx = r.I16(6), h = r.I16(8), w = r.I16(10), y = r.I16(12), x = r.I16(14);
        DrawDib(p, r.Bytes(16, r.Size() - 16), Rect{x, y, x + w, y + h}, sx, sy, w, h, r.U32(0));
        break;
    }
    case WmfFunction::DibStretchBlt: { // rop, srcH, srcW, ySrc, xSrc, destH, destW, yDest, xDest, DIB
        if (r.Size() == 22) {
            const double h = r.I16(14), w = r.I16(16), y = r.I16(18), x = r.I16(20);
            p.PatBlt(Rect{x, y, x + w, y + h}, r.U32(0));
            break;
        }
        if (r.Size() <= 20)
            break;
        const double sh = r.I16(4), sw = r.I16(6), sy = r.I16(8), sx = r.I16(10);
        const double h = r.I16(12), w = r.I16(14), y = r.I16(16), x = r.I16(18);
        DrawDib(p, r.Bytes(20, r.Size() - 20), Rect{x, y, x + w, y + h}, sx, sy, sw, sh, r.U32(0));
        break;
    }
    case WmfFunction::StretchDib: { // rop, usage, srcH, srcW, ySrc, xSrc, destH, destW, yDest, xDest, DIB
        if (r.Size() <= 22)
            break;
        const double sh = r.I16(6), sw = r.I16(8), sy = r.I16(10), sx = r.I16(12);
        const double h = r.I16(14), w = r.I16(16), y = r.I16(18), x = r.I16(20);
        DrawDib(p, r.Bytes(22, r.Size() - 22), Rect{x, y, x + w, y + h}, sx, sy, sw, sh, r.U32(0));
        break;
    }
    case WmfFunction::SetDibToDev: { // usage, scans, first scan, yDib, xDib, h, w, yDest, xDest, DIB
        if (r.Size() <= 18)
            break;
        const double sy = r.I16(6), sx = r.I16(8), h = r.I16(10), w = r.I16(12), y = r.I16(14), x = r.I16(16);
        DrawDib(p, r.Bytes(18, r.Size() - 18), Rect{x, y, x + w, y + h}, sx, sy, w, h, 0x00CC0020);
        break;
    }
    default:
        break;
    }
}

} // namespace

std::optional<Metafile> ReadWmf(std::span<const std::uint8_t> data, std::int32_t mappingMode)
{
    RecordReader whole(data);
    Metafile result;
    std::optional<Rect> frame;
    std::size_t at = 0;
    if (whole.Has(0, 22) && whole.U32(0) == kPlaceableKey) {
        const Rect box{static_cast<double>(whole.I16(6)), static_cast<double>(whole.I16(8)),
                       static_cast<double>(whole.I16(10)), static_cast<double>(whole.I16(12))};
        const double inch = whole.U16(14);
        if (inch > 0) {
            result.naturalWidth = std::abs(box.right - box.left) / inch * 2540.0;
            result.naturalHeight = std::abs(box.bottom - box.top) / inch * 2540.0;
        }
        frame = box;
        at = 22;
    }
    if (!whole.Has(at, 18))
        return std::nullopt;
    const std::uint16_t type = whole.U16(at);
    const std::uint16_t headerWords = whole.U16(at + 2);
    if ((type != 1 && type != 2) || headerWords != 9)
        return std::nullopt;
    const std::uint16_t objects = whole.U16(at + 10);
    at += 18;

    // A picture without a placeable header is framed by its first window: the viewport stays
    // there, so that later window changes move and scale what follows as they do on paper.
    const auto records = [&](auto&& visit) {
        std::size_t pos = at;
        for (std::size_t n = 0; n < kMaxRecords && whole.Has(pos, 6); ++n) {
            const std::uint32_t words = whole.U32(pos);
            const auto function = static_cast<WmfFunction>(whole.U16(pos + 4));
            if (words < 3 || words > (data.size() - pos) / 2 || function == WmfFunction::Eof)
                return;
            RecordReader r(data.subspan(pos + 6, std::size_t{words} * 2 - 6));
            pos += std::size_t{words} * 2;
            if (!visit(function, r))
                return;
        }
    };
    std::optional<Point> windowOrg, windowExt;
    records([&](WmfFunction function, RecordReader& r) {
        if (function == WmfFunction::SetWindowOrg && !windowOrg)
            windowOrg = Point{static_cast<double>(r.I16(2)), static_cast<double>(r.I16(0))};
        if (function == WmfFunction::SetWindowExt && !windowExt)
            windowExt = Point{static_cast<double>(r.I16(2)), static_cast<double>(r.I16(0))};
        return !(windowOrg && windowExt);
    });
    // The fixed mapping modes turn y upwards: what they draw is framed by its own bounds.
    const bool scalable = mappingMode == 1 || mappingMode == 7 || mappingMode == 8;
    if (!scalable)
        frame.reset();
    if (scalable && !frame && windowExt && windowExt->x != 0 && windowExt->y != 0) {
        const Point org = windowOrg.value_or(Point{});
        frame = Rect{org.x, org.y, org.x + windowExt->x, org.y + windowExt->y};
    }

    Player player;
    player.SetObjectCapacity(objects);
    player.SetMapMode(8);
    if (frame) {
        player.SetWindowOrg(frame->left, frame->top);
        player.SetWindowExt(frame->right - frame->left, frame->bottom - frame->top);
        player.SetViewportOrg(frame->left, frame->top);
        player.SetViewportExt(frame->right - frame->left, frame->bottom - frame->top);
    }
    player.SetMapMode(mappingMode);
    player.FixViewport(true);
    records([&](WmfFunction function, RecordReader& r) {
        Play(player, function, r);
        return player.Going();
    });
    std::optional<DisplayList> list = player.Finish(frame);
    if (!list)
        return std::nullopt;
    result.list = std::move(*list);
    return result;
}

} // namespace mirelda::picture
