#pragma once
// The .PGD seen through one reusable window: a record that lies inside the window costs no
// read at all, so records visited in increasing offset order are read in few large reads
// rather than one system call per field. A read goes on past the bytes asked for up to
// `readUntil`, where the caller expects to need more; bytes the window already holds are
// kept, never read again. Nothing is read past the file's measured size, and nothing is
// allocated beyond what the file holds.

#include "core/store/article_record.h"
#include "core/store/result.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mirelda {

class DataWindow
{
  public:
    static constexpr std::uint64_t kChunk = 128 * 1024; // the most read beyond what is asked

    // With `mapped`, the file is mapped for reading when the system allows it, and Fetch then
    // copies nothing; reads of the mapping must then run inside GuardMappedReads, since they
    // fault when the file has shrunk since it was mapped.
    static Result<DataWindow> Open(const std::filesystem::path& path, bool mapped = false);
    DataWindow() = default;
    DataWindow(DataWindow&& other) noexcept;
    DataWindow& operator=(DataWindow&& other) noexcept;
    ~DataWindow();

    // Another window on the same file, sharing its mapping (each lane of a search has one).
    Result<DataWindow> Share() const;

    const std::string& path() const { return path_; }
    std::uint64_t size() const { return size_; }

    // The `count` bytes at `offset`, valid until the next call; null when they run past the end
    // of the file (`truncated` set) or the system fails to read them.
    const char* Fetch(std::uint64_t offset, std::uint64_t count, std::uint64_t readUntil, bool& truncated);

    FileError Error(bool truncated, std::uint64_t offset, std::string message) const;

  private:
    std::string path_;
    int fd_ = -1; // read with pread: one system call per read, no seek
    std::uint64_t size_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::uint64_t capacity_ = 0;
    std::uint64_t start_ = 0;         // file offset of buffer_[0]
    std::uint64_t length_ = 0;        // bytes of the file held in buffer_
    std::shared_ptr<const char> map_; // the whole file, when mapped
};

// Runs work() and returns true; or, when a read of a mapped file faulted inside it (the file
// shrank since it was mapped), leaves work at the fault and returns false. work must hold
// nothing that cannot be abandoned there (memory it allocated is lost, nothing else).
bool GuardMappedReads(const std::function<void()>& work);

// The places of `entries` in increasing record offset, ties in their order: visited so, their
// records are read through one window in few reads.
std::vector<std::uint32_t> OffsetOrder(const std::vector<const ArticleEntry*>& entries);

// How far to read from a record's start for its title alone: long enough for most titles, so
// that one read per title leaves the texts between them unread.
inline constexpr std::uint64_t kTitleReadAhead = 4 + 252;

// A window's bytes for an ArticleRecord: each read goes on up to `readUntil`.
class WindowRecordBytes final : public RecordBytes
{
  public:
    WindowRecordBytes(DataWindow& data, std::uint64_t readUntil) : data_(data), readUntil_(readUntil) {}
    std::uint64_t size() const override { return data_.size(); }
    const std::string& path() const override { return data_.path(); }
    const char* Fetch(std::uint64_t offset, std::uint64_t count) override
    {
        bool truncated = false;
        return data_.Fetch(offset, count, readUntil_, truncated);
    }

  private:
    DataWindow& data_;
    std::uint64_t readUntil_;
};

} // namespace mirelda
