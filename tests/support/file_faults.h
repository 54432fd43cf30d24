#pragma once
// A refusal a plain user meets and root (who runs the tests) never does, for as long as the
// object lives: the file may not be read, no copy can be made, the file cannot be cut.

#include "core/store/file_faults.h"

#include <filesystem>
#include <utility>

namespace mirelda::test {

class RefusedFileOperation
{
  public:
    // An empty path refuses the operation on every file.
    RefusedFileOperation(FileOperation operation, std::filesystem::path path = {})
    {
        SetFileFaultHook(
            [operation, path = std::move(path)](FileOperation op, const std::filesystem::path& p) {
                return !(op == operation && (path.empty() || p == path));
            });
    }
    ~RefusedFileOperation() { SetFileFaultHook({}); }
    RefusedFileOperation(const RefusedFileOperation&) = delete;
    RefusedFileOperation& operator=(const RefusedFileOperation&) = delete;
};

} // namespace mirelda::test
