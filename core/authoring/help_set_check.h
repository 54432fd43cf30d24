#pragma once
// Every damage of a help set's four files, and what an author should fix beyond damage
// (articles nothing reaches, tree entries that open a pop-up), each with its file and byte
// offset, so that an author can fix them all in one pass.

#include "core/app/help_set_location.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mirelda::authoring {

struct HelpSetProblem
{
    std::string path;
    std::uint64_t offset = 0; // of the record or field at fault; 0 for the whole file
    std::string message;      // English; texts quoted from the files stay Windows-1252
    bool forAuthor = false;   // the files are sound, but a reader would miss something
};

// Missing files first, then the index, the article data, the links (article by article, in
// ascending number), the contents tree and last the author's findings. A missing or
// unreadable file is one problem and the others are still checked; the author's findings
// need all four files.
std::vector<HelpSetProblem> FindHelpSetProblems(const HelpSetFiles& files);

} // namespace mirelda::authoring
