// `mirelda-tool build [--werror] [--watch] SOURCE_DIR OUTPUT_BASE`: the command-line front end
// of the help-set compiler (core/authoring).

#include "tools/build_watch.h"
#include "tools/commands.h"
#include "tools/tool_common.h"

#include "core/app/help_set_location.h"
#include "core/authoring/help_compiler.h"

#include <cstdio>

namespace mirelda::tool {
namespace {

constexpr const char* kUsage = "usage: mirelda-tool build [--werror] [--watch] SOURCE_DIR OUTPUT_BASE\n"
                               "  Compiles SOURCE_DIR/articles.txt, SOURCE_DIR/articles/*.rtf or *.md and\n"
                               "  SOURCE_DIR/contents.txt into OUTPUT_BASE.PGH, .PGD, .PGL and .FIC.\n"
                               "  --werror  warnings are errors: nothing is written when there is one\n"
                               "  --watch   build again whenever a source changes, until interrupted\n"
                               "  See mirelda-tool(1).\n";

void Print(const authoring::Diagnostic& d)
{
    std::fprintf(stderr, "%s\n", authoring::FormatDiagnostic(d).c_str());
}

} // namespace

int BuildOnce(const std::filesystem::path& source, const std::string& base, bool warningsAreErrors)
{
    authoring::Diagnostics errors;
    authoring::CompiledHelpSet help = authoring::CompileHelpSet(source, errors);
    if (warningsAreErrors)
        errors.insert(errors.end(), help.warnings.begin(), help.warnings.end());
    if (!errors.empty()) {
        for (const authoring::Diagnostic& d : errors)
            Print(d);
        std::fprintf(stderr, "%zu error%s; nothing written\n", errors.size(), errors.size() == 1 ? "" : "s");
        std::fflush(stderr);
        return kExitDamaged;
    }
    for (const authoring::Diagnostic& d : help.warnings)
        Print(d);
    if (Status written = authoring::WriteHelpSet(base, help); !written) {
        std::fprintf(stderr, "%s: %s\n", written.error().path.c_str(), written.error().message.c_str());
        std::fflush(stderr);
        return kExitDamaged;
    }
    std::printf("%s: %zu articles, %zu links, %zu contents entries\n", base.c_str(), help.articles.size(),
                help.linkCount, help.contents.size());
    std::fflush(stdout);
    return kExitOk;
}

int RunBuild(const std::vector<std::string>& args)
{
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    const auto split = SplitArguments("build", args, 2, 2, {"--werror", "--watch"});
    if (!split || split->positional[0].empty() || split->positional[1].empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::filesystem::path source = split->positional[0];
    // As the other commands take it: BASE, or BASE with one of the four extensions.
    const std::string base = StripHelpSetExtension(split->positional[1]).string();
    const bool werror = split->Has("--werror");
    if (split->Has("--watch"))
        return WatchAndBuild(source, base, [&] { BuildOnce(source, base, werror); });
    return BuildOnce(source, base, werror);
}

} // namespace mirelda::tool
