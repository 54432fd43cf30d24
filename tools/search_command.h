#pragma once
// mirelda-tool search BASE TEXT [--case] [--word] [--no-title] [--no-text]: the viewer's search
// over all articles, its results in the order of the results window.

#include <string>
#include <vector>

namespace mirelda::tool {

int RunSearch(const std::vector<std::string>& args);

} // namespace mirelda::tool
