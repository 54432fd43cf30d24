// Lists: the numbers and bullets QTextList draws, and those drawn as text in front of a paragraph.
#include "ui/richtext/document_builder.h"

#include "ui/richtext/picture_object.h"

#include <QTextDocument>
#include <QTextList>
#include <QTextListFormat>

#include <map>

namespace mirelda::ui::build {

namespace {

QTextListFormat::Style ListStyleOf(ListKind kind)
{
    switch (kind) {
    case ListKind::Decimal:
        return QTextListFormat::ListDecimal;
    case ListKind::LowerLetter:
        return QTextListFormat::ListLowerAlpha;
    case ListKind::UpperLetter:
        return QTextListFormat::ListUpperAlpha;
    case ListKind::LowerRoman:
        return QTextListFormat::ListLowerRoman;
    case ListKind::UpperRoman:
        return QTextListFormat::ListUpperRoman;
    default:
        return QTextListFormat::ListDisc;
    }
}

// The numeral the list draws for `number`, so that the marker's own text can be split into
// what comes before and after it ("(", "c", ")").
QString Numeral(ListKind kind, int number)
{
    switch (kind) {
    case ListKind::Decimal:
        return QString::number(number);
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
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
            {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
        QString s;
        int n = std::clamp(number, 0, 4999);
        for (const auto& [value, text] : table)
            for (; n >= value; n -= value)
                s += QLatin1String(text);
        return kind == ListKind::UpperRoman ? s.toUpper() : s;
    }
    default:
        return {};
    }
}

} // namespace

void DocumentBuilder::PlanDrawnNumbers()
{
    // A numbered paragraph joins the open list of its kind when its number is that list's
    // next one, and opens a list when it is 1; any other number is drawn by us.
    std::map<ListKind, int> next;
    drawnNumber_.assign(model_.paragraphs.size(), false);
    for (std::size_t i = 0; i < model_.paragraphs.size(); ++i) {
        const ParagraphFormat& f = model_.paragraphs[i].format;
        const ListMarker& marker = f.list;
        if (!f.tableRow && marker.picture >= 0) {
            drawnNumber_[i] = true; // a picture bullet: no list draws one
            continue;
        }
        if (f.tableRow || marker.kind == ListKind::None || marker.kind == ListKind::Bullet)
            continue;
        const int number = std::max(1, marker.number);
        int& open = next[marker.kind];
        if (open == number || number == 1)
            open = number + 1;
        else
            drawnNumber_[i] = true;
    }
}

// At the start of a new block: a number the list cannot draw goes in front of the text, as
// document-only characters.
void DocumentBuilder::StartBlock(std::int32_t paragraphStart)
{
    InsertShapesAt(paragraphStart, true); // a floating shape goes before the number too
    auto it = std::lower_bound(model_.paragraphs.begin(), model_.paragraphs.end(), paragraphStart,
                               [](const RichParagraph& p, std::int32_t s) { return p.start < s; });
    if (it == model_.paragraphs.end() || it->start != paragraphStart ||
        !drawnNumber_[static_cast<std::size_t>(it - model_.paragraphs.begin())])
        return;
    const CharRun* run = RunAt(model_, paragraphStart);
    CharFormat marker = run ? run->format : CharFormat{};
    if (it->format.list.font >= 0)
        marker.font = it->format.list.font;
    const ListMarker& list = it->format.list;
    if (list.picture >= 0 && static_cast<std::size_t>(list.picture) < model_.listPictures.size()) {
        InsertPictureObject(doc_, cursor_, &model_.listPictures[static_cast<std::size_t>(list.picture)],
                            CharFormatOf(marker), pictureCount_++);
        cursor_.insertText(QStringLiteral("\t"), CharFormatOf(marker));
        return;
    }
    cursor_.insertText(ToQString(list.text) + QLatin1Char('\t'), CharFormatOf(marker));
}

void DocumentBuilder::ApplyParagraphFormats()
{
    // Bullets: one list per run of consecutive bulleted paragraphs. Numbers: a paragraph joins
    // the open list of its kind whose next number is its own, even across unnumbered
    // paragraphs, and number 1 opens a list; other numbers are drawn as text (StartBlock).
    struct OpenList
    {
        QTextList* list = nullptr;
        int next = 1;
    };
    std::map<ListKind, OpenList> numbered;
    QTextList* bullets = nullptr;

    for (const Entry& entry : entries_) {
        const RichParagraph* paragraph = entry.paragraph;
        QTextCursor c(entry.block);
        if (entry.row) {
            // A cell's first block starts with the cell's own boundary, which holds the
            // cell's format: merge, never replace.
            c.mergeBlockCharFormat(entry.markFormat);
            if (paragraph) {
                QTextBlockFormat cellFormat = CellBlockFormat(paragraph->format, entry);
                FitLineHeight(cellFormat, entry.block);
                c.setBlockFormat(cellFormat);
            }
            bullets = nullptr;
            continue;
        }
        c.setBlockCharFormat(entry.markFormat);
        if (!paragraph) {
            // The block a table that ends the text leaves after it: no line of its own.
            QTextBlockFormat none;
            none.setLineHeight(0, QTextBlockFormat::FixedHeight);
            c.setBlockFormat(none);
            bullets = nullptr;
            continue;
        }
        QTextBlockFormat blockFormat = BlockFormatOf(paragraph->format);
        const ListMarker& marker = paragraph->format.list;
        const auto index = static_cast<std::size_t>(paragraph - model_.paragraphs.data());
        const bool drawn = index < drawnNumber_.size() && drawnNumber_[index];
        if (drawn) {
            // The number and its tab hang in the first-line indent, the text starts at the
            // left indent, as the list would show it. (The tab stop counts from the line's
            // start, in a length the layout scales itself.)
            const double hang = -std::min(0.0, DevicePixels(paragraph->format.firstIndent, dpiX_));
            blockFormat.setTextIndent(-hang);
            if (hang > 0)
                blockFormat.setTabPositions(
                    {QTextOption::Tab(Pixels(-double(paragraph->format.firstIndent)), QTextOption::LeftTab)});
        }
        FitLineHeight(blockFormat, entry.block);
        c.setBlockFormat(blockFormat);
        if (marker.kind != ListKind::Bullet)
            bullets = nullptr;
        if (marker.kind == ListKind::None || drawn)
            continue;

        if (marker.kind == ListKind::Bullet) {
            if (bullets) {
                bullets->add(entry.block);
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
        if (open.list && open.next == number) {
            open.list->add(entry.block);
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

} // namespace mirelda::ui::build
