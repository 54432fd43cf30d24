// mirelda-tool: inspect and check help sets from the command line.
//
// Output is UTF-8, one record per line, fields separated by a tab. Exit status: 0 success,
// 1 a help-set file missing or damaged or an article missing, 2 a usage error; messages go
// to standard error and name the file and the problem.

#include "tools/commands.h"
#include "tools/search_command.h"
#include "tools/tool_common.h"

#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace mirelda::tool;

struct Command
{
    std::string_view name;
    std::string_view synopsis;
    int (*run)(const std::vector<std::string>& args);
};

// One line per subcommand. Subcommands built elsewhere (the help-set compiler's `build`,
// the article search's `search`) add their line here and their header above.
constexpr Command kCommands[] = {
    {"info", "info BASE                  counts of articles, pop-up articles, link records, tree entries",
     RunInfo},
    {"check", "check BASE                 every damage of the four files, one per line", RunCheck},
    {"index", "index BASE                 number, textOffset, linkOffset, linkCount in index order",
     RunIndex},
    {"article", "article BASE N [--rtf|--text]  the title; the raw RTF; the text by character position",
     RunArticle},
    {"links", "links BASE N               first, last, target of each link, in file order", RunLinks},
    {"tree", "tree BASE                  the contents tree: indented title, image, article", RunTree},
    {"search",
     "search BASE TEXT [--case] [--word] [--no-title] [--no-text] [--accents]  articles found, sorted by "
     "title",
     RunSearch},
    {"titles", "titles BASE TEXT           titles holding TEXT's words, best first (the contents filter)",
     RunTitles},
    {"build", "build [--werror] [--watch] SOURCE_DIR BASE  compile a help set from its sources", RunBuild},
    {"decompile", "decompile BASE SOURCE_DIR  write the sources of a help set (SOURCE_DIR new or empty)",
     RunDecompile},
};

void PrintHelp(std::FILE* to)
{
    std::fputs("Usage: mirelda-tool COMMAND ARGUMENTS...\n"
               "Inspects a Mirelda help set (BASE.FIC, BASE.PGH, BASE.PGD, BASE.PGL).\n"
               "BASE is the path without extension, or with one of the four (GUIDE or GUIDE.PGD).\n"
               "\nCommands:\n",
               to);
    for (const Command& c : kCommands)
        std::fprintf(to, "  %.*s\n", static_cast<int>(c.synopsis.size()), c.synopsis.data());
    std::fputs("\nOutput: UTF-8, one record per line, fields separated by tabs.\n"
               "Exit status: 0 success, 1 help set damaged or article missing, 2 usage error.\n"
               "  --help     this text\n"
               "  --version  the version\n"
               "\nThe commands, the source formats (articles.txt, RTF and Markdown articles,\n"
               "contents.txt), build --watch and decompile are described in mirelda-tool(1):\n"
               "  man mirelda-tool\n",
               to);
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> all(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (all.empty()) {
        PrintHelp(stderr);
        return kExitUsage;
    }
    const std::string& name = all.front();
    if (name == "--help" || name == "-h") {
        PrintHelp(stdout);
        return kExitOk;
    }
    if (name == "--version") {
        std::puts("mirelda-tool " MIRELDA_VERSION);
        return kExitOk;
    }
    for (const Command& c : kCommands) {
        if (c.name == name) {
            const std::vector<std::string> args(all.begin() + 1, all.end());
            const int code = c.run(args);
            if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
                std::fputs("mirelda-tool: cannot write the output\n", stderr);
                return code == kExitOk ? kExitDamaged : code;
            }
            return code;
        }
    }
    return UsageError(name, "unknown command");
}
