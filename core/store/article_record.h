#pragma once
// An article's data record in the .PGD, read field by field from any holder of the file's
// bytes: a file read through a stream, the bytes in memory, the search's window on the file.
//
//   u32 title length, the title (Windows-1252), u32 text length, the text (RTF)
//
// A field running past the end of the file is Truncated; a length above kMaxArticleTitleBytes
// or kMaxArticleTextBytes whose bytes are there is Malformed; neither is ever read. A read the
// system fails is ReadFailed. Each error carries the offset of the field at fault and names the
// article.

#include "core/store/help_set.h"
#include "core/store/result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace mirelda {

// Where a record's bytes come from.
class RecordBytes
{
  public:
    virtual std::uint64_t size() const = 0;
    virtual const std::string& path() const = 0;
    // The `count` bytes at `offset`, which the file holds, valid until the next call; null
    // when the system fails to read them.
    virtual const char* Fetch(std::uint64_t offset, std::uint64_t count) = 0;

  protected:
    ~RecordBytes() = default;
};

// The record of one article, read as far as the caller needs: its title, then its text.
class ArticleRecord
{
  public:
    ArticleRecord(RecordBytes& bytes, const ArticleEntry& entry) : bytes_(bytes), entry_(entry) {}

    // The title's bytes, valid until the next read.
    Result<std::string_view> Title();
    // The text's bytes, valid until the next read; once the title is read.
    Result<std::string_view> Text();

  private:
    // The length-prefixed field whose length lies at `at`: "title" or "text".
    Result<std::string_view> Field(std::uint64_t at, std::string_view name, std::uint32_t limit);
    FileError Error(FileErrorKind kind, std::uint64_t offset, const std::string& message) const;

    RecordBytes& bytes_;
    const ArticleEntry& entry_;
    std::uint64_t textLengthAt_ = 0; // known once the title is read
};

} // namespace mirelda
