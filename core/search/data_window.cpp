#include "core/search/data_window.h"

#include <algorithm>
#include <cstring>

namespace mirelda {

Result<DataWindow> DataWindow::Open(const std::filesystem::path& path)
{
    DataWindow w;
    w.path_ = path.string();
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

const char* DataWindow::Fetch(std::uint64_t offset, std::uint64_t count, std::uint64_t readUntil,
                              bool& truncated)
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
    const std::uint64_t held = offset >= start_ && offset < start_ + length_ ? start_ + length_ - offset : 0;
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

FileError DataWindow::Error(bool truncated, std::uint64_t offset, std::string message) const
{
    if (truncated)
        return FileError{FileErrorKind::Truncated, path_, offset,
                         std::move(message) + " runs past the end of the file"};
    return FileError{FileErrorKind::ReadFailed, path_, offset, std::move(message) + " could not be read"};
}

} // namespace mirelda
