#include "core/store/file_faults.h"

#include <utility>

namespace mirelda {

namespace {

FileFaultHook& Hook()
{
    static FileFaultHook hook;
    return hook;
}

} // namespace

void SetFileFaultHook(FileFaultHook hook)
{
    Hook() = std::move(hook);
}

bool FileOperationAllowed(FileOperation operation, const std::filesystem::path& path)
{
    const FileFaultHook& hook = Hook();
    return !hook || hook(operation, path);
}

} // namespace mirelda
