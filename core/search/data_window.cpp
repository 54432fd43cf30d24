#include "core/search/data_window.h"

#include "core/store/file_faults.h"
#include "core/store/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <utility>

#include <csetjmp>
#include <csignal>
#include <mutex>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mirelda {

namespace {

// The guard of the innermost GuardMappedReads running on this thread, if any.
thread_local sigjmp_buf* tGuard = nullptr;
struct sigaction gPreviousAction
{
};
std::once_flag gHandlerInstalled;

extern "C" void OnBusError(int, siginfo_t*, void*)
{
    if (tGuard)
        siglongjmp(*tGuard, 1);
    // Not a read of ours: the action there was before; the faulting instruction runs again.
    ::sigaction(SIGBUS, &gPreviousAction, nullptr);
}

void InstallBusErrorHandler()
{
    struct sigaction action
    {
    };
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER; // not left blocked when the guard jumps out
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &gPreviousAction);
}

} // namespace

bool GuardMappedReads(const std::function<void()>& work)
{
    std::call_once(gHandlerInstalled, InstallBusErrorHandler);
    sigjmp_buf guard;
    sigjmp_buf* const outer = tGuard;
    if (sigsetjmp(guard, 0) != 0) {
        tGuard = outer;
        return false;
    }
    tGuard = &guard;
    work();
    tGuard = outer;
    return true;
}

Result<DataWindow> DataWindow::Open(const std::filesystem::path& path, bool mapped)
{
    DataWindow w;
    w.path_ = path.string();
    if (!FileOperationAllowed(FileOperation::OpenForReading, path)) // as every reader of the store asks
        return FileError{FileErrorKind::CannotOpen, w.path_, 0, "cannot open the file"};
    struct stat info
    {
    };
    w.fd_ = OpenRegularFile(path, O_RDONLY, info); // a FIFO in the help set's place must not hang the search
    if (w.fd_ < 0)
        return FileError{FileErrorKind::CannotOpen, w.path_, 0,
                         info.st_mode != 0 ? NotRegularFileReason(info.st_mode) : "cannot open the file"};
    w.size_ = static_cast<std::uint64_t>(info.st_size);
    if (mapped && w.size_ > 0) {
        void* map = ::mmap(nullptr, w.size_, PROT_READ, MAP_PRIVATE, w.fd_, 0);
        if (map != MAP_FAILED)
            w.map_ =
                std::shared_ptr<const char>(static_cast<const char*>(map), [size = w.size_](const char* m) {
                    ::munmap(const_cast<char*>(m), size);
                });
    }
    return w;
}

Result<DataWindow> DataWindow::Share() const
{
    DataWindow w;
    w.path_ = path_;
    w.fd_ = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (w.fd_ < 0)
        return FileError{FileErrorKind::CannotOpen, path_, 0, "cannot open the file"};
    w.size_ = size_;
    w.map_ = map_;
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
        map_ = std::move(other.map_);
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
    if (map_)
        return map_.get() + offset;
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

std::vector<std::uint32_t> OffsetOrder(const std::vector<const ArticleEntry*>& entries)
{
    std::vector<std::uint32_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return entries[a]->textOffset < entries[b]->textOffset;
    });
    return order;
}

} // namespace mirelda
