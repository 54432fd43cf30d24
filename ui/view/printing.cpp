#include "ui/view/printing.h"

#include "core/richtext/rtf_reader.h"
#include "core/store/cp1252.h"
#include "ui/richtext/text_document_builder.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>

namespace mirelda::ui {

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

// The page number at the foot of the page, right-aligned on the text's edge, just inside the
// bottom margin: where QTextDocument::print puts a single article's numbers.
void DrawPageNumber(QPainter& painter, const QTextDocument& doc, QSizeF page, qreal margin, int number)
{
    const QFontMetricsF metrics(doc.defaultFont(), painter.device());
    const qreal scale = painter.device()->logicalDpiY() / 96.0;
    const QString text = QString::number(number);
    const qreal right = page.width() - margin * painter.device()->logicalDpiX() / 96.0;
    const qreal baseline = page.height() - margin * scale + metrics.ascent() + 5 * scale;
    painter.save();
    painter.setFont(QFont(doc.defaultFont(), painter.device()));
    painter.drawText(QPointF(right - metrics.horizontalAdvance(text), baseline), text);
    painter.restore();
}

} // namespace

std::unique_ptr<QTextDocument> ArticlePrintout(std::string_view rtf, const QFont& font,
                                               const QPrinter& printer, int selectionStart, int selectionEnd)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(font);
    mirelda::ui::BuildTextDocument(mirelda::ReadRtf(rtf), *doc, printer.logicalDpiX());
    if (printer.printRange() == QPrinter::Selection && selectionStart != selectionEnd) {
        // Built from the same text, the document has the view's positions.
        QTextCursor c(doc.get());
        c.beginEditBlock();
        c.setPosition(std::min(std::max(selectionStart, selectionEnd), doc->characterCount() - 1));
        c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        c.setPosition(0);
        c.setPosition(std::min(std::min(selectionStart, selectionEnd), doc->characterCount() - 1),
                      QTextCursor::KeepAnchor);
        c.removeSelectedText();
        c.endEditBlock();
    }
    return doc;
}

void PrintThroughDialog(QWidget* parent, bool offerSelection, const QString& docName, const PrintOnto& print)
{
    QPrinter printer(QPrinter::HighResolution);
    // The print dialog makes the name of a file to print to from the printer's name.
    if (!docName.isEmpty())
        printer.setDocName(docName);
    QPrintDialog dialog(&printer, parent);
    if (offerSelection)
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
    if (dialog.exec() == QDialog::Accepted)
        print(printer);
}

void PrintPreview(QWidget* parent, QPrinter* printer, const PrintOnto& print)
{
    std::unique_ptr<QPrintPreviewDialog> preview =
        printer ? std::make_unique<QPrintPreviewDialog>(printer, parent)
                : std::make_unique<QPrintPreviewDialog>(parent);
    QObject::connect(preview.get(), &QPrintPreviewDialog::paintRequested, preview.get(),
                     [&print](QPrinter* target) {
                         if (target)
                             print(*target);
                     });
    preview->exec();
}

bool BeginsWithTitle(const QTextDocument& doc, const QString& title)
{
    const QString wanted = title.simplified();
    if (wanted.isEmpty())
        return false;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text().simplified();
        if (text.isEmpty())
            continue;
        if (!text.startsWith(wanted, Qt::CaseInsensitive))
            return false;
        // The whole title, not the start of a longer word.
        return text.size() == wanted.size() || !text.at(wanted.size()).isLetterOrNumber();
    }
    return false;
}

QString BookFileName(const QString& title)
{
    QString name;
    for (const QChar c : title.simplified()) {
        // What a file name cannot hold here or on the desktops a PDF is carried to.
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            name += QLatin1Char('-');
        else
            name += c;
    }
    while (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    name = name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("livre");
    return name.left(120) + QStringLiteral(".pdf");
}

mirelda::Result<BookPrintout> PrintBook(QPrinter& printer, const mirelda::ArticleIndex& index,
                                        const std::filesystem::path& dataFile,
                                        const std::vector<std::int32_t>& articles, const QFont& font,
                                        const QString& documentTitle)
{
    // The title goes into the printout when it begins (a PDF's Title); the name the printer
    // had (which print dialogs make a file name from) comes back after.
    struct DocName
    {
        QPrinter& printer;
        QString kept;
        ~DocName() { printer.setDocName(kept); }
    } docName{printer, printer.docName()};
    if (!documentTitle.isEmpty())
        printer.setDocName(documentTitle);
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
        mirelda::ui::BuildTextDocument(mirelda::ReadRtf(article.text), doc, printer.logicalDpiX());
        const QString title = QString::fromStdU16String(mirelda::DecodeCp1252(article.title));
        if (!BeginsWithTitle(doc, title))
            AddTitle(doc, title, font);
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
            DrawPageNumber(painter, doc, page, margin, out.pages);
        }
        out.articles.push_back(number);
    }
    return out;
}

} // namespace mirelda::ui
