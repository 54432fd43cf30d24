#pragma once
// mirelda-tool search BASE TEXT [--case] [--word] [--no-title] [--no-text] [--accents]: the
// viewer's search over all articles, its results in the order of the results window.
// mirelda-tool titles BASE TEXT: the titles the contents bar's filter lists for TEXT, in its
// order.

#include <string>
#include <vector>

namespace mirelda::tool {

int RunSearch(const std::vector<std::string>& args);
int RunTitles(const std::vector<std::string>& args);

} // namespace mirelda::tool
