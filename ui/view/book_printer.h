#pragma once
// Prints the pages of a book as one printout: each article on a new page under its title,
// laid out at the printer's resolution as a single article is, so pictures and tables print.

#include "core/store/help_set.h"
#include "core/store/result.h"

#include <QFont>

#include <cstdint>
#include <filesystem>
#include <vector>

class QPrinter;

struct BookPrintout
{
    std::vector<std::int32_t> articles; // those printed, in order (pop-ups left out)
    int pages = 0;
};

// Reads `articles` from the help set and prints them onto `printer`. An article missing from
// the index is passed over; a read error stops the printout and is returned.
mirelda::Result<BookPrintout> PrintBook(QPrinter& printer, const mirelda::ArticleIndex& index,
                                        const std::filesystem::path& dataFile,
                                        const std::vector<std::int32_t>& articles, const QFont& font);
