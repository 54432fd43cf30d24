#include "ui/richtext/picture_object.h"

#include "core/picture/dib.h"
#include "core/picture/metafile.h"
#include "core/picture/rich_picture.h"
#include "ui/richtext/picture_painter.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextObjectInterface>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace mirelda::ui {

namespace {

constexpr int kPictureIndex = QTextFormat::UserProperty + 0x4D50;

// A metafile as laid out: the drawing and the share of each side its crop cuts off.
struct MetafileEntry
{
    DrawnPicture drawing;
    picture::PictureLayout layout;
    bool flipHorizontal = false, flipVertical = false;
};

// Draws the metafiles of one document; it belongs to the document and is registered on its
// layout (a print copy of the document shares it).
class MetafileHandler : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

  public:
    explicit MetafileHandler(QObject* parent) : QObject(parent) {}

    int Add(std::unique_ptr<MetafileEntry> entry)
    {
        entries_.push_back(std::move(entry));
        return static_cast<int>(entries_.size()) - 1;
    }

    QSizeF intrinsicSize(QTextDocument* doc, int, const QTextFormat& format) override
    {
        const QTextImageFormat f = format.toImageFormat();
        return SizeOnLayoutDevice(doc, QSizeF(f.width(), f.height()));
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                    const QTextFormat& format) override
    {
        const int index = format.intProperty(kPictureIndex);
        if (!painter || index < 0 || index >= static_cast<int>(entries_.size()))
            return;
        const MetafileEntry& e = *entries_[static_cast<std::size_t>(index)];
        // The whole picture, of which the rectangle shows the part the crop leaves.
        const picture::PictureRect whole =
            picture::WholePicture(e.layout, {rect.left(), rect.top(), rect.width(), rect.height()});
        const QRectF full(whole.x, whole.y, whole.width, whole.height);
        if (!e.flipHorizontal && !e.flipVertical) {
            e.drawing.Paint(*painter, full, rect);
            return;
        }
        // Mirrored about the shown rectangle's centre, as the picture's shape is flipped.
        painter->save();
        painter->translate(rect.center());
        painter->scale(e.flipHorizontal ? -1 : 1, e.flipVertical ? -1 : 1);
        painter->translate(-rect.center());
        e.drawing.Paint(*painter, full, rect);
        painter->restore();
    }

  private:
    std::vector<std::unique_ptr<MetafileEntry>> entries_;
};

MetafileHandler& HandlerOf(QTextDocument& document)
{
    if (auto* handler = document.findChild<MetafileHandler*>(QString(), Qt::FindDirectChildrenOnly))
        return *handler;
    auto* handler = new MetafileHandler(&document);
    document.documentLayout()->registerHandler(kMetafileObjectType, handler);
    return *handler;
}

QImage PlaceholderImage(int width, int height)
{
    QImage image(std::max(width, 8), std::max(height, 8), QImage::Format_RGB32);
    image.fill(QColor(0xE8, 0xE8, 0xE8));
    QPainter painter(&image);
    painter.setPen(QColor(0x90, 0x90, 0x90));
    painter.drawRect(0, 0, image.width() - 1, image.height() - 1);
    painter.drawLine(0, 0, image.width() - 1, image.height() - 1);
    painter.drawLine(0, image.height() - 1, image.width() - 1, 0);
    return image;
}

// A compressed bitmap can claim a huge size in a few bytes: a document decodes no more than
// this many pixels of bitmaps in all, the rest are placeholders.
constexpr std::int64_t kDocumentPixelBudget = 64LL * 1024 * 1024;
const char* const kBudgetProperty = "mireldaPixelBudget";

std::int64_t PixelBudget(const QTextDocument& document)
{
    const QVariant left = document.property(kBudgetProperty);
    return left.isValid() ? left.toLongLong() : kDocumentPixelBudget;
}

void SetPixelBudget(QTextDocument& document, std::int64_t left)
{
    document.setProperty(kBudgetProperty, QVariant::fromValue<qlonglong>(left));
}

QImage Decode(QTextDocument& document, std::span<const std::uint8_t> bytes, const char* format)
{
    std::int64_t budget = PixelBudget(document);
    QImage image = DecodeImage(bytes, format, budget);
    SetPixelBudget(document, budget);
    return image;
}

QImage DecodeBitmap(QTextDocument& document, const RichPicture& picture)
{
    std::optional<std::vector<std::uint8_t>> bmp;
    switch (picture.kind) {
    case PictureKind::Png:
        return Decode(document, picture.bytes, "PNG");
    case PictureKind::Jpeg:
        return Decode(document, picture.bytes, "JPEG");
    case PictureKind::Gif:
        return Decode(document, picture.bytes, "GIF");
    case PictureKind::Bmp:
        return Decode(document, picture.bytes, "BMP");
    case PictureKind::Dib:
        bmp = picture::BmpFromDib(picture.bytes);
        break;
    case PictureKind::DeviceBitmap:
        bmp = picture::BmpFromDeviceBitmap(picture.bytes,
                                           {picture.pixelWidth, picture.pixelHeight, picture.widthBytes,
                                            picture.bitsPerPixel, picture.planes});
        break;
    default:
        return {};
    }
    if (!bmp)
        return {};
    return Decode(document, *bmp, "BMP");
}

} // namespace

void InsertPictureObject(QTextDocument& document, QTextCursor& cursor, const RichPicture* picture,
                         const QTextCharFormat& format, int serial,
                         const std::optional<picture::PictureBox>& box)
{
    QImage image;
    std::optional<picture::Metafile> metafile;
    if (picture && !picture->bytes.empty()) {
        if (picture->kind == PictureKind::Wmf || picture->kind == PictureKind::Emf)
            metafile = picture::ReadMetafile(*picture);
        else
            image = DecodeBitmap(document, *picture);
    }

    const picture::PictureLayout layout =
        picture::LayOutPicture(picture, image.isNull() ? 0 : image.width(),
                               image.isNull() ? 0 : image.height(), metafile ? &*metafile : nullptr, box);
    const double width = layout.width, height = layout.height;

    QTextImageFormat imageFormat;
    imageFormat.merge(format);
    imageFormat.setWidth(width);
    imageFormat.setHeight(height);
    if (metafile) {
        std::int64_t budget = PixelBudget(document);
        auto entry = std::make_unique<MetafileEntry>(
            MetafileEntry{DrawnPicture(std::move(metafile->list), budget), layout, picture->flipHorizontal,
                          picture->flipVertical});
        SetPixelBudget(document, budget);
        imageFormat.setObjectType(kMetafileObjectType);
        imageFormat.setProperty(kPictureIndex, HandlerOf(document).Add(std::move(entry)));
        cursor.insertText(QString(QChar::ObjectReplacementCharacter), imageFormat);
        return;
    }
    if (image.isNull()) {
        image = PlaceholderImage(static_cast<int>(std::min(width, 256.0)),
                                 static_cast<int>(std::min(height, 256.0)));
    } else if (const std::optional<picture::PictureRect> part =
                   picture::CroppedPart(layout, image.width(), image.height())) {
        image = image.copy(QRectF(part->x, part->y, part->width, part->height).toRect());
    }
    if (picture && (picture->flipHorizontal || picture->flipVertical))
        image = image.mirrored(picture->flipHorizontal, picture->flipVertical);
    const QUrl name(QStringLiteral("mirelda-picture:%1").arg(serial));
    document.addResource(QTextDocument::ImageResource, name, image);
    imageFormat.setName(name.toString());
    cursor.insertImage(imageFormat);
}

bool IsPictureFormat(const QTextFormat& format)
{
    return format.isImageFormat() || format.objectType() == kMetafileObjectType;
}

QSizeF SizeOnLayoutDevice(const QTextDocument* document, QSizeF sizeAt96Dpi)
{
    if (document && document->documentLayout())
        if (const QPaintDevice* device = document->documentLayout()->paintDevice())
            sizeAt96Dpi *= device->logicalDpiY() / 96.0;
    return sizeAt96Dpi;
}

} // namespace mirelda::ui

#include "picture_object.moc"
