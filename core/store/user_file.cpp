#include "core/store/user_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace mirelda {

namespace {

FileError Unusable(const fs::path& path, std::string why)
{
    return FileError{FileErrorKind::CannotOpen, path.string(), 0, std::move(why)};
}

const char* KindName(mode_t mode)
{
    if (S_ISDIR(mode))
        return "is a folder, not a file";
    if (S_ISFIFO(mode))
        return "is a FIFO, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "is a device, not a regular file";
    if (S_ISSOCK(mode))
        return "is a socket, not a regular file";
    return "is not a regular file";
}

} // namespace

Result<UserFilePlace> LocateUserFile(const fs::path& path)
{
    struct stat entry
    {
    };
    if (::lstat(path.c_str(), &entry) != 0) {
        if (errno == ENOENT)
            return UserFilePlace{path, false};
        return Unusable(path, std::string("cannot look at the file: ") + std::strerror(errno));
    }
    if (S_ISREG(entry.st_mode))
        return UserFilePlace{path, true};
    if (!S_ISLNK(entry.st_mode))
        return Unusable(path, KindName(entry.st_mode));
    if (entry.st_uid != ::geteuid())
        return Unusable(path, "is a symbolic link made by another user");
    struct stat target
    {
    };
    if (::stat(path.c_str(), &target) != 0)
        return Unusable(path, std::string("is a symbolic link to nothing: ") + std::strerror(errno));
    if (!S_ISREG(target.st_mode))
        return Unusable(path,
                        std::string("is a symbolic link to something that ") + KindName(target.st_mode));
    if (target.st_uid != ::geteuid())
        return Unusable(path, "is a symbolic link to another user's file");
    std::error_code ec;
    fs::path file = fs::canonical(path, ec);
    if (ec)
        return Unusable(path, "cannot follow the symbolic link: " + ec.message());
    return UserFilePlace{std::move(file), true};
}

Result<int> OpenUserFile(const fs::path& file, int flags)
{
    int fd = ::open(file.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == ELOOP)
            return Unusable(file, "has become a symbolic link");
        if (errno == ENXIO)
            return Unusable(file, KindName(S_IFIFO)); // a FIFO nobody reads, opened for writing
        return Unusable(file, std::string("cannot open: ") + std::strerror(errno));
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno;
        const mode_t mode = st.st_mode;
        ::close(fd);
        return Unusable(file, mode != 0 ? KindName(mode) : std::strerror(error));
    }
    // Reads and writes of a regular file never wait anyway; the flag only mattered for the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

} // namespace mirelda
