#include "ui/richtext/picture_painter.h"

#include "core/picture/jpeg_scans.h"

#include <QBrush>
#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace mirelda::ui {

namespace {

using namespace picture;

// Text is laid out at this pixel size and scaled to its own: the same glyph shapes and
// advances on every device.
constexpr double kReferencePixels = 256.0;

QColor ToQColor(Color c)
{
    return QColor(c.red, c.green, c.blue);
}

QPainterPath ToPath(const Path& path)
{
    QPainterPath out;
    std::size_t i = 0;
    const std::size_t n = path.points.size();
    const auto at = [&](std::size_t k) { return QPointF(path.points[k].x, path.points[k].y); };
    for (const PathVerb verb : path.verbs) {
        switch (verb) {
        case PathVerb::Move:
            if (i >= n)
                return out;
            out.moveTo(at(i++));
            break;
        case PathVerb::Line:
            if (i >= n)
                return out;
            out.lineTo(at(i++));
            break;
        case PathVerb::Cubic:
            if (i + 3 > n)
                return out;
            out.cubicTo(at(i), at(i + 1), at(i + 2));
            i += 3;
            break;
        case PathVerb::Close:
            out.closeSubpath();
            break;
        }
    }
    return out;
}

Qt::PenStyle ToQtStyle(PenStyle style)
{
    switch (style) {
    case PenStyle::Dash:
        return Qt::DashLine;
    case PenStyle::Dot:
        return Qt::DotLine;
    case PenStyle::DashDot:
        return Qt::DashDotLine;
    case PenStyle::DashDotDot:
        return Qt::DashDotDotLine;
    case PenStyle::Null:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle ToQtHatch(Hatch hatch)
{
    switch (hatch) {
    case Hatch::Horizontal:
        return Qt::HorPattern;
    case Hatch::Vertical:
        return Qt::VerPattern;
    case Hatch::ForwardDiagonal:
        return Qt::FDiagPattern;
    case Hatch::BackwardDiagonal:
        return Qt::BDiagPattern;
    case Hatch::Cross:
        return Qt::CrossPattern;
    default:
        return Qt::DiagCrossPattern;
    }
}

double ScaleOf(const QTransform& t)
{
    return std::sqrt(std::abs(t.determinant()));
}

class Painting
{
  public:
    Painting(QPainter& p, const DisplayList& list,
             const std::unordered_map<const std::vector<std::uint8_t>*, QImage>& images,
             std::vector<std::optional<QPainterPath>>& clips, const QTransform& base, const QTransform& frame)
        : p_(p), list_(list), images_(images), base_(base), frame_(frame), clips_(clips)
    {
        const double dpi = p.device() ? p.device()->logicalDpiX() : 96.0;
        const double scale = ScaleOf(frame);
        // The thinnest line is one pixel at 96 per inch, on any device.
        onePixel_ = scale > 0 ? dpi / 96.0 / scale : 1.0;
    }

    void Draw(const picture::Item& item)
    {
        p_.save();
        p_.setTransform(frame_ * base_);
        if (item.clip >= 0 && static_cast<std::size_t>(item.clip) < clips_.size())
            p_.setClipPath(ClipPath(static_cast<std::size_t>(item.clip)), Qt::IntersectClip);
        switch (item.kind) {
        case picture::Item::Kind::Shape:
            DrawShape(item);
            break;
        case picture::Item::Kind::Text:
            DrawText(item);
            break;
        case picture::Item::Kind::Bitmap:
            DrawBitmap(item.bitmap);
            break;
        }
        p_.restore();
    }

  private:
    const QPainterPath& ClipPath(std::size_t index)
    {
        if (!clips_[index]) {
            QPainterPath area;
            const QRectF frame = QRectF(list_.left, list_.top, list_.width, list_.height).normalized();
            area.addRect(frame.adjusted(-frame.width(), -frame.height(), frame.width(), frame.height()));
            for (const ClipStep& step : list_.clips[index].steps) {
                QPainterPath shape = ToPath(step.area);
                shape.setFillRule(Qt::WindingFill);
                switch (step.mode) {
                case ClipMode::Intersect:
                    area = area.intersected(shape);
                    break;
                case ClipMode::Exclude:
                    area = area.subtracted(shape);
                    break;
                case ClipMode::Unite:
                    area = area.united(shape);
                    break;
                case ClipMode::Replace:
                    area = shape;
                    break;
                }
            }
            clips_[index] = area;
        }
        return *clips_[index];
    }

    void DrawShape(const picture::Item& item)
    {
        QPainterPath path = ToPath(item.path);
        path.setFillRule(item.winding ? Qt::WindingFill : Qt::OddEvenFill);
        if (item.fill) {
            const Brush& b = item.brush;
            switch (b.style) {
            case BrushStyle::Solid:
                p_.fillPath(path, ToQColor(b.color));
                break;
            case BrushStyle::Hatched:
                if (item.opaqueHatch)
                    p_.fillPath(path, ToQColor(item.background));
                p_.fillPath(path, QBrush(ToQColor(b.color), ToQtHatch(b.hatch)));
                break;
            case BrushStyle::Pattern: {
                const auto it = b.pattern ? images_.find(b.pattern.get()) : images_.end();
                if (it != images_.end())
                    p_.fillPath(path, QBrush(it->second));
                else
                    p_.fillPath(path, ToQColor(b.color));
                break;
            }
            case BrushStyle::Null:
                break;
            }
        }
        if (item.stroke && item.pen.style != PenStyle::Null) {
            QPen pen(ToQColor(item.pen.color), std::max(item.pen.width, onePixel_), ToQtStyle(item.pen.style),
                     Qt::RoundCap, Qt::RoundJoin);
            p_.strokePath(path, pen);
        }
    }

    void DrawText(const picture::Item& item)
    {
        if (!item.path.points.empty()) {
            const QPainterPath box = ToPath(item.path);
            if (item.fill)
                p_.fillPath(box, ToQColor(item.background));
            if (item.clipToPath)
                p_.setClipPath(box, Qt::IntersectClip);
        }
        const picture::Text& t = item.text;
        const double sy = std::hypot(frame_.m21(), frame_.m22());
        const double sx = std::hypot(frame_.m11(), frame_.m12());
        const double pixels = t.font.height * sy;
        if (t.text.empty() || !(pixels > 0.05) || pixels > 100000)
            return;
        QFont font;
        if (!t.font.face.empty())
            font.setFamilies({QString::fromStdU16String(t.font.face)});
        font.setPixelSize(static_cast<int>(kReferencePixels));
        font.setWeight(
            static_cast<QFont::Weight>(std::clamp(t.font.weight == 0 ? 400 : t.font.weight, 1, 1000)));
        font.setItalic(t.font.italic);
        font.setUnderline(t.font.underline);
        font.setStrikeOut(t.font.strikeOut);
        font.setKerning(false);
        const double k = pixels / kReferencePixels;

        p_.setTransform(base_);
        p_.translate(frame_.map(QPointF(t.anchor.x, t.anchor.y)));
        p_.rotate(-t.angle);
        p_.scale(k, k);
        p_.setFont(font);
        const QFontMetricsF metrics(font, p_.device());
        const QString text = QString::fromStdU16String(t.text);
        std::vector<double> offsets; // where each unit starts, in the scaled space
        double width = 0;
        if (!t.advances.empty()) {
            for (const double a : t.advances) {
                offsets.push_back(width);
                width += a * sx / k;
            }
        } else {
            width = metrics.horizontalAdvance(text);
        }
        double x = 0;
        if (t.alignH == TextAlignH::Center)
            x = -width / 2;
        else if (t.alignH == TextAlignH::Right)
            x = -width;
        double baseline = 0;
        if (t.alignV == TextAlignV::Top)
            baseline = metrics.ascent();
        else if (t.alignV == TextAlignV::Bottom)
            baseline = -metrics.descent();
        if (t.opaque)
            p_.fillRect(QRectF(x, baseline - metrics.ascent(), width, metrics.height()),
                        ToQColor(t.background));
        p_.setPen(ToQColor(t.color));
        if (offsets.empty()) {
            p_.drawText(QPointF(x, baseline), text);
            return;
        }
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            p_.drawText(QPointF(x + offsets[static_cast<std::size_t>(i)], baseline), text.mid(i, n));
            i += n - 1;
        }
    }

    void DrawBitmap(const picture::Bitmap& b)
    {
        const auto it = b.file ? images_.find(b.file.get()) : images_.end();
        if (it == images_.end() || b.sourceWidth <= 0 || b.sourceHeight <= 0)
            return;
        const double m11 = (b.topRight.x - b.topLeft.x) / b.sourceWidth;
        const double m12 = (b.topRight.y - b.topLeft.y) / b.sourceWidth;
        const double m21 = (b.bottomLeft.x - b.topLeft.x) / b.sourceHeight;
        const double m22 = (b.bottomLeft.y - b.topLeft.y) / b.sourceHeight;
        const QTransform source(m11, m12, m21, m22, b.topLeft.x - m11 * b.sourceX - m21 * b.sourceY,
                                b.topLeft.y - m12 * b.sourceX - m22 * b.sourceY);
        p_.setTransform(source * frame_ * base_);
        p_.setRenderHint(QPainter::SmoothPixmapTransform);
        switch (b.op) {
        case RasterOp::And:
            p_.setCompositionMode(QPainter::CompositionMode_Multiply);
            break;
        case RasterOp::Or:
            p_.setCompositionMode(QPainter::CompositionMode_Lighten);
            break;
        case RasterOp::Xor:
            p_.setCompositionMode(QPainter::CompositionMode_Difference);
            break;
        case RasterOp::Copy:
            break;
        }
        const QRectF rect(b.sourceX, b.sourceY, b.sourceWidth, b.sourceHeight);
        p_.drawImage(rect, it->second, rect);
    }

    QPainter& p_;
    const DisplayList& list_;
    const std::unordered_map<const std::vector<std::uint8_t>*, QImage>& images_;
    const QTransform base_;
    const QTransform frame_;
    std::vector<std::optional<QPainterPath>>& clips_;
    double onePixel_ = 1;
};

} // namespace

QImage DecodeImage(std::span<const std::uint8_t> bytes, const char* format, std::int64_t& pixelBudget)
{
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    // A top-down BMP tells a negative height.
    const std::int64_t pixels = std::abs(std::int64_t{size.width()} * size.height());
    if (pixels == 0 || pixels > pixelBudget)
        return {};
    // Whatever the picture says it is, the reader goes by the content: any JPEG is checked.
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8 &&
        !picture::JpegDecodingBounded(bytes, pixels))
        return {};
    pixelBudget -= pixels;
    return reader.read();
}

DrawnPicture::DrawnPicture(picture::DisplayList list, std::int64_t& budget)
    : list_(std::move(list)), clips_(list_.clips.size())
{
    const auto decode = [&](const picture::Bytes& file) {
        if (!file || images_.count(file.get()))
            return;
        QImage image = DecodeImage(*file, "BMP", budget);
        if (!image.isNull())
            images_.emplace(file.get(), std::move(image));
    };
    for (const picture::Item& item : list_.items) {
        decode(item.bitmap.file);
        decode(item.brush.pattern);
    }
}

void DrawnPicture::Paint(QPainter& painter, const QRectF& target, const QRectF& clip) const
{
    if (list_.width == 0 || list_.height == 0 || target.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setClipRect(clip, Qt::IntersectClip);
    const QTransform base = painter.transform();
    const QTransform frame =
        QTransform::fromTranslate(-list_.left, -list_.top) *
        QTransform::fromScale(target.width() / list_.width, target.height() / list_.height) *
        QTransform::fromTranslate(target.left(), target.top());
    Painting painting(painter, list_, images_, clips_, base, frame);
    for (const picture::Item& item : list_.items)
        painting.Draw(item);
    painter.restore();
}

} // namespace mirelda::ui
