#include "core/store/atomic_file.h"

#include "core/store/file_faults.h"
#include "core/store/user_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace mirelda {

const char* WriteStepName(WriteStep step)
{
    switch (step) {
    case WriteStep::Create:
        return "create";
    case WriteStep::Write:
        return "write";
    case WriteStep::Flush:
        return "flush";
    case WriteStep::Rename:
        return "rename";
    case WriteStep::SyncFolder:
        return "sync folder";
    case WriteStep::Cleanup:
        return "cleanup";
    }
    return "?";
}

namespace {

FileError WriteError(const fs::path& path, WriteStep step, int error)
{
    std::string message = std::string(WriteStepName(step)) + " failed";
    if (error != 0)
        message += std::string(": ") + std::strerror(error);
    return FileError{FileErrorKind::CannotWrite, path.string(), 0, std::move(message)};
}

int SyncFolderOf(const fs::path& target)
{
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return errno;
    int error = ::fsync(dir) == 0 ? 0 : errno;
    ::close(dir);
    // Some file systems cannot sync a folder; that is no reason to call the save failed.
    return (error == EINVAL || error == EROFS) ? 0 : error;
}

} // namespace

AtomicFile::AtomicFile(fs::path target, fs::path temp, int fd, WriteStepHook hook)
    : target_(std::move(target)), temp_(std::move(temp)), fd_(fd), hook_(std::move(hook))
{
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : target_(std::move(other.target_)), temp_(std::move(other.temp_)), fd_(std::exchange(other.fd_, -1)),
      failed_(other.failed_), replaced_(other.replaced_), hook_(std::move(other.hook_))
{
    other.temp_.clear();
}

AtomicFile& AtomicFile::operator=(AtomicFile&& other) noexcept
{
    if (this != &other) {
        Discard();
        target_ = std::move(other.target_);
        temp_ = std::move(other.temp_);
        other.temp_.clear();
        fd_ = std::exchange(other.fd_, -1);
        failed_ = other.failed_;
        replaced_ = other.replaced_;
        hook_ = std::move(other.hook_);
    }
    return *this;
}

AtomicFile::~AtomicFile()
{
    Discard();
}

void AtomicFile::Discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

FileError AtomicFile::Fail(WriteStep step, int error)
{
    failed_ = true;
    Discard();
    return WriteError(target_, step, error);
}

Result<AtomicFile> AtomicFile::Create(const fs::path& target, WriteStepHook hook)
{
    if (hook && !hook(WriteStep::Create))
        return WriteError(target, WriteStep::Create, 0);
    // Through the user's own link to his own file, that file is replaced (the link stays);
    // anything else that is not a regular file is never replaced.
    auto place = LocateUserFile(target);
    if (!place) {
        FileError error = place.error();
        error.kind = FileErrorKind::CannotWrite;
        return error;
    }
    const fs::path& file = place->file;
    // A hidden name beside the file; mkstemp makes it unique, so a temporary file left
    // by a crash never stands in the way.
    fs::path pattern = file;
    pattern.replace_filename("." + file.filename().string() + ".XXXXXX");
    std::string name = pattern.string();
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        return WriteError(target, WriteStep::Create, errno);
    // The new file keeps the permissions of the one it replaces, but stays readable and
    // writable by its owner whatever the old one had (a copy of mode 000 would lock the user
    // out of his own notes). A new file is the owner's alone: these are private notes.
    struct stat old
    {
    };
    if (::lstat(file.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, (old.st_mode & 07777) | S_IRUSR | S_IWUSR);
    else
        ::fchmod(fd, S_IRUSR | S_IWUSR);
    return AtomicFile(file, fs::path(name), fd, std::move(hook));
}

Status AtomicFile::Write(std::string_view bytes)
{
    if (failed_ || fd_ < 0)
        return WriteError(target_, WriteStep::Write, 0);
    if (!Allowed(WriteStep::Write)) {
        // Leave half of it behind, as a disk that filled up would.
        (void)!::write(fd_, bytes.data(), bytes.size() / 2);
        return Fail(WriteStep::Write, ENOSPC);
    }
    while (!bytes.empty()) {
        ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail(WriteStep::Write, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return Done{};
}

Status AtomicFile::Commit()
{
    if (failed_ || fd_ < 0)
        return WriteError(target_, WriteStep::Flush, 0);
    if (!Allowed(WriteStep::Flush))
        return Fail(WriteStep::Flush, EIO);
    if (::fsync(fd_) != 0)
        return Fail(WriteStep::Flush, errno);
    int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0)
        return Fail(WriteStep::Flush, errno);
    if (!Allowed(WriteStep::Rename))
        return Fail(WriteStep::Rename, EACCES);
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        return Fail(WriteStep::Rename, errno);
    temp_.clear(); // it is the target now
    replaced_ = true;
    failed_ = true; // nothing more to write
    if (!Allowed(WriteStep::SyncFolder))
        return WriteError(target_, WriteStep::SyncFolder, EIO);
    if (int error = SyncFolderOf(target_); error != 0)
        return WriteError(target_, WriteStep::SyncFolder, error);
    return Done{};
}

Status WriteFileAtomically(const fs::path& target, std::string_view bytes, const WriteStepHook& hook)
{
    auto file = AtomicFile::Create(target, hook);
    if (!file)
        return file.error();
    if (auto written = file->Write(bytes); !written)
        return written.error();
    return file->Commit();
}

Result<std::filesystem::path> KeepDamagedCopy(const std::filesystem::path& file)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::file_size(file, ec) == 0 && !ec)
        return file; // an empty file holds nothing to keep
    for (int n = 1; n <= 100; ++n) {
        fs::path copy = file;
        copy += n == 1 ? std::string(".damaged") : ".damaged." + std::to_string(n);
        if (fs::symlink_status(copy, ec).type() != fs::file_type::not_found)
            continue; // taken, even by a link to nothing: never written through
        // copy_file with the default options never replaces an existing file.
        if (!FileOperationAllowed(FileOperation::Copy, copy))
            ec = std::make_error_code(std::errc::permission_denied);
        else if (fs::copy_file(file, copy, ec))
            return copy;
        return FileError{FileErrorKind::CannotWrite, copy.string(), 0,
                         "cannot keep a copy of the damaged file: " + ec.message()};
    }
    return FileError{FileErrorKind::CannotWrite, file.string(), 0,
                     "too many copies of damaged files already"};
}

} // namespace mirelda
