#pragma once
// The help-set compiler: turns sources an author can keep in version control (see the README,
// "Writing a help set") into the .PGH/.PGD/.PGL/.FIC files of a help set.
//
//   SOURCE_DIR/articles.txt        number<TAB>name<TAB>title, one article a line
//   SOURCE_DIR/articles/<name>.rtf the article body; links are RTF HYPERLINK fields
//   SOURCE_DIR/contents.txt        the contents tree: "+ Book" / "- Page = name", 2 spaces a level

#include "core/store/help_set.h"
#include "core/store/result.h"
#include "core/tree/contents_file.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace mirelda::authoring {

// One complaint about the sources, printed as "file:line: message" (line 0: the whole file).
struct Diagnostic
{
    std::string file;
    std::size_t line = 0;
    std::string message;
};
using Diagnostics = std::vector<Diagnostic>;

// "file:line: message", or "file: message" for the whole file.
std::string FormatDiagnostic(const Diagnostic& d);

// A help set compiled in memory, ready to be written.
struct CompiledHelpSet
{
    std::vector<ArticleSource> articles; // in articles.txt order
    std::vector<ContentsRecord> contents;
    std::size_t linkCount = 0;
    Diagnostics warnings; // what is allowed but probably not meant, "warning: ..." at its line
};

// Reads and checks every source of `sourceDir` as a whole. Every problem goes to `errors`;
// the result is complete only when `errors` is empty.
CompiledHelpSet CompileHelpSet(const std::filesystem::path& sourceDir, Diagnostics& errors);

// Writes the four files `base`.PGH/.PGD/.PGL/.FIC, each under a temporary name first, then
// renames them into place, the .PGH last, so that a failed write leaves the previous help set
// as it was and a reader never takes a new index for the old data.
Status WriteHelpSet(const std::filesystem::path& base, const CompiledHelpSet& help);

struct ArticleLine
{
    std::int32_t number = 0;
    std::string name;
    std::string title; // Windows-1252
    std::size_t line = 0;
    // Its number and name are sound but the rest of its line is not (already reported): it
    // still names an article for links and the tree, so that one mistake gives one error.
    bool rejected = false;
};

// "file:line: invalid UTF-8 ..." at the first line of `text` that is not well-formed UTF-8,
// counting the others; true when there is none.
bool CheckUtf8Lines(std::string_view text, const std::string& file, Diagnostics& diags);

// Parses articles.txt. Lines with errors are reported; they are left out, or kept as rejected
// when their number and name could be read.
std::vector<ArticleLine> ParseArticleList(std::string_view text, const std::string& file, Diagnostics& diags);

struct ContentsLine
{
    int depth = 0;
    bool book = false;
    std::string title;  // Windows-1252
    std::string target; // pages only: article name, "#name" or a number, as written
    std::size_t line = 0;
    // Wrong (already reported) but its depth is known: it stands in the tree's shape, so that
    // the entries under it are not reported too.
    bool rejected = false;
};

// Parses contents.txt: indentation, entry kind, title length and code page.
std::vector<ContentsLine> ParseContents(std::string_view text, const std::string& file, Diagnostics& diags);

// A HYPERLINK field found in an article's RTF.
struct LinkField
{
    std::string target; // the field's target as written, switches removed
    std::size_t line = 0;
    bool emptyResult = false; // no \fldrslt group
    std::string resultRtf;    // "{\rtf1 " + the result group's content + "}", to measure it alone
};

struct StrippedRtf
{
    std::string rtf;              // the RTF with each HYPERLINK field replaced by {result}
    std::vector<LinkField> links; // in document order
};

// Replaces each HYPERLINK field group `{\field...{\*\fldinst HYPERLINK ...}{\fldrslt X}}` by
// `{X}`: the result text keeps its formatting and its character positions. Other fields and
// fields inside skipped destinations stay untouched.
StrippedRtf StripLinkFields(std::string_view rtf, const std::string& file, Diagnostics& diags);

} // namespace mirelda::authoring
