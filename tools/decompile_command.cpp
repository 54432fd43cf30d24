// `mirelda-tool decompile BASE SOURCE_DIR`: the command-line front end of the help-set
// decompiler (core/authoring). Success means the sources written build again.

#include "tools/commands.h"
#include "tools/tool_common.h"

#include "core/authoring/decompiler.h"
#include "core/authoring/help_compiler.h"

#include <cstdio>
#include <filesystem>

namespace mirelda::tool {

int RunDecompile(const std::vector<std::string>& args)
{
    auto split = SplitArguments("decompile", args, 2, 2);
    if (!split)
        return kExitUsage;
    const std::filesystem::path folder = split->positional[1];
    // Before the help set is read: a folder that cannot take the sources fails at once.
    if (Status usable = authoring::CheckSourceFolder(folder); !usable) {
        ReportError(usable.error());
        return kExitDamaged;
    }
    auto files = OpenHelpSet(split->positional[0]);
    if (!files)
        return kExitDamaged;
    auto sources = authoring::DecompileHelpSet(*files);
    if (!sources) {
        ReportError(sources.error());
        return kExitDamaged;
    }
    for (const authoring::Diagnostic& d : sources->warnings)
        std::fprintf(stderr, "%s\n", MessageText(authoring::FormatDiagnostic(d)).c_str());
    if (Status written = authoring::WriteSources(folder, *sources); !written) {
        ReportError(written.error());
        return kExitDamaged;
    }
    // Sources the compiler refuses are no success: say so, and what it says of them.
    authoring::Diagnostics errors;
    authoring::CompileHelpSet(folder, errors);
    if (!errors.empty()) {
        for (const authoring::Diagnostic& d : errors)
            std::fprintf(stderr, "%s\n", MessageText(authoring::FormatDiagnostic(d)).c_str());
        std::fprintf(
            stderr,
            "mirelda-tool: %s: the sources were written but do not build (%zu error%s above); edit them "
            "before building\n",
            folder.string().c_str(), errors.size(), errors.size() == 1 ? "" : "s");
        return kExitDamaged;
    }
    std::printf("%s: %zu articles, %zu warnings\n", folder.string().c_str(), sources->bodies.size(),
                sources->warnings.size());
    return kExitOk;
}

} // namespace mirelda::tool
