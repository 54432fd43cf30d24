// User files and what may stand at their paths: links, FIFOs, devices, folders, other users'
// files. Nothing is written through a link the user did not make, nothing but the user's own
// regular file is ever replaced, and no open waits on a FIFO.
#include "core/store/atomic_file.h"
#include "core/store/binary_file.h"
#include "core/store/user_file.h"

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mirelda {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr uid_t kOtherUser = 4242;

// Gives the entry (the link itself when `link`) to another user; false when this process may
// not (it is not root), and the case is then skipped.
bool GiveAway(const fs::path& path, bool link = false)
{
    return (link ? ::lchown(path.c_str(), kOtherUser, kOtherUser)
                 : ::chown(path.c_str(), kOtherUser, kOtherUser)) == 0;
}

TEST(LocateUserFile, eachKindOfEntry)
{
    TempDir dir;
    // Missing and regular: the path itself.
    auto missing = LocateUserFile(dir / "A.SIG");
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->exists);
    EXPECT_EQ(missing->file, dir / "A.SIG");
    WriteFile(dir / "B.SIG", "x");
    ASSERT_TRUE(LocateUserFile(dir / "B.SIG"));
    EXPECT_TRUE(LocateUserFile(dir / "B.SIG")->exists);

    // The user's link to his own file: the file it leads to.
    fs::create_directory(dir / "elsewhere");
    WriteFile(dir / "elsewhere" / "mine", "x");
    fs::create_symlink(dir / "elsewhere" / "mine", dir / "C.SIG");
    auto linked = LocateUserFile(dir / "C.SIG");
    ASSERT_TRUE(linked);
    EXPECT_EQ(linked->file, fs::canonical(dir / "elsewhere" / "mine"));

    // Everything else is refused.
    fs::create_symlink(dir / "nothing", dir / "dangling");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_symlink(dir / "fifo", dir / "to-fifo");
    fs::create_symlink("/dev/null", dir / "to-device");
    fs::create_directory(dir / "folder");
    for (const char* name : {"dangling", "fifo", "to-fifo", "to-device", "folder"})
        EXPECT_FALSE(LocateUserFile(dir / name)) << name;

    WriteFile(dir / "theirs", "x");
    fs::create_symlink(dir / "theirs", dir / "to-theirs");
    WriteFile(dir / "mine2", "x");
    fs::create_symlink(dir / "mine2", dir / "their-link");
    if (!GiveAway(dir / "theirs") || !GiveAway(dir / "their-link", true))
        GTEST_SKIP() << "files cannot be given to another user here";
    EXPECT_FALSE(LocateUserFile(dir / "to-theirs"));
    EXPECT_FALSE(LocateUserFile(dir / "their-link"));
}

TEST(LocateUserFile, atomicWriteThroughTheUsersLink_replacesTheTargetAndKeepsTheLink)
{
    TempDir dir;
    fs::create_directory(dir / "elsewhere");
    WriteFile(dir / "elsewhere" / "notes", "old");
    fs::create_symlink(dir / "elsewhere" / "notes", dir / "A.NOT");
    ASSERT_TRUE(WriteFileAtomically(dir / "A.NOT", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "A.NOT"));
    EXPECT_EQ(ReadFile(dir / "elsewhere" / "notes"), "new");
    EXPECT_EQ(test::CountFiles(dir / "elsewhere"), 1u); // no temporary file left there
}

TEST(LocateUserFile, atomicWriteOverAnythingElse_failsAndCreatesNothing)
{
    TempDir dir;
    fs::create_directory(dir / "elsewhere");
    fs::create_symlink(dir / "elsewhere" / "planted", dir / "dangling.NOT");
    ASSERT_EQ(::mkfifo((dir / "fifo.NOT").c_str(), 0600), 0);
    fs::create_directory(dir / "folder.NOT");
    for (const char* name : {"dangling.NOT", "fifo.NOT", "folder.NOT"}) {
        Status written = WriteFileAtomically(dir / name, "private note");
        ASSERT_FALSE(written) << name;
        EXPECT_EQ(written.error().kind, FileErrorKind::CannotWrite);
    }
    EXPECT_FALSE(fs::exists(dir / "elsewhere" / "planted"));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.NOT"));
    EXPECT_TRUE(fs::is_fifo(dir / "fifo.NOT"));
    EXPECT_TRUE(fs::is_directory(dir / "folder.NOT"));
    EXPECT_EQ(test::CountFiles(dir.path()), 4u); // elsewhere and the three, no temporary file

    WriteFile(dir / "theirs", "their bytes");
    fs::create_symlink(dir / "theirs", dir / "theirs.NOT");
    if (!GiveAway(dir / "theirs"))
        GTEST_SKIP() << "files cannot be given to another user here";
    EXPECT_FALSE(WriteFileAtomically(dir / "theirs.NOT", "x"));
    EXPECT_EQ(ReadFile(dir / "theirs"), "their bytes");
}

TEST(OpenForReading, fifoOrDevice_refusedWithoutWaiting_linkRefusedWhenAsked)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    // Without a writer an open for reading would wait for ever (the test's time limit).
    auto fifo = InputFile::Open(dir / "fifo");
    ASSERT_FALSE(fifo);
    EXPECT_EQ(fifo.error().kind, FileErrorKind::CannotOpen);
    EXPECT_FALSE(InputFile::Open("/dev/null"));

    WriteFile(dir / "file", "bytes");
    fs::create_symlink(dir / "file", dir / "link");
    EXPECT_TRUE(InputFile::Open(dir / "link")); // help-set files may be links
    EXPECT_FALSE(InputFile::Open(dir / "link", Links::DoNotFollow));
    auto file = InputFile::Open(dir / "file", Links::DoNotFollow);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size(), 5u);
}

} // namespace
} // namespace mirelda
