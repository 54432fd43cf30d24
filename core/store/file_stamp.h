#pragma once
// Which file a path names now and in what state: enough to tell that a file was replaced
// (renamed over, copied over, rewritten in place, removed) since it was read.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace mirelda {

struct FileStamp
{
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // content change
    std::int64_t changedNs = 0;  // status change: a copy that keeps the time still changes it
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The path's file as it is on disk now (links followed); `exists` false when there is none.
FileStamp StampFile(const std::filesystem::path& path);
std::vector<FileStamp> StampFiles(const std::vector<std::filesystem::path>& paths);

} // namespace mirelda
