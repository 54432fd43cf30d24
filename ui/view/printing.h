#pragma once
// Printing: one article as the view shows it, and the pages of a book.
//
// An article is built anew for the printer's resolution (the view's own document is laid out
// for the screen and stays as it is). A book prints the pages of a book as one printout: each article on a
// new page under its title (unless its text begins with that title already), laid out at the printer's
// resolution as a single article is, so pictures and tables print; the pages numbered through the book, at
// the foot of each page where a single article's printout has its numbers.

#include "core/store/help_set.h"
#include "core/store/result.h"

#include <QFont>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QPrinter;
class QTextDocument;
class QWidget;

// The article `rtf` built for `printer` in `font` (the view's, whatever text size it shows);
// only [selectionStart, selectionEnd) when the printer's range is the selection and that range
// is not empty. The selection is in positions of a document built from the same text.

namespace mirelda::ui {

std::unique_ptr<QTextDocument> ArticlePrintout(std::string_view rtf, const QFont& font,
                                               const QPrinter& printer, int selectionStart, int selectionEnd);

// What fills a printer chosen in a dialog, or a preview's pages.
using PrintOnto = std::function<void(QPrinter& printer)>;

// The print dialog on a high-resolution printer, offering the selection when `offerSelection`;
// `docName`, when not empty, is the name a print to a file is offered. `print` runs once the
// dialog is accepted.
void PrintThroughDialog(QWidget* parent, bool offerSelection, const QString& docName, const PrintOnto& print);

// The print preview: on the dialog's own printer when `printer` is null; `print` paints each
// page request.
void PrintPreview(QWidget* parent, QPrinter* printer, const PrintOnto& print);

struct BookPrintout
{
    std::vector<std::int32_t> articles; // those printed, in order (pop-ups left out)
    int pages = 0;
};

// Reads `articles` from the help set and prints them onto `printer`. An article missing from
// the index is passed over; a read error stops the printout and is returned. A non-empty
// `documentTitle` is the printout's title (a PDF's document title) while it is printed.
mirelda::Result<BookPrintout> PrintBook(QPrinter& printer, const mirelda::ArticleIndex& index,
                                        const std::filesystem::path& dataFile,
                                        const std::vector<std::int32_t>& articles, const QFont& font,
                                        const QString& documentTitle = {});

// Whether the article's text begins with its title (its first words, case aside), so that
// printing the title above it would show it twice.
bool BeginsWithTitle(const QTextDocument& doc, const QString& title);

// A file name (no folder) for a printout of `title`: the title, without the characters a file
// name cannot hold, and ".pdf"; "livre.pdf" for a title that leaves nothing.
QString BookFileName(const QString& title);

} // namespace mirelda::ui
