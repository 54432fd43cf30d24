#include "core/app/recent_help_sets.h"

#include "core/app/help_set_location.h"

#include <algorithm>

namespace mirelda {

std::vector<std::string> AddRecentHelpSet(const std::vector<std::string>& list, const std::string& helpSet)
{
    std::vector<std::string> result;
    if (!helpSet.empty())
        result.push_back(helpSet);
    for (const std::string& entry : list) {
        if (result.size() == kMaxRecentHelpSets)
            break;
        if (!entry.empty() && std::find(result.begin(), result.end(), entry) == result.end())
            result.push_back(entry);
    }
    return result;
}

std::vector<std::string> ExistingRecentHelpSets(const std::vector<std::string>& list,
                                                const std::function<bool(const std::string&)>& isComplete)
{
    std::vector<std::string> result;
    for (const std::string& entry : list) {
        if (result.size() == kMaxRecentHelpSets)
            break;
        if (entry.empty() || std::find(result.begin(), result.end(), entry) != result.end())
            continue;
        if (isComplete ? isComplete(entry) : !HelpSetFileMissing(entry))
            result.push_back(entry);
    }
    return result;
}

} // namespace mirelda
