#include "core/search/data_window.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mirelda {

Result<DataWindow> DataWindow::Open(const std::filesystem::path& path)
{
    DataWindow w;
    w.path_ = path.string();
    // Not blocking: a FIFO in the help set's place must not hang the search.
    w.fd_ = ::open(w.path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (w.fd_ < 0)
        return FileError{FileErrorKind::CannotOpen, w.path_, 0, "cannot open the file"};
    struct stat info
    {
    };
    if (::fstat(w.fd_, &info) != 0 || !S_ISREG(info.st_mode))
        return FileError{FileErrorKind::ReadFailed, w.path_, 0, "not a regular file"};
    w.size_ = static_cast<std::uint64_t>(info.st_size);
    return w;
}

DataWindow::DataWindow(DataWindow&& other) noexcept
{
    *this = std::move(other);
}

DataWindow& DataWindow::operator=(DataWindow&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
        buffer_ = std::move(other.buffer_);
        capacity_ = std::exchange(other.capacity_, 0);
        start_ = other.start_;
        length_ = std::exchange(other.length_, 0);
    }
    return *this;
}

DataWindow::~DataWindow()
{
    if (fd_ >= 0)
        ::close(fd_);
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
    std::uint64_t got = held;
    while (got < length) {
        const ssize_t n = ::pread(fd_, buffer_.get() + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return nullptr; // an error, or the file shrank since it was measured
        got += static_cast<std::uint64_t>(n);
    }
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
