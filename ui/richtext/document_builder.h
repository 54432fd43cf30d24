#pragma once
// The builder behind BuildTextDocument, shared by its files: text_document_builder.cpp runs it
// (the text, pictures and shapes), text_document_formats.cpp makes the character and paragraph
// formats, text_document_tables.cpp steers the cursor through tables, text_document_lists.cpp
// numbers lists. Nothing outside those files includes this.

#include "core/richtext/document.h"
#include "core/richtext/table_plan.h"
#include "core/richtext/units.h"
#include "core/view/position_map.h"
#include "ui/richtext/font_line_height.h"
#include "ui/richtext/long_words.h"
#include "ui/richtext/table_format.h"

#include <QHash>
#include <QString>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class QTextDocument;
class QTextTable;

namespace mirelda::ui::build {

// Tables inside cells are drawn to this depth (the reader keeps no deeper ones).
inline constexpr std::int32_t kMaxNestedDepth = 16;

inline QString ToQString(const std::u16string& s)
{
    return QString::fromStdU16String(s);
}

class DocumentBuilder
{
  public:
    // `tables`: the document whose table rows and colours the tables are planned from: `model`
    // itself, or its tables bounded (BoundedTables), in the same numbering.
    DocumentBuilder(const RichDocument& model, const RichDocument& tables, QTextDocument& doc, double dpiX)
        : model_(model), tableModel_(tables), doc_(doc), cursor_(&doc), dpiX_(dpiX)
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
    // A table being filled, at the top level or inside a cell: both are inserted and steered
    // through by the same steps, so that a nested table shows what it would at the top.
    struct OpenTable
    {
        QTextTable* frame = nullptr;
        const PlannedTable* plan = nullptr;
        int row = -1; // its cell the cursor is in
        int column = -1;
    };
    struct OpenNested
    {
        std::size_t table = 0;
        OpenTable open;
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

    // The text, pictures and shapes (text_document_builder.cpp).
    void Flush(std::int32_t from, std::int32_t to, const QTextCharFormat& format);
    void InsertPicture(std::int32_t position, const QTextCharFormat& format);
    const RichParagraph* ParagraphOfMark(std::int32_t mark) const;
    std::vector<Piece> Pieces() const;
    void PlanShapes();
    void InsertShapesAt(std::int32_t position, bool floatingOnly = false);

    // Formats (text_document_formats.cpp).
    QTextCharFormat CharFormatOf(const CharFormat& f) const;
    QTextBlockFormat BlockFormatOf(const ParagraphFormat& f) const;
    QTextBlockFormat CellBlockFormat(const ParagraphFormat& f, const Entry& entry) const;
    void FitLineHeight(QTextBlockFormat& format, const QTextBlock& block);

    // Tables (text_document_tables.cpp).
    void PlanEvents();
    void PlanNestedTables();
    void HandleEvent(const Event& event);
    void HandleNestedEvent(const Event& event);
    OpenTable InsertTable(const RichDocument& definitions, const PlannedTable& plan, bool nested);
    bool EnterTableCell(OpenTable& table, std::size_t row, int textCell);
    void LeaveTable(OpenTable& table);
    void EnterCell(std::size_t row, int textCell);
    void EnterNestedCell(OpenNested& nested, std::size_t row, int textCell);
    void BreakCellParagraph(std::int32_t position, const CellParagraphBreak& ending,
                            const QTextCharFormat& format);

    // Lists (text_document_lists.cpp).
    void PlanDrawnNumbers();
    void StartBlock(std::int32_t paragraphStart);
    void ApplyParagraphFormats();

    const RichDocument& model_;
    const RichDocument& tableModel_;
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
    OpenTable table_; // the top-level table being filled, if any
    // Numbered paragraphs whose number a QTextList cannot show (it counts from 1): their
    // number is drawn as text in front of the paragraph.
    std::vector<bool> drawnNumber_;
    LongWordBreaker longWords_;
    QHash<QString, FontLineHeight> lineHeights_;   // by QFont::key()
    QHash<int, FontLineHeight> formatLineHeights_; // by the document's character format index
    int tabsBlock_ = -1; // the block whose shown tabs tabsInBlock_ counts (its position)
    int tabsInBlock_ = 0;
};

} // namespace mirelda::ui::build
