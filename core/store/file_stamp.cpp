#include "core/store/file_stamp.h"

#include <sys/stat.h>

namespace mirelda {

namespace {

std::int64_t Nanoseconds(const timespec& t)
{
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

} // namespace

FileStamp StampFile(const std::filesystem::path& path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modifiedNs = Nanoseconds(info.st_mtim);
    stamp.changedNs = Nanoseconds(info.st_ctim);
    return stamp;
}

std::vector<FileStamp> StampFiles(const std::vector<std::filesystem::path>& paths)
{
    std::vector<FileStamp> stamps;
    stamps.reserve(paths.size());
    for (const std::filesystem::path& path : paths)
        stamps.push_back(StampFile(path));
    return stamps;
}

} // namespace mirelda
