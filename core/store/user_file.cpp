#include "core/store/user_file.h"

#include "core/store/regular_file.h"

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
        return Unusable(path, NotRegularFileReason(entry.st_mode));
    if (entry.st_uid != ::geteuid())
        return Unusable(path, "is a symbolic link made by another user");
    struct stat target
    {
    };
    if (::stat(path.c_str(), &target) != 0)
        return Unusable(path, std::string("is a symbolic link to nothing: ") + std::strerror(errno));
    if (!S_ISREG(target.st_mode))
        return Unusable(path, std::string("is a symbolic link to something that ") +
                                  NotRegularFileReason(target.st_mode));
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
    struct stat st
    {
    };
    const int fd = OpenRegularFile(file, flags | O_NOFOLLOW, st);
    if (fd >= 0)
        return fd;
    if (st.st_mode != 0)
        return Unusable(file, NotRegularFileReason(st.st_mode));
    if (errno == ELOOP)
        return Unusable(file, "has become a symbolic link");
    if (errno == ENXIO)
        return Unusable(file, NotRegularFileReason(S_IFIFO)); // a FIFO nobody reads, opened for writing
    return Unusable(file, std::string("cannot open: ") + std::strerror(errno));
}

} // namespace mirelda
