#include "core/store/article_record.h"

#include "core/store/binary_file.h"

namespace mirelda {

Result<std::string_view> ArticleRecord::Title()
{
    const std::uint64_t at = entry_.textOffset;
    if (at > bytes_.size() || bytes_.size() - at < 4)
        return Error(FileErrorKind::Truncated, at,
                     "data record at " + Hex(at) + " lies past the end of the file");
    auto title = Field(at, "title", kMaxArticleTitleBytes);
    if (title)
        textLengthAt_ = at + 4 + title->size();
    return title;
}

Result<std::string_view> ArticleRecord::Text()
{
    return Field(textLengthAt_, "text", kMaxArticleTextBytes);
}

Result<std::string_view> ArticleRecord::Field(std::uint64_t at, std::string_view name, std::uint32_t limit)
{
    // Messages are built on failure only: the search reads millions of fields.
    const std::uint64_t size = bytes_.size();
    const auto what = [&](std::string_view rest) { return std::string(name).append(rest); };
    if (at > size || size - at < 4)
        return Error(FileErrorKind::Truncated, at, what(" length lies past the end of the file"));
    const char* p = bytes_.Fetch(at, 4);
    if (!p)
        return Error(FileErrorKind::ReadFailed, at, what(" length could not be read"));
    const std::uint32_t length = LoadU32(p);
    const std::uint64_t remaining = size - at - 4;
    if (length > remaining)
        return Error(FileErrorKind::Truncated, at,
                     what(" length " + std::to_string(length) + " runs past the end of the file (" +
                          std::to_string(remaining) + " bytes remain)"));
    if (length > limit)
        return Error(FileErrorKind::Malformed, at,
                     what(" length " + std::to_string(length) + " is more than the " + std::to_string(limit) +
                          " bytes allowed"));
    p = bytes_.Fetch(at + 4, length);
    if (!p)
        return Error(FileErrorKind::ReadFailed, at,
                     what(" of " + std::to_string(length) + " bytes could not be read"));
    return std::string_view(p, length);
}

FileError ArticleRecord::Error(FileErrorKind kind, std::uint64_t offset, const std::string& message) const
{
    return FileError{kind, bytes_.path(), offset,
                     "article " + std::to_string(entry_.number) + ": " + message};
}

} // namespace mirelda
