#include "ui/richtext/text_document_builder.h"

#include "ui/richtext/picture_object.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextListFormat>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <map>

namespace mirelda {

namespace {

// Lengths in the model are twips; the document lays out in pixels at 96 per inch.
constexpr double kTwipsPerPixel = 15.0;
constexpr double kTwipsPerInch = 1440.0;
constexpr double kScreenDpi = 96.0;

// No indent, spacing or tab stop reaches beyond this (about 50 inches): a damaged number
// must not make a page of absurd size.
constexpr double kMaxInches = 52.0;
constexpr double kMaxLength = kMaxInches * kScreenDpi;

double Pixels(double twips)
{
    return std::clamp(twips / kTwipsPerPixel, -kMaxLength, kMaxLength);
}

// A horizontal margin or indent at `dpi`: the layout leaves these as they are on any device.
double DevicePixels(double twips, double dpi)
{
    return std::clamp(twips * dpi / kTwipsPerInch, -kMaxInches * dpi, kMaxInches * dpi);
}

QString ToQString(const std::u16string& s)
{
    return QString::fromStdU16String(s);
}

QFont::StyleHint StyleHintOf(FontFamily family)
{
    switch (family) {
    case FontFamily::Roman: return QFont::Serif;
    case FontFamily::Swiss: return QFont::SansSerif;
    case FontFamily::Modern: return QFont::TypeWriter;
    case FontFamily::Script: return QFont::Cursive;
    case FontFamily::Decor: return QFont::Decorative;
    default: return QFont::AnyStyle;
    }
}

QTextCharFormat::UnderlineStyle UnderlineStyleOf(UnderlineKind kind)
{
    switch (kind) {
    case UnderlineKind::None: return QTextCharFormat::NoUnderline;
    case UnderlineKind::Dotted: return QTextCharFormat::DotLine;
    case UnderlineKind::Dash: return QTextCharFormat::DashUnderline;
    case UnderlineKind::DashDot: return QTextCharFormat::DashDotLine;
    case UnderlineKind::DashDotDot: return QTextCharFormat::DashDotDotLine;
    case UnderlineKind::Wave: return QTextCharFormat::WaveUnderline;
    default: return QTextCharFormat::SingleUnderline;  // words, double, thick: nearest look
    }
}

QColor ColorOf(const RichDocument& model, std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= model.colors.size())
        return {};
    const RichColor& c = model.colors[static_cast<std::size_t>(index)];
    if (c.automatic)
        return {};
    return QColor(c.red, c.green, c.blue);
}

class Builder {
public:
    Builder(const RichDocument& model, QTextDocument& doc, double dpiX)
        : model_(model), doc_(doc), cursor_(&doc), dpiX_(dpiX)
    {
    }

    PositionMap Run();

private:
    QTextCharFormat CharFormatOf(const CharFormat& f) const;
    QTextBlockFormat BlockFormatOf(const ParagraphFormat& f) const;
    void Flush(std::int32_t from, std::int32_t to, const QTextCharFormat& format);
    void InsertPicture(std::int32_t position, const QTextCharFormat& format);
    void ApplyParagraphFormats();
    const RichParagraph* ParagraphOfMark(std::int32_t mark) const;

    const RichDocument& model_;
    QTextDocument& doc_;
    QTextCursor cursor_;
    const double dpiX_;
    // For each block of the document, the model paragraph whose mark ends it.
    std::vector<const RichParagraph*> blockParagraph_;
    std::vector<QTextCharFormat> blockMarkFormat_;
    std::size_t nextPicture_ = 0;
    int pictureCount_ = 0;
};

QTextCharFormat Builder::CharFormatOf(const CharFormat& f) const
{
    QTextCharFormat out;
    std::int32_t fontIndex = f.font >= 0 ? f.font : model_.defaultFont;
    if (fontIndex >= 0 && static_cast<std::size_t>(fontIndex) < model_.fonts.size()) {
        const RichFont& font = model_.fonts[static_cast<std::size_t>(fontIndex)];
        if (!font.name.empty())
            out.setFontFamilies(QStringList{ToQString(font.name)});
        QFont::StyleHint hint = StyleHintOf(font.family);
        if (font.pitch == 1)
            hint = QFont::TypeWriter;
        out.setFontStyleHint(hint);
        out.setFontFixedPitch(font.pitch == 1);
    }
    // Sizes outside what a reader could mean (0, or thousands of points) fall back to bounds.
    const double points = std::clamp(f.halfPoints, 2, 3276) / 2.0;
    out.setFontPointSize(points);
    if (f.bold)
        out.setFontWeight(QFont::Bold);
    if (f.italic)
        out.setFontItalic(true);
    if (f.strike)
        out.setFontStrikeOut(true);
    if (f.underline != UnderlineKind::None)
        out.setUnderlineStyle(UnderlineStyleOf(f.underline));
    if (f.vertical == VerticalAlign::Superscript)
        out.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (f.vertical == VerticalAlign::Subscript)
        out.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (f.caps)
        out.setFontCapitalization(QFont::AllUppercase);
    else if (f.smallCaps)
        out.setFontCapitalization(QFont::SmallCaps);
    if (QColor c = ColorOf(model_, f.foreground); c.isValid())
        out.setForeground(c);
    if (QColor c = ColorOf(model_, f.background); c.isValid())
        out.setBackground(c);
    return out;
}

QTextBlockFormat Builder::BlockFormatOf(const ParagraphFormat& f) const
{
    QTextBlockFormat out;
    switch (f.alignment) {
    case Alignment::Left: out.setAlignment(Qt::AlignLeft); break;
    case Alignment::Center: out.setAlignment(Qt::AlignHCenter); break;
    case Alignment::Right: out.setAlignment(Qt::AlignRight); break;
    case Alignment::Justify: out.setAlignment(Qt::AlignJustify); break;
    }
    out.setLeftMargin(std::max(0.0, DevicePixels(f.leftIndent, dpiX_)));
    out.setRightMargin(std::max(0.0, DevicePixels(f.rightIndent, dpiX_)));
    // A list's hanging indent is where its marker goes; the list draws the marker itself.
    if (f.list.kind == ListKind::None)
        out.setTextIndent(DevicePixels(f.firstIndent, dpiX_));
    out.setTopMargin(std::max(0.0, Pixels(f.spaceBefore)));
    out.setBottomMargin(std::max(0.0, Pixels(f.spaceAfter)));
    if (f.lineSpacing != 0) {
        if (f.lineMultiple) {
            const double percent = std::clamp(std::abs(double(f.lineSpacing)) * 100.0 / 240.0, 50.0, 500.0);
            out.setLineHeight(percent, QTextBlockFormat::ProportionalHeight);
        } else if (f.lineSpacing > 0) {
            out.setLineHeight(std::min(Pixels(f.lineSpacing), 1000.0), QTextBlockFormat::MinimumHeight);
        } else {
            out.setLineHeight(std::min(Pixels(-double(f.lineSpacing)), 1000.0), QTextBlockFormat::FixedHeight);
        }
    }
    QList<QTextOption::Tab> tabs;
    if (f.tableRow) {
        // Cells are separated by tabs: each cell starts at the right edge of the one before.
        for (std::size_t i = 0; i + 1 < f.cellEdges.size(); ++i)
            if (f.cellEdges[i] > 0)
                tabs.append(QTextOption::Tab(Pixels(f.cellEdges[i]), QTextOption::LeftTab));
    } else {
        for (const TabStop& t : f.tabs) {
            const double x = Pixels(t.position);
            switch (t.kind) {
            case TabKind::Left: tabs.append(QTextOption::Tab(x, QTextOption::LeftTab)); break;
            case TabKind::Center: tabs.append(QTextOption::Tab(x, QTextOption::CenterTab)); break;
            case TabKind::Right: tabs.append(QTextOption::Tab(x, QTextOption::RightTab)); break;
            case TabKind::Decimal:
                tabs.append(QTextOption::Tab(x, QTextOption::DelimiterTab, QLatin1Char('.')));
                break;
            case TabKind::Bar: break;  // a drawn rule, not a stop
            }
        }
    }
    if (!tabs.isEmpty())
        out.setTabPositions(tabs);
    if (f.pageBreakBefore)
        out.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    return out;
}

QChar DocumentCharacterImpl(char16_t c)
{
    switch (c) {
    case kLineBreak: return QChar::LineSeparator;
    // Characters the document would turn into block or frame boundaries, or object slots
    // without an object, keep their one position as harmless look-alikes.
    case u'\n':
    case u'\u2029': return QChar::LineSeparator;
    case u'\uFDD0':
    case u'\uFDD1': return QChar::ReplacementCharacter;
    default: return QChar(c);
    }
}

void Builder::Flush(std::int32_t from, std::int32_t to, const QTextCharFormat& format)
{
    if (from >= to)
        return;
    QString chunk(to - from, Qt::Uninitialized);
    QChar* out = chunk.data();
    for (std::int32_t p = from; p < to; ++p)
        *out++ = DocumentCharacterImpl(model_.text[static_cast<std::size_t>(p)]);
    cursor_.insertText(chunk, format);
}

void Builder::InsertPicture(std::int32_t position, const QTextCharFormat& format)
{
    while (nextPicture_ < model_.pictures.size() && model_.pictures[nextPicture_].position < position)
        ++nextPicture_;
    const RichPicture* picture = nullptr;
    if (nextPicture_ < model_.pictures.size() && model_.pictures[nextPicture_].position == position)
        picture = &model_.pictures[nextPicture_];
    InsertPictureObject(doc_, cursor_, picture, format, pictureCount_++);
}

const RichParagraph* Builder::ParagraphOfMark(std::int32_t mark) const
{
    auto it = std::lower_bound(model_.paragraphs.begin(), model_.paragraphs.end(), mark,
                               [](const RichParagraph& p, std::int32_t m) { return p.mark < m; });
    return it == model_.paragraphs.end() ? nullptr : &*it;
}

PositionMap Builder::Run()
{
    std::vector<TextSpan> hidden;
    const auto textSize = static_cast<std::int32_t>(model_.text.size());
    const std::int32_t finalMark = textSize - 1;
    QTextCharFormat lastFormat;

    cursor_.beginEditBlock();
    for (const CharRun& run : model_.runs) {
        const std::int32_t start = std::clamp(run.start, 0, textSize);
        const auto end = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{run.start} + run.length, start, textSize));
        if (start == end)
            continue;
        if (run.format.hidden) {
            if (!hidden.empty() && hidden.back().first + hidden.back().length == start)
                hidden.back().length += end - start;
            else
                hidden.push_back({start, end - start});
            continue;
        }
        const QTextCharFormat format = CharFormatOf(run.format);
        lastFormat = format;
        std::int32_t pending = start;
        for (std::int32_t p = start; p < end; ++p) {
            const char16_t c = model_.text[static_cast<std::size_t>(p)];
            if (c != kParagraphMark && c != kObjectMark)
                continue;
            Flush(pending, p, format);
            pending = p + 1;
            if (c == kObjectMark) {
                InsertPicture(p, format);
            } else {
                blockParagraph_.push_back(ParagraphOfMark(p));
                blockMarkFormat_.push_back(format);
                if (p != finalMark)
                    cursor_.insertBlock();
            }
        }
        Flush(pending, end, format);
    }
    // The document's last block ends at the final mark even when that mark is hidden.
    if (blockParagraph_.size() < static_cast<std::size_t>(doc_.blockCount())) {
        blockParagraph_.push_back(model_.paragraphs.empty() ? nullptr : &model_.paragraphs.back());
        blockMarkFormat_.push_back(lastFormat);
    }
    ApplyParagraphFormats();
    cursor_.endEditBlock();
    return PositionMap(std::move(hidden));
}

QTextListFormat::Style ListStyleOf(ListKind kind)
{
    switch (kind) {
    case ListKind::Decimal: return QTextListFormat::ListDecimal;
    case ListKind::LowerLetter: return QTextListFormat::ListLowerAlpha;
    case ListKind::UpperLetter: return QTextListFormat::ListUpperAlpha;
    case ListKind::LowerRoman: return QTextListFormat::ListLowerRoman;
    case ListKind::UpperRoman: return QTextListFormat::ListUpperRoman;
    default: return QTextListFormat::ListDisc;
    }
}

// The numeral the list draws for `number`, so that the marker's own text can be split into
// what comes before and after it ("(", "c", ")").
QString Numeral(ListKind kind, int number)
{
    switch (kind) {
    case ListKind::Decimal: return QString::number(number);
    case ListKind::LowerLetter:
    case ListKind::UpperLetter: {
        QString s;
        for (int n = number; n > 0; n = (n - 1) / 26)
            s.prepend(QChar(u'a' + (n - 1) % 26));
        return kind == ListKind::UpperLetter ? s.toUpper() : s;
    }
    case ListKind::LowerRoman:
    case ListKind::UpperRoman: {
        static const std::pair<int, const char*> table[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"},
            {50, "l"},   {40, "xl"},  {10, "x"},  {9, "ix"},   {5, "v"},   {4, "iv"}, {1, "i"}};
        QString s;
        int n = std::clamp(number, 0, 4999);
        for (const auto& [value, text] : table)
            for (; n >= value; n -= value)
                s += QLatin1String(text);
        return kind == ListKind::UpperRoman ? s.toUpper() : s;
    }
    default: return {};
    }
}

void Builder::ApplyParagraphFormats()
{
    // Bullets: one list per run of consecutive bulleted paragraphs. Numbers: the list counts
    // its items from 1, so a paragraph joins the open list of its kind whose next number is
    // its own, even across unnumbered paragraphs; a list starts anew at number 1. (This Qt
    // cannot start a list at another number: such a paragraph joins or opens a list of its
    // kind and may show a different ordinal.)
    struct OpenList {
        QTextList* list = nullptr;
        int next = 1;
    };
    std::map<ListKind, OpenList> numbered;
    QTextList* bullets = nullptr;

    QTextBlock block = doc_.begin();
    for (std::size_t i = 0; block.isValid() && i < blockParagraph_.size(); ++i, block = block.next()) {
        const RichParagraph* paragraph = blockParagraph_[i];
        QTextCursor c(block);
        c.setBlockCharFormat(blockMarkFormat_[i]);
        if (!paragraph) {
            bullets = nullptr;
            continue;
        }
        c.setBlockFormat(BlockFormatOf(paragraph->format));
        const ListMarker& marker = paragraph->format.list;
        if (marker.kind != ListKind::Bullet)
            bullets = nullptr;
        if (marker.kind == ListKind::None)
            continue;

        if (marker.kind == ListKind::Bullet) {
            if (bullets) {
                bullets->add(block);
            } else {
                QTextListFormat format;
                format.setStyle(QTextListFormat::ListDisc);
                format.setIndent(0);
                bullets = c.createList(format);
            }
            continue;
        }
        const int number = std::max(1, marker.number);
        OpenList& open = numbered[marker.kind];
        if (open.list && (open.next == number || number != 1)) {
            open.list->add(block);
        } else {
            QTextListFormat format;
            format.setStyle(ListStyleOf(marker.kind));
            format.setIndent(0);
            const QString text = ToQString(marker.text);
            const QString numeral = Numeral(marker.kind, number);
            const qsizetype at = numeral.isEmpty() ? -1 : text.indexOf(numeral);
            if (at >= 0) {
                format.setNumberPrefix(text.left(at));
                format.setNumberSuffix(text.mid(at + numeral.size()));
            }
            open.list = c.createList(format);
        }
        open.next = number + 1;
    }
}

}  // namespace

QChar DocumentCharacter(char16_t modelCharacter)
{
    return modelCharacter == kParagraphMark ? QChar(QChar::ParagraphSeparator)
                                            : DocumentCharacterImpl(modelCharacter);
}

PositionMap BuildTextDocument(const RichDocument& model, QTextDocument& target, double deviceDpiX)
{
    if (!(deviceDpiX >= 1.0 && deviceDpiX <= 100000.0))
        deviceDpiX = kScreenDpi;
    const bool undo = target.isUndoRedoEnabled();
    target.setUndoRedoEnabled(false);
    PositionMap map = Builder(model, target, deviceDpiX).Run();
    target.setUndoRedoEnabled(undo);
    return map;
}

}  // namespace mirelda
