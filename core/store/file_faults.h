#pragma once
// Refusals the system can give a plain user but never gives root: a file that may not be
// read, a copy that cannot be made, a file that cannot be cut. The file layer asks here
// before each such operation; tests (which run as root) set a hook to stand for those
// refusals. Without a hook nothing is refused.

#include <filesystem>
#include <functional>

namespace mirelda {

enum class FileOperation {
    OpenForReading, // any file opened by InputFile / OpenForReading
    Copy,           // the copy of a damaged user file
    Truncate,       // cutting the torn tail of a leftover scratch file
};

// Returning false makes the operation on that path fail as the system would refuse it
// (permission denied). Process-wide; an empty hook allows everything. It may be set while other
// threads open files: a call already inside the old hook finishes with it.
using FileFaultHook = std::function<bool(FileOperation, const std::filesystem::path&)>;
void SetFileFaultHook(FileFaultHook hook);
bool FileOperationAllowed(FileOperation operation, const std::filesystem::path& path);

} // namespace mirelda
