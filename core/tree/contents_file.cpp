#include "core/tree/contents_file.h"

#include "core/store/binary_file.h"
#include "core/store/cp1252.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <random>

namespace mirelda {

namespace {

constexpr std::size_t kKeyOffset = 0;
constexpr std::size_t kTitleOffset = 12;
constexpr std::size_t kLinkKeyOffset = 92;
constexpr std::size_t kArticleOffset = 104;
constexpr std::size_t kReservedOffset = 108;
constexpr std::size_t kLinkKindOffset = 112;
constexpr std::int32_t kSiblingLink = 2;

// File texts quoted in problem messages, which are UTF-8 like the rest of the message.
std::string Quoted(std::string_view cp1252)
{
    return "\"" + Utf16ToUtf8(DecodeCp1252(cp1252)) + "\"";
}

static_assert(kLinkKindOffset + 4 == ContentsRecord::kSize);

ContentsRecord ParseRecord(const char (&r)[ContentsRecord::kSize])
{
    ContentsRecord record;
    record.key = FixedFieldText(r + kKeyOffset, ContentsRecord::kKeyWidth);
    record.title = FixedFieldText(r + kTitleOffset, ContentsRecord::kTitleWidth);
    record.linkKey = FixedFieldText(r + kLinkKeyOffset, ContentsRecord::kKeyWidth);
    record.article = LoadI32(r + kArticleOffset);
    record.reserved = LoadI32(r + kReservedOffset);
    record.linkKind = LoadI32(r + kLinkKindOffset);
    return record;
}

bool PutField(std::string& out, std::size_t at, const std::string& text, std::size_t width)
{
    if (text.size() > width)
        return false;
    out.replace(at, text.size(), text);
    return true;
}

void PutI32(std::string& out, std::size_t at, std::int32_t value)
{
    std::string bytes;
    StoreI32(bytes, value);
    out.replace(at, 4, bytes);
}

} // namespace

namespace {

// Calls visit(const ContentsRecord&, std::uint64_t offset) for each record up to the end
// record, reading many records per call. Missing end record and short last record go to
// `problems`; `endRecordSeen` tells whether the end record was met.
template <class Visit>
Status ForEachContentsRecord(BinaryReader in, bool& endRecordSeen, std::vector<FileProblem>& problems,
                             Visit&& visit, const std::atomic<bool>* stop = nullptr, bool* stopped = nullptr)
{
    constexpr std::size_t kRecordsPerRead = 512;
    std::vector<char> chunk(kRecordsPerRead * ContentsRecord::kSize);
    endRecordSeen = false;
    while (in.remaining() >= ContentsRecord::kSize) {
        const std::uint64_t at = in.position();
        const std::size_t records = static_cast<std::size_t>(
            std::min<std::uint64_t>(in.remaining() / ContentsRecord::kSize, kRecordsPerRead));
        if (auto done = in.ReadExact(chunk.data(), records * ContentsRecord::kSize); !done)
            return done;
        for (std::size_t i = 0; i < records; ++i) {
            const char(&bytes)[ContentsRecord::kSize] =
                *reinterpret_cast<const char(*)[ContentsRecord::kSize]>(chunk.data() +
                                                                        i * ContentsRecord::kSize);
            if (bytes[kTitleOffset] == '\0') {
                endRecordSeen = true;
                return Done{};
            }
            // Checked at every record: one relaxed load, and a stop ends the read at once.
            if (stop && stop->load(std::memory_order_relaxed)) {
                *stopped = true;
                return Done{};
            }
            visit(ParseRecord(bytes), at + i * ContentsRecord::kSize);
        }
    }
    if (!in.atEnd())
        problems.push_back(
            FileProblem{in.path(), in.position(),
                        "short last record of " + std::to_string(in.remaining()) + " bytes, ignored"});
    problems.push_back(FileProblem{in.path(), in.size(), "no end record (empty title)"});
    return Done{};
}

Result<ContentsFile> ReadRecords(BinaryReader in)
{
    ContentsFile contents;
    auto done =
        ForEachContentsRecord(in, contents.endRecordSeen, contents.problems,
                              [&](const ContentsRecord& r, std::uint64_t) { contents.records.push_back(r); });
    if (!done)
        return done.error();
    return contents;
}

} // namespace

Result<ContentsFile> ReadContentsRecords(const std::filesystem::path& ficPath)
{
    auto file = InputFile::Open(ficPath);
    if (!file)
        return file.error();
    return ReadRecords(file->reader());
}

Result<ContentsFile> ParseContentsRecords(std::string_view ficBytes, const std::string& name)
{
    return ReadRecords(MemoryInput(ficBytes, name).reader());
}

Status WriteContentsFile(const std::filesystem::path& ficPath, const std::vector<ContentsRecord>& records)
{
    std::string bytes;
    bytes.reserve((records.size() + 1) * ContentsRecord::kSize);
    for (const ContentsRecord& r : records) {
        const std::size_t at = bytes.size();
        bytes.append(ContentsRecord::kSize, '\0');
        if (!PutField(bytes, at + kKeyOffset, r.key, ContentsRecord::kKeyWidth) ||
            !PutField(bytes, at + kTitleOffset, r.title, ContentsRecord::kTitleWidth) ||
            !PutField(bytes, at + kLinkKeyOffset, r.linkKey, ContentsRecord::kKeyWidth))
            return FileError{FileErrorKind::CannotWrite, ficPath.string(), at,
                             "a text of entry " + Quoted(r.title) + " is longer than its field"};
        PutI32(bytes, at + kArticleOffset, r.article);
        PutI32(bytes, at + kReservedOffset, r.reserved);
        PutI32(bytes, at + kLinkKindOffset, r.linkKind);
    }
    bytes.append(ContentsRecord::kSize, '\0'); // the end record
    return WriteWholeFile(ficPath, bytes);
}

namespace {

// The item keys of one load. A key is at most 12 bytes, so it is kept inline in a dense array
// that an open-addressing table indexes: about forty bytes a key where a node-based map costs
// twice that. The hash (multiply-shift over the key's two words) takes multipliers drawn at
// random for each load, so no file can make its keys collide.
class KeyTable
{
  public:
    struct Placed
    {
        ContentsTree::Item item = ContentsTree::kNone;
        std::size_t depth = 0;
    };

    const Placed* Find(std::string_view key) const
    {
        if (table_.empty() || key.size() > ContentsRecord::kKeyWidth)
            return nullptr;
        const std::uint32_t slot = table_[Probe(key)];
        return slot == 0 ? nullptr : &entries_[slot - 1].placed;
    }

    // Enters the key, or gives an existing one its new place.
    void Assign(std::string_view key, Placed placed)
    {
        if (key.size() > ContentsRecord::kKeyWidth)
            return; // a fixed field never holds more
        if ((entries_.size() + 1) * 2 > table_.size())
            Grow();
        const std::size_t at = Probe(key);
        if (table_[at] != 0) {
            entries_[table_[at] - 1].placed = placed;
            return;
        }
        Entry entry;
        std::copy(key.begin(), key.end(), entry.key.begin());
        entry.length = static_cast<std::uint8_t>(key.size());
        entry.placed = placed;
        entries_.push_back(entry);
        table_[at] = static_cast<std::uint32_t>(entries_.size());
    }

  private:
    struct Entry
    {
        std::array<char, ContentsRecord::kKeyWidth> key{};
        std::uint8_t length = 0;
        Placed placed;
    };

    std::size_t Home(std::string_view key) const
    {
        std::uint64_t words[2] = {0, 0};
        std::memcpy(words, key.data(), key.size());
        const std::uint64_t h =
            words[0] * multipliers_[0] + words[1] * multipliers_[1] + key.size() * multipliers_[2];
        return static_cast<std::size_t>(h >> (64 - bits_));
    }

    std::size_t Probe(std::string_view key) const
    {
        const std::size_t mask = table_.size() - 1;
        std::size_t at = Home(key);
        while (table_[at] != 0) {
            const Entry& e = entries_[table_[at] - 1];
            if (std::string_view(e.key.data(), e.length) == key)
                break;
            at = (at + 1) & mask;
        }
        return at;
    }

    void Grow()
    {
        if (table_.empty()) {
            std::random_device random;
            for (std::uint64_t& m : multipliers_)
                m = ((std::uint64_t{random()} << 32) ^ random()) | 1;
        }
        bits_ = table_.empty() ? 6 : bits_ + 1;
        table_.assign(std::size_t{1} << bits_, 0);
        for (std::size_t i = 0; i < entries_.size(); ++i)
            table_[Probe(std::string_view(entries_[i].key.data(), entries_[i].length))] =
                static_cast<std::uint32_t>(i + 1);
    }

    std::vector<Entry> entries_;
    std::vector<std::uint32_t> table_; // entry + 1, 0 free; at most half full
    unsigned bits_ = 0;
    std::uint64_t multipliers_[3] = {};
};

static_assert(ContentsRecord::kKeyWidth <= 16, "a key fits two 64-bit words");

} // namespace

namespace {

// Places the records that `forEachRecord(report, visit)` gives, in file order, into `tree`.
template <class ForEachRecord>
Result<TreeLoadReport> PlaceRecords(ForEachRecord&& forEachRecord, const std::string& name,
                                    ContentsTree& tree, const ItemArticleSink& enterArticle)
{
    TreeLoadReport report;

    // A book one level below P takes the next of the five colours.
    const auto childBookImage = [&tree](ContentsTree::Item parent) {
        const int image = tree.ImageOf(parent) % kBookImageCount;
        return (image + kBookImageCount + 1) % kBookImageCount; // safe for any image value
    };

    KeyTable keys; // this load only
    const auto loaded = forEachRecord(report, [&](const ContentsRecord& r, std::uint64_t offset) {
        int image = r.article != 0 ? kPageImage : 0;
        ContentsTree::Item parent = ContentsTree::kNone;
        std::size_t depth = 0;
        if (r.linkKey != "0") {
            const KeyTable::Placed* found = keys.Find(r.linkKey);
            if (!found) {
                // Only a damaged file names a key that no earlier record has: rather than
                // attach the entry to some unrelated item, show it at the top level.
                report.problems.push_back(FileProblem{name, offset,
                                                      "entry " + Quoted(r.title) + ": link key " +
                                                          Quoted(r.linkKey) +
                                                          " names no earlier entry; shown at the top level"});
            } else if (r.linkKind == kSiblingLink) {
                parent = tree.ParentOf(found->item);
                depth = found->depth;
                if (image == 0 && parent != ContentsTree::kNone)
                    image = childBookImage(parent);
            } else {
                parent = found->item;
                depth = found->depth + 1;
                if (image == 0)
                    image = childBookImage(parent);
                if (depth > kMaxContentsDepth) {
                    parent = tree.ParentOf(parent);
                    depth = kMaxContentsDepth;
                    report.problems.push_back(
                        FileProblem{name, offset,
                                    "entry " + Quoted(r.title) + " lies deeper than " +
                                        std::to_string(kMaxContentsDepth + 1) +
                                        " levels; shown at the deepest level, after its parent"});
                }
            }
        }
        const ContentsTree::Item item = tree.InsertLast(parent, r.title, image);
        keys.Assign(r.key, {item, depth});
        enterArticle(item, r.article);
        ++report.entries;
    });
    if (!loaded)
        return loaded.error();
    return report;
}

} // namespace

Result<TreeLoadReport> LoadTree(const std::filesystem::path& ficPath, ContentsTree& tree,
                                const ItemArticleSink& enterArticle, const std::atomic<bool>* stop)
{
    auto file = InputFile::Open(ficPath);
    if (!file)
        return file.error();
    const auto forEachRecord = [&file, stop](TreeLoadReport& report, const auto& visit) {
        return ForEachContentsRecord(file->reader(), report.endRecordSeen, report.problems, visit, stop,
                                     &report.stopped);
    };
    return PlaceRecords(forEachRecord, ficPath.string(), tree, enterArticle);
}

TreeLoadReport LoadTree(ContentsFile contents, const std::string& name, ContentsTree& tree,
                        const ItemArticleSink& enterArticle)
{
    const auto forEachRecord = [&contents](TreeLoadReport& report, const auto& visit) -> Status {
        std::uint64_t offset = 0;
        for (const ContentsRecord& r : contents.records) {
            visit(r, offset);
            offset += ContentsRecord::kSize;
        }
        report.endRecordSeen = contents.endRecordSeen;
        report.problems.insert(report.problems.end(), contents.problems.begin(), contents.problems.end());
        return Done{};
    };
    auto report = PlaceRecords(forEachRecord, name, tree, enterArticle);
    return std::move(*report); // records in memory are always placed
}

// ---- MemoryContentsTree ------------------------------------------------------------------

ContentsTree::Item MemoryContentsTree::InsertLast(Item parent, std::string_view titleCp1252, int image)
{
    if (!contains(parent))
        parent = kNone;
    nodes_.push_back(Node{std::string(titleCp1252), image, parent, {}});
    const Item item = nodes_.size();
    (parent == kNone ? topLevel_ : nodes_[parent - 1].children).push_back(item);
    return item;
}

ContentsTree::Item MemoryContentsTree::ParentOf(Item item) const
{
    return contains(item) ? nodes_[item - 1].parent : kNone;
}

int MemoryContentsTree::ImageOf(Item item) const
{
    return contains(item) ? nodes_[item - 1].image : 0;
}

} // namespace mirelda
