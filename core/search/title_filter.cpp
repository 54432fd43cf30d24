#include "core/search/title_filter.h"

#include "core/search/accent_fold.h"
#include "core/search/data_window.h"
#include "core/store/cp1252.h"
#include "core/store/help_set.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mirelda {
namespace {

// The most of a title the filter keeps (real titles are far shorter), and of all titles
// together (some ten times what 700 000 real titles take).
constexpr std::uint32_t kTitleLimit = 1024;
constexpr std::uint64_t kTitlesLimit = 256 * 1024 * 1024;

// Bytes of a folded title that belong to a word (letters and digits).
const std::array<bool, 256>& WordBytes()
{
    static const auto table = [] {
        std::array<bool, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = u_isalnum(Cp1252ToUnicode(static_cast<unsigned char>(b))) != 0;
        return t;
    }();
    return table;
}

// A folded byte's bit in a signature: exact for letters and digits, shared by the others.
int SignatureBit(unsigned char b)
{
    if (b >= 'A' && b <= 'Z')
        return b - 'A';
    if (b >= '0' && b <= '9')
        return 26 + (b - '0');
    return 36 + b % 28;
}

bool ExactBit(unsigned char b)
{
    return (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9');
}

// The first occurrence of `word` (not empty) in [p, end): its first two bytes found sixteen
// positions at a time, the rest compared where they are.
const char* FindWord(const char* p, const char* end, std::string_view word)
{
    const std::size_t n = word.size();
    if (n == 1)
        return static_cast<const char*>(std::memchr(p, word[0], static_cast<std::size_t>(end - p)));
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(word[0]);
    const __m128i second = _mm_set1_epi8(word[1]);
    for (; end - p >= 17; p += 16) {
        const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        for (auto mask = static_cast<unsigned>(
                 _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(v0, first), _mm_cmpeq_epi8(v1, second))));
             mask != 0; mask &= mask - 1) {
            const char* at = p + __builtin_ctz(mask);
            if (static_cast<std::size_t>(end - at) >= n && std::memcmp(at + 2, word.data() + 2, n - 2) == 0)
                return at;
        }
    }
#endif
    for (; static_cast<std::size_t>(end - p) >= n; ++p) {
        if (std::memcmp(p, word.data(), n) == 0)
            return p;
    }
    return nullptr;
}

// Case and accents folded; control bytes become spaces, so '\n' can end each title.
unsigned char FoldByte(unsigned char b)
{
    return b < 0x20 ? ' ' : FoldedCp1252(false)[b];
}

// What the list shows: a pop-up's caption, also for a title that is only '#' and a caption.
std::string_view CaptionOf(std::string_view title)
{
    std::string_view caption = PopupCaption(title);
    if (caption.size() == title.size() && caption.starts_with('#'))
        caption.remove_prefix(1);
    return caption;
}

// The typed text folded as the titles are, its words one space apart; false when a character
// has no Windows-1252 byte (no title can hold it).
bool FoldTyped(std::u16string_view typed, std::string& phrase, std::vector<std::string>& words)
{
    const std::u16string folded = FoldAccents(typed, false);
    const std::string bytes = EncodeCp1252(folded);
    if (DecodeCp1252(bytes) != folded)
        return false;
    phrase.clear();
    words.clear();
    std::string word;
    for (const char c : bytes) {
        const unsigned char b = FoldByte(static_cast<unsigned char>(c));
        if (b == ' ') {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word.push_back(static_cast<char>(b));
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    for (const std::string& w : words) {
        if (!phrase.empty())
            phrase.push_back(' ');
        phrase += w;
    }
    return true;
}

} // namespace

Result<std::vector<TitleRecord>> LoadTitles(const ArticleIndex& index, const std::filesystem::path& pgdPath,
                                            std::size_t* unreadable, const std::atomic<bool>* stop)
{
    auto opened = DataWindow::Open(pgdPath);
    if (!opened)
        return opened.error();
    DataWindow& data = *opened;
    std::vector<const ArticleEntry*> entries;
    entries.reserve(index.size());
    index.ForEach([&](const ArticleEntry& e) { entries.push_back(&e); });
    // Read in increasing offset order, so that the window reads each stretch of the file once.
    const std::vector<std::uint32_t> byOffset = OffsetOrder(entries);
    std::vector<std::string> titles(entries.size());
    std::vector<bool> read(entries.size(), false);
    std::size_t failed = 0;
    std::uint64_t total = 0;
    for (std::size_t k = 0; k < byOffset.size(); ++k) {
        if (stop && k % 1024 == 0 && stop->load(std::memory_order_relaxed))
            break;
        if (total > kTitlesLimit) {
            failed += byOffset.size() - k;
            break;
        }
        const ArticleEntry& e = *entries[byOffset[k]];
        WindowRecordBytes bytes(data, e.textOffset + kTitleReadAhead);
        auto title = ArticleRecord(bytes, e).Title();
        if (!title) {
            ++failed;
            continue;
        }
        // Records may share their bytes: a bound per title keeps the whole bounded by the
        // index's size, whatever the titles' lengths.
        titles[byOffset[k]] = title->substr(0, kTitleLimit);
        total += titles[byOffset[k]].size() + 1;
        read[byOffset[k]] = true;
    }
    if (unreadable)
        *unreadable = failed;
    std::vector<TitleRecord> records;
    records.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (read[i])
            records.push_back({entries[i]->number, std::move(titles[i])});
    }
    return records;
}

TitleFilter::TitleFilter(std::vector<TitleRecord> titles)
{
    std::erase_if(titles, [](const TitleRecord& r) { return CaptionOf(r.title).empty(); });
    std::vector<std::string> folded(titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const std::string_view caption = CaptionOf(titles[i].title);
        folded[i].resize(caption.size());
        std::transform(caption.begin(), caption.end(), folded[i].begin(),
                       [](char c) { return static_cast<char>(FoldByte(static_cast<unsigned char>(c))); });
    }
    std::vector<std::uint32_t> order(titles.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (const int c = folded[a].compare(folded[b]); c != 0)
            return c < 0;
        if (const int c = CaptionOf(titles[a].title).compare(CaptionOf(titles[b].title)); c != 0)
            return c < 0;
        return titles[a].number < titles[b].number;
    });
    std::size_t bytes = 0;
    for (const std::string& f : folded)
        bytes += f.size() + 1;
    captions_.reserve(bytes);
    folded_.reserve(bytes);
    starts_.reserve(titles.size() + 1);
    numbers_.reserve(titles.size());
    popup_.reserve(titles.size());
    bytes_.reserve(titles.size());
    wordStarts_.reserve(titles.size());
    const auto& wordByte = WordBytes();
    for (const std::uint32_t i : order) {
        starts_.push_back(static_cast<std::uint32_t>(captions_.size()));
        captions_ += CaptionOf(titles[i].title);
        captions_ += '\n';
        folded_ += folded[i];
        folded_ += '\n';
        numbers_.push_back(titles[i].number);
        popup_.push_back(IsPopupTitle(titles[i].title));
        std::uint64_t all = 0, starts = 0;
        for (std::size_t k = 0; k < folded[i].size(); ++k) {
            const auto b = static_cast<unsigned char>(folded[i][k]);
            const std::uint64_t bit = std::uint64_t{1} << SignatureBit(b);
            all |= bit;
            if (k == 0 || !wordByte[static_cast<unsigned char>(folded[i][k - 1])])
                starts |= bit;
        }
        bytes_.push_back(all);
        wordStarts_.push_back(starts);
    }
    starts_.push_back(static_cast<std::uint32_t>(captions_.size()));
    // The lists a Find fills, their memory taken now (on the building thread) rather than at
    // the first keystroke. The titles read go back first: the allocator sorts out a million
    // freed small blocks at the next large request (30 ms at 700 000 titles), which is then
    // one of these, not the first Find that keeps its titles.
    const std::size_t count = titles.size();
    titles = {};
    folded = {};
    for (auto* list : {&ranked_[0], &ranked_[1], &ranked_[2], &found_, &keptScratch_}) {
        list->resize(count);
        list->clear();
    }
    recent_.reserve(kRecentLimit);
}

TitleFilter::Rank TitleFilter::RankOf(std::uint32_t entry, std::string_view phrase,
                                      const std::vector<std::string>& words) const
{
    const std::string_view title(folded_.data() + starts_[entry], starts_[entry + 1] - starts_[entry] - 1);
    if (title.starts_with(phrase))
        return kStarts;
    const auto& wordByte = WordBytes();
    bool allAtWordStarts = true;
    for (const std::string& w : words) {
        std::size_t at = title.find(w);
        if (at == std::string_view::npos)
            return kNone;
        // Later occurrences may start a word where the first does not.
        while (at != std::string_view::npos && at > 0 && wordByte[static_cast<unsigned char>(title[at - 1])])
            at = title.find(w, at + 1);
        allAtWordStarts = allAtWordStarts && at != std::string_view::npos;
    }
    return allAtWordStarts ? kWordStarts : kAnywhere;
}

const std::vector<std::uint32_t>& TitleFilter::Find(std::u16string_view typed)
{
    std::string phrase;
    std::vector<std::string> words;
    auto& ranked = ranked_;
    for (auto& r : ranked)
        r.clear();
    found_.clear();
    if (!FoldTyped(typed, phrase, words) || words.empty())
        return found_;
    // Narrowing what a recent Find kept pays while that is a small part of all titles; a short
    // text that most titles hold is found faster in one pass. So the titles kept are noted
    // only while they are few.
    const std::size_t narrowLimit = size() / 32;
    std::vector<std::uint32_t>& kept = keptScratch_;
    kept.clear();
    bool keptAll = true;
    const auto keep = [&](std::uint32_t entry, Rank rank) {
        if (rank == kNone)
            return;
        ranked[rank].push_back(entry);
        if (!keptAll)
            return;
        if (kept.size() == narrowLimit) {
            keptAll = false;
            kept.clear();
        } else {
            kept.push_back(entry);
        }
    };
    // The longest text of the recent ones that the new one starts with: every title that holds
    // the new text's words held its words (typing on, or erasing back to a longer text).
    const Recent* from = nullptr;
    for (const Recent& r : recent_)
        if (phrase.starts_with(r.phrase) && (!from || r.phrase.size() > from->phrase.size()))
            from = &r;
    if (from) {
        for (const std::uint32_t entry : from->kept)
            keep(entry, RankOf(entry, phrase, words));
    } else {
        const auto letter = static_cast<unsigned char>(phrase[0]);
        if (phrase.size() == 1 && ExactBit(letter)) {
            // One letter or digit: the signatures are exact for it.
            const std::uint64_t bit = std::uint64_t{1} << SignatureBit(letter);
            for (std::uint32_t entry = 0; entry < size(); ++entry) {
                if ((bytes_[entry] & bit) == 0)
                    continue;
                keep(entry, static_cast<unsigned char>(folded_[starts_[entry]]) == letter ? kStarts
                            : (wordStarts_[entry] & bit) != 0                             ? kWordStarts
                                                                                          : kAnywhere);
            }
        } else {
            // The occurrences of the longest word, found in one pass over the folded buffer,
            // give the titles to rank; with one word, the occurrence found (the first in its
            // title) ranks it.
            const std::string& key =
                *std::max_element(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
                    return a.size() < b.size();
                });
            std::uint64_t wanted = 0;
            for (const std::string& w : words)
                for (const char c : w)
                    wanted |= std::uint64_t{1} << SignatureBit(static_cast<unsigned char>(c));
            const auto& wordByte = WordBytes();
            const char* const begin = folded_.data();
            const char* const end = begin + folded_.size();
            std::uint32_t entry = 0;
            for (const char* p = begin; p < end;) {
                const char* hit = FindWord(p, end, key);
                if (!hit)
                    break;
                const auto at = static_cast<std::uint32_t>(hit - begin);
                while (starts_[entry + 1] <= at)
                    ++entry;
                p = begin + starts_[entry + 1];
                if (words.size() > 1) {
                    if ((bytes_[entry] & wanted) == wanted)
                        keep(entry, RankOf(entry, phrase, words));
                } else if (at == starts_[entry]) {
                    keep(entry, kStarts);
                } else {
                    const std::string_view title(begin + starts_[entry],
                                                 starts_[entry + 1] - starts_[entry] - 1);
                    std::size_t in = at - starts_[entry];
                    while (in != std::string_view::npos &&
                           wordByte[static_cast<unsigned char>(title[in - 1])])
                        in = title.find(key, in + 1);
                    keep(entry, in == std::string_view::npos ? kAnywhere : kWordStarts);
                }
            }
        }
    }
    if (keptAll) {
        std::erase_if(recent_, [&](const Recent& r) { return r.phrase == phrase; });
        if (recent_.size() == kRecentLimit)
            recent_.erase(recent_.begin());
        recent_.push_back({phrase, kept});
    }
    for (const auto& r : ranked)
        found_.insert(found_.end(), r.begin(), r.end());
    return found_;
}

} // namespace mirelda
