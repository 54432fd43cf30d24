// The test fault hook, which workers call while a test sets and clears it.
#include "core/store/file_faults.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace mirelda {
namespace {

std::atomic<bool> entered{false};
std::atomic<bool> released{false};
std::atomic<bool> destroyed{false};

struct Alive
{
    ~Alive() { destroyed = true; }
};

// A test's hook object ends while a worker is still inside its hook (HeldWorkerOpens's end
// after Release): the worker finishes with the hook it entered, its captures still alive.
TEST(FileFaultHook, clearedWhileAWorkerIsInside_theWorkerFinishesWithIt)
{
    SetFileFaultHook([alive = std::make_shared<Alive>()](FileOperation, const std::filesystem::path&) {
        entered = true;
        while (!released)
            std::this_thread::yield();
        return !destroyed;
    });
    bool allowed = false;
    std::thread worker([&allowed] { allowed = FileOperationAllowed(FileOperation::OpenForReading, "x"); });
    while (!entered)
        std::this_thread::yield();
    SetFileFaultHook({});
    EXPECT_FALSE(destroyed);
    released = true;
    worker.join();
    EXPECT_TRUE(allowed);
    EXPECT_TRUE(destroyed); // gone with the last call inside it
    EXPECT_TRUE(FileOperationAllowed(FileOperation::OpenForReading, "x"));
}

} // namespace
} // namespace mirelda
