#include "core/picture/metafile_player.h"

#include "core/picture/metafile.h"
#include "core/store/binary_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>
#include <optional>

namespace mirelda::picture {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr std::size_t kMaxSavedStates = 256;
constexpr std::size_t kMaxClipSteps = 32;
constexpr std::size_t kMaxClips = 10'000;
// Coordinates beyond this are damage; they are clamped so that no painter overflows.
constexpr double kMaxCoordinate = 1e9;

double Clamp(double v)
{
    return std::isfinite(v) ? std::clamp(v, -kMaxCoordinate, kMaxCoordinate) : 0.0;
}

void Multiply(const double a[6], const double b[6], double out[6])
{
    // Row vectors: p * A * B.
    const double r[6] = {a[0] * b[0] + a[1] * b[2],        a[0] * b[1] + a[1] * b[3],
                         a[2] * b[0] + a[3] * b[2],        a[2] * b[1] + a[3] * b[3],
                         a[4] * b[0] + a[5] * b[2] + b[4], a[4] * b[1] + a[5] * b[3] + b[5]};
    std::copy(r, r + 6, out);
}

// Millimetres per logical unit of the fixed mapping modes (2 to 6).
double MillimetresPerUnit(std::int32_t mode)
{
    switch (mode) {
    case 2:
        return 0.1;
    case 3:
        return 0.01;
    case 4:
        return 0.254;
    case 5:
        return 0.0254;
    case 6:
        return 25.4 / 1440.0;
    default:
        return 0;
    }
}

// The region modes (and, or, xor, diff, copy); xor is kept as a union.
std::optional<ClipMode> ClipModeOf(std::uint32_t mode)
{
    switch (mode) {
    case 1:
        return ClipMode::Intersect;
    case 2:
    case 3:
        return ClipMode::Unite;
    case 4:
        return ClipMode::Exclude;
    case 5:
        return ClipMode::Replace;
    default:
        return std::nullopt;
    }
}

} // namespace

// ---- RecordReader ----------------------------------------------------------------------

std::uint8_t RecordReader::U8(std::size_t at)
{
    if (!Has(at, 1)) {
        failed_ = true;
        return 0;
    }
    return b_[at];
}

std::uint16_t RecordReader::U16(std::size_t at)
{
    if (!Has(at, 2)) {
        failed_ = true;
        return 0;
    }
    return static_cast<std::uint16_t>(b_[at] | b_[at + 1] << 8);
}

std::uint32_t RecordReader::U32(std::size_t at)
{
    if (!Has(at, 4)) {
        failed_ = true;
        return 0;
    }
    return LoadU32(b_.data() + at);
}

float RecordReader::F32(std::size_t at)
{
    const float f = std::bit_cast<float>(U32(at));
    return std::isfinite(f) ? f : 0.0f;
}

std::span<const std::uint8_t> RecordReader::Bytes(std::size_t at, std::size_t count)
{
    if (!Has(at, count)) {
        failed_ = true;
        return {};
    }
    return b_.subspan(at, count);
}

Color ColorRef(std::uint32_t v)
{
    return Color{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                 static_cast<std::uint8_t>(v >> 16)};
}

// ---- mapping ---------------------------------------------------------------------------

Player::Player()
{
    dc_.pen.color = Color{0, 0, 0};
}

void Player::SetMapMode(std::int32_t mode)
{
    if (mode < 1 || mode > 8)
        return;
    dc_.mapMode = mode;
}

void Player::SetWindowExt(double x, double y)
{
    if (dc_.mapMode < 7 || x == 0 || y == 0)
        return;
    dc_.winExtX = x;
    dc_.winExtY = y;
}

void Player::SetViewportExt(double x, double y)
{
    if (viewportFixed_ || dc_.mapMode < 7 || x == 0 || y == 0)
        return;
    dc_.vpExtX = x;
    dc_.vpExtY = y;
}

void Player::ScaleWindowExt(double xNum, double xDen, double yNum, double yDen)
{
    if (xDen != 0 && yDen != 0)
        SetWindowExt(dc_.winExtX * xNum / xDen, dc_.winExtY * yNum / yDen);
}

void Player::ScaleViewportExt(double xNum, double xDen, double yNum, double yDen)
{
    if (xDen != 0 && yDen != 0)
        SetViewportExt(dc_.vpExtX * xNum / xDen, dc_.vpExtY * yNum / yDen);
}

void Player::SetWorldTransform(const double m[6])
{
    std::copy(m, m + 6, dc_.xf);
}

void Player::ModifyWorldTransform(const double m[6], std::uint32_t mode)
{
    static constexpr double kIdentity[6] = {1, 0, 0, 1, 0, 0};
    switch (mode) {
    case 1:
        SetWorldTransform(kIdentity);
        break;
    case 2:
        Multiply(m, dc_.xf, dc_.xf);
        break;
    case 3:
        Multiply(dc_.xf, m, dc_.xf);
        break;
    case 4:
        SetWorldTransform(m);
        break;
    default:
        break;
    }
}

Point Player::Map(double x, double y) const
{
    const double* m = dc_.xf;
    const double px = x * m[0] + y * m[2] + m[4];
    const double py = x * m[1] + y * m[3] + m[5];
    double sx = 1, sy = 1;
    if (const double mm = MillimetresPerUnit(dc_.mapMode); mm > 0) {
        sx = pxPerMmX_ > 0 ? mm * pxPerMmX_ : 1;
        sy = -(pxPerMmY_ > 0 ? mm * pxPerMmY_ : 1);
    } else if (dc_.mapMode >= 7) {
        sx = dc_.vpExtX / dc_.winExtX;
        sy = dc_.vpExtY / dc_.winExtY;
        if (dc_.mapMode == 7) {
            // Isotropic: one unit is as long across as down, the smaller of the two scales.
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
    }
    return Point{Clamp((px - dc_.winOrgX) * sx + dc_.vpOrgX), Clamp((py - dc_.winOrgY) * sy + dc_.vpOrgY)};
}

double Player::ScaleX() const
{
    const Point o = Map(0, 0), a = Map(1, 0);
    return std::hypot(a.x - o.x, a.y - o.y);
}

double Player::ScaleY() const
{
    const Point o = Map(0, 0), a = Map(0, 1);
    return std::hypot(a.x - o.x, a.y - o.y);
}

std::u16string Player::DecodeText(std::span<const std::uint8_t> bytes, std::int32_t charset)
{
    int codePage = rtf::CodePageOfCharset(charset);
    codePage = rtf::SupportedCodePage(codePage == 0 ? 1252 : codePage);
    std::u16string out;
    if (rtf::IsMultiByteCodePage(codePage)) {
        codePages_.DecodeMultiByte(
            codePage, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), out);
    } else {
        const rtf::ByteTable& table = codePages_.SingleByte(codePage);
        out.reserve(bytes.size());
        for (const std::uint8_t b : bytes)
            out.push_back(table[b]);
    }
    return out;
}

// ---- state -----------------------------------------------------------------------------

void Player::SaveDc()
{
    if (saved_.size() < kMaxSavedStates)
        saved_.push_back(dc_);
}

void Player::RestoreDc(std::int32_t which)
{
    // Negative: relative to the newest saved state; positive: the n-th saved (1 the oldest).
    std::int64_t index = which < 0 ? static_cast<std::int64_t>(saved_.size()) + which : which - 1;
    if (index < 0 || index >= static_cast<std::int64_t>(saved_.size()))
        return;
    dc_ = saved_[static_cast<std::size_t>(index)];
    saved_.resize(static_cast<std::size_t>(index));
    openLine_ = -1;
}

// ---- objects ---------------------------------------------------------------------------

void Player::CreateObjectAtFreeSlot(GdiObject object)
{
    std::size_t slot;
    if (!freeSlots_.empty()) {
        slot = freeSlots_.top();
        freeSlots_.pop();
    } else if (objects_.size() < capacity_) {
        slot = objects_.size();
        objects_.emplace_back();
    } else {
        return;
    }
    objects_[slot] = std::move(object);
}

void Player::CreateObjectAt(std::uint32_t index, GdiObject object)
{
    if (index >= capacity_)
        return;
    if (index >= objects_.size())
        objects_.resize(index + 1);
    objects_[index] = std::move(object);
}

void Player::SelectObject(std::uint32_t index)
{
    if (index & 0x80000000u) {
        SelectStockObject(index & 0x7FFFFFFFu);
        return;
    }
    if (index >= objects_.size())
        return;
    const GdiObject& o = objects_[index];
    switch (o.kind) {
    case GdiObject::Kind::Pen:
        dc_.pen = o.pen;
        break;
    case GdiObject::Kind::Brush:
        dc_.brush = o.brush;
        break;
    case GdiObject::Kind::Font:
        dc_.font = o.font;
        break;
    default:
        break;
    }
    openLine_ = -1;
}

void Player::SelectStockObject(std::uint32_t stock)
{
    static constexpr std::uint8_t kGrays[] = {255, 192, 128, 64, 0};
    if (stock <= 4) {
        dc_.brush = Brush{BrushStyle::Solid, Color{kGrays[stock], kGrays[stock], kGrays[stock]}, {}, {}};
    } else if (stock == 5) {
        dc_.brush.style = BrushStyle::Null;
    } else if (stock == 6 || stock == 7) {
        const std::uint8_t v = stock == 6 ? 255 : 0;
        dc_.pen = LogPen{PenStyle::Solid, 0, Color{v, v, v}};
    } else if (stock == 8) {
        dc_.pen.style = PenStyle::Null;
    } else if (stock >= 10 && stock <= 17 && stock != 15) {
        dc_.font = LogFont{};
        if (stock == 10 || stock == 11 || stock == 16)
            dc_.font.face = u"Courier New";
    }
    openLine_ = -1;
}

void Player::DeleteObject(std::uint32_t index)
{
    if (index >= objects_.size() || objects_[index].kind == GdiObject::Kind::Empty)
        return;
    objects_[index] = GdiObject{};
    freeSlots_.push(index);
}

// ---- emitting --------------------------------------------------------------------------

bool Player::Spend(std::size_t points)
{
    if (!going_ || out_.items.size() >= kMaxItems || points > kMaxPoints - points_) {
        going_ = false;
        return false;
    }
    points_ += points;
    return true;
}

void Player::Include(Point p)
{
    if (!any_) {
        minX_ = maxX_ = p.x;
        minY_ = maxY_ = p.y;
        any_ = true;
        return;
    }
    minX_ = std::min(minX_, p.x);
    maxX_ = std::max(maxX_, p.x);
    minY_ = std::min(minY_, p.y);
    maxY_ = std::max(maxY_, p.y);
}

Path Player::MapPath(const Path& logical)
{
    Path out;
    out.verbs = logical.verbs;
    out.points.reserve(logical.points.size());
    for (const Point& p : logical.points)
        out.points.push_back(Map(p));
    return out;
}

Pen Player::DevicePen() const
{
    Pen pen;
    pen.style = dc_.pen.style;
    pen.color = dc_.pen.color;
    pen.width = dc_.pen.width <= 0 ? 0 : Clamp(dc_.pen.width * ScaleX());
    return pen;
}

void Player::Emit(Item item)
{
    item.clip = dc_.clip;
    if (item.kind == Item::Kind::Bitmap) {
        Include(item.bitmap.topLeft);
        Include(item.bitmap.topRight);
        Include(item.bitmap.bottomLeft);
    } else if (item.kind == Item::Kind::Text) {
        Include(item.text.anchor);
    }
    for (const Point& p : item.path.points)
        Include(p);
    out_.items.push_back(std::move(item));
    openLine_ = -1;
}

void Player::Shape(Path logical, bool fill, bool stroke)
{
    if (!Spend(logical.points.size()))
        return;
    Path device = MapPath(logical);
    if (pathOpen_) {
        path_.verbs.insert(path_.verbs.end(), device.verbs.begin(), device.verbs.end());
        path_.points.insert(path_.points.end(), device.points.begin(), device.points.end());
        return;
    }
    fill = fill && dc_.brush.style != BrushStyle::Null;
    stroke = stroke && dc_.pen.style != PenStyle::Null;
    if (!fill && !stroke)
        return;
    EmitShape(std::move(device), fill, stroke);
}

void Player::EmitShape(Path device, bool fill, bool stroke)
{
    Item item;
    item.kind = Item::Kind::Shape;
    item.path = std::move(device);
    item.fill = fill;
    item.stroke = stroke;
    item.winding = dc_.winding;
    item.pen = DevicePen();
    item.brush = dc_.brush;
    item.opaqueHatch = dc_.opaque;
    item.background = dc_.bkColor;
    Emit(std::move(item));
}

Path Player::RectPath(const Rect& r) const
{
    Path p;
    p.verbs = {PathVerb::Move, PathVerb::Line, PathVerb::Line, PathVerb::Line, PathVerb::Close};
    p.points = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    return p;
}

// Appends the arc of the ellipse (cx, cy, rx, ry) from parameter t0 over `sweep` radians,
// counter-clockwise as seen when y grows downwards; in Béziers of at most a quarter turn.
void Player::AddArc(Path& path, double cx, double cy, double rx, double ry, double t0, double sweep,
                    bool lineTo) const
{
    const auto at = [&](double t) { return Point{cx + rx * std::cos(t), cy - ry * std::sin(t)}; };
    const auto tangent = [&](double t) { return Point{-rx * std::sin(t), -ry * std::cos(t)}; };
    path.verbs.push_back(lineTo ? PathVerb::Line : PathVerb::Move);
    path.points.push_back(at(t0));
    const int segments = std::clamp(static_cast<int>(std::ceil(std::abs(sweep) / (kPi / 2) - 1e-9)), 1, 4);
    const double step = sweep / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < segments; ++i) {
        const double a = t0 + step * i, b = a + step;
        const Point p0 = at(a), p1 = at(b), d0 = tangent(a), d1 = tangent(b);
        path.verbs.push_back(PathVerb::Cubic);
        path.points.push_back({p0.x + k * d0.x, p0.y + k * d0.y});
        path.points.push_back({p1.x - k * d1.x, p1.y - k * d1.y});
        path.points.push_back(p1);
    }
}

// ---- drawing ---------------------------------------------------------------------------

void Player::MoveTo(double x, double y)
{
    dc_.current = {x, y};
    openLine_ = -1;
}

void Player::LineTo(double x, double y)
{
    const Point from = dc_.current;
    dc_.current = {x, y};
    if (pathOpen_) {
        if (path_.verbs.empty()) {
            path_.verbs.push_back(PathVerb::Move);
            path_.points.push_back(Map(from));
        }
        if (Spend(1)) {
            path_.verbs.push_back(PathVerb::Line);
            path_.points.push_back(Map(x, y));
        }
        return;
    }
    if (dc_.pen.style == PenStyle::Null)
        return;
    // Consecutive lines extend one polyline, so that a drawing of many segments stays one item.
    if (openLine_ >= 0 && static_cast<std::size_t>(openLine_) + 1 == out_.items.size()) {
        if (!Spend(1))
            return;
        Item& item = out_.items.back();
        const Point p = Map(x, y);
        item.path.verbs.push_back(PathVerb::Line);
        item.path.points.push_back(p);
        Include(p);
        return;
    }
    Path p;
    p.verbs = {PathVerb::Move, PathVerb::Line};
    p.points = {from, {x, y}};
    Shape(std::move(p), false, true);
    if (!out_.items.empty() && going_)
        openLine_ = static_cast<std::int32_t>(out_.items.size()) - 1;
}

void Player::Rectangle(const Rect& r)
{
    Shape(RectPath(r), true, true);
}

void Player::RoundRect(const Rect& r, double w, double h)
{
    const double rx = std::min(std::abs(w) / 2, std::abs(r.right - r.left) / 2);
    const double ry = std::min(std::abs(h) / 2, std::abs(r.bottom - r.top) / 2);
    const double l = std::min(r.left, r.right), rt = std::max(r.left, r.right);
    const double t = std::min(r.top, r.bottom), b = std::max(r.top, r.bottom);
    Path p;
    AddArc(p, rt - rx, t + ry, rx, ry, 0, kPi / 2, false);
    AddArc(p, l + rx, t + ry, rx, ry, kPi / 2, kPi / 2, true);
    AddArc(p, l + rx, b - ry, rx, ry, kPi, kPi / 2, true);
    AddArc(p, rt - rx, b - ry, rx, ry, 3 * kPi / 2, kPi / 2, true);
    p.verbs.push_back(PathVerb::Close);
    Shape(std::move(p), true, true);
}

void Player::Ellipse(const Rect& r)
{
    Path p;
    AddArc(p, (r.left + r.right) / 2, (r.top + r.bottom) / 2, std::abs(r.right - r.left) / 2,
           std::abs(r.bottom - r.top) / 2, 0, 2 * kPi, false);
    p.verbs.push_back(PathVerb::Close);
    Shape(std::move(p), true, true);
}

void Player::ArcShape(ArcKind kind, const Rect& box, double xs, double ys, double xe, double ye)
{
    const double cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    const double rx = std::abs(box.right - box.left) / 2, ry = std::abs(box.bottom - box.top) / 2;
    if (rx == 0 || ry == 0)
        return;
    const double t0 = std::atan2(-(ys - cy) / ry, (xs - cx) / rx);
    const double t1 = std::atan2(-(ye - cy) / ry, (xe - cx) / rx);
    double sweep = t1 - t0;
    if (dc_.clockwise) {
        while (sweep >= 0)
            sweep -= 2 * kPi;
    } else {
        while (sweep <= 0)
            sweep += 2 * kPi;
    }
    Path p;
    if (kind == ArcKind::Pie) {
        p.verbs.push_back(PathVerb::Move);
        p.points.push_back({cx, cy});
    }
    const bool lineTo = kind == ArcKind::Pie || kind == ArcKind::ArcTo;
    if (kind == ArcKind::ArcTo) {
        p.verbs.push_back(PathVerb::Move);
        p.points.push_back(dc_.current);
    }
    AddArc(p, cx, cy, rx, ry, t0, sweep, lineTo);
    if (kind == ArcKind::ArcTo)
        dc_.current = p.points.back();
    if (kind == ArcKind::Pie || kind == ArcKind::Chord)
        p.verbs.push_back(PathVerb::Close);
    const bool closed = kind == ArcKind::Pie || kind == ArcKind::Chord;
    Shape(std::move(p), closed, true);
}

void Player::Poly(std::span<const Point> points, bool closed)
{
    if (points.empty())
        return;
    const std::uint32_t count = static_cast<std::uint32_t>(points.size());
    PolyPolygon(points, std::span(&count, 1), closed);
}

void Player::PolyPolygon(std::span<const Point> points, std::span<const std::uint32_t> counts, bool closed)
{
    Path p;
    std::size_t at = 0;
    for (const std::uint32_t n : counts) {
        if (n > points.size() - at)
            break;
        for (std::uint32_t i = 0; i < n; ++i) {
            p.verbs.push_back(i == 0 ? PathVerb::Move : PathVerb::Line);
            p.points.push_back(points[at + i]);
        }
        if (closed && n > 0)
            p.verbs.push_back(PathVerb::Close);
        at += n;
    }
    if (!p.points.empty())
        Shape(std::move(p), closed, true);
}

void Player::PolyBezier(std::span<const Point> points, bool fromCurrent)
{
    Path p;
    std::size_t at = 0;
    p.verbs.push_back(PathVerb::Move);
    if (fromCurrent) {
        p.points.push_back(dc_.current);
    } else {
        if (points.empty())
            return;
        p.points.push_back(points[0]);
        at = 1;
    }
    for (; at + 3 <= points.size(); at += 3) {
        p.verbs.push_back(PathVerb::Cubic);
        p.points.insert(p.points.end(), points.begin() + static_cast<std::ptrdiff_t>(at),
                        points.begin() + static_cast<std::ptrdiff_t>(at + 3));
    }
    dc_.current = p.points.back();
    if (pathOpen_ && fromCurrent && !path_.verbs.empty()) {
        p.verbs.erase(p.verbs.begin());
        p.points.erase(p.points.begin());
    }
    Shape(std::move(p), false, true);
}

void Player::PolylineTo(std::span<const Point> points)
{
    for (const Point& q : points) {
        if (!going_)
            return;
        LineTo(q.x, q.y);
    }
}

void Player::TextOut(double x, double y, std::u16string text, std::vector<double> advances,
                     std::uint32_t options, const Rect* rect)
{
    constexpr std::uint32_t kUpdateCp = 1, kOpaque = 2, kClipped = 4;
    if (!Spend(text.size() + 4))
        return;
    if (dc_.textAlign & kUpdateCp) {
        x = dc_.current.x;
        y = dc_.current.y;
    }
    Item item;
    item.kind = Item::Kind::Text;
    Text& t = item.text;
    t.anchor = Map(x, y);
    const double sx = ScaleX(), sy = ScaleY();
    double em = std::abs(dc_.font.height);
    if (dc_.font.height > 0)
        em *= 0.85; // a cell height holds the internal leading too
    if (em == 0)
        em = 12;
    t.font.height = Clamp(em * sy);
    t.font.face = dc_.font.face;
    t.font.weight = dc_.font.weight;
    t.font.italic = dc_.font.italic;
    t.font.underline = dc_.font.underline;
    t.font.strikeOut = dc_.font.strikeOut;
    t.angle = dc_.font.escapement / 10.0;
    t.color = dc_.textColor;
    t.opaque = dc_.opaque;
    t.background = dc_.bkColor;
    switch (dc_.textAlign & 6) {
    case 2:
        t.alignH = TextAlignH::Right;
        break;
    case 6:
        t.alignH = TextAlignH::Center;
        break;
    default:
        t.alignH = TextAlignH::Left;
        break;
    }
    switch (dc_.textAlign & 24) {
    case 8:
        t.alignV = TextAlignV::Bottom;
        break;
    case 24:
        t.alignV = TextAlignV::Baseline;
        break;
    default:
        t.alignV = TextAlignV::Top;
        break;
    }
    double total = 0;
    if (advances.size() >= text.size()) {
        advances.resize(text.size());
        for (double& a : advances) {
            total += a;
            a = Clamp(a * sx);
        }
        t.advances = std::move(advances);
    }
    t.text = std::move(text);
    if (rect && (options & (kOpaque | kClipped))) {
        item.path = MapPath(RectPath(*rect));
        item.fill = (options & kOpaque) != 0;
        item.background = dc_.bkColor;
        item.clipToPath = (options & kClipped) != 0;
        t.opaque = false; // the rectangle is the background
    }
    if ((dc_.textAlign & kUpdateCp) && total != 0)
        dc_.current.x += total;
    Emit(std::move(item));
}

void Player::DrawBitmap(Bytes file, std::int32_t pixelWidth, std::int32_t pixelHeight, const Rect& dest,
                        double sx, double sy, double sw, double sh, std::uint32_t rop)
{
    if (!file || pixelWidth <= 0 || pixelHeight == 0 || !Spend(3))
        return;
    const double rows = std::abs(static_cast<double>(pixelHeight));
    // A bottom-up DIB counts its source rectangle from the bottom row.
    if (pixelHeight > 0)
        sy = rows - sy - sh;
    const double x0 = std::clamp(std::min(sx, sx + sw), 0.0, static_cast<double>(pixelWidth));
    const double x1 = std::clamp(std::max(sx, sx + sw), 0.0, static_cast<double>(pixelWidth));
    const double y0 = std::clamp(std::min(sy, sy + sh), 0.0, rows);
    const double y1 = std::clamp(std::max(sy, sy + sh), 0.0, rows);
    if (x1 <= x0 || y1 <= y0)
        return;
    Item item;
    item.kind = Item::Kind::Bitmap;
    Bitmap& b = item.bitmap;
    b.file = std::move(file);
    b.topLeft = Map(dest.left, dest.top);
    b.topRight = Map(dest.right, dest.top);
    b.bottomLeft = Map(dest.left, dest.bottom);
    b.sourceX = x0;
    b.sourceY = y0;
    b.sourceWidth = x1 - x0;
    b.sourceHeight = y1 - y0;
    switch (rop) {
    case 0x008800C6:
        b.op = RasterOp::And;
        break;
    case 0x00EE0086:
        b.op = RasterOp::Or;
        break;
    case 0x00660046:
        b.op = RasterOp::Xor;
        break;
    default:
        b.op = RasterOp::Copy;
        break;
    }
    Emit(std::move(item));
}

void Player::PatBlt(const Rect& dest, std::uint32_t rop)
{
    const Brush saved = dc_.brush;
    const LogPen pen = dc_.pen;
    if (rop == 0x00000042)
        dc_.brush = Brush{BrushStyle::Solid, Color{0, 0, 0}, {}, {}};
    else if (rop == 0x00FF0062)
        dc_.brush = Brush{BrushStyle::Solid, Color{255, 255, 255}, {}, {}};
    else if (rop != 0x00F00021)
        return; // other raster operations need the destination's pixels
    dc_.pen.style = PenStyle::Null;
    Shape(RectPath(dest), true, false);
    dc_.brush = saved;
    dc_.pen = pen;
}

// ---- clipping --------------------------------------------------------------------------

void Player::AddClipStep(ClipMode mode, Path devicePath)
{
    const Clip* base = mode != ClipMode::Replace && dc_.clip >= 0
                           ? &out_.clips[static_cast<std::size_t>(dc_.clip)]
                           : nullptr;
    // Each clip keeps a copy of the steps before it: the copies count against the budget too.
    std::size_t points = devicePath.points.size();
    if (base) {
        if (base->steps.size() >= kMaxClipSteps)
            return;
        for (const ClipStep& step : base->steps)
            points += step.area.points.size();
    }
    if (out_.clips.size() >= kMaxClips || !Spend(points))
        return;
    Clip clip = base ? *base : Clip{};
    clip.steps.push_back(ClipStep{mode, std::move(devicePath)});
    out_.clips.push_back(std::move(clip));
    openLine_ = -1;
    dc_.clip = static_cast<std::int32_t>(out_.clips.size()) - 1;
}

void Player::IntersectClipRect(const Rect& r)
{
    AddClipStep(ClipMode::Intersect, MapPath(RectPath(r)));
}

void Player::ExcludeClipRect(const Rect& r)
{
    AddClipStep(ClipMode::Exclude, MapPath(RectPath(r)));
}

void Player::ClearClip()
{
    dc_.clip = -1;
    openLine_ = -1;
}

void Player::SelectClipRegion(std::span<const Rect> deviceRects, std::uint32_t mode)
{
    Path area;
    for (const Rect& r : deviceRects) {
        const Path p = RectPath(r);
        area.verbs.insert(area.verbs.end(), p.verbs.begin(), p.verbs.end());
        area.points.insert(area.points.end(), p.points.begin(), p.points.end());
    }
    if (mode == 5 && deviceRects.empty())
        ClearClip();
    else if (const std::optional<ClipMode> m = ClipModeOf(mode))
        AddClipStep(*m, std::move(area));
}

// ---- paths -----------------------------------------------------------------------------

void Player::BeginPath()
{
    path_ = Path{};
    pathOpen_ = true;
}

void Player::AbortPath()
{
    path_ = Path{};
    pathOpen_ = false;
}

void Player::CloseFigure()
{
    if (pathOpen_ && !path_.verbs.empty())
        path_.verbs.push_back(PathVerb::Close);
}

void Player::DrawPath(bool fill, bool stroke)
{
    pathOpen_ = false;
    if (path_.points.empty())
        return;
    fill = fill && dc_.brush.style != BrushStyle::Null;
    stroke = stroke && dc_.pen.style != PenStyle::Null;
    if ((fill || stroke) && out_.items.size() < kMaxItems) {
        EmitShape(std::move(path_), fill, stroke);
    }
    path_ = Path{};
}

void Player::SelectClipPath(std::uint32_t mode)
{
    pathOpen_ = false;
    Path area = std::move(path_);
    path_ = Path{};
    if (area.points.empty())
        return;
    if (const std::optional<ClipMode> m = ClipModeOf(mode))
        AddClipStep(*m, std::move(area));
}

// ---- result ----------------------------------------------------------------------------

namespace {

// A pen twice as wide as the picture's diagonal already covers the picture from any line that
// crosses it, so a wider one draws nothing more; but a painter strokes and dashes (dashes scale
// with the width) the whole width, which for a few hundred lines of a huge pen takes seconds.
void ClampPensToFrame(DisplayList& list)
{
    const double widest = 2 * std::hypot(list.width, list.height);
    for (Item& item : list.items)
        item.pen.width = std::min(item.pen.width, widest);
}

} // namespace

std::optional<DisplayList> Player::Finish(std::optional<Rect> frame)
{
    if (out_.items.empty())
        return std::nullopt;
    if (frame && std::isfinite(frame->right - frame->left) && std::isfinite(frame->bottom - frame->top) &&
        frame->right != frame->left && frame->bottom != frame->top) {
        out_.left = frame->left;
        out_.top = frame->top;
        out_.width = frame->right - frame->left;
        out_.height = frame->bottom - frame->top;
    } else {
        if (!any_ || maxX_ <= minX_ || maxY_ <= minY_)
            return std::nullopt;
        out_.left = minX_;
        out_.top = minY_;
        out_.width = maxX_ - minX_;
        out_.height = maxY_ - minY_;
    }
    ClampPensToFrame(out_);
    return std::move(out_);
}

} // namespace mirelda::picture
