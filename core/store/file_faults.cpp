#include "core/store/file_faults.h"

#include <memory>
#include <mutex>
#include <utility>

namespace mirelda {

namespace {

// Workers open files while a test sets or clears the hook: each call holds its own reference,
// so that a hook replaced meanwhile lives until the calls inside it have returned.
std::mutex& HookMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<const FileFaultHook>& Hook()
{
    static std::shared_ptr<const FileFaultHook> hook;
    return hook;
}

} // namespace

void SetFileFaultHook(FileFaultHook hook)
{
    std::shared_ptr<const FileFaultHook> next;
    if (hook)
        next = std::make_shared<const FileFaultHook>(std::move(hook));
    std::lock_guard lock(HookMutex());
    Hook().swap(next); // the old one goes with the last call still inside it, outside the lock
}

bool FileOperationAllowed(FileOperation operation, const std::filesystem::path& path)
{
    std::shared_ptr<const FileFaultHook> hook;
    {
        std::lock_guard lock(HookMutex());
        hook = Hook();
    }
    return !hook || (*hook)(operation, path);
}

} // namespace mirelda
