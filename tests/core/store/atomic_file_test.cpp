// The atomic writer that every user file goes through (bookmarks, annotations).
#include "core/store/atomic_file.h"

#include "tests/support/file_faults.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace mirelda {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(AtomicFile, replacesContentAndKeepsPermissions)
{
    TempDir dir;
    auto path = dir / "f.NOT";
    ASSERT_TRUE(WriteFileAtomically(path, "first"));
    EXPECT_EQ(ReadFile(path), "first");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomically(path, std::string("sec\0nd", 6)));
    EXPECT_EQ(ReadFile(path), std::string("sec\0nd", 6));
    struct stat st
    {
    };
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(test::CountFiles(dir.path()), 1u);
}

TEST(AtomicFile, unwritableFolder_failsAndLeavesTargetAlone)
{
    TempDir dir;
    auto path = dir / "missing-folder" / "f.SIG";
    Status s = WriteFileAtomically(path, "x");
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().kind, FileErrorKind::CannotWrite);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(AtomicFile, abandonedBeforeCommit_leavesOldFileAndNoTemporary)
{
    TempDir dir;
    auto path = dir / "f.SIG";
    WriteFile(path, "old");
    {
        auto file = AtomicFile::Create(path);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->Write("new content"));
    }
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(test::CountFiles(dir.path()), 1u);
}

// A real crash: the process dies at a step, no destructor runs. The target is then the
// old file or the new one, whole; a leftover temporary file does not disturb the next save.
TEST(AtomicFile, crashAtEveryStep_leavesOldOrNewWhole)
{
    const std::string oldBytes(5000, 'o'), newBytes(7000, 'n');
    for (WriteStep step :
         {WriteStep::Create, WriteStep::Write, WriteStep::Flush, WriteStep::Rename, WriteStep::SyncFolder}) {
        SCOPED_TRACE(WriteStepName(step));
        TempDir dir;
        auto path = dir / "f.NOT";
        WriteFile(path, oldBytes);
        ASSERT_NE(
            test::CrashAtWriteStep(
                step, [&](const WriteStepHook& hook) { (void)WriteFileAtomically(path, newBytes, hook); }),
            -1);
        std::string now = ReadFile(path);
        const bool renamed = step == WriteStep::SyncFolder;
        EXPECT_EQ(now, renamed ? newBytes : oldBytes);
        ASSERT_TRUE(WriteFileAtomically(path, "again"));
        EXPECT_EQ(ReadFile(path), "again");
    }
}

} // namespace
} // namespace mirelda
