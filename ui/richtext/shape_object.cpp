#include "ui/richtext/shape_object.h"

#include "core/richtext/units.h"
#include "ui/richtext/picture_object.h"
#include "ui/richtext/text_document_builder.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextObjectInterface>

#include <algorithm>
#include <memory>
#include <vector>

namespace mirelda::ui {

namespace {

constexpr double kMaxSide = 4000.0;   // pixels: no shape is drawn larger, whatever it says
constexpr double kMaxOffset = 1500.0; // pixels: nor further from its anchor
// Where the text of a page-relative shape starts, and the width a floating shape's right edge
// is measured against: Word's usual one-inch margins on a Letter page.
constexpr double kPageMarginTwips = 1440.0;
constexpr double kTextWidthTwips = 9360.0;
// A text box's inner margins (Word's defaults: 0.1 inch beside, 0.05 inch above and below).
constexpr double kBoxPaddingX = 144.0 / kTwipsPerPixel;
constexpr double kBoxPaddingY = 72.0 / kTwipsPerPixel;
constexpr int kShapeProperty = QTextFormat::UserProperty + 0x4D53;
constexpr int kTextBoxIndex = QTextFormat::UserProperty + 0x4D54;

QColor ColorOf(std::int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// A text box as laid out: its own document, its line and fill.
struct TextBox
{
    std::unique_ptr<QTextDocument> document;
    QColor fill; // invalid: none
    QColor line; // invalid: none
    double lineWidth = 1;
};

// Draws the text boxes of one document; it belongs to the document and is registered on its
// layout.
class TextBoxHandler : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

  public:
    explicit TextBoxHandler(QObject* parent) : QObject(parent) {}

    int Add(TextBox box)
    {
        boxes_.push_back(std::move(box));
        return static_cast<int>(boxes_.size()) - 1;
    }

    QSizeF intrinsicSize(QTextDocument* doc, int, const QTextFormat& format) override
    {
        return SizeOnLayoutDevice(doc, QSizeF(format.doubleProperty(QTextFormat::ImageWidth),
                                              format.doubleProperty(QTextFormat::ImageHeight)));
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                    const QTextFormat& format) override
    {
        const int index = format.intProperty(kTextBoxIndex);
        if (!painter || index < 0 || index >= static_cast<int>(boxes_.size()))
            return;
        const TextBox& box = boxes_[static_cast<std::size_t>(index)];
        const double scale = rect.width() / std::max(1.0, format.doubleProperty(QTextFormat::ImageWidth));
        painter->save();
        if (box.fill.isValid())
            painter->fillRect(rect, box.fill);
        painter->translate(rect.left() + kBoxPaddingX * scale, rect.top() + kBoxPaddingY * scale);
        painter->scale(scale, scale);
        const QRectF inside(0, 0, std::max(0.0, rect.width() / scale - 2 * kBoxPaddingX),
                            std::max(0.0, rect.height() / scale - 2 * kBoxPaddingY));
        painter->setClipRect(inside, Qt::IntersectClip);
        box.document->drawContents(painter, inside);
        painter->restore();
        if (box.line.isValid()) {
            painter->save();
            QPen pen(box.line);
            pen.setWidthF(box.lineWidth * scale);
            painter->setPen(pen);
            painter->setBrush(Qt::NoBrush);
            const double half = pen.widthF() / 2;
            painter->drawRect(rect.adjusted(half, half, -half, -half));
            painter->restore();
        }
    }

  private:
    std::vector<TextBox> boxes_;
};

TextBoxHandler& HandlerOf(QTextDocument& document)
{
    if (auto* handler = document.findChild<TextBoxHandler*>(QString(), Qt::FindDirectChildrenOnly))
        return *handler;
    auto* handler = new TextBoxHandler(&document);
    document.documentLayout()->registerHandler(kTextBoxObjectType, handler);
    return *handler;
}

double Side(double twips)
{
    return std::clamp(TwipsToPixels(twips), 1.0, kMaxSide);
}

// A picture at the shape's size (the box is the author's last word on it).
void InsertPicture(QTextDocument& document, QTextCursor& cursor, const RichShape& shape, double width,
                   double height, const QTextCharFormat& format, int& serial)
{
    std::optional<picture::PictureBox> box;
    if (width > 1 && height > 1)
        box = picture::PictureBox{static_cast<std::int32_t>(width * kTwipsPerPixel),
                                  static_cast<std::int32_t>(height * kTwipsPerPixel)};
    InsertPictureObject(document, cursor, &shape.picture.front(), format, serial++, box);
}

void InsertTextBox(QTextDocument& document, QTextCursor& cursor, const RichShape& shape, double width,
                   double height, const QTextCharFormat& format)
{
    TextBox box;
    box.document = std::make_unique<QTextDocument>();
    box.document->setDocumentMargin(0);
    box.document->setDefaultFont(document.defaultFont());
    BuildTextDocument(shape.text.front(), *box.document);
    box.document->setTextWidth(std::max(1.0, width - 2 * kBoxPaddingX));
    // The box grows to show all of its text rather than cut it.
    height = std::clamp(std::max(height, box.document->size().height() + 2 * kBoxPaddingY), 1.0, kMaxSide);
    if (shape.filled)
        box.fill = shape.fillColor >= 0 ? ColorOf(shape.fillColor) : QColor(Qt::white);
    if (shape.line) {
        box.line = shape.lineColor >= 0 ? ColorOf(shape.lineColor) : QColor(Qt::black);
        box.lineWidth = std::clamp(shape.lineWidth / 9525.0, 0.5, 20.0); // EMU to pixels
    }
    QTextCharFormat object = format;
    object.setObjectType(kTextBoxObjectType);
    object.setProperty(QTextFormat::ImageWidth, width);
    object.setProperty(QTextFormat::ImageHeight, height);
    object.setProperty(kTextBoxIndex, HandlerOf(document).Add(std::move(box)));
    object.setProperty(kShapeProperty, true);
    cursor.insertText(QString(QChar::ObjectReplacementCharacter), object);
}

void InsertContent(QTextDocument& document, QTextCursor& cursor, const RichShape& shape, double width,
                   double height, const QTextCharFormat& format, int& serial, int depth);

// A group's shapes, in rows: those whose boxes overlap vertically share a line.
void InsertGroup(QTextDocument& document, QTextCursor& cursor, const RichShape& group, double width,
                 double height, const QTextCharFormat& format, int& serial, int depth)
{
    const double spanX = std::max(1, group.groupRight - group.groupLeft);
    const double spanY = std::max(1, group.groupBottom - group.groupTop);
    std::vector<const RichShape*> order;
    for (const RichShape& child : group.children)
        if (ShapeDrawable(child))
            order.push_back(&child);
    std::stable_sort(order.begin(), order.end(), [](const RichShape* a, const RichShape* b) {
        return a->top != b->top ? a->top < b->top : a->left < b->left;
    });
    std::int32_t rowBottom = 0;
    bool first = true;
    for (const RichShape* child : order) {
        if (!first && child->top >= rowBottom)
            cursor.insertBlock();
        rowBottom = first ? child->bottom : std::max(rowBottom, child->bottom);
        first = false;
        const double w = std::clamp((child->right - child->left) / spanX * width, 1.0, kMaxSide);
        const double h = std::clamp((child->bottom - child->top) / spanY * height, 1.0, kMaxSide);
        InsertContent(document, cursor, *child, w, h, format, serial, depth + 1);
    }
}

void InsertContent(QTextDocument& document, QTextCursor& cursor, const RichShape& shape, double width,
                   double height, const QTextCharFormat& format, int& serial, int depth)
{
    QTextCharFormat marked = format;
    marked.setProperty(kShapeProperty, true);
    if (!shape.picture.empty() && shape.picture.front().kind != PictureKind::Other) {
        InsertPicture(document, cursor, shape, width, height, marked, serial);
    } else if (!shape.text.empty()) {
        InsertTextBox(document, cursor, shape, width, height, marked);
    } else if (!shape.children.empty() && depth < 8) {
        InsertGroup(document, cursor, shape, width, height, marked, serial, depth);
    }
}

} // namespace

bool ShapeFloats(const RichShape& shape)
{
    return !shape.inlineShape;
}

void InsertShape(QTextDocument& document, QTextCursor& cursor, const RichShape& shape,
                 const QTextCharFormat& format, int& serial)
{
    const double width = Side(shape.right - shape.left);
    const double height = Side(shape.bottom - shape.top);
    if (!ShapeFloats(shape)) {
        InsertContent(document, cursor, shape, width, height, format, serial, 0);
        return;
    }
    QTextFrameFormat frame;
    frame.setBorder(0);
    frame.setPadding(0);
    frame.setMargin(0);
    frame.setProperty(kShapeProperty, true);
    // Across: measured from the text's left edge; a shape on the right half of the text
    // floats right, keeping its distance from the text's right edge.
    double left = shape.left;
    if (shape.horizontalFrom == ShapeReference::Page)
        left -= kPageMarginTwips;
    const double right = left + (shape.right - shape.left);
    const bool toRight = shape.horizontalAlign == 3 || shape.horizontalAlign == 5 ||
                         (shape.horizontalAlign == 0 && (left + right) / 2 > kTextWidthTwips / 2);
    if (shape.wrap == ShapeWrap::TopAndBottom) {
        frame.setPosition(QTextFrameFormat::InFlow);
        frame.setLeftMargin(std::clamp(TwipsToPixels(left), 0.0, kMaxOffset));
    } else if (toRight) {
        frame.setPosition(QTextFrameFormat::FloatRight);
        if (shape.horizontalAlign == 0)
            frame.setRightMargin(std::clamp(TwipsToPixels(kTextWidthTwips - right), 0.0, kMaxOffset));
    } else {
        frame.setPosition(QTextFrameFormat::FloatLeft);
        if (shape.horizontalAlign == 0)
            frame.setLeftMargin(std::clamp(TwipsToPixels(left), 0.0, kMaxOffset));
        else if (shape.horizontalAlign == 2) // centred in the usual text width
            frame.setLeftMargin(std::clamp((TwipsToPixels(kTextWidthTwips) - width) / 2, 0.0, kMaxOffset));
    }
    // Down: its offset from the paragraph; one measured from the page or margin cannot be
    // placed in a view without pages, so it stays at its paragraph.
    if (shape.verticalFrom == ShapeReference::Paragraph)
        frame.setTopMargin(std::clamp(TwipsToPixels(shape.top), 0.0, kMaxOffset));
    frame.setWidth(QTextLength(QTextLength::FixedLength, width));
    QTextFrame* inserted = cursor.insertFrame(frame);
    // A frame put at the start of a block leaves that block empty before it: no line of its own.
    if (const QTextBlock before = document.findBlock(inserted->firstPosition() - 1);
        before.isValid() && before.length() == 1) {
        QTextBlockFormat none;
        none.setLineHeight(0, QTextBlockFormat::FixedHeight);
        QTextCursor(before).setBlockFormat(none);
    }
    QTextBlockFormat block;
    block.setLineHeight(0, QTextBlockFormat::SingleHeight);
    cursor.setBlockFormat(block);
    InsertContent(document, cursor, shape, width, height, format, serial, 0);
    cursor.setPosition(inserted->lastPosition() + 1);
}

bool IsShapeCharacter(const QTextDocument& document, int position)
{
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(position);
    for (QTextFrame* frame = cursor.currentFrame(); frame; frame = frame->parentFrame())
        if (frame->frameFormat().boolProperty(kShapeProperty))
            return true;
    cursor.setPosition(position + 1);
    return cursor.charFormat().boolProperty(kShapeProperty);
}

} // namespace mirelda::ui

#include "shape_object.moc"
