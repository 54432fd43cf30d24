#include "core/search/search_engine.h"

#include "core/richtext/plain_text.h"
#include "core/richtext/text_find.h"
#include "core/search/accent_fold.h"
#include "core/search/data_window.h"
#include "core/search/rtf_prefilter.h"
#include "core/store/article_record.h"
#include "core/store/binary_file.h"
#include "core/store/cp1252.h"
#include "core/store/file_faults.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

namespace mirelda {
namespace {

// The tests of one request, with the buffers they reuse from one article to the next.
class Matcher
{
  public:
    explicit Matcher(const SearchRequest& request)
        : request_(request),
          what16_(
              Folded(request.textUtf16.empty() ? DecodeCp1252(request.text) : request.textUtf16, request)),
          prefilter_(what16_, request.matchCase)
    {
        if (request.ignoreAccents) {
            // A title can hold the string only when Windows-1252 has a byte for each folded unit.
            titleWhat_ = EncodeCp1252(what16_);
            titleCanMatch_ = DecodeCp1252(titleWhat_) == what16_;
            titleFold_ = FoldedCp1252(request.matchCase);
            foldTitles_ = true;
        } else {
            titleWhat_ = request.matchCase ? request.text : UpperCp1252(request.text);
            titleCanMatch_ = request.textUtf16.empty() || DecodeCp1252(request.text) == request.textUtf16;
            foldTitles_ = !request.matchCase;
            for (std::size_t b = 0; b < titleFold_.size(); ++b)
                titleFold_[b] = static_cast<unsigned char>(UpperCp1252(static_cast<char>(b)));
        }
    }

    bool TitleMatches(std::string_view title)
    {
        if (!request_.inTitle || !titleCanMatch_)
            return false;
        if (!foldTitles_)
            return title.find(titleWhat_) != std::string_view::npos;
        foldedTitle_.resize(title.size());
        for (std::size_t i = 0; i < title.size(); ++i)
            foldedTitle_[i] = static_cast<char>(titleFold_[static_cast<unsigned char>(title[i])]);
        return foldedTitle_.find(titleWhat_) != std::string::npos;
    }

    bool TextMatches(std::string_view rtf) const
    {
        // The prefilter reasons on the find's own folding; with accents ignored, almost every
        // letter can come from an accented one, so it would reject nothing: every text is read.
        if (request_.ignoreAccents)
            return FindText(FoldAccents(ExtractPlainText(rtf), request_.matchCase), what16_, 0, true,
                            request_.wholeWord) >= 0;
        if (!prefilter_.MayContain(rtf))
            return false;
        return FindText(ExtractPlainText(rtf), what16_, 0, request_.matchCase, request_.wholeWord) >= 0;
    }

  private:
    static std::u16string Folded(std::u16string text, const SearchRequest& request)
    {
        return request.ignoreAccents ? FoldAccents(text, request.matchCase) : text;
    }

    const SearchRequest& request_;
    std::u16string what16_; // folded when accents are ignored
    RtfPrefilter prefilter_;
    std::string titleWhat_;
    bool titleCanMatch_ = true; // a Windows-1252 title cannot hold a character the code page lacks
    bool foldTitles_ = false;   // titles are compared through titleFold_ (byte by byte)
    std::array<unsigned char, 256> titleFold_{};
    std::string foldedTitle_;
};

enum class Outcome : std::uint8_t { NoMatch, Match, Error };

struct Visit
{
    const ArticleEntry* entry = nullptr;
    std::size_t slot = 0; // place in the block's enumeration order
};

// Tests one article; on a match its title is left in `title`. Reads go on up to `readUntil`.
Outcome TestArticle(DataWindow& data, Matcher& matcher, const SearchRequest& request,
                    const ArticleEntry& entry, std::uint64_t readUntil, std::string& title,
                    std::optional<FileError>& error)
{
    WindowRecordBytes bytes(data, readUntil);
    ArticleRecord record(bytes, entry);
    auto titleBytes = record.Title();
    if (!titleBytes) {
        error = titleBytes.error();
        return Outcome::Error;
    }
    title.assign(*titleBytes);
    if (IsPopupTitle(title))
        return Outcome::NoMatch;
    if (matcher.TitleMatches(title))
        return Outcome::Match;
    if (!request.inText)
        return Outcome::NoMatch;
    auto text = record.Text();
    if (!text) {
        error = text.error();
        return Outcome::Error;
    }
    return matcher.TextMatches(*text) ? Outcome::Match : Outcome::NoMatch;
}

// Entries are taken in blocks of consecutive enumeration order; each block is read in
// increasing offset order, then its outcomes are taken in enumeration order. So the limit
// keeps exactly the articles the enumeration order keeps, at the cost of at most one round
// of blocks read beyond it, and a damaged record beyond the limit is never reported.
constexpr std::size_t kBlock = 1024;
// Blocks scanned at once, each on its own thread with its own file and buffers.
constexpr std::size_t kLanes = 2;
// What a read takes beyond the last record it is made for, not knowing that record's length.
constexpr std::uint64_t kTypicalRecord = 8 * 1024;
// Articles between two looks at a stop request.
constexpr std::size_t kStopCheck = 32;
// Phase one ends when the matches seen so far, extended to the rest, would bring fewer than
// this many times the matches still needed.
constexpr double kSweepMargin = 4.0;
// Entries each lane reads in one stretch of the sweep (progress is reported between them).
constexpr std::size_t kSweepStretch = 16384;
// Entries a lane takes at a time within a stretch: the lanes take pieces until none is left,
// so that both end together even when one runs slower (another program on its core).
constexpr std::size_t kSweepPiece = 1024;

// One thread's share: its own view of the file, its own matcher, the outcomes of one block.
struct Lane
{
    DataWindow data;
    Matcher matcher;
    std::vector<Visit> visits;
    std::vector<Outcome> outcomes = std::vector<Outcome>(kBlock);
    std::vector<std::string> titles = std::vector<std::string>(kBlock);
    std::vector<std::optional<FileError>> errors = std::vector<std::optional<FileError>>(kBlock);

    Lane(DataWindow window, const SearchRequest& request) : data(std::move(window)), matcher(request) {}

    // False when a stop was requested before the block was done.
    bool Scan(const SearchRequest& request, const ArticleEntry* const* entries, std::size_t count,
              const std::atomic<bool>* stop)
    {
        visits.clear();
        for (std::size_t i = 0; i < count; ++i)
            visits.push_back({entries[i], i});
        std::stable_sort(visits.begin(), visits.end(), [](const Visit& a, const Visit& b) {
            return a.entry->textOffset < b.entry->textOffset;
        });
        return TestInOrder(request, visits.data(), visits.size(), stop, [&](const Visit& v, Outcome outcome) {
            outcomes[v.slot] = outcome;
            if (outcome != Outcome::Match)
                titles[v.slot].clear();
        });
    }

    // The sweep's share: visits in offset order, `slot` their place in enumeration order; the
    // matches and the first error (in enumeration order) are noted with their places.
    std::vector<std::pair<std::size_t, std::string>> found;
    std::optional<std::pair<std::size_t, FileError>> firstError;

    bool Sweep(const SearchRequest& request, const Visit* sorted, std::size_t count,
               const std::atomic<bool>* stop)
    {
        return TestInOrder(request, sorted, count, stop, [&](const Visit& v, Outcome outcome) {
            if (outcome == Outcome::Match)
                found.emplace_back(v.slot, std::move(titles[0]));
            else if (outcome == Outcome::Error && (!firstError || v.slot < firstError->first))
                firstError.emplace(v.slot, std::move(*errors[0]));
        });
    }

  private:
    // Tests visits in the order given (increasing offsets). A read goes on to the last record
    // that starts within a chunk of it, and one typical record beyond: records close together
    // come in one read, and little is read past the last of them.
    template <class Note>
    bool TestInOrder(const SearchRequest& request, const Visit* list, std::size_t count,
                     const std::atomic<bool>* stop, Note note)
    {
        std::size_t last = 0;
        std::size_t i = 0;
        bool stopped = false;
        // Phase one keeps each block's titles and errors by slot; the sweep uses slot 0 as
        // scratch and moves out what it keeps.
        const auto slotOf = [&](const Visit& v) { return list == visits.data() ? v.slot : 0; };
        const bool complete = GuardMappedReads([&] {
            for (; i < count; ++i) {
                if (stop && i % kStopCheck == 0 && stop->load(std::memory_order_relaxed)) {
                    stopped = true;
                    return;
                }
                const std::uint64_t at = list[i].entry->textOffset;
                last = std::max(last, i);
                while (last + 1 < count && list[last + 1].entry->textOffset < at + DataWindow::kChunk)
                    ++last;
                const std::uint64_t readUntil = std::uint64_t{list[last].entry->textOffset} + kTypicalRecord;
                const Visit& v = list[i];
                const std::size_t into = slotOf(v);
                errors[into].reset();
                note(v, TestArticle(data, matcher, request, *v.entry, readUntil, titles[into], errors[into]));
            }
        });
        if (!complete) {
            // The mapped file shrank under the read: this article and the rest of the list
            // cannot be read.
            for (; i < count; ++i) {
                const Visit& v = list[i];
                errors[slotOf(v)] =
                    data.Error(false, v.entry->textOffset,
                               "article " + std::to_string(v.entry->number) + ": data record");
                note(v, Outcome::Error);
            }
        }
        return !stopped;
    }
};

// The entries of `order` from `first` on, with their places, in increasing offset order;
// equal offsets keep their enumeration order. A radix sort on the offsets (three passes of
// eleven bits, a pass skipped when every entry has the same digit there): at 700 000 entries a
// comparison sort costs more than a tenth of the whole search, all of it before the sweep.
std::vector<Visit> InFileOrder(const std::vector<const ArticleEntry*>& order, std::size_t first)
{
    // Offset in the high half, place in the low half (the index has fewer than 2^32 entries).
    const std::size_t n = order.size() - first;
    std::vector<std::uint64_t> keys(n);
    for (std::size_t i = 0; i < n; ++i)
        keys[i] = std::uint64_t{order[first + i]->textOffset} << 32 | (first + i);
    constexpr unsigned kDigitBits = 11;
    constexpr std::uint64_t kDigitMask = (std::uint64_t{1} << kDigitBits) - 1;
    std::vector<std::uint64_t> sorted(n);
    for (unsigned shift = 32; shift < 64 && n > 0; shift += kDigitBits) {
        std::array<std::size_t, kDigitMask + 1> next{};
        for (const std::uint64_t key : keys)
            ++next[(key >> shift) & kDigitMask];
        if (next[(keys[0] >> shift) & kDigitMask] == n)
            continue;
        std::size_t at = 0;
        for (std::size_t& count : next)
            at += std::exchange(count, at);
        for (const std::uint64_t key : keys)
            sorted[next[(key >> shift) & kDigitMask]++] = key;
        keys.swap(sorted);
    }
    std::vector<Visit> visits(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto place = static_cast<std::size_t>(keys[i] & 0xFFFFFFFFu);
        visits[i] = {order[place], place};
    }
    return visits;
}

} // namespace

Result<std::vector<SearchHit>> FindMatchingArticles(const ArticleIndex& index,
                                                    const std::filesystem::path& pgdPath,
                                                    const SearchRequest& request, SearchControl* control)
{
    std::vector<SearchHit> hits;
    if ((request.text.empty() && request.textUtf16.empty()) || (!request.inTitle && !request.inText) ||
        index.empty())
        return hits;
    std::vector<std::unique_ptr<Lane>> lanes;
    // One mapping of the file, shared by the lanes.
    auto window = DataWindow::Open(pgdPath, true);
    if (!window)
        return window.error();
    for (std::size_t i = 0; i < kLanes; ++i) {
        auto opened = i + 1 < kLanes ? window->Share() : std::move(window);
        if (!opened)
            return opened.error();
        lanes.push_back(std::make_unique<Lane>(std::move(*opened), request));
    }

    std::vector<const ArticleEntry*> order;
    order.reserve(index.size());
    index.ForEach([&](const ArticleEntry& e) { order.push_back(&e); });
    const std::atomic<bool>* stop = control ? control->stopRequested : nullptr;
    const auto stopped = [&](std::size_t done) {
        if ((control && control->progress && !control->progress(done, order.size())) ||
            (stop && stop->load())) {
            control->stopped = true;
            return true;
        }
        return false;
    };
    // Runs work(lane) for each lane, the others on threads of their own, the first on this one.
    const auto onLanes = [&](const auto& work) {
        std::vector<std::thread> helpers;
        for (std::size_t lane = 1; lane < kLanes; ++lane)
            helpers.emplace_back([&, lane] { work(lane); });
        work(0);
        for (std::thread& helper : helpers)
            helper.join();
    };

    // Phase one: blocks in enumeration order, while the matches come often enough that the
    // limit is near; a frequent string is done after a few blocks.
    std::size_t first = 0;
    for (; first < order.size(); first += kBlock * kLanes) {
        if (first > 0) {
            // Entries still needed at the rate seen so far, against what remains: when the
            // limit is far, one pass over the rest in file order reads far less.
            const double rate = static_cast<double>(hits.size()) / static_cast<double>(first);
            const double needed = static_cast<double>(kSearchResultLimit - hits.size());
            if (rate * static_cast<double>(order.size() - first) < needed * kSweepMargin)
                break;
        }
        if (stopped(first))
            return std::vector<SearchHit>{};
        const auto countOf = [&](std::size_t lane) {
            const std::size_t start = std::min(order.size(), first + lane * kBlock);
            return std::min(kBlock, order.size() - start);
        };
        onLanes([&](std::size_t lane) {
            if (countOf(lane) > 0)
                lanes[lane]->Scan(request, order.data() + first + lane * kBlock, countOf(lane), stop);
        });
        if (stop && stop->load()) {
            control->stopped = true;
            return std::vector<SearchHit>{};
        }

        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            Lane& l = *lanes[lane];
            for (std::size_t i = 0; i < countOf(lane); ++i) {
                if (l.outcomes[i] == Outcome::Error)
                    return std::move(*l.errors[i]);
                if (l.outcomes[i] != Outcome::Match)
                    continue;
                hits.push_back({order[first + lane * kBlock + i]->number, std::move(l.titles[i])});
                if (hits.size() == kSearchResultLimit)
                    return hits;
            }
        }
    }
    if (first >= order.size())
        return hits;

    // Phase two: the rest in file order, in stretches that the lanes read piece by piece, each
    // piece straight through; then the matches and the first error are taken back in
    // enumeration order.
    const std::vector<Visit> rest = InFileOrder(order, first);
    for (std::size_t at = 0; at < rest.size();) {
        if (stopped(first + at))
            return std::vector<SearchHit>{};
        const std::size_t stretch = std::min(kSweepStretch * kLanes, rest.size() - at);
        std::atomic<std::size_t> nextPiece{0};
        onLanes([&](std::size_t lane) {
            for (std::size_t from; (from = nextPiece.fetch_add(kSweepPiece)) < stretch;) {
                if (!lanes[lane]->Sweep(request, rest.data() + at + from,
                                        std::min(kSweepPiece, stretch - from), stop))
                    return;
            }
        });
        at += stretch;
        if (stop && stop->load()) {
            control->stopped = true;
            return std::vector<SearchHit>{};
        }
    }
    std::vector<std::pair<std::size_t, std::string>> found;
    std::optional<std::pair<std::size_t, FileError>> firstError;
    for (const auto& lane : lanes) {
        std::move(lane->found.begin(), lane->found.end(), std::back_inserter(found));
        if (lane->firstError && (!firstError || lane->firstError->first < firstError->first))
            firstError = std::move(lane->firstError);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [place, title] : found) {
        if (firstError && firstError->first < place)
            break;
        hits.push_back({order[place]->number, std::move(title)});
        if (hits.size() == kSearchResultLimit)
            return hits;
    }
    if (firstError)
        return std::move(firstError->second);
    return hits;
}

Result<bool> DeliverSearchResults(const Result<std::vector<SearchHit>>& hits, const SearchRequest& request,
                                  SearchResultsSink& results)
{
    results.Clear();
    results.SetSearch(request.text, request.matchCase, request.wholeWord);
    if (!hits)
        return hits.error();
    for (const SearchHit& hit : *hits)
        results.AddItem(hit.number, hit.title);
    if (hits->empty())
        return false;
    results.Show();
    return true;
}

Result<bool> SearchArticles(const ArticleIndex& index, const std::filesystem::path& pgdPath,
                            const SearchRequest& request, SearchResultsSink& results, SearchControl* control)
{
    // The scan comes first so that a stopped search leaves the window as it was.
    auto hits = FindMatchingArticles(index, pgdPath, request, control);
    if (control && control->stopped)
        return false;
    return DeliverSearchResults(hits, request, results);
}

void SetSearchText(SearchRequest& request, std::u16string_view typed)
{
    request.text = EncodeCp1252(typed);
    if (DecodeCp1252(request.text) != typed)
        request.textUtf16 = std::u16string(typed);
    else
        request.textUtf16.clear();
}

} // namespace mirelda
