#pragma once
// The three article files of a help set and the in-memory article index.
//
//   .PGH  sequence of 16-byte index records, any order:
//           0 i32 number   4 u32 textOffset   8 u32 linkOffset   12 u32 linkCount
//   .PGD  data records at the offsets the index gives:
//           0 u32 titleLength, title bytes (Windows-1252), u32 textLength, text bytes (RTF)
//   .PGL  16-byte link records, an article's records consecutive from its linkOffset:
//           0 i32 first   4 i32 last (inclusive)   8 i32 target   12 i32 reserved
//
// All integers little-endian. No header, no magic, no checksum.

#include "core/store/result.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mirelda {

struct ArticleEntry
{
    std::int32_t number = 0;
    std::uint32_t textOffset = 0;
    std::uint32_t linkOffset = 0;
    std::uint32_t linkCount = 0;
    friend bool operator==(const ArticleEntry&, const ArticleEntry&) = default;
};

// Map from article number to its entry. Enumeration runs over 17 buckets, bucket =
// (unsigned(number) >> 4) % 17, and within a bucket from the newest entry to the oldest; a
// number inserted again overwrites its entry in place and keeps its place. The search over
// all articles follows this order.
//
// An open-addressing table maps a number to its entry, so that inserting (with its check for
// a number already there) and FindArticle cost constant time whatever the numbers. The
// table's hash takes a multiplier drawn at random for each index, so no file can pile its
// numbers onto one slot.
class ArticleIndex
{
  public:
    static constexpr std::uint32_t kBucketCount = 17;
    static std::uint32_t BucketOf(std::int32_t number);
    static constexpr std::size_t kBlockSize = 10; // entries allocated together

    ArticleIndex() = default;
    ArticleIndex(ArticleIndex&& other) noexcept;
    ArticleIndex& operator=(ArticleIndex&& other) noexcept;

    void Insert(const ArticleEntry& entry);
    // Inserts each entry in turn, as above, fetching the table's memory for the entries a few
    // places ahead while the current one goes in (a file's index is inserted in batches).
    void Insert(std::span<const ArticleEntry> entries);
    // Room for `count` entries (at most kReserveLimit) without the table growing again.
    static constexpr std::size_t kReserveLimit = std::size_t{1} << 22;
    void Reserve(std::size_t count);
    const ArticleEntry* FindArticle(std::int32_t number) const;
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // Calls visit(const ArticleEntry&) for every entry in enumeration order.
    template <class Visit> void ForEach(Visit&& visit) const
    {
        for (const std::uint32_t slot : EnumerationOrder())
            visit(*EntryAt(slot));
    }

  private:
    ArticleEntry* EntryAt(std::uint32_t slot) const { return &blocks_[slot / kBlockSize][slot % kBlockSize]; }
    // The entries' slots bucket by bucket, newest first within a bucket.
    std::vector<std::uint32_t> EnumerationOrder() const;
    std::size_t HomeOf(std::int32_t number) const;
    // The table position holding `number`, or the empty position where it would go.
    std::size_t Probe(std::int32_t number) const;
    // Doubles the table, or makes it 2^bits positions when `bits` is larger.
    void GrowTable(unsigned bits = 0);

    // Entries live in blocks, numbered (slot) in order of first insertion, so that lookups
    // walk compact memory; pointers stay stable.
    std::vector<std::unique_ptr<ArticleEntry[]>> blocks_;
    std::size_t count_ = 0;
    // Slot + 1 (0: free), linear probing, at most half full; size a power of two.
    std::vector<std::uint32_t> table_;
    unsigned tableBits_ = 0;
    std::uint64_t multiplier_ = 0; // odd; chosen when the table is first made
};

struct LinkRecord
{
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::int32_t target = 0;
    std::int32_t reserved = 0;
    friend bool operator==(const LinkRecord&, const LinkRecord&) = default;
};

// The links of one article, in file order.
class LinkTable
{
  public:
    LinkTable() = default;
    explicit LinkTable(std::vector<LinkRecord> records) : records_(std::move(records)) {}

    // The first record whose range holds the position (first <= position <= last), or null.
    const LinkRecord* LinkAt(std::int32_t position) const;

    const std::vector<LinkRecord>& records() const { return records_; }
    bool empty() const { return records_.empty(); }
    // Keeps each range's part inside a text of `textLength` positions, in file order; a
    // record with nothing inside is dropped. No position of the text hits otherwise than
    // before, and every range then has a position after its last one.
    void ClampTo(std::int32_t textLength);
    void clear() { records_.clear(); }

  private:
    std::vector<LinkRecord> records_;
};

// What an article may hold. Real titles are a line and real articles, pictures included, a few
// megabytes; a record claiming more is refused (Malformed) before anything is allocated, so that
// a sparse or hostile .PGD cannot make the reader hold gigabytes. The writer refuses it too.
inline constexpr std::uint32_t kMaxArticleTitleBytes = 64 * 1024;
inline constexpr std::uint32_t kMaxArticleTextBytes = 64 * 1024 * 1024;

struct Article
{
    std::string title; // Windows-1252
    std::string text;  // RTF bytes
};

// A damage that did not stop reading (the records before it were kept).
struct FileProblem
{
    std::string path;
    std::uint64_t offset = 0;
    std::string message;
};

// Reads every record of a .PGH. A trailing partial record is ignored and reported in
// `problems` when given. Fails only when the file cannot be opened or read.
Result<ArticleIndex> LoadArticleIndex(const std::filesystem::path& pghPath,
                                      std::vector<FileProblem>* problems = nullptr);

// The .PGH reader on the file's bytes in memory; `name` stands for the path in messages.
Result<ArticleIndex> ParseArticleIndex(std::string_view pghBytes, const std::string& name,
                                       std::vector<FileProblem>* problems = nullptr);

// Reads data records from one open .PGD; for reading many articles in one pass.
// A title or text length larger than what remains of the file is Truncated, one above the
// limits above Malformed; neither is ever an allocation.
class ArticleDataReader
{
  public:
    static Result<ArticleDataReader> Open(const std::filesystem::path& pgdPath);
    std::uint64_t fileSize() const { return size_; }
    Result<Article> Read(const ArticleEntry& entry);
    Result<std::string> ReadTitle(const ArticleEntry& entry); // title only, text not read

  private:
    std::filesystem::path path_;
    std::ifstream file_;
    std::uint64_t size_ = 0;
};

// Opens the .PGD, reads one article, closes the file.
Result<Article> ReadArticle(const std::filesystem::path& pgdPath, const ArticleEntry& entry);

// The same two readers on the file's bytes in memory; `name` stands for the path in messages.
Result<Article> ParseArticle(std::string_view pgdBytes, const std::string& name, const ArticleEntry& entry);
Result<LinkTable> ParseLinks(std::string_view pglBytes, const std::string& name, const ArticleEntry& entry);

// Opens the .PGL, reads the entry's linkCount records from its linkOffset, closes the file.
// A count running past the end of the file is Truncated.
Result<LinkTable> ReadLinks(const std::filesystem::path& pglPath, const ArticleEntry& entry);

// A pop-up article's title is empty or begins with "#".
bool IsPopupTitle(std::string_view title);
// The title without a leading "#POPUP:" (exact, case-sensitive); any other title whole.
std::string_view PopupCaption(std::string_view title);

// Writes a whole help set's three article files (tests, benchmarks, the compiler).
// Articles are written in the order given; the index lists them in that order too.
struct ArticleSource
{
    std::int32_t number = 0;
    std::string title; // Windows-1252
    std::string text;  // RTF
    std::vector<LinkRecord> links;
};
Status WriteArticleFiles(const std::filesystem::path& pghPath, const std::filesystem::path& pgdPath,
                         const std::filesystem::path& pglPath, const std::vector<ArticleSource>& articles);

} // namespace mirelda
