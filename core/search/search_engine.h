#pragma once
// The search over all articles of a help set.
//
// Each index entry is visited once, in the index's enumeration order (bucket by bucket,
// newest first within a bucket): that order decides which articles are kept when more than
// kSearchResultLimit match. An article matches when it is not hidden (empty title or one
// beginning with '#') and
//   - the title test (inTitle): the string occurs in the title, compared byte for byte after
//     Windows-1252 upper-casing unless matchCase (accents kept: "ecole" finds "ECOLE" and
//     "Ecole", not "École"); whole word plays no part in it;
//   - or, only when the title did not match, the text test (inText): the rich-text find
//     (FindText, with matchCase and wholeWord) over the article's text as the view numbers
//     it, hidden text included, never over its RTF markup.
// With ignoreAccents both tests compare base letters (accent_fold.h).
// The text is read only for the text test. An empty string matches nothing.

#include "core/store/help_set.h"
#include "core/store/result.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mirelda {

inline constexpr std::size_t kSearchResultLimit = 1000;

struct SearchRequest
{
    std::string text; // Windows-1252
    bool matchCase = false;
    bool wholeWord = false;
    bool inTitle = true;
    bool inText = true;
    // Accents ignored in titles and texts: "fenetre" finds "fenêtre" and "FENÊTRE" (each
    // character compared by its base letter, see accent_fold.h).
    bool ignoreAccents = false;
    // The string as the user typed it, when it holds characters that Windows-1252 lacks:
    // article texts can still contain them (\uN), titles cannot, so then only the text test
    // can match. Empty: the text test uses `text` decoded.
    std::u16string textUtf16;
};

// Sets `text` (and `textUtf16` when Windows-1252 cannot hold what was typed: "?" then stands
// for each missing character in `text`, which is only shown, and the texts are searched for
// the string as typed).
void SetSearchText(SearchRequest& request, std::u16string_view typed);

struct SearchHit
{
    std::int32_t number = 0;
    std::string title; // Windows-1252
    friend bool operator==(const SearchHit&, const SearchHit&) = default;
};

// Progress of a long search, and the way to stop it.
struct SearchControl
{
    // Called on the searching thread before each stretch of articles, with the articles done
    // and their total; false stops the search.
    std::function<bool(std::size_t done, std::size_t total)> progress;
    // Set from any thread to stop the search within a few dozen articles, without waiting
    // for the next call of `progress`.
    const std::atomic<bool>* stopRequested = nullptr;
    bool stopped = false; // set when the search was stopped: the result is then empty
};

// The matching articles in enumeration order, at most kSearchResultLimit. Reads the .PGD
// through one read-only mapping, on two threads: first blocks in enumeration order, then, when
// the limit is far at the rate seen, the rest in file order; keeps no text once the call
// returns. A read error (missing file, a record running past the end of the file, a file that
// shrinks during the search) ends the search with that error, unless the limit was reached
// before the damaged record in enumeration order.
Result<std::vector<SearchHit>> FindMatchingArticles(const ArticleIndex& index,
                                                    const std::filesystem::path& pgdPath,
                                                    const SearchRequest& request,
                                                    SearchControl* control = nullptr);

// What the search-results window offers the search (the Qt list window implements it).
class SearchResultsSink
{
  public:
    virtual ~SearchResultsSink() = default;
    virtual void Clear() = 0;
    virtual void SetSearch(std::string_view textCp1252, bool matchCase, bool wholeWord) = 0;
    virtual void AddItem(std::int32_t article, std::string_view titleCp1252) = 0;
    virtual void Show() = 0;
};

// The whole operation as the viewer runs it: Clear, SetSearch, then the scan; on success,
// AddItem for each match (in enumeration order; the window sorts) and Show when there was
// one. Returns whether anything was found. On a read error the window is left cleared,
// nothing is added or shown, and the error is returned for the caller to report. A search
// stopped through `control` tells the window nothing at all.
Result<bool> SearchArticles(const ArticleIndex& index, const std::filesystem::path& pgdPath,
                            const SearchRequest& request, SearchResultsSink& results,
                            SearchControl* control = nullptr);
// The part after the scan, for a caller that scans elsewhere (on a worker thread).
Result<bool> DeliverSearchResults(const Result<std::vector<SearchHit>>& hits, const SearchRequest& request,
                                  SearchResultsSink& results);

} // namespace mirelda
