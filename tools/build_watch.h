#pragma once
// `build --watch`: the help set rebuilt whenever one of its sources changes.

#include <filesystem>
#include <functional>
#include <string>

namespace mirelda::tool {

// Builds once and prints the result (tools/build_command.cpp); 0 or 1.
int BuildOnce(const std::filesystem::path& source, const std::string& base, bool warningsAreErrors);

// Runs `build`, then again after every change to the sources under `source` (articles.txt,
// contents.txt, anything in articles/), once the changes have been quiet for a moment so that
// one save, or a checkout of many files, gives one build. A source folder that disappears is
// waited for. Runs until the process is interrupted; returns 1 only when the changes cannot be
// watched at all.
int WatchAndBuild(const std::filesystem::path& source, const std::string& base,
                  const std::function<void()>& build);

} // namespace mirelda::tool
