#include "core/app/help_set_location.h"

#include "core/app/help_set_identity.h"
#include "core/app/help_set_problem.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace mirelda {
namespace {

namespace fs = std::filesystem;

using test::TempDir;

void Touch(const fs::path& file)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

void TouchHelpSet(const fs::path& base, std::string_view fic = ".FIC", std::string_view pgh = ".PGH",
                  std::string_view pgd = ".PGD", std::string_view pgl = ".PGL")
{
    for (std::string_view extension : {fic, pgh, pgd, pgl})
        Touch(base.string() + std::string(extension));
}

TEST(FindDefaultHelpSet, takesFirstPgdByteOrderWithoutExtension)
{
    TempDir dir;
    Touch(dir.path() / "zeta.PGD");
    Touch(dir.path() / "Beta.pgd");
    Touch(dir.path() / "alpha.Pgd");
    Touch(dir.path() / "AAA.PGH");
    EXPECT_EQ(FindDefaultHelpSet(dir.path()), dir.path() / "Beta");
}

TEST(FindDefaultHelpSet, skipsFoldersAndBareExtension_thenTriesExtraFolders)
{
    TempDir dir;
    fs::create_directories(dir.path() / "prog" / "A.PGD");
    Touch(dir.path() / "prog" / ".PGD");
    Touch(dir.path() / "share" / "GUIDE.PGD");
    EXPECT_EQ(FindDefaultHelpSet(dir.path() / "prog", {dir.path() / "missing", dir.path() / "share"}),
              dir.path() / "share" / "GUIDE");
    EXPECT_EQ(FindDefaultHelpSet(dir.path() / "prog"), fs::path());
}

TEST(ResolveHelpSetFiles, findsEachExtensionWhateverItsCase)
{
    TempDir dir;
    const fs::path base = dir.path() / "Guide";
    TouchHelpSet(base, ".fic", ".PGH", ".Pgd", ".pgL");
    const HelpSetFiles files = ResolveHelpSetFiles(base);
    EXPECT_TRUE(files.complete());
    EXPECT_EQ(files.fic, dir.path() / "Guide.fic");
    EXPECT_EQ(files.pgh, dir.path() / "Guide.PGH");
    EXPECT_EQ(files.pgd, dir.path() / "Guide.Pgd");
    EXPECT_EQ(files.pgl, dir.path() / "Guide.pgL");
    EXPECT_FALSE(HelpSetFileMissing(base));
    // The typed case of the base is kept: another spelling of the name finds nothing.
    EXPECT_TRUE(HelpSetFileMissing(dir.path() / "GUIDE"));
}

TEST(ResolveHelpSetFiles, prefersUpperThenLowerCaseSpelling)
{
    TempDir dir;
    const fs::path base = dir.path() / "g";
    Touch(base.string() + ".pgd");
    Touch(base.string() + ".PGD");
    Touch(base.string() + ".Pgh");
    Touch(base.string() + ".pgh");
    Touch(base.string() + ".PgL");
    Touch(base.string() + ".pGL");
    const HelpSetFiles files = ResolveHelpSetFiles(base);
    EXPECT_EQ(files.pgd, dir.path() / "g.PGD");
    EXPECT_EQ(files.pgh, dir.path() / "g.pgh");
    EXPECT_EQ(files.pgl, dir.path() / "g.PgL"); // neither spelling: first in byte order
    ASSERT_EQ(files.missing.size(), 1u);
    EXPECT_EQ(files.missing[0], dir.path() / "g.FIC");
    EXPECT_EQ(files.fic, dir.path() / "g.FIC");
}

TEST(ResolveHelpSetFiles, baseGivenWithAnyHelpSetExtension)
{
    TempDir dir;
    const fs::path base = dir.path() / "GUIDE";
    TouchHelpSet(base);
    EXPECT_FALSE(HelpSetFileMissing(dir.path() / "GUIDE.PGD"));
    EXPECT_FALSE(HelpSetFileMissing(dir.path() / "GUIDE.pgl"));
    EXPECT_EQ(ResolveHelpSetFiles(dir.path() / "GUIDE.fic").pgh, dir.path() / "GUIDE.PGH");
    EXPECT_EQ(ResolveHelpSetFiles(dir.path() / "GUIDE.fic").base, base); // what the rest works from
    EXPECT_EQ(StripHelpSetExtension("a/b.c"), fs::path("a/b.c"));
    EXPECT_EQ(StripHelpSetExtension("GUIDE.Pgd"), fs::path("GUIDE"));
}

TEST(HelpSetFileMissing, anyMissingFileOrEmptyBase)
{
    TempDir dir;
    const fs::path base = dir.path() / "H";
    TouchHelpSet(base);
    EXPECT_FALSE(HelpSetFileMissing(base));
    fs::remove(base.string() + ".PGL");
    EXPECT_TRUE(HelpSetFileMissing(base));
    fs::create_directory(base.string() + ".PGL"); // a folder is not a help-set file
    EXPECT_TRUE(HelpSetFileMissing(base));
    EXPECT_TRUE(HelpSetFileMissing(""));
    EXPECT_EQ(ResolveHelpSetFiles("").missing.size(), 4u);
    EXPECT_TRUE(HelpSetFileMissing(dir.path() / ""));
}

TEST(UserDataHome, xdgWhenAbsoluteElseHomeLocalShare)
{
    EXPECT_EQ(UserDataHome("/x/data", "/home/a"), fs::path("/x/data"));
    EXPECT_EQ(UserDataHome("relative", "/home/a"), fs::path("/home/a/.local/share"));
    EXPECT_EQ(UserDataHome("", "/home/a"), fs::path("/home/a/.local/share"));
    EXPECT_EQ(UserDataHome(nullptr, "/home/a"), fs::path("/home/a/.local/share"));
    EXPECT_EQ(UserDataHome(nullptr, nullptr), fs::path());
}

TEST(ResolveUserFiles, besideWritableHelpSetWithItsExtensionCase)
{
    TempDir dir;
    TouchHelpSet(dir.path() / "guide", ".fic", ".pgh", ".pgd", ".pgl");
    TouchHelpSet(dir.path() / "AIDE");
    const UserFiles lower = ResolveUserFiles(dir.path() / "guide.pgd", dir.path() / "data", true);
    EXPECT_TRUE(lower.besideHelpSet);
    EXPECT_EQ(lower.bookmarks, dir.path() / "guide.sig");
    EXPECT_EQ(lower.annotations, dir.path() / "guide.not");
    EXPECT_EQ(lower.scratch, dir.path() / "guide.no$");
    const UserFiles upper = ResolveUserFiles(dir.path() / "AIDE", dir.path() / "data", true);
    EXPECT_EQ(upper.bookmarks, dir.path() / "AIDE.SIG");
    EXPECT_EQ(upper.scratch, dir.path() / "AIDE.NO$");
}

TEST(ResolveUserFiles, readOnlyFolder_usesOneDataFolderPerHelpSet)
{
    TempDir dir;
    TouchHelpSet(dir.path() / "one" / "GUIDE");
    TouchHelpSet(dir.path() / "two" / "GUIDE");
    const fs::path data = dir.path() / "data";
    const UserFiles one = ResolveUserFiles(dir.path() / "one" / "GUIDE", data, false);
    const UserFiles two = ResolveUserFiles(dir.path() / "two" / "GUIDE", data, false);
    EXPECT_FALSE(one.besideHelpSet);
    EXPECT_EQ(one.folder.parent_path(), data / "mirelda");
    EXPECT_TRUE(one.folder.filename().string().starts_with("GUIDE-"));
    EXPECT_EQ(one.bookmarks, one.folder / "GUIDE.SIG");
    EXPECT_EQ(one.annotations, one.folder / "GUIDE.NOT");
    EXPECT_NE(one.folder, two.folder);
    // The same help set reached by another spelling of its folder shares the place.
    const UserFiles again = ResolveUserFiles(dir.path() / "two" / ".." / "one" / "GUIDE.PGD", data, false);
    EXPECT_EQ(again.bookmarks, one.bookmarks);

    EXPECT_FALSE(fs::exists(one.folder));
    ASSERT_TRUE(PrepareUserFileFolder(one).ok());
    EXPECT_TRUE(fs::is_directory(one.folder));
    EXPECT_TRUE(PrepareUserFileFolder(one).ok()); // already there
}

TEST(ResolveUserFiles, noDataHome_staysBeside)
{
    TempDir dir;
    TouchHelpSet(dir.path() / "G");
    const UserFiles files = ResolveUserFiles(dir.path() / "G", fs::path(), false);
    EXPECT_TRUE(files.besideHelpSet);
    EXPECT_EQ(files.bookmarks, dir.path() / "G.SIG");
}

// Runs `check` as an ordinary user: directly, or in a child that gives up the superuser's
// rights (which would make every folder writable). Returns what `check` returned.
template <class Check> bool AsOrdinaryUser(Check check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        ::_exit(check() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "could not drop privileges";
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST(ResolveUserFiles, asksTheFileSystemWhetherTheFolderIsWritable)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all & ~(fs::perms::group_write | fs::perms::others_write));
    const fs::path folder = dir.path() / "ro";
    TouchHelpSet(folder / "G");
    const fs::path data = dir.path() / "data";
    EXPECT_TRUE(IsFolderWritable(folder));
    EXPECT_TRUE(ResolveUserFiles(folder / "G", data).besideHelpSet);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    EXPECT_FALSE(AsOrdinaryUser([&] { return IsFolderWritable(folder); }));
    EXPECT_TRUE(AsOrdinaryUser([&] {
        const UserFiles files = ResolveUserFiles(folder / "G", data);
        return !files.besideHelpSet && files.bookmarks.parent_path().parent_path() == data / "mirelda";
    }));
}

TEST(PrepareUserFileFolder, reportsAFolderThatCannotBeCreated)
{
    TempDir dir;
    Touch(dir.path() / "file");
    UserFiles files;
    files.besideHelpSet = false;
    files.folder = dir.path() / "file" / "sub";
    const Status status = PrepareUserFileFolder(files);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().kind, FileErrorKind::CannotWrite);
}

TEST(HelpSetIdentity, oneKeyPerHelpSetHoweverItIsNamed)
{
    TempDir dir;
    TouchHelpSet(dir.path() / "v1" / "out" / "PRODUIT");
    TouchHelpSet(dir.path() / "v2" / "out" / "PRODUIT");
    fs::create_directory_symlink(dir.path() / "v1", dir.path() / "lien");
    fs::create_directories(dir.path() / "files");
    fs::create_symlink(dir.path() / "v1" / "out" / "PRODUIT.PGD", dir.path() / "files" / "AUTRE.PGD");
    const std::string key = InstanceKey(dir.path() / "v1" / "out" / "PRODUIT");
    EXPECT_EQ(key.size(), 16u);
    EXPECT_EQ(key.find_first_not_of("0123456789abcdef"), std::string::npos);
    // Same name, other folder: another viewer.
    EXPECT_NE(InstanceKey(dir.path() / "v2" / "out" / "PRODUIT"), key);
    // A symlinked folder, "..", any of the four files in any case, a relative path, a
    // symlinked data file: the same viewer.
    EXPECT_EQ(InstanceKey(dir.path() / "lien" / "out" / "PRODUIT.PGH"), key);
    EXPECT_EQ(InstanceKey(dir.path() / "v2" / ".." / "v1" / "out" / "PRODUIT.pgl"), key);
    EXPECT_EQ(InstanceKey(dir.path() / "files" / "AUTRE"), key);
    const fs::path before = fs::current_path();
    fs::current_path(dir.path() / "v1");
    EXPECT_EQ(InstanceKey("out/PRODUIT.FIC"), key);
    EXPECT_EQ(HelpSetIdentity("out/PRODUIT"), fs::canonical(dir.path()) / "v1" / "out" / "PRODUIT");
    fs::current_path(before);
    // A help set that is not there still has one identity (the message names it).
    EXPECT_EQ(HelpSetIdentity(dir.path() / "lien" / "NOPE.PGH"), fs::canonical(dir.path()) / "v1" / "NOPE");
}

TEST(DescribeHelpSetProblem, namesWhatWasLookedForAndWhatIsWrong)
{
    TempDir dir;
    const fs::path base = dir.path() / "Mes aides" / "Été";
    TouchHelpSet(base);
    EXPECT_TRUE(DescribeHelpSetProblem(base.string() + ".PGH").empty());
    const auto has = [](const std::vector<std::string>& lines, const std::string& part) {
        for (const std::string& line : lines)
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    };
    fs::remove(base.string() + ".PGL");
    std::vector<std::string> lines = DescribeHelpSetProblem(base.string() + ".pgh");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Aide cherchée : " + base.string());
    EXPECT_EQ(lines[1], "Fichier manquant : " + base.string() + ".PGL");

    lines = DescribeHelpSetProblem(dir.path() / "Mes aides");
    EXPECT_TRUE(has(lines, "est un dossier, pas une aide")) << lines.front();
    Touch(dir.path() / "notes.txt");
    EXPECT_TRUE(has(DescribeHelpSetProblem(dir.path() / "notes.txt"), "n'est pas un fichier d'aide"));
    fs::create_symlink(dir.path() / "gone.PGH", dir.path() / "dangling.PGH");
    lines = DescribeHelpSetProblem(dir.path() / "dangling.PGH");
    EXPECT_TRUE(has(lines, "lien symbolique vers un fichier qui n'existe pas"));
    EXPECT_TRUE(has(lines, (dir.path() / "dangling.PGH").string()));
    EXPECT_EQ(DescribeHelpSetProblem("").size(), 1u);

    TouchHelpSet(dir.path() / "lu" / "G");
    fs::permissions(dir.path() / "lu" / "G.PGD", fs::perms::none);
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(dir.path() / "lu", fs::perms::all);
    EXPECT_TRUE(AsOrdinaryUser([&] {
        const auto unreadable = DescribeHelpSetProblem(dir.path() / "lu" / "G");
        return unreadable.size() == 2 && unreadable[1].starts_with("Fichier illisible : ") &&
               unreadable[1].find("G.PGD") != std::string::npos;
    }));
}

TEST(UserFilePlace, neverInSystemFolders_onlyInTheUsersOwnFolder)
{
    EXPECT_EQ(SystemFolders(nullptr),
              (std::vector<fs::path>{"/usr", "/opt", "/usr/local/share/", "/usr/share/"}));
    EXPECT_EQ(SystemFolders("/srv/data::relative:/:/x"),
              (std::vector<fs::path>{"/usr", "/opt", "/srv/data", "/x"}));

    TempDir dir;
    const fs::path mine = dir.path() / "mine";
    TouchHelpSet(mine / "G");
    const uid_t me = ::geteuid();
    const uid_t other = me + 4242;
    const std::vector<fs::path> userFiles{mine / "G.SIG", mine / "G.NOT", mine / "G.NO$"};
    EXPECT_TRUE(MayKeepUserFilesBeside(mine, userFiles, SystemFolders(nullptr), me));
    // Whoever runs, the viewer never writes where the system keeps its data.
    EXPECT_FALSE(MayKeepUserFilesBeside(mine, userFiles, {dir.path()}, me));
    EXPECT_FALSE(MayKeepUserFilesBeside(mine, userFiles, {"/usr", dir.path() / "mine" / ""}, me));
    EXPECT_TRUE(MayKeepUserFilesBeside(mine, userFiles, {dir.path() / "mi"}, me)); // not a folder prefix
    // Someone else's folder, writable or not, is not the place...
    EXPECT_FALSE(MayKeepUserFilesBeside(mine, userFiles, {}, other));
    // ...unless that user's files live there already.
    Touch(mine / "G.NOT");
    if (me == 0) {
        ASSERT_EQ(::chown((mine / "G.NOT").c_str(), other, other), 0);
        EXPECT_TRUE(MayKeepUserFilesBeside(mine, userFiles, {}, other));
        EXPECT_FALSE(MayKeepUserFilesBeside(mine, {mine / "G.SIG"}, {}, other));
    }

    // The data folder is chosen when the folder is not the user's; files kept beside are
    // still read: this user's are copied there once, another user's never.
    const fs::path data = dir.path() / "data";
    Touch(mine / "G.SIG");
    UserFiles files = ResolveUserFiles(mine / "G", data, false);
    EXPECT_EQ(files.besideAnnotations, mine / "G.NOT");
    EXPECT_FALSE(fs::exists(files.folder));
    ASSERT_TRUE(AdoptFilesBeside(files));
    EXPECT_TRUE(fs::exists(files.bookmarks));
    EXPECT_EQ(fs::exists(files.annotations), me != 0); // G.NOT is another user's when run as root
    EXPECT_FALSE(fs::exists(files.scratch));
    std::ofstream(files.bookmarks) << "mine now";
    std::ofstream(mine / "G.SIG") << "older";
    ASSERT_TRUE(AdoptFilesBeside(files)); // this user's own files there already: untouched
    std::ifstream kept(files.bookmarks);
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "mine now");
    // Nothing beside, nothing made.
    TouchHelpSet(dir.path() / "bare" / "H");
    const UserFiles bare = ResolveUserFiles(dir.path() / "bare" / "H", data, false);
    ASSERT_TRUE(AdoptFilesBeside(bare));
    EXPECT_FALSE(fs::exists(bare.folder));
}

} // namespace
} // namespace mirelda
