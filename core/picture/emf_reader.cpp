// EMF as RTF's \emfblip carries it: records of type u32, size u32 (bytes, a multiple of 4,
// with these 8 bytes), then parameters. The first is the header:
//   8 bounds RECTL (device pixels), 24 frame RECTL (0.01 mm), 40 signature " EMF",
//   44 version, 48 bytes, 52 records, 56 handles u16, 58 reserved, 60 description length,
//   64 description offset, 68 palette entries, 72 reference device SIZEL (pixels),
//   80 reference device SIZEL (millimetres)
// Coordinates are i32 (POINTL, RECTL: left, top, right, bottom), or i16 in the "16" records.
#include "core/picture/dib.h"
#include "core/picture/metafile.h"
#include "core/picture/metafile_player.h"
#include "core/picture/metafile_records.h"

#include <algorithm>
#include <memory>

namespace mirelda::picture {

namespace {

constexpr std::uint32_t kSignature = 0x464D4520;

// The record types this reader plays, as the EMF format names them (EMR_*); others are skipped.
enum class EmfRecord : std::uint32_t {
    Header = 1,
    PolyBezier = 2,
    Polygon = 3,
    Polyline = 4,
    PolyBezierTo = 5,
    PolylineTo = 6,
    PolyPolyline = 7,
    PolyPolygon = 8,
    SetWindowExtEx = 9,
    SetWindowOrgEx = 10,
    SetViewportExtEx = 11,
    SetViewportOrgEx = 12,
    Eof = 14,
    SetMapMode = 17,
    SetBkMode = 18,
    SetPolyFillMode = 19,
    SetTextAlign = 22,
    SetTextColor = 24,
    SetBkColor = 25,
    MoveToEx = 27,
    ExcludeClipRect = 29,
    IntersectClipRect = 30,
    ScaleViewportExtEx = 31,
    ScaleWindowExtEx = 32,
    SaveDc = 33,
    RestoreDc = 34,
    SetWorldTransform = 35,
    ModifyWorldTransform = 36,
    SelectObject = 37,
    CreatePen = 38,
    CreateBrushIndirect = 39,
    DeleteObject = 40,
    Ellipse = 42,
    Rectangle = 43,
    RoundRect = 44,
    Arc = 45,
    Chord = 46,
    Pie = 47,
    LineTo = 54,
    ArcTo = 55,
    SetArcDirection = 57,
    BeginPath = 59,
    EndPath = 60,
    CloseFigure = 61,
    FillPath = 62,
    StrokeAndFillPath = 63,
    StrokePath = 64,
    SelectClipPath = 67,
    AbortPath = 68,
    ExtSelectClipRgn = 75,
    BitBlt = 76,
    StretchBlt = 77,
    SetDiBitsToDevice = 80,
    StretchDiBits = 81,
    ExtCreateFontIndirectW = 82,
    ExtTextOutA = 83,
    ExtTextOutW = 84,
    PolyBezier16 = 85,
    Polygon16 = 86,
    Polyline16 = 87,
    PolyBezierTo16 = 88,
    PolylineTo16 = 89,
    PolyPolyline16 = 90,
    PolyPolygon16 = 91,
    CreateMonoBrush = 93,
    CreateDibPatternBrushPt = 94,
    ExtCreatePen = 95,
};

Rect Rectl(RecordReader& r, std::size_t at)
{
    return Rect{static_cast<double>(r.I32(at)), static_cast<double>(r.I32(at + 4)),
                static_cast<double>(r.I32(at + 8)), static_cast<double>(r.I32(at + 12))};
}

void Xform(RecordReader& r, std::size_t at, double m[6])
{
    for (int i = 0; i < 6; ++i)
        m[i] = r.F32(at + static_cast<std::size_t>(i) * 4);
}

// A DIB given as (offset, size) of its info and of its pixels inside the record; the offsets
// count from the record's start, 8 bytes before the parameters.
std::optional<std::vector<std::uint8_t>> Dib(RecordReader& r, std::uint32_t offInfo, std::uint32_t cbInfo,
                                             std::uint32_t offBits, std::uint32_t cbBits,
                                             DibLayout* layout = nullptr)
{
    if (offInfo < 8 || offBits < 8 || !r.Has(offInfo - 8, cbInfo) || !r.Has(offBits - 8, cbBits))
        return std::nullopt;
    return BmpFromDib(r.Bytes(offInfo - 8, cbInfo), r.Bytes(offBits - 8, cbBits), layout);
}

void DrawDib(Player& p, RecordReader& r, std::uint32_t offInfo, std::uint32_t cbInfo, std::uint32_t offBits,
             std::uint32_t cbBits, const Rect& dest, double sx, double sy, double sw, double sh,
             std::uint32_t rop)
{
    DibLayout layout;
    std::optional<std::vector<std::uint8_t>> bmp = Dib(r, offInfo, cbInfo, offBits, cbBits, &layout);
    if (!bmp) {
        if (cbInfo == 0)
            p.PatBlt(dest, rop);
        return;
    }
    DrawBmp(p, std::move(*bmp), layout, dest, sx, sy, sw, sh, rop);
}

void PolyRecord(Player& p, EmfRecord record, RecordReader& r)
{
    // bounds RECTL, count, points; the 16-bit variants have the same layout with POINTS.
    const bool small = record >= EmfRecord::PolyBezier16;
    const std::vector<Point> points = ReadPoints(r, 20, r.U32(16), small);
    if (points.empty())
        return;
    switch (record) {
    case EmfRecord::PolyBezier:
    case EmfRecord::PolyBezier16:
        p.PolyBezier(points, false);
        break;
    case EmfRecord::Polygon:
    case EmfRecord::Polygon16:
        p.Poly(points, true);
        break;
    case EmfRecord::Polyline:
    case EmfRecord::Polyline16:
        p.Poly(points, false);
        break;
    case EmfRecord::PolyBezierTo:
    case EmfRecord::PolyBezierTo16:
        p.PolyBezier(points, true);
        break;
    case EmfRecord::PolylineTo:
    case EmfRecord::PolylineTo16:
        p.PolylineTo(points);
        break;
    default:
        break;
    }
}

void PolyPolyRecord(Player& p, EmfRecord record, RecordReader& r)
{
    // bounds RECTL, polygons, total points, counts, points
    const bool small = record >= EmfRecord::PolyPolyline16;
    const std::size_t polygons = r.U32(16);
    const std::size_t total = r.U32(20);
    if (polygons > r.Size() / 4 || !r.Has(24, polygons * 4))
        return;
    std::vector<std::uint32_t> counts;
    std::size_t sum = 0;
    for (std::size_t i = 0; i < polygons; ++i) {
        counts.push_back(r.U32(24 + i * 4));
        sum += counts.back();
    }
    if (sum != total)
        return;
    const std::vector<Point> points = ReadPoints(r, 24 + polygons * 4, total, small);
    if (points.size() == total)
        p.PolyPolygon(points, counts, record == EmfRecord::PolyPolygon || record == EmfRecord::PolyPolygon16);
}

void TextRecord(Player& p, bool wide, RecordReader& r)
{
    // bounds, graphics mode, x scale, y scale, then EMRTEXT: reference POINTL, characters,
    // string offset, options, rectangle RECTL, dx offset (offsets from the record's start)
    const double x = r.I32(28), y = r.I32(32);
    const std::size_t chars = r.U32(36);
    const std::uint32_t offString = r.U32(40);
    const std::uint32_t options = r.U32(44);
    Rect rect = Rectl(r, 48);
    const std::uint32_t offDx = r.U32(64);
    // Glyph indices name glyphs of a font this machine may not have: such runs are left out.
    constexpr std::uint32_t kGlyphIndex = 0x10, kPairs = 0x2000;
    if (r.Failed() || offString < 8 || chars > r.Size() || (options & kGlyphIndex))
        return;
    const std::size_t unit = wide ? 2 : 1;
    if (!r.Has(offString - 8, chars * unit))
        return;
    std::u16string text;
    if (wide) {
        text.reserve(chars);
        for (std::size_t i = 0; i < chars; ++i)
            text.push_back(static_cast<char16_t>(r.U16(offString - 8 + i * 2)));
    } else {
        text = p.Decode(r.Bytes(offString - 8, chars));
    }
    std::vector<double> dx;
    // With kPairs the spacing gives (dx, dy) for each character; only dx is kept.
    const std::size_t stride = (options & kPairs) ? 8 : 4;
    if (offDx >= 8 && text.size() == chars && r.Has(offDx - 8, chars * stride)) {
        for (std::size_t i = 0; i < chars; ++i)
            dx.push_back(r.I32(offDx - 8 + i * stride));
    }
    p.TextOut(x, y, std::move(text), std::move(dx), options, &rect);
}

void Play(Player& p, EmfRecord record, RecordReader& r)
{
    switch (record) {
    case EmfRecord::PolyBezier:
    case EmfRecord::Polygon:
    case EmfRecord::Polyline:
    case EmfRecord::PolyBezierTo:
    case EmfRecord::PolylineTo:
    case EmfRecord::PolyBezier16:
    case EmfRecord::Polygon16:
    case EmfRecord::Polyline16:
    case EmfRecord::PolyBezierTo16:
    case EmfRecord::PolylineTo16:
        PolyRecord(p, record, r);
        break;
    case EmfRecord::PolyPolyline:
    case EmfRecord::PolyPolygon:
    case EmfRecord::PolyPolyline16:
    case EmfRecord::PolyPolygon16:
        PolyPolyRecord(p, record, r);
        break;
    case EmfRecord::SetWindowExtEx:
        p.SetWindowExt(r.I32(0), r.I32(4));
        break;
    case EmfRecord::SetWindowOrgEx:
        p.SetWindowOrg(r.I32(0), r.I32(4));
        break;
    case EmfRecord::SetViewportExtEx:
        p.SetViewportExt(r.I32(0), r.I32(4));
        break;
    case EmfRecord::SetViewportOrgEx:
        p.SetViewportOrg(r.I32(0), r.I32(4));
        break;
    case EmfRecord::SetMapMode:
        p.SetMapMode(static_cast<std::int32_t>(r.U32(0)));
        break;
    case EmfRecord::SetBkMode:
        p.SetBkMode(r.U32(0));
        break;
    case EmfRecord::SetPolyFillMode:
        p.SetPolyFillMode(r.U32(0));
        break;
    case EmfRecord::SetTextAlign:
        p.SetTextAlign(r.U32(0));
        break;
    case EmfRecord::SetTextColor:
        p.SetTextColor(ColorRef(r.U32(0)));
        break;
    case EmfRecord::SetBkColor:
        p.SetBkColor(ColorRef(r.U32(0)));
        break;
    case EmfRecord::MoveToEx:
        p.MoveTo(r.I32(0), r.I32(4));
        break;
    case EmfRecord::ExcludeClipRect:
        p.ExcludeClipRect(Rectl(r, 0));
        break;
    case EmfRecord::IntersectClipRect:
        p.IntersectClipRect(Rectl(r, 0));
        break;
    case EmfRecord::ScaleViewportExtEx:
        p.ScaleViewportExt(r.I32(0), r.I32(4), r.I32(8), r.I32(12));
        break;
    case EmfRecord::ScaleWindowExtEx:
        p.ScaleWindowExt(r.I32(0), r.I32(4), r.I32(8), r.I32(12));
        break;
    case EmfRecord::SaveDc:
        p.SaveDc();
        break;
    case EmfRecord::RestoreDc:
        p.RestoreDc(r.I32(0));
        break;
    case EmfRecord::SetWorldTransform: {
        double m[6];
        Xform(r, 0, m);
        if (!r.Failed())
            p.SetWorldTransform(m);
        break;
    }
    case EmfRecord::ModifyWorldTransform: {
        double m[6];
        Xform(r, 0, m);
        if (!r.Failed())
            p.ModifyWorldTransform(m, r.U32(24));
        break;
    }
    case EmfRecord::SelectObject:
        p.SelectObject(r.U32(0));
        break;
    case EmfRecord::CreatePen: { // index, style, width POINTL, colour
        GdiObject o = PenObject(r.U32(4), r.I32(8), r.U32(16));
        if (!r.Failed())
            p.CreateObjectAt(r.U32(0), std::move(o));
        break;
    }
    case EmfRecord::ExtCreatePen: { // index, 4 DIB fields, style, width, brush style, colour, hatch
        GdiObject o = PenObject(r.U32(20), r.U32(24), r.U32(32));
        if (r.U32(28) == 1)
            o.pen.style = PenStyle::Null; // a pen of the null brush
        // A geometric pen keeps its width; a cosmetic one is one pixel whatever it says.
        if ((r.U32(20) & 0x00010000) == 0)
            o.pen.width = 0;
        if (!r.Failed())
            p.CreateObjectAt(r.U32(0), std::move(o));
        break;
    }
    case EmfRecord::CreateBrushIndirect: { // index, style, colour, hatch
        GdiObject o = BrushObject(r.U32(4), r.U32(8), r.U32(12));
        if (!r.Failed())
            p.CreateObjectAt(r.U32(0), std::move(o));
        break;
    }
    case EmfRecord::CreateMonoBrush: // index, usage, info offset/size, bits offset/size
    case EmfRecord::CreateDibPatternBrushPt: {
        p.CreateObjectAt(r.U32(0), PatternBrush(Dib(r, r.U32(8), r.U32(12), r.U32(16), r.U32(20))));
        break;
    }
    case EmfRecord::ExtCreateFontIndirectW: { // index, LOGFONTW (height, width, escapement,
        // orientation, weight i32; italic, underline, strike-out, charset, 4 bytes;
        // face: 32 UTF-16 units)
        GdiObject o = FontObject(r, r.I32(4), r.I32(12), r.I32(20), 24);
        for (std::size_t i = 0; i < 32 && r.Has(32 + i * 2, 2); ++i) {
            const char16_t c = static_cast<char16_t>(r.U16(32 + i * 2));
            if (c == 0)
                break;
            o.font.face.push_back(c);
        }
        if (!r.Failed())
            p.CreateObjectAt(r.U32(0), std::move(o));
        break;
    }
    case EmfRecord::DeleteObject:
        p.DeleteObject(r.U32(0));
        break;
    case EmfRecord::Ellipse:
        p.Ellipse(Rectl(r, 0));
        break;
    case EmfRecord::Rectangle:
        p.Rectangle(Rectl(r, 0));
        break;
    case EmfRecord::RoundRect:
        p.RoundRect(Rectl(r, 0), r.I32(16), r.I32(20));
        break;
    case EmfRecord::Arc:
    case EmfRecord::Chord:
    case EmfRecord::Pie:
    case EmfRecord::ArcTo: {
        const ArcKind kind = record == EmfRecord::Arc     ? ArcKind::Arc
                             : record == EmfRecord::Chord ? ArcKind::Chord
                             : record == EmfRecord::Pie   ? ArcKind::Pie
                                                          : ArcKind::ArcTo;
        if (r.Has(0, 32))
            p.ArcShape(kind, Rectl(r, 0), r.I32(16), r.I32(20), r.I32(24), r.I32(28));
        break;
    }
    case EmfRecord::LineTo:
        p.LineTo(r.I32(0), r.I32(4));
        break;
    case EmfRecord::SetArcDirection:
        p.SetArcDirection(r.U32(0));
        break;
    case EmfRecord::BeginPath:
        p.BeginPath();
        break;
    case EmfRecord::EndPath:
        p.EndPath();
        break;
    case EmfRecord::CloseFigure:
        p.CloseFigure();
        break;
    case EmfRecord::FillPath:
        p.DrawPath(true, false);
        break;
    case EmfRecord::StrokeAndFillPath:
        p.DrawPath(true, true);
        break;
    case EmfRecord::StrokePath:
        p.DrawPath(false, true);
        break;
    case EmfRecord::SelectClipPath:
        p.SelectClipPath(r.U32(0));
        break;
    case EmfRecord::AbortPath:
        p.AbortPath();
        break;
    case EmfRecord::ExtSelectClipRgn: { // data size, mode, RGNDATA (32-byte header, rectangles)
        const std::uint32_t size = r.U32(0);
        const std::uint32_t mode = r.U32(4);
        if (size < 32) {
            if (mode == 5)
                p.ClearClip();
            break;
        }
        const std::size_t count = r.U32(16);
        if (count > 256 || !r.Has(40, count * 16))
            break;
        std::vector<Rect> rects;
        for (std::size_t i = 0; i < count; ++i)
            rects.push_back(Rectl(r, 40 + i * 16));
        p.SelectClipRegion(rects, mode);
        break;
    }
    case EmfRecord::BitBlt:       // bounds, xDest, yDest, cxDest, cyDest, rop, xSrc, ySrc, XFORM,
    case EmfRecord::StretchBlt: { // background, usage, info off/size, bits off/size [, cxSrc, cySrc]
        const double x = r.I32(16), y = r.I32(20), w = r.I32(24), h = r.I32(28);
        const std::uint32_t rop = r.U32(32);
        const double sx = r.I32(36), sy = r.I32(40);
        const std::uint32_t offInfo = r.U32(76), cbInfo = r.U32(80), offBits = r.U32(84), cbBits = r.U32(88);
        double sw = w, sh = h;
        if (record == EmfRecord::StretchBlt) {
            sw = r.I32(92);
            sh = r.I32(96);
        }
        if (!r.Failed())
            DrawDib(p, r, offInfo, cbInfo, offBits, cbBits, Rect{x, y, x + w, y + h}, sx, sy, sw, sh, rop);
        break;
    }
    case EmfRecord::SetDiBitsToDevice: { // bounds, xDest, yDest, xSrc, ySrc, cxSrc, cySrc, info
                                         // off/size, bits off/size, usage, first scan, scans
        const double x = r.I32(16), y = r.I32(20), sx = r.I32(24), sy = r.I32(28), w = r.I32(32),
                     h = r.I32(36);
        const std::uint32_t offInfo = r.U32(40), cbInfo = r.U32(44), offBits = r.U32(48), cbBits = r.U32(52);
        if (!r.Failed() && cbInfo > 0)
            DrawDib(p, r, offInfo, cbInfo, offBits, cbBits, Rect{x, y, x + w, y + h}, sx, sy, w, h,
                    0x00CC0020);
        break;
    }
    case EmfRecord::StretchDiBits: { // bounds, xDest, yDest, xSrc, ySrc, cxSrc, cySrc, info off/size,
                                     // bits off/size, usage, rop, cxDest, cyDest
        const double x = r.I32(16), y = r.I32(20), sx = r.I32(24), sy = r.I32(28), sw = r.I32(32),
                     sh = r.I32(36);
        const std::uint32_t offInfo = r.U32(40), cbInfo = r.U32(44), offBits = r.U32(48), cbBits = r.U32(52);
        const std::uint32_t rop = r.U32(60);
        const double w = r.I32(64), h = r.I32(68);
        if (!r.Failed())
            DrawDib(p, r, offInfo, cbInfo, offBits, cbBits, Rect{x, y, x + w, y + h}, sx, sy, sw, sh, rop);
        break;
    }
    case EmfRecord::ExtTextOutA:
        TextRecord(p, false, r);
        break;
    case EmfRecord::ExtTextOutW:
        TextRecord(p, true, r);
        break;
    default:
        break;
    }
}

} // namespace

std::optional<Metafile> ReadEmf(std::span<const std::uint8_t> data)
{
    RecordReader whole(data);
    if (!whole.Has(0, 88) || static_cast<EmfRecord>(whole.U32(0)) != EmfRecord::Header ||
        whole.U32(40) != kSignature)
        return std::nullopt;
    const std::uint32_t headerSize = whole.U32(4);
    if (headerSize < 88 || headerSize % 4 != 0 || headerSize > data.size())
        return std::nullopt;
    const Rect bounds{static_cast<double>(whole.I32(8)), static_cast<double>(whole.I32(12)),
                      static_cast<double>(whole.I32(16)), static_cast<double>(whole.I32(20))};
    const Rect frameMm{static_cast<double>(whole.I32(24)), static_cast<double>(whole.I32(28)),
                       static_cast<double>(whole.I32(32)), static_cast<double>(whole.I32(36))};
    const double devW = whole.I32(72), devH = whole.I32(76), mmW = whole.I32(80), mmH = whole.I32(84);

    Metafile result;
    Player player;
    player.SetObjectCapacity(whole.U16(56));
    std::optional<Rect> frame;
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0) {
        // The frame, in 0.01 mm, in reference-device pixels.
        const double px = devW / mmW / 100.0, py = devH / mmH / 100.0;
        player.SetDevicePixelsPerMm(devW / mmW, devH / mmH);
        if (frameMm.right > frameMm.left && frameMm.bottom > frameMm.top) {
            frame = Rect{frameMm.left * px, frameMm.top * py, frameMm.right * px, frameMm.bottom * py};
            result.naturalWidth = frameMm.right - frameMm.left;
            result.naturalHeight = frameMm.bottom - frameMm.top;
        }
    }
    if (!frame && bounds.right > bounds.left && bounds.bottom > bounds.top)
        frame = Rect{bounds.left, bounds.top, bounds.right + 1, bounds.bottom + 1};

    std::size_t at = headerSize;
    for (std::size_t n = 0; n < kMaxRecords && player.Going() && whole.Has(at, 8); ++n) {
        const auto record = static_cast<EmfRecord>(whole.U32(at));
        const std::uint32_t size = whole.U32(at + 4);
        if (size < 8 || size % 4 != 0 || size > data.size() - at || record == EmfRecord::Eof)
            break;
        RecordReader r(data.subspan(at + 8, size - 8));
        at += size;
        Play(player, record, r);
    }
    std::optional<DisplayList> list = player.Finish(frame);
    if (!list)
        return std::nullopt;
    result.list = std::move(*list);
    return result;
}

} // namespace mirelda::picture
