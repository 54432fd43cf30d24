#pragma once
// Article titles found as the reader types: the titles that hold every typed word, case and
// accents ignored, words in any order; best first:
//   1. the title starts with the typed text (its words in order, one space apart);
//   2. each word starts a word of the title;
//   3. the words are anywhere in the title;
// and within each rank in the order of the folded titles (then the captions, then the numbers).
// Pop-up articles are listed too, by their caption, and say so; untitled articles are not.
//
// Built once over all titles (in the background: seconds at 700 000 articles). Each title
// keeps two 64-bit signatures of its folded bytes (every byte, and the bytes that start a word;
// letters and digits one bit each, other bytes sharing bits): a single letter or digit is
// ranked from them alone. Otherwise one pass over a flat buffer of the folded titles finds the
// occurrences of the longest word, and only the titles they fall in (and whose signature holds
// every byte typed) are looked at closer. When the text starts with the text of a recent Find
// that kept few titles (typing on, or erasing back), only those are looked at again.

#include "core/store/help_set.h"
#include "core/store/result.h"

#include <array>
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
// whose title cannot be read (ArticleRecord: past the end of the file, or longer than an
// article's title may be), or that comes after 256 MiB of titles (records may share their
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
    // character that no Windows-1252 title can hold. Valid until the next Find.
    const std::vector<std::uint32_t>& Find(std::u16string_view typed);

  private:
    enum Rank : std::uint8_t { kStarts, kWordStarts, kAnywhere, kNone };
    Rank RankOf(std::uint32_t entry, std::string_view phrase, const std::vector<std::string>& words) const;

    std::string captions_;              // every caption followed by '\n', in the order of the folded ones
    std::string folded_;                // the same, folded: same length, same places
    std::vector<std::uint32_t> starts_; // entry i at starts_[i]; one more for the end
    std::vector<std::int32_t> numbers_;
    std::vector<bool> popup_;
    std::vector<std::uint64_t> bytes_;      // signature of each title's bytes
    std::vector<std::uint64_t> wordStarts_; // of the bytes that start its words

    // Recent Finds that kept few titles (in entry order), so that a text that starts with one
    // of theirs looks only at those.
    struct Recent
    {
        std::string phrase;
        std::vector<std::uint32_t> kept;
    };
    static constexpr std::size_t kRecentLimit = 32;
    std::vector<Recent> recent_;
    // The lists each Find fills, kept from one to the next with their memory.
    std::array<std::vector<std::uint32_t>, 3> ranked_;
    std::vector<std::uint32_t> found_;
    std::vector<std::uint32_t> keptScratch_;
};

} // namespace mirelda
