#pragma once
// What every mirelda-tool subcommand shares: exit codes, argument splitting, opening a help
// set, and writing records and messages.

#include "core/app/help_set_location.h"
#include "core/store/help_set.h"
#include "core/store/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirelda::tool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitDamaged = 1; // a help-set file is missing or damaged, an article missing
inline constexpr int kExitUsage = 2;

// A subcommand's arguments: options are the words beginning with "--", wherever they stand.
struct Arguments
{
    std::vector<std::string> positional;
    std::vector<std::string> options;
    bool Has(std::string_view option) const;
};

// Splits `args`; an option not in `allowed`, or a positional count outside [minCount,
// maxCount], is reported as a usage error (message on stderr) and gives nothing.
std::optional<Arguments> SplitArguments(std::string_view command, const std::vector<std::string>& args,
                                        std::size_t minCount, std::size_t maxCount,
                                        const std::vector<std::string_view>& allowed = {});

// "mirelda-tool: <message>" on stderr; returns kExitUsage for usage errors.
int UsageError(std::string_view command, std::string_view message);
void ReportProblem(std::string_view file, std::string_view message);
void ReportError(const FileError& error);

// An article number typed on the command line: decimal, optional sign, within 32 bits.
std::optional<std::int32_t> ParseArticleArgument(std::string_view text);

// The four files of the help set named by BASE; a missing one is reported (stderr) and
// gives nothing.
std::optional<HelpSetFiles> OpenHelpSet(const std::string& base);

// The help set's article index; a read failure is reported (stderr) and gives nothing.
std::optional<ArticleIndex> LoadIndexOrReport(const HelpSetFiles& files);

// A Windows-1252 text as UTF-8, for one tab-separated field: tabs and line ends inside it
// become spaces so that a record stays on one line.
std::string FieldText(std::string_view cp1252);

// A message from the readers as UTF-8: texts quoted from the files are Windows-1252.
std::string MessageText(std::string_view text);

// Writes the fields joined by tabs, then a line feed.
void WriteRecord(const std::vector<std::string>& fields);

std::string OffsetText(std::uint64_t offset);

} // namespace mirelda::tool
