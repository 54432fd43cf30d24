#include "core/search/search_engine.h"

#include "core/richtext/plain_text.h"
#include "core/richtext/text_find.h"
#include "core/search/rtf_prefilter.h"
#include "core/store/binary_file.h"
#include "core/store/cp1252.h"
#include "core/store/file_faults.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>

namespace mirelda {
namespace {

std::string Hex(std::uint64_t value)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llX", static_cast<unsigned long long>(value));
    return buffer;
}

// The .PGD seen through one reusable window: a record that lies inside the window costs no
// read at all, so records visited in increasing offset order are read in few large reads
// rather than one system call per field. A read goes on past the bytes asked for up to
// `readUntil`, where the caller expects to need more; bytes the window already holds are
// kept, never read again. Nothing is read past the file's measured size, and nothing is
// allocated beyond what the file holds.
class DataWindow
{
  public:
    static constexpr std::uint64_t kChunk = 128 * 1024; // the most read beyond what is asked

    static Result<DataWindow> Open(const std::filesystem::path& path)
    {
        DataWindow w;
        w.path_ = path.string();
        if (!FileOperationAllowed(FileOperation::OpenForReading, path)) // as every reader of the store asks
            return FileError{FileErrorKind::CannotOpen, w.path_, 0, "cannot open the file"};
        w.file_.reset(std::fopen(w.path_.c_str(), "rb"));
        if (!w.file_)
            return FileError{FileErrorKind::CannotOpen, w.path_, 0, "cannot open the file"};
        if (std::fseek(w.file_.get(), 0, SEEK_END) != 0)
            return FileError{FileErrorKind::ReadFailed, w.path_, 0, "cannot measure the file"};
        const long size = std::ftell(w.file_.get());
        if (size < 0)
            return FileError{FileErrorKind::ReadFailed, w.path_, 0, "cannot measure the file"};
        w.size_ = static_cast<std::uint64_t>(size);
        w.filePos_ = w.size_;
        return w;
    }

    const std::string& path() const { return path_; }

    // The `count` bytes at `offset`, valid until the next call; null when they run past the end
    // of the file (`truncated` set) or the system fails to read them.
    const char* Fetch(std::uint64_t offset, std::uint64_t count, std::uint64_t readUntil, bool& truncated)
    {
        truncated = offset > size_ || count > size_ - offset;
        if (truncated)
            return nullptr;
        static const char kNothing = 0;
        if (count == 0)
            return &kNothing;
        if (offset >= start_ && offset + count <= start_ + length_)
            return buffer_.get() + (offset - start_);
        const std::uint64_t ahead = readUntil > offset ? std::min(readUntil - offset, kChunk) : 0;
        const std::uint64_t length = std::min(std::max(count, ahead), size_ - offset);
        // The part of the window at `offset` and after, which the new one starts with.
        const std::uint64_t held =
            offset >= start_ && offset < start_ + length_ ? start_ + length_ - offset : 0;
        if (length > capacity_) {
            auto bigger = std::make_unique_for_overwrite<char[]>(length);
            if (held > 0)
                std::memcpy(bigger.get(), buffer_.get() + (offset - start_), held);
            buffer_ = std::move(bigger);
            capacity_ = length;
        } else if (held > 0) {
            std::memmove(buffer_.get(), buffer_.get() + (offset - start_), held);
        }
        length_ = 0;
        const std::uint64_t from = offset + held;
        if (filePos_ != from && std::fseek(file_.get(), static_cast<long>(from), SEEK_SET) != 0) {
            filePos_ = size_ + 1;
            return nullptr;
        }
        const std::size_t got = std::fread(buffer_.get() + held, 1, length - held, file_.get());
        filePos_ = from + got;
        if (got != length - held)
            return nullptr;
        start_ = offset;
        length_ = length;
        return buffer_.get();
    }

    // Whether the file holds `count` bytes at `offset`.
    bool Holds(std::uint64_t offset, std::uint64_t count) const
    {
        return offset <= size_ && count <= size_ - offset;
    }

    // A length the bytes are there for but no article may have (see help_set.h).
    FileError TooLong(std::uint64_t offset, std::string message) const
    {
        return FileError{FileErrorKind::Malformed, path_, offset,
                         std::move(message) + " is more than allowed"};
    }

    FileError Error(bool truncated, std::uint64_t offset, std::string message) const
    {
        if (truncated)
            return FileError{FileErrorKind::Truncated, path_, offset,
                             std::move(message) + " runs past the end of the file"};
        return FileError{FileErrorKind::ReadFailed, path_, offset, std::move(message) + " could not be read"};
    }

  private:
    struct Closer
    {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::string path_;
    std::unique_ptr<std::FILE, Closer> file_;
    std::uint64_t size_ = 0;
    std::uint64_t filePos_ = 0; // where the next fread starts
    std::unique_ptr<char[]> buffer_;
    std::uint64_t capacity_ = 0;
    std::uint64_t start_ = 0;  // file offset of buffer_[0]
    std::uint64_t length_ = 0; // bytes of the file held in buffer_
};

// The tests of one request, with the buffers they reuse from one article to the next.
class Matcher
{
  public:
    explicit Matcher(const SearchRequest& request)
        : request_(request), upperWhat_(request.matchCase ? request.text : UpperCp1252(request.text)),
          what16_(request.textUtf16.empty() ? DecodeCp1252(request.text) : request.textUtf16),
          titleCanMatch_(request.textUtf16.empty() || DecodeCp1252(request.text) == request.textUtf16),
          prefilter_(what16_, request.matchCase)
    {
    }

    bool TitleMatches(std::string_view title)
    {
        if (!request_.inTitle || !titleCanMatch_)
            return false;
        if (request_.matchCase)
            return title.find(request_.text) != std::string_view::npos;
        upperTitle_.assign(title);
        for (char& c : upperTitle_)
            c = UpperCp1252(c);
        return upperTitle_.find(upperWhat_) != std::string::npos;
    }

    bool TextMatches(std::string_view rtf) const
    {
        if (!prefilter_.MayContain(rtf))
            return false;
        return FindText(ExtractPlainText(rtf), what16_, 0, request_.matchCase, request_.wholeWord) >= 0;
    }

  private:
    const SearchRequest& request_;
    std::string upperWhat_;
    std::u16string what16_;
    bool titleCanMatch_; // a Windows-1252 title cannot hold a character the code page lacks
    RtfPrefilter prefilter_;
    std::string upperTitle_;
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
    const auto article = [&] { return "article " + std::to_string(entry.number); };
    bool truncated = false;
    const std::uint64_t at = entry.textOffset;
    const char* p = data.Fetch(at, 4, readUntil, truncated);
    if (!p) {
        error = data.Error(truncated, at, article() + ": data record at " + Hex(at));
        return Outcome::Error;
    }
    const std::uint32_t titleLength = LoadU32(p);
    if (titleLength > kMaxArticleTitleBytes && data.Holds(at + 4, titleLength)) {
        error = data.TooLong(at, article() + ": title of " + std::to_string(titleLength) + " bytes");
        return Outcome::Error;
    }
    p = data.Fetch(at + 4, titleLength, readUntil, truncated);
    if (!p) {
        error = data.Error(truncated, at, article() + ": title of " + std::to_string(titleLength) + " bytes");
        return Outcome::Error;
    }
    title.assign(p, titleLength);
    if (IsPopupTitle(title))
        return Outcome::NoMatch;
    if (matcher.TitleMatches(title))
        return Outcome::Match;
    if (!request.inText)
        return Outcome::NoMatch;

    const std::uint64_t lengthAt = at + 4 + titleLength;
    p = data.Fetch(lengthAt, 4, readUntil, truncated);
    if (!p) {
        error = data.Error(truncated, lengthAt, article() + ": text length");
        return Outcome::Error;
    }
    const std::uint32_t textLength = LoadU32(p);
    if (textLength > kMaxArticleTextBytes && data.Holds(lengthAt + 4, textLength)) {
        error = data.TooLong(lengthAt, article() + ": text of " + std::to_string(textLength) + " bytes");
        return Outcome::Error;
    }
    p = data.Fetch(lengthAt + 4, textLength, readUntil, truncated);
    if (!p) {
        error =
            data.Error(truncated, lengthAt, article() + ": text of " + std::to_string(textLength) + " bytes");
        return Outcome::Error;
    }
    return matcher.TextMatches(std::string_view(p, textLength)) ? Outcome::Match : Outcome::NoMatch;
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

    void Scan(const SearchRequest& request, const ArticleEntry* const* entries, std::size_t count)
    {
        visits.clear();
        for (std::size_t i = 0; i < count; ++i)
            visits.push_back({entries[i], i});
        std::stable_sort(visits.begin(), visits.end(), [](const Visit& a, const Visit& b) {
            return a.entry->textOffset < b.entry->textOffset;
        });
        // A read goes on to the last record of the block that starts within a chunk of it, and
        // one typical record beyond: records close together come in one read, and little is
        // read past the last of them.
        std::size_t last = 0;
        for (std::size_t i = 0; i < visits.size(); ++i) {
            const std::uint64_t at = visits[i].entry->textOffset;
            last = std::max(last, i);
            while (last + 1 < visits.size() && visits[last + 1].entry->textOffset < at + DataWindow::kChunk)
                ++last;
            const std::uint64_t readUntil = std::uint64_t{visits[last].entry->textOffset} + kTypicalRecord;
            const Visit& v = visits[i];
            errors[v.slot].reset();
            outcomes[v.slot] =
                TestArticle(data, matcher, request, *v.entry, readUntil, titles[v.slot], errors[v.slot]);
        }
    }
};

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
    for (std::size_t i = 0; i < kLanes; ++i) {
        auto opened = DataWindow::Open(pgdPath);
        if (!opened)
            return opened.error();
        lanes.push_back(std::make_unique<Lane>(std::move(*opened), request));
    }

    std::vector<const ArticleEntry*> order;
    order.reserve(index.size());
    index.ForEach([&](const ArticleEntry& e) { order.push_back(&e); });

    for (std::size_t first = 0; first < order.size(); first += kBlock * kLanes) {
        if (control && control->progress && !control->progress(first, order.size())) {
            control->stopped = true;
            return std::vector<SearchHit>{};
        }
        // The other lanes on threads of their own, the first on this one.
        const auto countOf = [&](std::size_t lane) {
            const std::size_t start = std::min(order.size(), first + lane * kBlock);
            return std::min(kBlock, order.size() - start);
        };
        std::vector<std::thread> helpers;
        for (std::size_t lane = 1; lane < kLanes && countOf(lane) > 0; ++lane)
            helpers.emplace_back([&, lane] {
                lanes[lane]->Scan(request, order.data() + first + lane * kBlock, countOf(lane));
            });
        lanes[0]->Scan(request, order.data() + first, countOf(0));
        for (std::thread& helper : helpers)
            helper.join();

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
