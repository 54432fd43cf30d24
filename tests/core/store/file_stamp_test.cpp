// A file's stamp tells a file replaced, rewritten or removed from the one that was read.

#include "core/store/file_stamp.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace mirelda {
namespace {

using namespace mirelda::test;
namespace fs = std::filesystem;

TEST(FileStamp, tellsEveryWayAFileIsReplaced)
{
    TempDir dir;
    const fs::path file = dir.path() / "AIDE.PGD";
    WriteFile(file, "old");
    const FileStamp loaded = StampFile(file);
    EXPECT_TRUE(loaded.exists);
    EXPECT_EQ(StampFile(file), loaded); // nothing happened

    // Renamed over, even with the same bytes and the same size.
    WriteFile(dir.path() / "new", "old");
    fs::rename(dir.path() / "new", file);
    const FileStamp renamed = StampFile(file);
    EXPECT_NE(renamed, loaded);

    // Rewritten in place with the same size and its time put back, as `cp -p` does. The
    // kernel's file times move by clock ticks of a few milliseconds: let one pass.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto time = fs::last_write_time(file);
    WriteFile(file, "new");
    fs::last_write_time(file, time);
    EXPECT_NE(StampFile(file), renamed);

    fs::remove(file);
    EXPECT_FALSE(StampFile(file).exists);
    EXPECT_EQ(StampFiles({file, file}), (std::vector<FileStamp>{FileStamp{}, FileStamp{}}));
}

} // namespace
} // namespace mirelda
