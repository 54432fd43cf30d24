#pragma once
// The search over all articles as the viewer runs it: under the wait cursor, into the
// search-results window (emptied, given the request, filled, shown when something matched).
//
// The window keeps the string as the user typed it (its caption, and the find that selects
// the string in the articles opened from it). The engine compares Windows-1252 bytes: a string
// with a character that has no byte there cannot occur in any title, and the engine cannot be
// handed it for the texts either, so such a search finds nothing rather than looking for the
// string with "?" in place of those characters.

#include "core/store/help_set.h"
#include "core/store/result.h"

#include <QString>

#include <filesystem>
#include <optional>
#include <string>

class CListDlg;

struct ArticleSearchRequest
{
    QString text;
    bool matchCase = false;
    bool wholeWord = false;
    bool inTitle = true;
    bool inText = true;
};

// True when at least one article was listed; a read error leaves the window emptied and is
// returned for the caller to report. The scan runs on a worker thread that touches only the
// core's objects while this thread goes on painting; past half a second a progress dialog
// offers "&Arrêter" (Escape too). A stopped search sets `stopped` and changes nothing.
mirelda::Result<bool> SearchArticlesInto(CListDlg& results, const mirelda::ArticleIndex& index,
                                         const std::filesystem::path& dataFile,
                                         const ArticleSearchRequest& request, bool* stopped = nullptr);
