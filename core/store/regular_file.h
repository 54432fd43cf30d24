#pragma once
// Opening a file the program reads or keeps: a regular file only, and never waiting on what is
// not one (opening a FIFO for reading waits for a writer forever; a device or a folder is no
// file of ours).

#include <filesystem>

#include <sys/stat.h>

namespace mirelda {

// A descriptor on the regular file at `path`, opened with `flags` (O_RDONLY, O_RDWR | O_CREAT,
// O_NOFOLLOW...) without waiting and closed on exec; a file it creates is readable and writable
// by its owner only. Once known to be a regular file it is made blocking again: its reads and
// writes never wait, only the open could. `status` receives the file's status. On failure -1,
// and `status.st_mode` is the type of what is there when that is no regular file, or 0 when
// the open itself failed (errno tells why).
int OpenRegularFile(const std::filesystem::path& path, int flags, struct stat& status);

// Why a file of type `mode` (st_mode) is not one to open, as messages say it: "is a FIFO, not a
// regular file", "is a folder, not a file"...
const char* NotRegularFileReason(mode_t mode);

} // namespace mirelda
