#include "ui/view/book_printer.h"

#include "core/richtext/rtf_reader.h"
#include "core/store/cp1252.h"
#include "ui/richtext/text_document_builder.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

namespace {

// The article's document with its title as a first block of its own, bold and larger.
void AddTitle(QTextDocument& doc, const QString& title, const QFont& font)
{
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::Start);
    // A new first block; the article's own first block keeps its formats.
    c.insertBlock(c.blockFormat(), c.charFormat());
    c.movePosition(QTextCursor::Start);
    QTextCharFormat titleFormat;
    titleFormat.setFontWeight(QFont::Bold);
    titleFormat.setFontPointSize(font.pointSizeF() > 0 ? font.pointSizeF() * 1.4 : 14);
    QTextBlockFormat block;
    block.setBottomMargin(titleFormat.fontPointSize());
    c.setBlockFormat(block);
    c.setBlockCharFormat(titleFormat);
    c.insertText(title, titleFormat);
}

} // namespace

mirelda::Result<BookPrintout> PrintBook(QPrinter& printer, const mirelda::ArticleIndex& index,
                                        const std::filesystem::path& dataFile,
                                        const std::vector<std::int32_t>& articles, const QFont& font)
{
    BookPrintout out;
    QPainter painter;
    // The same page as QTextDocument::print gives one article: the paper less 2 cm all round.
    // The margin is given at 96 per inch: the layout scales frame margins to its device itself.
    const QSizeF page = printer.pageRect(QPrinter::DevicePixel).size();
    const qreal margin = 2 / 2.54 * 96;
    for (const std::int32_t number : articles) {
        const mirelda::ArticleEntry* entry = index.FindArticle(number);
        if (!entry)
            continue;
        auto read = mirelda::ReadArticle(dataFile, *entry);
        if (!read.ok())
            return read.error();
        const mirelda::Article& article = read.value();
        if (mirelda::IsPopupTitle(article.title))
            continue;

        QTextDocument doc;
        doc.setDefaultFont(font);
        mirelda::BuildTextDocument(mirelda::ReadRtf(article.text), doc, printer.logicalDpiX());
        AddTitle(doc, QString::fromStdU16String(mirelda::DecodeCp1252(article.title)), font);
        doc.documentLayout()->setPaintDevice(&printer);
        QTextFrameFormat root = doc.rootFrame()->frameFormat();
        root.setMargin(margin);
        doc.rootFrame()->setFrameFormat(root);
        doc.setPageSize(page);

        for (int p = 0; p < doc.pageCount(); ++p) {
            if (out.pages == 0 ? !painter.begin(&printer) : !printer.newPage())
                return out; // no printer to paint on: nothing more can be printed
            painter.save();
            painter.translate(0, -p * page.height());
            doc.drawContents(&painter, QRectF(QPointF(0, p * page.height()), page));
            painter.restore();
            ++out.pages;
        }
        out.articles.push_back(number);
    }
    return out;
}
