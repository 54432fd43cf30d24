#include "core/tree/contents_file.h"

#include "core/store/binary_file.h"
#include "core/store/cp1252.h"

#include <fstream>

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

}  // namespace

namespace {

Result<ContentsFile> ReadRecords(BinaryReader in)
{
    ContentsFile contents;
    while (in.remaining() >= ContentsRecord::kSize) {
        char bytes[ContentsRecord::kSize];
        if (auto done = in.ReadExact(bytes, sizeof bytes); !done)
            return done.error();
        if (bytes[kTitleOffset] == '\0') {
            contents.endRecordSeen = true;
            return contents;
        }
        contents.records.push_back(ParseRecord(bytes));
    }
    if (!in.atEnd())
        contents.problems.push_back(FileProblem{in.path(), in.position(),
                                                "short last record of " + std::to_string(in.remaining()) +
                                                    " bytes, ignored"});
    contents.problems.push_back(FileProblem{in.path(), in.size(), "no end record (empty title)"});
    return contents;
}

}  // namespace

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
    bytes.append(ContentsRecord::kSize, '\0');  // the end record
    return WriteWholeFile(ficPath, bytes);
}

Result<TreeLoadReport> LoadTree(const std::filesystem::path& ficPath, ContentsTree& tree,
                                std::unordered_map<ContentsTree::Item, std::int32_t>& itemArticles)
{
    auto contents = ReadContentsRecords(ficPath);
    if (!contents)
        return contents.error();
    return LoadTree(std::move(*contents), ficPath.string(), tree, itemArticles);
}

TreeLoadReport LoadTree(ContentsFile contents, const std::string& name, ContentsTree& tree,
                        std::unordered_map<ContentsTree::Item, std::int32_t>& itemArticles)
{
    TreeLoadReport report;
    report.endRecordSeen = contents.endRecordSeen;
    report.problems = std::move(contents.problems);

    // A book one level below P takes the next of the five colours.
    const auto childBookImage = [&tree](ContentsTree::Item parent) {
        const int image = tree.ImageOf(parent) % kBookImageCount;
        return (image + kBookImageCount + 1) % kBookImageCount;  // safe for any image value
    };

    std::unordered_map<std::string, ContentsTree::Item> keys;  // this load only
    std::uint64_t offset = 0;
    for (const ContentsRecord& r : contents.records) {
        int image = r.article != 0 ? kPageImage : 0;
        ContentsTree::Item parent = ContentsTree::kNone;
        if (r.linkKey != "0") {
            const auto found = keys.find(r.linkKey);
            if (found == keys.end()) {
                // Only a damaged file names a key that no earlier record has: rather than
                // attach the entry to some unrelated item, show it at the top level.
                report.problems.push_back(FileProblem{name, offset,
                                                      "entry " + Quoted(r.title) + ": link key " + Quoted(r.linkKey) +
                                                          " names no earlier entry; shown at the top level"});
            } else if (r.linkKind == kSiblingLink) {
                parent = tree.ParentOf(found->second);
                if (image == 0 && parent != ContentsTree::kNone)
                    image = childBookImage(parent);
            } else {
                parent = found->second;
                if (image == 0)
                    image = childBookImage(parent);
            }
        }
        const ContentsTree::Item item = tree.InsertLast(parent, r.title, image);
        keys.insert_or_assign(r.key, item);
        itemArticles[item] = r.article;
        ++report.entries;
        offset += ContentsRecord::kSize;
    }
    return report;
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

}  // namespace mirelda
