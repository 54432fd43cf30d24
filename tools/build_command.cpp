// `mirelda-tool build SOURCE_DIR OUTPUT_BASE`: the command-line front end of the help-set
// compiler (core/authoring).

#include "tools/commands.h"

#include "core/app/help_set_location.h"
#include "core/authoring/help_compiler.h"

#include <cstdio>

namespace mirelda::tool {
namespace {

constexpr const char* kUsage =
    "usage: mirelda-tool build SOURCE_DIR OUTPUT_BASE\n"
    "  Compiles SOURCE_DIR/articles.txt, SOURCE_DIR/articles/*.rtf and SOURCE_DIR/contents.txt\n"
    "  into OUTPUT_BASE.PGH, .PGD, .PGL and .FIC.\n";

void Print(const authoring::Diagnostic& d)
{
    std::fprintf(stderr, "%s\n", authoring::FormatDiagnostic(d).c_str());
}

} // namespace

int RunBuild(const std::vector<std::string>& args)
{
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.size() != 2 || args[0].empty() || args[1].empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // As the other commands take it: BASE, or BASE with one of the four extensions.
    const std::string base = StripHelpSetExtension(args[1]).string();
    authoring::Diagnostics errors;
    const authoring::CompiledHelpSet help = authoring::CompileHelpSet(args[0], errors);
    if (!errors.empty()) {
        for (const authoring::Diagnostic& d : errors)
            Print(d);
        std::fprintf(stderr, "%zu error%s; nothing written\n", errors.size(), errors.size() == 1 ? "" : "s");
        return 1;
    }
    for (const authoring::Diagnostic& d : help.warnings)
        Print(d);
    if (Status written = authoring::WriteHelpSet(base, help); !written) {
        std::fprintf(stderr, "%s: %s\n", written.error().path.c_str(), written.error().message.c_str());
        return 1;
    }
    std::printf("%s: %zu articles, %zu links, %zu contents entries\n", base.c_str(), help.articles.size(),
                help.linkCount, help.contents.size());
    return 0;
}

} // namespace mirelda::tool
