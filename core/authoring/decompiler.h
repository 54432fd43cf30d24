#pragma once
// The help-set decompiler: turns the four files of any help set back into sources the
// compiler accepts (articles.txt, articles/<name>.rtf, contents.txt). Building them gives the
// same titles, texts, links and tree; sources the compiler made come back byte for byte.
// What the sources cannot express is reported as a warning saying what was done instead.

#include "core/app/help_set_location.h"
#include "core/authoring/help_compiler.h"
#include "core/store/result.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace mirelda::authoring {

struct DecompiledSources
{
    std::string articleList;                                 // articles.txt, UTF-8
    std::vector<std::pair<std::string, std::string>> bodies; // name, RTF, in list order
    std::string contents;                                    // contents.txt, UTF-8
    Diagnostics warnings;
};

// Reads the help set; a file that cannot be read or an index record whose data is damaged
// fails the whole operation (FileError).
Result<DecompiledSources> DecompileHelpSet(const HelpSetFiles& files);

// Fails (CannotWrite) when `folder` is there and is not an empty folder: sources are written
// only where they overwrite none of an author's files.
Status CheckSourceFolder(const std::filesystem::path& folder);

// Writes the sources into `folder`, which must pass CheckSourceFolder.
Status WriteSources(const std::filesystem::path& folder, const DecompiledSources& sources);

// One article's RTF with each link put back as a HYPERLINK field around exactly the
// characters [first, last] it covers; `targets` are the field targets, one per link. Links the
// RTF cannot hold (overlapping, starting on a paragraph mark) are left out or shortened and
// reported in `warnings` as "file: warning: what: ...".
struct PlacedLink
{
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::string target;
};
std::string PutBackLinks(std::string_view rtf, std::vector<PlacedLink> links, const std::string& file,
                         const std::string& what, Diagnostics& warnings);

// An ASCII article name made from a title (letters, digits, "_"; never only digits).
std::string NameFromTitle(std::string_view titleCp1252, std::int32_t number);

} // namespace mirelda::authoring
