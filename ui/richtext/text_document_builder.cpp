#include "ui/richtext/text_document_builder.h"

#include "ui/richtext/long_words.h"
#include "ui/richtext/picture_object.h"
#include "ui/richtext/shape_object.h"
#include "ui/richtext/table_plan.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextListFormat>
#include <QTextTable>

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

// Tables inside cells are drawn to this depth (the reader keeps no deeper ones).
constexpr std::int32_t kMaxNestedDepth = 16;

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

QColor ColorOf(const RichDocument& model, std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= model.colors.size())
        return {};
    const RichColor& c = model.colors[static_cast<std::size_t>(index)];
    if (c.automatic)
        return {};
    return QColor(c.red, c.green, c.blue);
}

class Builder
{
  public:
    Builder(const RichDocument& model, QTextDocument& doc, double dpiX)
        : model_(model), doc_(doc), cursor_(&doc), dpiX_(dpiX)
    {
    }

    PositionMap Run();

  private:
    // A block of the document and the model paragraph whose format it takes.
    struct Entry
    {
        QTextBlock block;
        const RichParagraph* paragraph = nullptr;
        QTextCharFormat markFormat;
        const RichTableRow* row = nullptr; // set for a table cell's block
        int textCell = 0;
        const CellParagraphBreak* ending = nullptr; // the \par in the cell that ends the block
    };
    // Where the model's table structure steers the cursor.
    // The Nested kinds steer into tables inside cells; a nested cell's tab stays shown at the
    // end of its cell, so they consume no character.
    enum class EventKind {
        TableStart,
        CellEnd,
        RowEnd,
        ParagraphBreak,
        NestedStart,
        NestedCellEnd,
        NestedRowEnd
    };
    struct Event
    {
        std::int32_t position = 0;
        EventKind kind = EventKind::TableStart;
        std::size_t table = 0;
        std::size_t row = 0;                                // index in the planned table
        int textCell = 0;                                   // CellEnd: the text cell that ends here
        const CellParagraphBreak* paragraphBreak = nullptr; // ParagraphBreak
        int order = 0;                                      // among events at one position
    };
    // A planned table inside a cell: its rows' definitions as a document of their own, so
    // that it is planned and formatted as any table.
    struct NestedTable
    {
        std::int32_t depth = 2;
        std::vector<std::size_t> rows; // into RichDocument::nestedRows, one per planned row
        RichDocument definitions;      // colours, and the rows as table rows
        PlannedTable plan;
    };
    struct OpenNested
    {
        std::size_t table = 0;
        QTextTable* frame = nullptr;
        std::size_t row = 0;
        int column = -1;
        Entry outer; // the block format of the cell it lies in
    };
    // A stretch of a run, shown or left out.
    struct Piece
    {
        std::int32_t start = 0;
        std::int32_t end = 0;
        const CharFormat* format = nullptr;
        bool replaced = false; // the fallback of a drawn shape
    };

    QTextCharFormat CharFormatOf(const CharFormat& f) const;
    QTextBlockFormat BlockFormatOf(const ParagraphFormat& f) const;
    void Flush(std::int32_t from, std::int32_t to, const QTextCharFormat& format);
    void InsertPicture(std::int32_t position, const QTextCharFormat& format);
    void ApplyParagraphFormats();
    const RichParagraph* ParagraphOfMark(std::int32_t mark) const;
    void PlanEvents();
    void PlanNestedTables();
    void PlanShapes();
    std::vector<Piece> Pieces() const;
    void InsertShapesAt(std::int32_t position, bool floatingOnly = false);
    void HandleNestedEvent(const Event& event);
    void EnterNestedCell(OpenNested& open, std::size_t row, int textCell);
    void PlanDrawnNumbers();
    void StartBlock(std::int32_t paragraphStart);
    void HandleEvent(const Event& event);
    void EnterCell(std::size_t table, std::size_t row, int textCell);
    void BreakCellParagraph(std::int32_t position, const CellParagraphBreak& ending,
                            const QTextCharFormat& format);
    QTextBlockFormat CellBlockFormat(const ParagraphFormat& f, const Entry& entry) const;

    const RichDocument& model_;
    QTextDocument& doc_;
    QTextCursor cursor_;
    const double dpiX_;
    PositionMap map_;
    std::vector<Entry> entries_;
    QTextCharFormat lastFormat_;
    std::size_t nextPicture_ = 0;
    int pictureCount_ = 0;
    std::vector<PlannedTable> tables_;
    std::vector<Event> events_;
    std::vector<NestedTable> nestedTables_;
    std::vector<OpenNested> nestedOpen_;                            // innermost last
    std::vector<std::pair<std::int32_t, const RichShape*>> shapes_; // where each is drawn
    std::size_t nextShape_ = 0;
    QTextTable* table_ = nullptr; // the table being filled
    int cellRow_ = -1;            // its cell the cursor is in
    int cellColumn_ = -1;
    // Numbered paragraphs whose number a QTextList cannot show (it counts from 1): their
    // number is drawn as text in front of the paragraph.
    std::vector<bool> drawnNumber_;
    LongWordBreaker longWords_;
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

QChar DocumentCharacterImpl(char16_t c)
{
    switch (c) {
    case kLineBreak:
        return QChar::LineSeparator;
    // Characters the document would turn into block or frame boundaries, or object slots
    // without an object, keep their one position as harmless look-alikes.
    case u'\n':
    case u'\u2029':
        return QChar::LineSeparator;
    case u'\uFDD0':
    case u'\uFDD1':
        return QChar::ReplacementCharacter;
    default:
        return QChar(c);
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
    qsizetype done = 0;
    for (const qsizetype at : longWords_.BreaksIn(chunk, cursor_.position())) {
        map_.addShown(from + static_cast<std::int32_t>(done), cursor_.position(),
                      static_cast<std::int32_t>(at - done));
        cursor_.insertText(chunk.mid(done, at - done), format);
        cursor_.insertText(QString(kWordBreak), format);
        done = at;
    }
    map_.addShown(from + static_cast<std::int32_t>(done), cursor_.position(),
                  static_cast<std::int32_t>(chunk.size() - done));
    cursor_.insertText(done == 0 ? chunk : chunk.mid(done), format);
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

void Builder::PlanEvents()
{
    tables_ = PlanTables(model_);
    for (std::size_t t = 0; t < tables_.size(); ++t) {
        const PlannedTable& table = tables_[t];
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const RichTableRow& row = model_.tableRows[table.rows[r].row];
            if (r == 0)
                events_.push_back({row.start, EventKind::TableStart, t, 0, 0, nullptr, 0});
            for (std::size_t k = 0; k < row.separators.size(); ++k)
                events_.push_back(
                    {row.separators[k], EventKind::CellEnd, t, r, static_cast<int>(k), nullptr, 100});
            for (const CellParagraphBreak& b : row.paragraphBreaks)
                events_.push_back({b.position, EventKind::ParagraphBreak, t, r, 0, &b, 100});
            events_.push_back({row.mark, EventKind::RowEnd, t, r, 0, nullptr, 100});
        }
    }
    PlanNestedTables();
    // A row's paragraph breaks lie among its cell ends; a break at the row's start stays
    // after the table's start. At one position, nested rows end (innermost first), then a
    // table starts, then nested tables start (outermost first), then the rest.
    std::stable_sort(events_.begin(), events_.end(), [](const Event& a, const Event& b) {
        return a.position != b.position ? a.position < b.position : a.order < b.order;
    });
}

void Builder::PlanNestedTables()
{
    const auto& rows = model_.nestedRows;
    std::vector<std::vector<std::size_t>> groups; // rows that follow each other at one depth
    std::vector<std::int32_t> groupDepth;
    std::vector<std::ptrdiff_t> current(static_cast<std::size_t>(kMaxNestedDepth + 1), -1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RichNestedRow& row = rows[i];
        if (row.depth < 2 || row.depth > kMaxNestedDepth || row.end <= row.start)
            continue;
        const auto depth = static_cast<std::size_t>(row.depth);
        for (std::size_t d = depth + 1; d < current.size(); ++d)
            current[d] = -1;
        const std::ptrdiff_t open = current[depth];
        if (open >= 0 && rows[groups[static_cast<std::size_t>(open)].back()].end == row.start) {
            groups[static_cast<std::size_t>(open)].push_back(i);
            continue;
        }
        current[depth] = static_cast<std::ptrdiff_t>(groups.size());
        groups.push_back({i});
        groupDepth.push_back(row.depth);
    }
    for (std::size_t g = 0; g < groups.size(); ++g) {
        RichDocument definitions;
        definitions.colors = model_.colors;
        for (std::size_t k = 0; k < groups[g].size(); ++k) {
            const RichNestedRow& row = rows[groups[g][k]];
            RichTableRow table = row.definition;
            // Planned as consecutive rows with as many text cells as the row has.
            table.start = static_cast<std::int32_t>(2 * k);
            table.mark = table.start + 1;
            const bool lastHasTab = !row.separators.empty() && row.separators.back() + 1 == row.end;
            const std::size_t textCells = row.separators.size() + (lastHasTab ? 0 : 1);
            table.separators.assign(std::max<std::size_t>(textCells, 1) - 1, 0);
            definitions.tableRows.push_back(std::move(table));
        }
        std::vector<PlannedTable> plans = PlanTables(definitions);
        for (PlannedTable& plan : plans) {
            NestedTable nested;
            nested.depth = groupDepth[g];
            for (const PlannedRow& planned : plan.rows)
                nested.rows.push_back(groups[g][planned.row]);
            nested.definitions.colors = model_.colors;
            nested.definitions.tableRows = definitions.tableRows;
            nested.plan = std::move(plan);
            nestedTables_.push_back(std::move(nested));
        }
    }
    for (std::size_t t = 0; t < nestedTables_.size(); ++t) {
        const NestedTable& table = nestedTables_[t];
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const RichNestedRow& row = rows[table.rows[r]];
            if (r == 0)
                events_.push_back({row.start, EventKind::NestedStart, t, 0, 0, nullptr, 10 + table.depth});
            const int textCells = static_cast<int>(table.plan.rows[r].cellOfTextCell.size());
            for (std::size_t k = 0; k < row.separators.size(); ++k) {
                if (static_cast<int>(k) + 1 < textCells)
                    events_.push_back({row.separators[k] + 1, EventKind::NestedCellEnd, t, r,
                                       static_cast<int>(k), nullptr, -10 + 0});
            }
            events_.push_back({row.end, EventKind::NestedRowEnd, t, r, 0, nullptr, -20 - table.depth});
        }
    }
}

void Builder::PlanDrawnNumbers()
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
void Builder::StartBlock(std::int32_t paragraphStart)
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

void Builder::EnterCell(std::size_t table, std::size_t row, int textCell)
{
    const PlannedRow& planned = tables_[table].rows[row];
    const int index = planned.cellOfTextCell[static_cast<std::size_t>(
        std::clamp(textCell, 0, static_cast<int>(planned.cellOfTextCell.size()) - 1))];
    const int column = planned.cells[static_cast<std::size_t>(index)].column;
    if (cellRow_ == static_cast<int>(row) && cellColumn_ == column)
        return; // merged cells: the next one's text follows in the same cell
    cellRow_ = static_cast<int>(row);
    cellColumn_ = column;
    if (planned.cells[static_cast<std::size_t>(index)].rowSpan == 0) {
        // Merged into the cell above: what it holds (usually nothing) follows that cell's text,
        // which keeps its own paragraph format.
        cursor_.setPosition(table_->cellAt(cellRow_, column).lastCursorPosition().position());
        return;
    }
    cursor_.setPosition(table_->cellAt(cellRow_, column).firstCursorPosition().position());
    const RichTableRow& model = model_.tableRows[planned.row];
    entries_.push_back({cursor_.block(), ParagraphOfMark(model.mark), lastFormat_, &model, textCell});
}

// A \par inside a cell: its one position becomes a block separator in the cell, so that each
// of the cell's paragraphs gets its own format.
void Builder::BreakCellParagraph(std::int32_t position, const CellParagraphBreak& ending,
                                 const QTextCharFormat& format)
{
    Entry next;
    if (!entries_.empty() && entries_.back().row && entries_.back().block == cursor_.block()) {
        entries_.back().ending = &ending;
        next = entries_.back();
        next.ending = nullptr;
    }
    map_.addShown(position, cursor_.position(), 1);
    cursor_.insertBlock();
    if (next.row) {
        next.block = cursor_.block();
        next.markFormat = format;
        entries_.push_back(next);
    }
}

void Builder::EnterNestedCell(OpenNested& open, std::size_t row, int textCell)
{
    const NestedTable& table = nestedTables_[open.table];
    const PlannedRow& planned = table.plan.rows[row];
    if (planned.cellOfTextCell.empty() || planned.cells.empty())
        return;
    const int index = planned.cellOfTextCell[static_cast<std::size_t>(
        std::clamp(textCell, 0, static_cast<int>(planned.cellOfTextCell.size()) - 1))];
    const int column = planned.cells[static_cast<std::size_t>(index)].column;
    if (open.row == row && open.column == column)
        return;
    open.row = row;
    open.column = column;
    cursor_.setPosition(open.frame->cellAt(static_cast<int>(row), column).firstCursorPosition().position());
    const RichNestedRow& model = model_.nestedRows[table.rows[row]];
    entries_.push_back({cursor_.block(), open.outer.paragraph, lastFormat_, &model.definition, textCell});
}

void Builder::HandleNestedEvent(const Event& event)
{
    const NestedTable& table = nestedTables_[event.table];
    if (event.kind == EventKind::NestedStart) {
        // Only inside a cell, and inside its parent table.
        if (!table_ || static_cast<std::int32_t>(nestedOpen_.size()) + 2 != table.depth)
            return;
        if (cursor_.positionInBlock() != 0)
            cursor_.insertBlock(); // a document-only break: a table starts a block
        OpenNested open;
        open.table = event.table;
        if (!entries_.empty() && entries_.back().row)
            open.outer = entries_.back();
        const PlannedTable& plan = table.plan;
        const auto rows = static_cast<int>(plan.rows.size());
        const auto columns = static_cast<int>(plan.edges.size()) - 1;
        QTextTableFormat format = TableFormatOf(table.definitions, plan);
        // Its cells' edges count from the cell that holds it, not from the text margin.
        format.setLeftMargin(0);
        open.frame = cursor_.insertTable(rows, columns, format);
        for (std::size_t r = 0; r < plan.rows.size(); ++r) {
            const auto& cells = plan.rows[r].cells;
            for (std::size_t c = 0; c < cells.size(); ++c) {
                if (cells[c].span > 1)
                    open.frame->mergeCells(static_cast<int>(r), cells[c].column, 1, cells[c].span);
                open.frame->cellAt(static_cast<int>(r), cells[c].column)
                    .setFormat(CellFormatOf(table.definitions, plan, r, c));
            }
        }
        open.row = plan.rows.size(); // no cell entered yet
        nestedOpen_.push_back(open);
        EnterNestedCell(nestedOpen_.back(), 0, 0);
        return;
    }
    if (nestedOpen_.empty() || nestedOpen_.back().table != event.table)
        return; // a table that could not be drawn, or one already closed
    OpenNested& open = nestedOpen_.back();
    if (event.kind == EventKind::NestedCellEnd) {
        EnterNestedCell(open, event.row, event.textCell + 1);
        return;
    }
    if (event.row + 1 < table.rows.size()) {
        EnterNestedCell(open, event.row + 1, 0);
        return;
    }
    cursor_.setPosition(open.frame->lastPosition() + 1);
    Entry after = open.outer;
    nestedOpen_.pop_back();
    if (after.row) {
        after.block = cursor_.block();
        after.ending = nullptr;
        entries_.push_back(after);
    }
}

void Builder::HandleEvent(const Event& event)
{
    if (event.kind == EventKind::NestedStart || event.kind == EventKind::NestedCellEnd ||
        event.kind == EventKind::NestedRowEnd) {
        HandleNestedEvent(event);
        return;
    }
    if (event.kind != EventKind::ParagraphBreak)
        nestedOpen_.clear(); // an outer cell ends whatever it held
    const PlannedTable& table = tables_[event.table];
    if (event.kind != EventKind::TableStart && !table_)
        return; // a table always opens first; never steer into nothing
    switch (event.kind) {
    case EventKind::TableStart: {
        if (cursor_.positionInBlock() != 0)
            cursor_.insertBlock(); // a document-only break: a table starts a block
        const auto rows = static_cast<int>(table.rows.size());
        const auto columns = static_cast<int>(table.edges.size()) - 1;
        table_ = cursor_.insertTable(rows, columns, TableFormatOf(model_, table));
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const auto& cells = table.rows[r].cells;
            for (std::size_t c = 0; c < cells.size(); ++c) {
                if (cells[c].rowSpan == 0)
                    continue; // covered by the cell above, which holds its format
                if (cells[c].span > 1 || cells[c].rowSpan > 1)
                    table_->mergeCells(static_cast<int>(r), cells[c].column, cells[c].rowSpan, cells[c].span);
                table_->cellAt(static_cast<int>(r), cells[c].column)
                    .setFormat(CellFormatOf(model_, table, r, c));
            }
        }
        cellRow_ = cellColumn_ = -1;
        EnterCell(event.table, 0, 0);
        break;
    }
    case EventKind::CellEnd:
        EnterCell(event.table, event.row, event.textCell + 1);
        break;
    case EventKind::RowEnd:
        if (event.row + 1 < table.rows.size()) {
            EnterCell(event.table, event.row + 1, 0);
        } else {
            cursor_.setPosition(table_->lastPosition() + 1);
            table_ = nullptr;
            cellRow_ = cellColumn_ = -1;
            StartBlock(model_.tableRows[table.rows[event.row].row].mark + 1);
        }
        break;
    case EventKind::ParagraphBreak:
        break; // Run() breaks the block, knowing whether it is shown
    case EventKind::NestedStart:
    case EventKind::NestedCellEnd:
    case EventKind::NestedRowEnd:
        break; // HandleNestedEvent's
    }
}

PositionMap Builder::Run()
{
    const auto textSize = static_cast<std::int32_t>(model_.text.size());
    const std::int32_t finalMark = textSize - 1;
    bool finalHidden = true;
    PlanEvents();
    PlanDrawnNumbers();
    std::size_t nextEvent = 0;

    PlanShapes();
    cursor_.beginEditBlock();
    StartBlock(0);
    for (const Piece& piece : Pieces()) {
        const std::int32_t start = piece.start;
        const std::int32_t end = piece.end;
        // Hidden text is left out, but the table structure it holds still steers the cursor;
        // so is the fallback of a shape drawn instead.
        const bool hidden = piece.format->hidden || piece.replaced;
        const QTextCharFormat format = hidden ? QTextCharFormat() : CharFormatOf(*piece.format);
        if (!hidden) {
            lastFormat_ = format;
            if (end == textSize)
                finalHidden = false;
        }
        std::int32_t pending = start;
        for (std::int32_t p = start; p < end; ++p) {
            bool consumed = false;
            while (nextEvent < events_.size() && events_[nextEvent].position <= p) {
                const Event& event = events_[nextEvent++];
                if (event.position < p)
                    continue; // cannot happen: events lie inside the text, in order
                if (event.kind == EventKind::NestedStart || event.kind == EventKind::NestedCellEnd ||
                    event.kind == EventKind::NestedRowEnd) {
                    if (!hidden && pending < p) {
                        Flush(pending, p, format);
                        pending = p;
                    }
                    HandleEvent(event);
                    continue;
                }
                if (!hidden)
                    Flush(pending, p, format);
                pending = p;
                if (event.kind != EventKind::TableStart) {
                    consumed = true; // the separator tab or the row's mark: no character
                    pending = p + 1;
                }
                if (event.kind == EventKind::ParagraphBreak) {
                    if (!hidden && table_)
                        BreakCellParagraph(p, *event.paragraphBreak, format);
                    else if (!hidden)
                        pending = p; // no cell to break: shown as the line break it is
                    continue;
                }
                HandleEvent(event);
            }
            if (nextShape_ < shapes_.size() && shapes_[nextShape_].first <= p) {
                if (!hidden && pending < p) {
                    Flush(pending, p, format);
                    pending = p;
                }
                InsertShapesAt(p);
            }
            if (consumed || hidden)
                continue;
            const char16_t c = model_.text[static_cast<std::size_t>(p)];
            if (c != kParagraphMark && c != kObjectMark)
                continue;
            Flush(pending, p, format);
            pending = p + 1;
            if (c == kObjectMark) {
                map_.addShown(p, cursor_.position(), 1);
                InsertPicture(p, format);
            } else {
                entries_.push_back({cursor_.block(), ParagraphOfMark(p), format, nullptr, 0});
                if (p != finalMark) {
                    map_.addShown(p, cursor_.position(), 1);
                    cursor_.insertBlock();
                    StartBlock(p + 1);
                }
            }
        }
        if (!hidden)
            Flush(pending, end, format);
    }
    // The document's last block ends at the final mark even when that mark is hidden; after
    // a table that ends the text it holds nothing of the model.
    if (entries_.empty() || entries_.back().block != doc_.lastBlock()) {
        const bool afterTable = !model_.paragraphs.empty() && model_.paragraphs.back().format.tableRow;
        entries_.push_back({doc_.lastBlock(),
                            model_.paragraphs.empty() || afterTable ? nullptr : &model_.paragraphs.back(),
                            lastFormat_, nullptr, 0});
    }
    ApplyParagraphFormats();
    cursor_.endEditBlock();
    if (!finalHidden)
        map_.addShown(finalMark, doc_.characterCount() - 1, 1);
    map_.finish(textSize, doc_.characterCount());
    return std::move(map_);
}

// The runs cut where the fallback of a drawn shape starts and ends.
std::vector<Builder::Piece> Builder::Pieces() const
{
    const auto textSize = static_cast<std::int32_t>(model_.text.size());
    const std::vector<TextSpan> replaced = ReplacedSpans(model_);
    std::vector<Piece> pieces;
    pieces.reserve(model_.runs.size() + 2 * replaced.size());
    std::size_t next = 0;
    for (const CharRun& run : model_.runs) {
        std::int32_t start = std::clamp(run.start, 0, textSize);
        const auto end = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{run.start} + run.length, start, textSize));
        while (start < end) {
            while (next < replaced.size() && replaced[next].first + replaced[next].length <= start)
                ++next;
            if (next >= replaced.size() || replaced[next].first >= end) {
                pieces.push_back({start, end, &run.format, false});
                break;
            }
            const TextSpan& span = replaced[next];
            if (span.first > start) {
                pieces.push_back({start, span.first, &run.format, false});
                start = span.first;
            }
            const std::int32_t stop = std::min(end, span.first + span.length);
            pieces.push_back({start, stop, &run.format, true});
            start = stop;
        }
    }
    return pieces;
}

// Each drawable shape, at its anchor or, floating, at the start of its anchor's paragraph,
// unless that is a table row.
void Builder::PlanShapes()
{
    for (const RichShape& shape : model_.shapes) {
        if (!ShapeDrawable(shape))
            continue;
        const CharRun* run = RunAt(model_, shape.anchor);
        if (run && run->format.hidden)
            continue; // hidden with the text it is anchored in
        std::int32_t at = shape.anchor;
        if (ShapeFloats(shape)) {
            auto it = std::upper_bound(model_.paragraphs.begin(), model_.paragraphs.end(), shape.anchor,
                                       [](std::int32_t p, const RichParagraph& r) { return p < r.start; });
            if (it != model_.paragraphs.begin() && !std::prev(it)->format.tableRow)
                at = std::prev(it)->start;
        }
        shapes_.emplace_back(at, &shape);
    }
    std::stable_sort(shapes_.begin(), shapes_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

void Builder::InsertShapesAt(std::int32_t position, bool floatingOnly)
{
    while (nextShape_ < shapes_.size() && shapes_[nextShape_].first <= position &&
           (!floatingOnly || ShapeFloats(*shapes_[nextShape_].second))) {
        InsertShape(doc_, cursor_, *shapes_[nextShape_].second, lastFormat_, pictureCount_);
        ++nextShape_;
    }
}

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

void Builder::ApplyParagraphFormats()
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
            if (paragraph)
                c.setBlockFormat(CellBlockFormat(paragraph->format, entry));
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

// A table cell's paragraph: the row's paragraph format with the format of the cell's paragraph
// (its own where a \par ends it, else the alignment at the cell's end), and the row's height
// as the height of its lines.
QTextBlockFormat Builder::CellBlockFormat(const ParagraphFormat& f, const Entry& entry) const
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

} // namespace

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
    const std::optional<RichDocument> bounded = WithTablesBounded(model);
    PositionMap map = Builder(bounded ? *bounded : model, target, deviceDpiX).Run();
    target.setUndoRedoEnabled(undo);
    return map;
}

} // namespace mirelda
