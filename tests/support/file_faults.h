#pragma once
// Faults of the file system and of the process around a file operation.

#include "core/store/atomic_file.h"
#include "core/store/file_faults.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <utility>

#include <sys/wait.h>
#include <unistd.h>

namespace mirelda::test {

// A refusal a plain user meets and root (who runs the tests) never does, for as long as the
// object lives: the file may not be read, no copy can be made, the file cannot be cut.
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

// Work handed to another thread is held at its first file opened for reading until Release():
// a test can then do something before that work surely begins, however loaded the machine.
class HeldWorkerOpens
{
  public:
    HeldWorkerOpens()
    {
        SetFileFaultHook([released = released_, owner = std::this_thread::get_id()](
                             FileOperation op, const std::filesystem::path&) {
            if (op == FileOperation::OpenForReading && std::this_thread::get_id() != owner)
                while (!released->load())
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return true;
        });
    }
    // A worker still held is let go: nothing waits for ever on a test that failed early.
    ~HeldWorkerOpens()
    {
        Release();
        SetFileFaultHook({});
    }
    HeldWorkerOpens(const HeldWorkerOpens&) = delete;
    HeldWorkerOpens& operator=(const HeldWorkerOpens&) = delete;

    void Release() { released_->store(true); }

  private:
    std::shared_ptr<std::atomic<bool>> released_ = std::make_shared<std::atomic<bool>>(false);
};

// A real crash: `write(hook)` runs in a child process that dies at once, no destructor run,
// when the hook reaches `step` (exit status 0; 1 if it never does). Returns the wait status,
// or -1 when no child could be started.
template <class Write> int CrashAtWriteStep(WriteStep step, Write&& write)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        write([step](WriteStep s) {
            if (s == step)
                ::_exit(0);
            return true;
        });
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

} // namespace mirelda::test
