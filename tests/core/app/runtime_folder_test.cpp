#include "core/app/runtime_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace mirelda {
namespace {

namespace fs = std::filesystem;

// Only a 0700 folder counts as private; the viewer's own folder is made 0700 again when it was
// opened up; a link or a file in its place, or a base that cannot be a folder, is refused.
TEST(RuntimeFolder, onlyAPrivateFolderOfTheUsersIsTaken)
{
    const fs::path top = fs::temp_directory_path() / ("mirelda-runtime-test-" + std::to_string(::getpid()));
    fs::remove_all(top);
    const fs::path base = top / "cache";

    const RuntimeFolder made = OwnRuntimeFolderUnder(base);
    ASSERT_EQ(made.folder, base / "mirelda-runtime") << made.why;
    EXPECT_TRUE(IsPrivateFolder(made.folder));
    ASSERT_EQ(::chmod(made.folder.c_str(), 0755), 0);
    EXPECT_FALSE(IsPrivateFolder(made.folder));
    EXPECT_EQ(OwnRuntimeFolderUnder(base).folder, made.folder);
    EXPECT_TRUE(IsPrivateFolder(made.folder));

    const fs::path linked = top / "linked";
    fs::create_directories(linked);
    fs::create_directory_symlink(made.folder, linked / "mirelda-runtime");
    const RuntimeFolder link = OwnRuntimeFolderUnder(linked);
    EXPECT_TRUE(link.folder.empty());
    EXPECT_EQ(link.why, (linked / "mirelda-runtime").string() + " n'est pas un dossier à vous");

    const fs::path file = top / "file";
    std::ofstream(file).put('x');
    const RuntimeFolder notFolder = OwnRuntimeFolderUnder(file);
    EXPECT_TRUE(notFolder.folder.empty());
    EXPECT_EQ(notFolder.why, file.string() + " : impossible de créer le dossier");

    EXPECT_TRUE(OwnRuntimeFolderUnder("relative").folder.empty());
    fs::remove_all(top);
}

} // namespace
} // namespace mirelda
