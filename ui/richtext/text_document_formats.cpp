// The character and paragraph formats of the built document.
#include "ui/richtext/document_builder.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QTextOption>

#include <cmath>

namespace mirelda::ui::build {

namespace {

QFont::StyleHint StyleHintOf(FontFamily family)
{
    switch (family) {
    case FontFamily::Roman:
        return QFont::Serif;
    case FontFamily::Swiss:
        return QFont::SansSerif;
    case FontFamily::Modern:
        return QFont::TypeWriter;
    case FontFamily::Script:
        return QFont::Cursive;
    case FontFamily::Decor:
        return QFont::Decorative;
    default:
        return QFont::AnyStyle;
    }
}

QTextCharFormat::UnderlineStyle UnderlineStyleOf(UnderlineKind kind)
{
    switch (kind) {
    case UnderlineKind::None:
        return QTextCharFormat::NoUnderline;
    case UnderlineKind::Dotted:
        return QTextCharFormat::DotLine;
    case UnderlineKind::Dash:
        return QTextCharFormat::DashUnderline;
    case UnderlineKind::DashDot:
        return QTextCharFormat::DashDotLine;
    case UnderlineKind::DashDotDot:
        return QTextCharFormat::DashDotDotLine;
    case UnderlineKind::Wave:
        return QTextCharFormat::WaveUnderline;
    default:
        return QTextCharFormat::SingleUnderline; // words, double, thick: nearest look
    }
}

} // namespace

QTextCharFormat DocumentBuilder::CharFormatOf(const CharFormat& f) const
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

QTextBlockFormat DocumentBuilder::BlockFormatOf(const ParagraphFormat& f) const
{
    QTextBlockFormat out;
    switch (f.alignment) {
    case Alignment::Left:
        out.setAlignment(Qt::AlignLeft);
        break;
    case Alignment::Center:
        out.setAlignment(Qt::AlignHCenter);
        break;
    case Alignment::Right:
        out.setAlignment(Qt::AlignRight);
        break;
    case Alignment::Justify:
        out.setAlignment(Qt::AlignJustify);
        break;
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
            out.setLineHeight(std::min(Pixels(-double(f.lineSpacing)), 1000.0),
                              QTextBlockFormat::FixedHeight);
        }
    }
    QList<QTextOption::Tab> tabs;
    if (!f.tableRow) { // a row's cells are a table's, its tab stops the cells' own
        for (const TabStop& t : f.tabs) {
            const double x = Pixels(t.position);
            switch (t.kind) {
            case TabKind::Left:
                tabs.append(QTextOption::Tab(x, QTextOption::LeftTab));
                break;
            case TabKind::Center:
                tabs.append(QTextOption::Tab(x, QTextOption::CenterTab));
                break;
            case TabKind::Right:
                tabs.append(QTextOption::Tab(x, QTextOption::RightTab));
                break;
            case TabKind::Decimal:
                tabs.append(QTextOption::Tab(x, QTextOption::DelimiterTab, QLatin1Char('.')));
                break;
            case TabKind::Bar:
                break; // a drawn rule, not a stop
            }
        }
    }
    if (!tabs.isEmpty())
        out.setTabPositions(tabs);
    if (f.pageBreakBefore)
        out.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    return out;
}

// A table cell's paragraph: the row's paragraph format with the format of the cell's paragraph
// (its own where a \par ends it, else the alignment at the cell's end), and the row's height
// as the height of its lines.
QTextBlockFormat DocumentBuilder::CellBlockFormat(const ParagraphFormat& f, const Entry& entry) const
{
    const RichTableRow& row = *entry.row;
    const int textCell = entry.textCell;
    ParagraphFormat own = f;
    if (const CellParagraphBreak* b = entry.ending) {
        own.alignment = b->alignment;
        own.leftIndent = b->leftIndent;
        own.rightIndent = b->rightIndent;
        own.firstIndent = b->firstIndent;
        own.spaceBefore = b->spaceBefore;
        own.spaceAfter = b->spaceAfter;
    } else if (textCell >= 0 && static_cast<std::size_t>(textCell) < row.cellAlignments.size()) {
        own.alignment = row.cellAlignments[static_cast<std::size_t>(textCell)];
    }
    QTextBlockFormat out = BlockFormatOf(own);
    if (row.height > 0)
        out.setLineHeight(std::min(Pixels(row.height), 1000.0), QTextBlockFormat::MinimumHeight);
    else if (row.height < 0)
        out.setLineHeight(std::min(Pixels(-double(row.height)), 1000.0), QTextBlockFormat::FixedHeight);
    return out;
}

// Qt sizes a line by its tallest font, but some fonts it draws taller than they mean
// (font_line_height.h). Every line of a block is scaled alike, each from its own tallest font:
// by as much as the block's fonts all allow, so that no line comes out shorter than its font
// means; single, multiple or at least so much alike, but never below what a picture in it
// needs. An exact height needs no font.
void DocumentBuilder::FitLineHeight(QTextBlockFormat& format, const QTextBlock& block)
{
    const int type = format.lineHeightType();
    if (type != QTextBlockFormat::SingleHeight && type != QTextBlockFormat::ProportionalHeight &&
        type != QTextBlockFormat::MinimumHeight)
        return;
    double scale = 0;    // the largest of the fonts' intended to drawn heights
    double shortest = 0; // drawn, of the block's smallest font
    const auto consider = [&](int formatIndex, const QTextCharFormat& chars) {
        auto known = formatLineHeights_.find(formatIndex);
        if (known == formatLineHeights_.end()) {
            const QFont font = chars.font().resolve(doc_.defaultFont());
            const QString key = font.key();
            auto it = lineHeights_.find(key);
            if (it == lineHeights_.end())
                it = lineHeights_.insert(key, LineHeightOf(font));
            known = formatLineHeights_.insert(formatIndex, *it);
        }
        if (known->drawn <= 0)
            return;
        scale = std::max(scale, known->intended / known->drawn);
        if (shortest == 0 || known->drawn < shortest)
            shortest = known->drawn;
    };
    for (auto it = block.begin(); !it.atEnd(); ++it)
        consider(it.fragment().charFormatIndex(), it.fragment().charFormat());
    if (block.length() <= 1) // an empty block's line is in its own format
        consider(block.charFormatIndex(), block.charFormat());
    if (shortest <= 0 || std::abs(scale - 1) < 0.002)
        return;
    // A picture's line is as tall as the picture: scaled down, it would cover the line above.
    if (scale < 1 && block.text().contains(QChar::ObjectReplacementCharacter)) {
        if (type == QTextBlockFormat::MinimumHeight)
            return;
        scale = 1;
    }
    if (type == QTextBlockFormat::MinimumHeight) {
        // A line of the smallest font alone must still come to the least height.
        const double factor = std::max(scale, format.lineHeight() / shortest);
        if (factor < 1)
            format.setLineHeight(100.0 * factor, QTextBlockFormat::ProportionalHeight);
        return; // otherwise the least height or Qt's own line wins either way
    }
    const double percent = type == QTextBlockFormat::ProportionalHeight ? format.lineHeight() : 100.0;
    format.setLineHeight(percent * scale, QTextBlockFormat::ProportionalHeight);
}

} // namespace mirelda::ui::build
