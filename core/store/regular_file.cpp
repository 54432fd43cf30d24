#include "core/store/regular_file.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace mirelda {

int OpenRegularFile(const std::filesystem::path& path, int flags, struct stat& status)
{
    status = {};
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    struct stat seen
    {
    };
    if (::fstat(fd, &seen) != 0 || !S_ISREG(seen.st_mode)) {
        const int error = errno;
        ::close(fd);
        status.st_mode = seen.st_mode;
        errno = error;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    status = seen;
    return fd;
}

const char* NotRegularFileReason(mode_t mode)
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

} // namespace mirelda
