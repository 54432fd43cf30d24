#pragma once
// The device-context state machine shared by the WMF and EMF readers: mapping, object table,
// saved states, clipping, and the turning of logical shapes into display-list items.
// Internal to core/picture.

#include <cstdint>
#include <optional>
#include <queue>
#include <span>
#include <string>
#include <vector>

#include "core/picture/display_list.h"
#include "core/richtext/code_page.h"

namespace mirelda::picture {

struct Rect
{
    double left = 0, top = 0, right = 0, bottom = 0;
};

// Bounds-checked little-endian reading of one record; a read past its end gives 0 and marks
// the reader failed.
class RecordReader
{
  public:
    explicit RecordReader(std::span<const std::uint8_t> bytes) : b_(bytes) {}
    std::uint8_t U8(std::size_t at);
    std::uint16_t U16(std::size_t at);
    std::int16_t I16(std::size_t at) { return static_cast<std::int16_t>(U16(at)); }
    std::uint32_t U32(std::size_t at);
    std::int32_t I32(std::size_t at) { return static_cast<std::int32_t>(U32(at)); }
    float F32(std::size_t at);
    // `count` bytes from `at`, or an empty span (and failed) when they do not fit.
    std::span<const std::uint8_t> Bytes(std::size_t at, std::size_t count);
    bool Has(std::size_t at, std::size_t count) const { return at <= b_.size() && count <= b_.size() - at; }
    std::size_t Size() const { return b_.size(); }
    bool Failed() const { return failed_; }

  private:
    std::span<const std::uint8_t> b_;
    bool failed_ = false;
};

enum class ArcKind : std::uint8_t { Arc, Chord, Pie, ArcTo };

struct LogPen
{
    PenStyle style = PenStyle::Solid;
    double width = 0; // logical units
    Color color;
};

struct LogFont
{
    std::u16string face;
    double height = 0; // logical; negative: em height, positive: cell height
    double escapement = 0;
    std::int32_t weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    std::int32_t charset = 0;
};

struct GdiObject
{
    enum class Kind : std::uint8_t { Empty, Pen, Brush, Font, Other } kind = Kind::Empty;
    LogPen pen;
    Brush brush;
    LogFont font;
};

class Player
{
  public:
    Player();

    // ---- state --------------------------------------------------------------------------
    void SetMapMode(std::int32_t mode);
    void SetWindowOrg(double x, double y) { dc_.winOrgX = x, dc_.winOrgY = y; }
    void SetWindowExt(double x, double y);
    void SetViewportOrg(double x, double y)
    {
        if (!viewportFixed_)
            dc_.vpOrgX = x, dc_.vpOrgY = y;
    }
    void SetViewportExt(double x, double y);
    void ScaleWindowExt(double xNum, double xDen, double yNum, double yDen);
    void ScaleViewportExt(double xNum, double xDen, double yNum, double yDen);
    void OffsetWindowOrg(double dx, double dy) { dc_.winOrgX += dx, dc_.winOrgY += dy; }
    void OffsetViewportOrg(double dx, double dy) { SetViewportOrg(dc_.vpOrgX + dx, dc_.vpOrgY + dy); }
    // World transform (EMF): x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
    void SetWorldTransform(const double m[6]);
    void ModifyWorldTransform(const double m[6], std::uint32_t mode);

    void SetBkMode(std::uint32_t mode) { dc_.opaque = mode == 2; }
    void SetBkColor(Color c) { dc_.bkColor = c; }
    void SetTextColor(Color c) { dc_.textColor = c; }
    void SetTextAlign(std::uint32_t align) { dc_.textAlign = align; }
    void SetPolyFillMode(std::uint32_t mode) { dc_.winding = mode == 2; }
    void SetArcDirection(std::uint32_t dir) { dc_.clockwise = dir == 2; }
    void SaveDc();
    void RestoreDc(std::int32_t which);

    // Units a fixed mapping mode converts to device pixels with (EMF reference device).
    void SetDevicePixelsPerMm(double x, double y) { pxPerMmX_ = x, pxPerMmY_ = y; }
    // WMF players keep the viewport where the picture's frame is and ignore the file's own.
    void FixViewport(bool fixed) { viewportFixed_ = fixed; }

    // ---- objects ------------------------------------------------------------------------
    // WMF objects take the lowest free slot; EMF names its slot.
    void CreateObjectAtFreeSlot(GdiObject object);
    void CreateObjectAt(std::uint32_t index, GdiObject object);
    // Indexes with the high bit set name stock objects.
    void SelectObject(std::uint32_t index);
    void DeleteObject(std::uint32_t index);
    void SetObjectCapacity(std::size_t n) { capacity_ = std::min<std::size_t>(n, 65536); }

    // ---- drawing (logical coordinates) ---------------------------------------------------
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Rectangle(const Rect& r);
    void RoundRect(const Rect& r, double w, double h);
    void Ellipse(const Rect& r);
    void ArcShape(ArcKind kind, const Rect& box, double xs, double ys, double xe, double ye);
    void Poly(std::span<const Point> points, bool closed);
    void PolyPolygon(std::span<const Point> points, std::span<const std::uint32_t> counts, bool closed);
    void PolyBezier(std::span<const Point> points, bool fromCurrent);
    void PolylineTo(std::span<const Point> points);
    void TextOut(double x, double y, std::u16string text, std::vector<double> advances, std::uint32_t options,
                 const Rect* rect);
    // A bitmap (BMP file) of `pixelHeight` rows (negative: top-down) stretched over
    // [x, x + w] x [y, y + h]; the source rectangle is in the DIB's own coordinates.
    void DrawBitmap(Bytes file, std::int32_t pixelWidth, std::int32_t pixelHeight, const Rect& dest,
                    double sx, double sy, double sw, double sh, std::uint32_t rop);
    // A blit without a source: fills with the brush, black or white according to `rop`.
    void PatBlt(const Rect& dest, std::uint32_t rop);
    // The decoding of 8-bit text in the current font's character set.
    std::u16string Decode(std::span<const std::uint8_t> bytes) { return DecodeText(bytes, dc_.font.charset); }
    std::u16string DecodeText(std::span<const std::uint8_t> bytes, std::int32_t charset);

    // ---- clipping -----------------------------------------------------------------------
    void IntersectClipRect(const Rect& r);
    void ExcludeClipRect(const Rect& r);
    void ClearClip();
    // Rectangles in device units combined with the clip: 1 and, 2 or, 3 xor, 4 diff, 5 copy.
    void SelectClipRegion(std::span<const Rect> deviceRects, std::uint32_t mode);

    // ---- paths (EMF) --------------------------------------------------------------------
    void BeginPath();
    void EndPath() { pathOpen_ = false; }
    void AbortPath();
    void CloseFigure();
    void DrawPath(bool fill, bool stroke);
    void SelectClipPath(std::uint32_t mode);

    // ---- result -------------------------------------------------------------------------
    // False once a limit is reached: the caller stops.
    bool Going() const { return going_; }
    // The frame: the given rectangle in device units, else the bounds of what was drawn.
    std::optional<DisplayList> Finish(std::optional<Rect> frame);

  private:
    struct Dc
    {
        std::int32_t mapMode = 1;
        double winOrgX = 0, winOrgY = 0, winExtX = 1, winExtY = 1;
        double vpOrgX = 0, vpOrgY = 0, vpExtX = 1, vpExtY = 1;
        double xf[6] = {1, 0, 0, 1, 0, 0};
        LogPen pen;
        Brush brush;
        LogFont font;
        Color textColor{0, 0, 0};
        Color bkColor{255, 255, 255};
        bool opaque = true;
        bool winding = false;
        bool clockwise = false;
        std::uint32_t textAlign = 0;
        Point current;
        std::int32_t clip = -1;
    };

    void SelectStockObject(std::uint32_t stock);
    Point Map(double x, double y) const;
    Point Map(Point p) const { return Map(p.x, p.y); }
    double ScaleX() const;
    double ScaleY() const;
    Path MapPath(const Path& logical);
    void Emit(Item item);
    void Shape(Path logical, bool fill, bool stroke);
    // A shape item of `device` drawn with the current pen and brush.
    void EmitShape(Path device, bool fill, bool stroke);
    Path RectPath(const Rect& r) const;
    void AddArc(Path& path, double cx, double cy, double rx, double ry, double t0, double sweep,
                bool lineTo) const;
    void AddClipStep(ClipMode mode, Path devicePath);
    Pen DevicePen() const;
    bool Spend(std::size_t points);
    void Include(Point p);

    DisplayList out_;
    Dc dc_;
    std::vector<Dc> saved_;
    std::vector<GdiObject> objects_;
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> freeSlots_;
    std::size_t capacity_ = 65536;
    double pxPerMmX_ = 0, pxPerMmY_ = 0;
    bool viewportFixed_ = false;
    bool pathOpen_ = false;
    Path path_; // the open path, in device units
    std::size_t points_ = 0;
    bool going_ = true;
    std::int32_t openLine_ = -1; // the item a following LineTo may extend
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
    bool any_ = false;
    rtf::CodePageCache codePages_;
};

Color ColorRef(std::uint32_t value);

} // namespace mirelda::picture
