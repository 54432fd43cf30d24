#pragma once
// Where a user file (.SIG bookmarks, .NOT and .NO$ annotations) is really read and written.
//
// These files hold what the user wrote, in folders other people may also write to. Nothing is
// ever created, appended to or cut through a symbolic link the user did not make, and nothing
// that is not the user's own regular file is ever read from, written over or replaced:
//
//   - no file at the path: it is created there, as a regular file;
//   - a regular file: it is used;
//   - a link the user owns, leading to a regular file the user owns: the file it leads to is
//     used (the link stays; atomic replacement happens beside that file);
//   - anything else (a dangling link, a link owned by someone else or leading to someone
//     else's file, a FIFO, a device, a socket, a folder): an error; the caller reports it once
//     and leaves the path alone for the whole run.
//
// Every open of a located file uses O_NOFOLLOW and O_NONBLOCK and checks with fstat that it
// still is a regular file, so a path swapped for a link or a FIFO in the meantime is refused
// instead of followed or waited on.

#include "core/store/result.h"

#include <filesystem>

namespace mirelda {

struct UserFilePlace
{
    std::filesystem::path file; // where to open: the path itself or the target of the user's link
    bool exists = false;        // false: nothing there yet (a first run)
};

Result<UserFilePlace> LocateUserFile(const std::filesystem::path& path);

// Opens a located file (never following a link, never waiting) with `flags` (O_RDONLY,
// O_WRONLY...; O_CREAT allowed, mode 0600) and checks that it is a regular file. Returns the
// descriptor or the reason it cannot be used.
Result<int> OpenUserFile(const std::filesystem::path& file, int flags);

} // namespace mirelda
