#include "core/lists/bookmark_store.h"
#include "core/lists/bookmarks.h"
#include "core/store/binary_file.h"

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

std::vector<std::string> Names(const BookmarkList& list)
{
    std::vector<std::string> out;
    for (const Bookmark& b : list.items())
        out.push_back(b.name);
    return out;
}

std::string Record(std::int32_t article, std::int32_t length, const std::string& name)
{
    std::string out;
    StoreI32(out, article);
    StoreI32(out, length);
    return out + name;
}

std::string Count(std::int32_t n)
{
    std::string out;
    StoreI32(out, n);
    return out;
}

TEST(ListOrder, ignoresCaseKeepsAccentsUnderTheLocale)
{
    ListOrder order("fr_FR");
    EXPECT_LT(order.CompareCp1252("alpha", "Beta"), 0);
    EXPECT_LT(order.CompareCp1252("Beta", "zeta"), 0);
    EXPECT_EQ(order.CompareCp1252("ALPHA", "alpha"), 0);
    // Windows-1252 bytes: "é" sorts with "e", before "f", not after "z" as its byte would.
    EXPECT_LT(order.CompareCp1252("\xE9t\xE9", "fin"), 0);
    EXPECT_LT(order.CompareCp1252("ete", "\xE9t\xE9"), 0);
}

TEST(ListOrder, posixLocaleStillIgnoresCase)
{
    // LANG=C gives ICU's POSIX locale, whose own order puts every capital first.
    ListOrder order("en_US_POSIX");
    EXPECT_LT(order.CompareCp1252("alpha", "Beta"), 0);
    EXPECT_LT(order.CompareCp1252("Beta", "zeta"), 0);
    EXPECT_EQ(order.CompareCp1252("ALPHA", "alpha"), 0);
}

TEST(BookmarkList, zetaAlphaBeta_listedAndSavedAsAlphaBetaZeta)
{
    TempDir dir;
    const ListOrder order("fr_FR");
    BookmarkList list(order);
    list.Add({"Zeta", 3});
    list.Add({"alpha", 1});
    list.Add({"Beta", 2});
    EXPECT_EQ(Names(list), (std::vector<std::string>{"alpha", "Beta", "Zeta"}));

    auto path = dir / "AIDE.SIG";
    ASSERT_TRUE(SaveBookmarks(path, list.items()));
    EXPECT_EQ(ReadFile(path), Count(3) + Record(1, 5, "alpha") + Record(2, 4, "Beta") + Record(3, 4, "Zeta"));
    auto loaded = LoadBookmarks(path);
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(loaded->damage);
    EXPECT_EQ(loaded->bookmarks, list.items());
}

TEST(BookmarkList, duplicatesAndEmptyNames_allKeptAndRoundTripped)
{
    TempDir dir;
    const ListOrder order("fr_FR");
    BookmarkList list(order);
    list.Add({"Index", 4});
    list.Add({"", 9});
    list.Add({"index", 4});
    list.Add({"Index", 5});
    EXPECT_EQ(Names(list), (std::vector<std::string>{"", "Index", "index", "Index"}));
    EXPECT_EQ(list.at(3).article, 5); // equal names keep the order they were added in

    auto path = dir / "a.SIG";
    ASSERT_TRUE(SaveBookmarks(path, list.items()));
    auto loaded = LoadBookmarks(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->bookmarks, list.items());
    EXPECT_EQ(ReadFile(path).substr(4, 8), Record(9, 0, "")); // an empty name: length 0, no bytes
}

TEST(BookmarkList, renameMovesToNewPlaceKeepingArticle)
{
    const ListOrder order("fr_FR");
    BookmarkList list(order);
    list.Add({"alpha", 1});
    list.Add({"Beta", 2});
    list.Add({"gamma", 3});
    std::size_t at = list.Rename(0, "Omega");
    EXPECT_EQ(at, 2u);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Beta", "gamma", "Omega"}));
    EXPECT_EQ(list.at(2).article, 1);
    list.Remove(0);
    list.Remove(7); // nothing there: nothing happens
    EXPECT_EQ(Names(list), (std::vector<std::string>{"gamma", "Omega"}));
}

TEST(BookmarkStore, loadedList_isInTheOrderAddingOneByOneGives)
{
    // Loading sorts once; the result must be the list that adding each bookmark in file order
    // gives: case ignored, accents counted, equal names in file order.
    TempDir dir;
    const std::vector<Bookmark> file = {{"zeta", 1},      {"\xe9t\xe9", 2}, {"Index", 3}, {"ete", 4},
                                        {"index", 5},     {"", 6},          {"INDEX", 7}, {"Alpha", 8},
                                        {"\xc9t\xe9", 9}, {"alpha", 10}};
    for (const char* locale : {"fr_FR", "en_US_POSIX"}) {
        const ListOrder order(locale);
        BookmarkList oneByOne(order);
        for (const Bookmark& b : file)
            oneByOne.Add(b);
        const auto path = dir / (std::string(locale) + ".SIG");
        ASSERT_TRUE(SaveBookmarks(path, file));
        BookmarkStore store(path, order);
        ASSERT_EQ(store.Load(), BookmarkStore::Found::Read);
        EXPECT_EQ(store.list().items(), oneByOne.items()) << locale;
    }
}

TEST(LoadBookmarks, emptyAndMissingFiles)
{
    TempDir dir;
    EXPECT_FALSE(LoadBookmarks(dir / "none.SIG"));

    ASSERT_TRUE(SaveBookmarks(dir / "zero.SIG", {}));
    EXPECT_EQ(ReadFile(dir / "zero.SIG"), Count(0));
    auto loaded = LoadBookmarks(dir / "zero.SIG");
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->bookmarks.empty());
    EXPECT_FALSE(loaded->damage);
}

TEST(LoadBookmarks, folderOrMissingFile_isAnErrorNotACrash)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "AIDE.SIG");
    auto folder = LoadBookmarks(dir / "AIDE.SIG");
    ASSERT_FALSE(folder.ok());
    EXPECT_FALSE(LoadBookmarks(dir / "NONE.SIG").ok());
    EXPECT_EQ(LoadBookmarks(dir / "NONE.SIG").error().kind, FileErrorKind::CannotOpen);
}

TEST(LoadBookmarks, damagedFile_isKeptAsideBeforeItIsRewritten)
{
    TempDir dir;
    std::string bytes = Count(3); // three announced, none there
    bytes += "xyz";
    WriteFile(dir / "AIDE.SIG", bytes);
    auto first = LoadBookmarks(dir / "AIDE.SIG");
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(first->damage.has_value());
    EXPECT_EQ(ReadFile(dir / "AIDE.SIG.damaged"), bytes);
    // A second damaged load never overwrites the first copy.
    WriteFile(dir / "AIDE.SIG", bytes + "more");
    ASSERT_TRUE(LoadBookmarks(dir / "AIDE.SIG").ok());
    EXPECT_EQ(ReadFile(dir / "AIDE.SIG.damaged"), bytes);
    EXPECT_EQ(ReadFile(dir / "AIDE.SIG.damaged.2"), bytes + "more");
    EXPECT_FALSE(first->copyFailure);
    // No copy can be made: the caller is told, so that it leaves the file alone.
    test::RefusedFileOperation refused(FileOperation::Copy);
    auto uncopied = LoadBookmarks(dir / "AIDE.SIG");
    ASSERT_TRUE(uncopied.ok());
    EXPECT_TRUE(uncopied->copyFailure);
    EXPECT_FALSE(std::filesystem::exists(dir / "AIDE.SIG.damaged.3"));
}

TEST(BookmarkStore, missingDamagedOrUnreadableFile_neverLosesWhatTheFileHolds)
{
    TempDir dir;
    const ListOrder order("fr_FR");
    using Found = BookmarkStore::Found;

    // No file: an empty list, written at the next save.
    BookmarkStore store(dir / "AIDE.SIG", order);
    EXPECT_EQ(store.Load(), Found::NoFile);
    EXPECT_TRUE(store.list().empty());
    store.list().Add({"Zeta", 3});
    store.list().Add({"alpha", 1});
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(store.Load(), Found::Read);
    EXPECT_EQ(Names(store.list()), (std::vector<std::string>{"alpha", "Zeta"}));
    EXPECT_FALSE(store.keepsFile());

    // Damaged: the records before the damage, in list order; the whole file is copied aside
    // and may then be rewritten.
    const std::string damaged = Count(3) + Record(2, 4, "zulu") + Record(1, 5, "bravo") + "\x07";
    WriteFile(store.path(), damaged);
    EXPECT_EQ(store.Load(), Found::Damaged);
    EXPECT_EQ(Names(store.list()), (std::vector<std::string>{"bravo", "zulu"}));
    EXPECT_EQ(ReadFile(dir / "AIDE.SIG.damaged"), damaged);
    EXPECT_FALSE(store.keepsFile());
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(ReadFile(store.path()), Count(2) + Record(1, 5, "bravo") + Record(2, 4, "zulu"));

    // Damaged and no copy can be made: what was read is listed, the file is never written.
    WriteFile(store.path(), damaged);
    {
        test::RefusedFileOperation refused(FileOperation::Copy);
        EXPECT_EQ(store.Load(), Found::DamagedKept);
    }
    EXPECT_EQ(store.list().size(), 2u);
    EXPECT_TRUE(store.keepsFile());
    store.list().Add({"nouveau", 4});
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(ReadFile(store.path()), damaged);

    // There but not a readable file (a folder): an empty list, and the folder is left alone.
    BookmarkStore folder(dir / "DOSSIER.SIG", order);
    std::filesystem::create_directory(folder.path());
    WriteFile(folder.path() / "inside", "x");
    EXPECT_EQ(folder.Load(), Found::Unreadable);
    EXPECT_TRUE(folder.list().empty());
    EXPECT_TRUE(folder.keepsFile());
    folder.list().Add({"nouveau", 4});
    ASSERT_TRUE(folder.Save());
    EXPECT_TRUE(std::filesystem::is_directory(folder.path()));
    EXPECT_EQ(ReadFile(folder.path() / "inside"), "x");

    // A load starts afresh: the file is there again, readable, and may be written.
    std::filesystem::remove_all(folder.path());
    ASSERT_TRUE(SaveBookmarks(folder.path(), {{"seul", 1}}));
    EXPECT_EQ(folder.Load(), Found::Read);
    EXPECT_EQ(folder.list().items(), (std::vector<Bookmark>{{"seul", 1}}));
    EXPECT_FALSE(folder.keepsFile());
}

TEST(BookmarkStore, linksAndFifos_onlyTheUsersOwnLinkIsFollowed)
{
    namespace fs = std::filesystem;
    TempDir dir;
    const ListOrder order("fr_FR");
    using Found = BookmarkStore::Found;
    fs::create_directory(dir / "elsewhere");

    // The user's link to his own file: read and written there; the link stays.
    ASSERT_TRUE(SaveBookmarks(dir / "elsewhere" / "mine", {{"un", 1}}));
    fs::create_symlink(dir / "elsewhere" / "mine", dir / "LIEN.SIG");
    BookmarkStore linked(dir / "LIEN.SIG", order);
    EXPECT_EQ(linked.Load(), Found::Read);
    linked.list().Add({"deux", 2});
    ASSERT_TRUE(linked.Save());
    EXPECT_TRUE(fs::is_symlink(linked.path()));
    EXPECT_EQ(ReadFile(dir / "elsewhere" / "mine"), Count(2) + Record(2, 4, "deux") + Record(1, 2, "un"));

    // A link to nothing, a FIFO: unreadable (at once, no waiting), kept, never replaced.
    fs::create_symlink(dir / "elsewhere" / "planted", dir / "VIDE.SIG");
    ASSERT_EQ(::mkfifo((dir / "FIFO.SIG").c_str(), 0600), 0);
    for (const char* name : {"VIDE.SIG", "FIFO.SIG"}) {
        BookmarkStore store(dir / name, order);
        EXPECT_EQ(store.Load(), Found::Unreadable) << name;
        store.list().Add({"nouveau", 4});
        ASSERT_TRUE(store.Save());
    }
    EXPECT_FALSE(fs::exists(dir / "elsewhere" / "planted"));
    EXPECT_TRUE(fs::is_symlink(dir / "VIDE.SIG"));
    EXPECT_TRUE(fs::is_fifo(dir / "FIFO.SIG"));
}

TEST(ParseBookmarks, damagedFiles_keepRecordsBeforeTheDamage)
{
    const std::string two = Record(1, 3, "one") + Record(2, 3, "two");
    struct Case
    {
        const char* what;
        std::string bytes;
        std::size_t kept;
        std::uint64_t offset;
    };
    const Case cases[] = {
        {"empty file", "", 0, 0},
        {"count cut short", "\x01\x00", 0, 0},
        {"count larger than the records", Count(5) + two, 2, 26},
        {"huge count", Count(0x7FFFFFFF) + two, 2, 26},
        {"negative count", Count(-1) + two, 0, 0},
        {"record header cut", Count(2) + Record(1, 3, "one") + "\x02\x00\x00", 1, 15},
        {"name runs past the end", Count(2) + Record(1, 3, "one") + Record(2, 1000, "tw"), 1, 19},
        {"huge name length", Count(1) + Record(1, 0x7FFFFFFF, "x"), 0, 8},
        {"negative name length", Count(1) + Record(1, -4, "abcd"), 0, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoadedBookmarks loaded = ParseBookmarks(c.bytes, "x.SIG");
        ASSERT_TRUE(loaded.damage);
        EXPECT_EQ(loaded.damage->offset, c.offset);
        EXPECT_EQ(loaded.bookmarks.size(), c.kept);
        if (c.kept > 0) {
            EXPECT_EQ(loaded.bookmarks[0], (Bookmark{"one", 1}));
        }
    }
    // Bytes after the last announced record are not damage.
    LoadedBookmarks extra = ParseBookmarks(Count(1) + two, "x.SIG");
    EXPECT_FALSE(extra.damage);
    EXPECT_EQ(extra.bookmarks.size(), 1u);
}

TEST(SaveBookmarks, failureAtAnyStep_keepsThePreviousFile)
{
    TempDir dir;
    auto path = dir / "AIDE.SIG";
    const std::vector<Bookmark> old{{"ancien", 1}};
    ASSERT_TRUE(SaveBookmarks(path, old));
    const std::string before = ReadFile(path);

    for (WriteStep step : {WriteStep::Create, WriteStep::Write, WriteStep::Flush, WriteStep::Rename}) {
        SCOPED_TRACE(WriteStepName(step));
        Status saved =
            SaveBookmarks(path, {{"nouveau", 2}, {"autre", 3}}, [step](WriteStep s) { return s != step; });
        ASSERT_FALSE(saved);
        EXPECT_EQ(saved.error().kind, FileErrorKind::CannotWrite);
        EXPECT_EQ(ReadFile(path), before);
        EXPECT_EQ(test::CountFiles(dir.path()), 1u); // no temporary file left behind
    }
    // A failed folder sync comes after the rename: the new file is in place, and it is said.
    Status late =
        SaveBookmarks(path, {{"nouveau", 2}}, [](WriteStep s) { return s != WriteStep::SyncFolder; });
    EXPECT_FALSE(late);
    EXPECT_EQ(LoadBookmarks(path)->bookmarks, (std::vector<Bookmark>{{"nouveau", 2}}));
}

} // namespace
} // namespace mirelda
