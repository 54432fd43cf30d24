#pragma once
// Article titles found as the reader types: the titles that hold every typed word, case and
// accents ignored, words in any order; best first:
//   1. the title starts with the typed text (its words in order, one space apart);
//   2. each word starts a word of the title;
//   3. the words are anywhere in the title;
// and within each rank in the order of the folded titles (then the captions, then the numbers).
// Pop-up articles are listed too, by their caption, and say so; untitled articles are not.
//
// Built once over all titles (in the background: a few hundred milliseconds at 700 000
// articles); each Find then scans one flat buffer of the folded titles, or, when the text only
// grew since the last Find, the titles that last Find kept.

#include "core/store/help_set.h"
#include "core/store/result.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace mirelda {

struct TitleRecord
{
    std::int32_t number = 0;
    std::string title; // Windows-1252, as stored
};

// Every article's title (its first 1024 bytes), in the index's enumeration order. A record
// whose title cannot be read, or that comes after 256 MiB of titles (records may share their
// bytes), is left out and counted in `unreadable`; a missing file is an error. A stop request
// ends the reading early with what was read.
Result<std::vector<TitleRecord>> LoadTitles(const ArticleIndex& index, const std::filesystem::path& pgdPath,
                                            std::size_t* unreadable = nullptr,
                                            const std::atomic<bool>* stop = nullptr);

class TitleFilter
{
  public:
    TitleFilter() = default;
    explicit TitleFilter(std::vector<TitleRecord> titles);

    std::size_t size() const { return numbers_.size(); }
    // What the list shows for entry i: the title, without the "#POPUP:" or "#" of a pop-up.
    std::string_view caption(std::uint32_t i) const
    {
        return std::string_view(captions_).substr(starts_[i], starts_[i + 1] - starts_[i] - 1);
    }
    std::int32_t number(std::uint32_t i) const { return numbers_[i]; }
    bool popup(std::uint32_t i) const { return popup_[i]; }

    // The entries matching `typed`, best first; nothing for a text without a word, or with a
    // character that no Windows-1252 title can hold.
    std::vector<std::uint32_t> Find(std::u16string_view typed);

  private:
    enum Rank : std::uint8_t { kStarts, kWordStarts, kAnywhere, kNone };
    Rank RankOf(std::uint32_t entry, std::string_view phrase, const std::vector<std::string>& words) const;

    std::string captions_;              // every caption followed by '\n', in the order of the folded ones
    std::string folded_;                // the same, folded: same length, same places
    std::vector<std::uint32_t> starts_; // entry i at starts_[i]; one more for the end
    std::vector<std::int32_t> numbers_;
    std::vector<bool> popup_;

    // The last Find, so that a text that only grew scans only what it kept.
    std::string lastPhrase_;
    bool lastValid_ = false;
    std::vector<std::uint32_t> lastKept_; // in entry order
};

} // namespace mirelda
