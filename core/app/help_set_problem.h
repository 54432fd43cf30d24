#pragma once
// What is wrong with a help set that cannot be opened, in words the reader can act on.

#include "core/app/help_set_location.h"

#include <filesystem>
#include <string>
#include <vector>

namespace mirelda {

// Nothing when the four files are there and readable. Otherwise French lines (UTF-8, paths
// as their bytes): first the help set looked for, then each problem found: a folder or a
// file that is not a help set given, a dangling symlink, each missing or unreadable file.
std::vector<std::string> DescribeHelpSetProblem(const std::filesystem::path& given);
// The same with `given` already resolved into `files`.
std::vector<std::string> DescribeHelpSetProblem(const std::filesystem::path& given,
                                                const HelpSetFiles& files);

} // namespace mirelda
