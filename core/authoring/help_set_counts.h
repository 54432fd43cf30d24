#pragma once
// How big a help set is: articles, pop-up articles, link records, tree entries.

#include "core/app/help_set_location.h"
#include "core/store/result.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mirelda::authoring {

struct HelpSetCounts
{
    std::size_t articles = 0;
    std::size_t popups = 0;
    std::uint64_t linkRecords = 0; // whole records in the link file
    std::size_t treeEntries = 0;
    // What could not be read: every unreadable title, then the link file, then the contents
    // file. A count whose file cannot be read stays 0; the other counts are still made.
    std::vector<FileError> errors;
};

// Fails only when the index cannot be read, since without it nothing can be counted.
Result<HelpSetCounts> CountHelpSet(const HelpSetFiles& files);

} // namespace mirelda::authoring
