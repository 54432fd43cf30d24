#include "core/store/help_set.h"

#include "core/store/article_record.h"
#include "core/store/binary_file.h"

#include <algorithm>
#include <array>
#include <limits>
#include <random>
#include <utility>

namespace mirelda {

namespace {

constexpr std::size_t kIndexRecordSize = 16;
constexpr std::size_t kLinkRecordSize = 16;

} // namespace

// ---- ArticleIndex ----------------------------------------------------------------------

std::uint32_t ArticleIndex::BucketOf(std::int32_t number)
{
    return (static_cast<std::uint32_t>(number) >> 4) % kBucketCount;
}

ArticleIndex::ArticleIndex(ArticleIndex&& other) noexcept
{
    *this = std::move(other);
}

ArticleIndex& ArticleIndex::operator=(ArticleIndex&& other) noexcept
{
    if (this != &other) {
        blocks_ = std::exchange(other.blocks_, {});
        count_ = std::exchange(other.count_, 0);
        table_ = std::exchange(other.table_, {});
        tableBits_ = std::exchange(other.tableBits_, 0);
        multiplier_ = std::exchange(other.multiplier_, 0);
    }
    return *this;
}

std::size_t ArticleIndex::HomeOf(std::int32_t number) const
{
    // Multiply-shift hashing: the top bits of a random odd multiple.
    const std::uint64_t key = static_cast<std::uint32_t>(number);
    return static_cast<std::size_t>((key * multiplier_) >> (64 - tableBits_));
}

std::size_t ArticleIndex::Probe(std::int32_t number) const
{
    const std::size_t mask = table_.size() - 1;
    std::size_t at = HomeOf(number);
    while (table_[at] != 0 && EntryAt(table_[at] - 1)->number != number)
        at = (at + 1) & mask;
    return at;
}

void ArticleIndex::GrowTable(unsigned bits)
{
    if (multiplier_ == 0) {
        std::random_device random;
        multiplier_ = ((std::uint64_t{random()} << 32) ^ random()) | 1;
    }
    tableBits_ = std::max(bits, table_.empty() ? 5 : tableBits_ + 1);
    table_.assign(std::size_t{1} << tableBits_, 0);
    for (std::uint32_t slot = 0; slot < count_; ++slot)
        table_[Probe(EntryAt(slot)->number)] = slot + 1;
}

void ArticleIndex::Insert(const ArticleEntry& entry)
{
    if (table_.empty())
        GrowTable();
    std::size_t at = Probe(entry.number);
    if (table_[at] != 0) {
        *EntryAt(table_[at] - 1) = entry; // a later record for the same number wins
        return;
    }
    if ((count_ + 1) * 2 > table_.size()) {
        GrowTable();
        at = Probe(entry.number);
    }
    if (count_ % kBlockSize == 0)
        blocks_.push_back(std::make_unique<ArticleEntry[]>(kBlockSize));
    *EntryAt(static_cast<std::uint32_t>(count_)) = entry;
    table_[at] = static_cast<std::uint32_t>(count_ + 1);
    ++count_;
}

void ArticleIndex::Insert(std::span<const ArticleEntry> entries)
{
    // Far enough ahead to hide a memory access behind the insertions between.
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i + kAhead < entries.size() && !table_.empty())
            __builtin_prefetch(&table_[HomeOf(entries[i + kAhead].number)]);
        Insert(entries[i]);
    }
}

void ArticleIndex::Reserve(std::size_t count)
{
    count = std::min(count, kReserveLimit);
    unsigned bits = 5;
    while ((count + 1) * 2 > std::size_t{1} << bits)
        ++bits;
    if (bits > tableBits_)
        GrowTable(bits);
    blocks_.reserve(count / kBlockSize + 1);
}

const ArticleEntry* ArticleIndex::FindArticle(std::int32_t number) const
{
    if (table_.empty())
        return nullptr;
    const std::uint32_t slot = table_[Probe(number)];
    return slot == 0 ? nullptr : EntryAt(slot - 1);
}

std::vector<std::uint32_t> ArticleIndex::EnumerationOrder() const
{
    // A counting sort by bucket over the slots taken newest first.
    std::array<std::size_t, kBucketCount + 1> start{};
    for (std::uint32_t slot = 0; slot < count_; ++slot)
        ++start[BucketOf(EntryAt(slot)->number) + 1];
    for (std::size_t b = 1; b <= kBucketCount; ++b)
        start[b] += start[b - 1];
    std::vector<std::uint32_t> order(count_);
    for (std::uint32_t slot = static_cast<std::uint32_t>(count_); slot-- > 0;)
        order[start[BucketOf(EntryAt(slot)->number)]++] = slot;
    return order;
}

// ---- .PGH ------------------------------------------------------------------------------

namespace {

Result<ArticleIndex> ReadIndex(BinaryReader in, std::vector<FileProblem>* problems)
{
    ArticleIndex index;
    // The table made once at its final size rather than doubled about twenty times, each time
    // going over every entry. The record count only bounds the entries (a number repeated
    // makes one), so a large file is trusted up to kReserveLimit and grows the table beyond.
    index.Reserve(static_cast<std::size_t>(
        std::min<std::uint64_t>(in.remaining() / kIndexRecordSize, ArticleIndex::kReserveLimit)));
    // Many records per read: one call per 16 bytes would cost more than the whole insertion.
    constexpr std::size_t kRecordsPerRead = 4096;
    std::vector<unsigned char> chunk(kRecordsPerRead * kIndexRecordSize);
    std::vector<ArticleEntry> entries(kRecordsPerRead);
    while (in.remaining() >= kIndexRecordSize) {
        const std::size_t records = static_cast<std::size_t>(
            std::min<std::uint64_t>(in.remaining() / kIndexRecordSize, kRecordsPerRead));
        if (auto done = in.ReadExact(chunk.data(), records * kIndexRecordSize); !done)
            return done.error();
        for (std::size_t i = 0; i < records; ++i) {
            const unsigned char* record = chunk.data() + i * kIndexRecordSize;
            entries[i] = {LoadI32(record), LoadU32(record + 4), LoadU32(record + 8), LoadU32(record + 12)};
        }
        index.Insert(std::span<const ArticleEntry>(entries.data(), records));
    }
    if (!in.atEnd() && problems)
        problems->push_back(FileProblem{in.path(), in.position(),
                                        "partial index record of " + std::to_string(in.remaining()) +
                                            " bytes at the end of the file, ignored"});
    return index;
}

} // namespace

Result<ArticleIndex> LoadArticleIndex(const std::filesystem::path& pghPath,
                                      std::vector<FileProblem>* problems)
{
    auto file = InputFile::Open(pghPath);
    if (!file)
        return file.error();
    return ReadIndex(file->reader(), problems);
}

Result<ArticleIndex> ParseArticleIndex(std::string_view pghBytes, const std::string& name,
                                       std::vector<FileProblem>* problems)
{
    return ReadIndex(MemoryInput(pghBytes, name).reader(), problems);
}

// ---- .PGD ------------------------------------------------------------------------------

Result<ArticleDataReader> ArticleDataReader::Open(const std::filesystem::path& pgdPath)
{
    ArticleDataReader reader;
    reader.path_ = pgdPath;
    auto size = OpenForReading(reader.file_, pgdPath);
    if (!size)
        return size.error();
    reader.size_ = *size;
    return reader;
}

namespace {

// A record's bytes read from a stream, each field into the one buffer.
class StreamRecordBytes final : public RecordBytes
{
  public:
    explicit StreamRecordBytes(BinaryReader in) : in_(std::move(in)) {}
    std::uint64_t size() const override { return in_.size(); }
    const std::string& path() const override { return in_.path(); }
    const char* Fetch(std::uint64_t offset, std::uint64_t count) override
    {
        buffer_.resize(count);
        in_.Seek(offset);
        return in_.ReadExact(buffer_.data(), count) ? buffer_.data() : nullptr;
    }
    // The bytes last fetched, without a copy.
    std::string TakeLast() { return std::move(buffer_); }

  private:
    BinaryReader in_;
    std::string buffer_;
};

Result<Article> ReadRecord(BinaryReader in, const ArticleEntry& entry)
{
    StreamRecordBytes bytes(std::move(in));
    ArticleRecord record(bytes, entry);
    auto title = record.Title();
    if (!title)
        return title.error();
    std::string titleText(*title);
    if (auto text = record.Text(); !text)
        return text.error();
    return Article{std::move(titleText), bytes.TakeLast()};
}

} // namespace

Result<Article> ArticleDataReader::Read(const ArticleEntry& entry)
{
    return ReadRecord(BinaryReader(file_, size_, path_.string()), entry);
}

Result<Article> ParseArticle(std::string_view pgdBytes, const std::string& name, const ArticleEntry& entry)
{
    MemoryInput input(pgdBytes, name);
    return ReadRecord(input.reader(), entry);
}

Result<std::string> ArticleDataReader::ReadTitle(const ArticleEntry& entry)
{
    StreamRecordBytes bytes(BinaryReader(file_, size_, path_.string()));
    auto title = ArticleRecord(bytes, entry).Title();
    if (!title)
        return title.error();
    return std::string(*title);
}

Result<Article> ReadArticle(const std::filesystem::path& pgdPath, const ArticleEntry& entry)
{
    auto reader = ArticleDataReader::Open(pgdPath);
    if (!reader)
        return reader.error();
    return reader->Read(entry);
}

// ---- .PGL ------------------------------------------------------------------------------

namespace {
Result<LinkTable> ReadLinkRecords(BinaryReader in, const ArticleEntry& entry);
} // namespace

Result<LinkTable> ReadLinks(const std::filesystem::path& pglPath, const ArticleEntry& entry)
{
    // The file is opened even for an article without links, so that a missing link file is
    // noticed on the first article rather than on the first one with links.
    auto file = InputFile::Open(pglPath);
    if (!file)
        return file.error();
    return ReadLinkRecords(file->reader(), entry);
}

Result<LinkTable> ParseLinks(std::string_view pglBytes, const std::string& name, const ArticleEntry& entry)
{
    MemoryInput input(pglBytes, name);
    return ReadLinkRecords(input.reader(), entry);
}

namespace {

Result<LinkTable> ReadLinkRecords(BinaryReader in, const ArticleEntry& entry)
{
    if (entry.linkCount == 0)
        return LinkTable{};
    in.Seek(entry.linkOffset);
    const std::uint64_t bytes = std::uint64_t{entry.linkCount} * kLinkRecordSize;
    if (bytes > in.remaining())
        return in.Error(FileErrorKind::Truncated, entry.linkOffset,
                        "article " + std::to_string(entry.number) + ": " + std::to_string(entry.linkCount) +
                            " link records at " + Hex(entry.linkOffset) + " run past the end of the file");
    std::vector<LinkRecord> records;
    records.reserve(entry.linkCount);
    for (std::uint32_t i = 0; i < entry.linkCount; ++i) {
        unsigned char record[kLinkRecordSize];
        if (auto done = in.ReadExact(record, sizeof record); !done)
            return done.error();
        records.push_back(
            LinkRecord{LoadI32(record), LoadI32(record + 4), LoadI32(record + 8), LoadI32(record + 12)});
    }
    return LinkTable(std::move(records));
}

} // namespace

const LinkRecord* LinkTable::LinkAt(std::int32_t position) const
{
    for (const LinkRecord& r : records_)
        if (r.first <= position && position <= r.last)
            return &r;
    return nullptr;
}

void LinkTable::ClampTo(std::int32_t textLength)
{
    std::vector<LinkRecord> kept;
    for (LinkRecord r : records_) {
        r.first = std::max(r.first, 0);
        r.last = std::min(r.last, textLength - 1);
        if (r.first <= r.last)
            kept.push_back(r);
    }
    records_ = std::move(kept);
}

// ---- Titles ----------------------------------------------------------------------------

bool IsPopupTitle(std::string_view title)
{
    return title.empty() || title.front() == '#';
}

std::string_view PopupCaption(std::string_view title)
{
    constexpr std::string_view prefix = "#POPUP:";
    if (title.substr(0, prefix.size()) == prefix)
        title.remove_prefix(prefix.size());
    return title;
}

// ---- Writers ---------------------------------------------------------------------------

Status WriteArticleFiles(const std::filesystem::path& pghPath, const std::filesystem::path& pgdPath,
                         const std::filesystem::path& pglPath, const std::vector<ArticleSource>& articles)
{
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    std::string pgh, pgd, pgl;
    pgh.reserve(articles.size() * kIndexRecordSize);
    for (const ArticleSource& a : articles) {
        // Offsets and lengths are 32-bit in the files: refuse what they cannot express.
        if (pgd.size() > kMax || a.title.size() > kMax || a.text.size() > kMax || pgl.size() > kMax ||
            a.links.size() > kMax)
            return FileError{FileErrorKind::CannotWrite, pgdPath.string(), pgd.size(),
                             "article " + std::to_string(a.number) + " does not fit the 32-bit offsets"};
        if (a.title.size() > kMaxArticleTitleBytes || a.text.size() > kMaxArticleTextBytes)
            return FileError{FileErrorKind::CannotWrite, pgdPath.string(), pgd.size(),
                             "article " + std::to_string(a.number) + ": a title of " +
                                 std::to_string(a.title.size()) + " bytes or a text of " +
                                 std::to_string(a.text.size()) + " bytes is more than a reader accepts (" +
                                 std::to_string(kMaxArticleTitleBytes) + ", " +
                                 std::to_string(kMaxArticleTextBytes) + ")"};
        StoreI32(pgh, a.number);
        StoreU32(pgh, static_cast<std::uint32_t>(pgd.size()));
        StoreU32(pgh, static_cast<std::uint32_t>(pgl.size()));
        StoreU32(pgh, static_cast<std::uint32_t>(a.links.size()));

        StoreU32(pgd, static_cast<std::uint32_t>(a.title.size()));
        pgd += a.title;
        StoreU32(pgd, static_cast<std::uint32_t>(a.text.size()));
        pgd += a.text;

        for (const LinkRecord& l : a.links) {
            StoreI32(pgl, l.first);
            StoreI32(pgl, l.last);
            StoreI32(pgl, l.target);
            StoreI32(pgl, l.reserved);
        }
    }
    if (auto done = WriteWholeFile(pghPath, pgh); !done)
        return done;
    if (auto done = WriteWholeFile(pgdPath, pgd); !done)
        return done;
    return WriteWholeFile(pglPath, pgl);
}

} // namespace mirelda
