// `check`: every problem of the four help-set files, one per line (file, byte offset,
// description).

#include "core/authoring/help_set_check.h"
#include "tools/commands.h"
#include "tools/tool_common.h"

namespace mirelda::tool {

int RunCheck(const std::vector<std::string>& args)
{
    const auto split = SplitArguments("check", args, 1, 1);
    if (!split)
        return kExitUsage;
    const auto problems = authoring::FindHelpSetProblems(ResolveHelpSetFiles(split->positional[0]));
    for (const authoring::HelpSetProblem& p : problems)
        WriteRecord({p.path, OffsetText(p.offset), MessageText(p.message)});
    return problems.empty() ? kExitOk : kExitDamaged;
}

} // namespace mirelda::tool
