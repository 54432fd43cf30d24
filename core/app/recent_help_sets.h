#pragma once
// The list of help sets opened last, newest first, as the Article menu offers it.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace mirelda {

inline constexpr std::size_t kMaxRecentHelpSets = 8;

// `helpSet` (a canonical base, see HelpSetIdentity) first, its older place dropped, at most
// kMaxRecentHelpSets entries; empty entries are dropped too.
std::vector<std::string> AddRecentHelpSet(const std::vector<std::string>& list, const std::string& helpSet);

// The entries whose help set can still be opened (`isComplete` answers; by default, all four
// files are there), without duplicates, at most kMaxRecentHelpSets.
std::vector<std::string>
ExistingRecentHelpSets(const std::vector<std::string>& list,
                       const std::function<bool(const std::string&)>& isComplete = {});

} // namespace mirelda
