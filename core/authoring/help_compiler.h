#pragma once
// `mirelda-tool build SOURCE_DIR OUTPUT_BASE`: compiles a help set from sources an author can
// keep in version control (see the README, "Writing a help set") into .PGH/.PGD/.PGL/.FIC.
//
//   SOURCE_DIR/articles.txt        number<TAB>name<TAB>title, one article a line
//   SOURCE_DIR/articles/<name>.rtf the article body; links are RTF HYPERLINK fields
//   SOURCE_DIR/contents.txt        the contents tree: "+ Book" / "- Page = name", 2 spaces a level

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirelda {

// args are the words after "build". Returns the process exit code: 0 built, 1 the sources
// are wrong or the output could not be written (messages on stderr name file and line),
// 2 the command line is wrong.
int RunBuildCommand(const std::vector<std::string>& args);

namespace helpc {

// One complaint about the sources, printed as "file:line: message" (line 0: the whole file).
struct Diagnostic
{
    std::string file;
    std::size_t line = 0;
    std::string message;
};
using Diagnostics = std::vector<Diagnostic>;

struct ArticleLine
{
    std::int32_t number = 0;
    std::string name;
    std::string title; // Windows-1252
    std::size_t line = 0;
};

// Parses articles.txt. Lines with errors are reported and left out.
std::vector<ArticleLine> ParseArticleList(std::string_view text, const std::string& file, Diagnostics& diags);

struct ContentsLine
{
    int depth = 0;
    bool book = false;
    std::string title;  // Windows-1252
    std::string target; // pages only: article name, "#name" or a number, as written
    std::size_t line = 0;
};

// Parses contents.txt: indentation, entry kind, title length and code page.
std::vector<ContentsLine> ParseContents(std::string_view text, const std::string& file, Diagnostics& diags);

// UTF-8 to Windows-1252; false when a byte sequence is not UTF-8 or a character has no byte.
bool Utf8ToCp1252Strict(std::string_view utf8, std::string& out, std::string& why);

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

} // namespace helpc
} // namespace mirelda
