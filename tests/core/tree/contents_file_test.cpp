#include "core/store/binary_file.h"
#include "core/tree/book_pages.h"
#include "core/tree/contents_file.h"
#include "core/tree/flat_contents_tree.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>

namespace mirelda {
namespace {

using test::TempDir;
using test::WriteFile;
using Item = ContentsTree::Item;

ContentsRecord Rec(std::string key, std::string title, std::string link, std::int32_t article = 0,
                   std::int32_t kind = 0)
{
    return ContentsRecord{std::move(key), std::move(title), std::move(link), article, 0, kind};
}

// "title<TAB>image<TAB>article" per item, indented two spaces per level, in display order.
std::vector<std::string> Dump(const MemoryContentsTree& tree,
                              const std::unordered_map<Item, std::int32_t>& articles)
{
    std::vector<std::string> lines;
    tree.ForEachInDisplayOrder([&](Item item, std::size_t depth) {
        const auto& n = tree.node(item);
        const auto a = articles.find(item);
        lines.push_back(std::string(2 * depth, ' ') + n.title + "\t" + std::to_string(n.image) + "\t" +
                        (a == articles.end() ? std::string("none") : std::to_string(a->second)));
    });
    return lines;
}

struct Loaded
{
    MemoryContentsTree tree;
    std::unordered_map<Item, std::int32_t> articles;
    TreeLoadReport report;
    std::vector<std::string> lines;
};

Loaded LoadRecords(const std::vector<ContentsRecord>& records)
{
    TempDir dir;
    const auto fic = dir / "GUIDE.FIC";
    EXPECT_TRUE(WriteContentsFile(fic, records));
    Loaded l;
    auto report = LoadTree(fic, l.tree, l.articles);
    EXPECT_TRUE(report) << report.error().message;
    if (report)
        l.report = *report;
    l.lines = Dump(l.tree, l.articles);
    return l;
}

using Lines = std::vector<std::string>;

TEST(ContentsFile, recordsRoundTripWithFullWidthFields)
{
    TempDir dir;
    const auto fic = dir / "T.FIC";
    const std::vector<ContentsRecord> records = {
        ContentsRecord{"K1", "Titre \xE9t\xE9", "0", 12, -7, 2},
        ContentsRecord{std::string(12, 'k'), std::string(80, 't'), std::string(12, 'l'), -1, 0, 1},
    };
    ASSERT_TRUE(WriteContentsFile(fic, records));
    EXPECT_EQ(std::filesystem::file_size(fic), 3 * ContentsRecord::kSize);
    auto read = ReadContentsRecords(fic);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->endRecordSeen);
    EXPECT_TRUE(read->problems.empty());
    EXPECT_EQ(read->records, records);

    auto tooLong = WriteContentsFile(fic, {Rec(std::string(13, 'k'), "t", "0")});
    ASSERT_FALSE(tooLong);
    EXPECT_EQ(tooLong.error().kind, FileErrorKind::CannotWrite);
}

TEST(ContentsFile, fieldLayoutAndBytesAfterNulIgnored)
{
    TempDir dir;
    std::string r(ContentsRecord::kSize, '\0');
    r.replace(0, 7, std::string("A\0junk!", 7));
    r.replace(12, 5, "Livre");
    r.replace(92, 1, "0");
    std::string ints;
    StoreI32(ints, 42);
    StoreI32(ints, 99);
    StoreI32(ints, 2);
    r.replace(104, 12, ints);
    WriteFile(dir / "X.FIC", r + std::string(ContentsRecord::kSize, '\0') + r);
    auto read = ReadContentsRecords(dir / "X.FIC");
    ASSERT_TRUE(read);
    ASSERT_EQ(read->records.size(), 1u); // the record after the end record is never read
    EXPECT_EQ(read->records[0], (ContentsRecord{"A", "Livre", "0", 42, 99, 2}));
}

TEST(LoadTree, emptyFirstTitleGivesEmptyTree)
{
    const Loaded l = LoadRecords({});
    EXPECT_EQ(l.tree.size(), 0u);
    EXPECT_TRUE(l.articles.empty());
    EXPECT_TRUE(l.report.endRecordSeen);
    EXPECT_TRUE(l.report.problems.empty());
}

TEST(LoadTree, imagesCycleByDepthAndPagesStayPages)
{
    const Loaded l = LoadRecords({
        Rec("A", "A", "0"), Rec("B", "B", "A"), Rec("C", "C", "B"), Rec("D", "D", "C"), Rec("E", "E", "D"),
        Rec("F", "F", "E"), Rec("P", "Page", "D", 7), Rec("Q", "Under page", "P"),
        Rec("T", "Top page", "0", 8, 2), // "0" wins over link kind 2
    });
    EXPECT_EQ(l.lines, (Lines{"A\t0\t0", "  B\t1\t0", "    C\t2\t0", "      D\t3\t0", "        E\t4\t0",
                              "          F\t0\t0", "        Page\t10\t7", "          Under page\t1\t0",
                              "Top page\t10\t8"}));
    EXPECT_EQ(l.report.entries, 9u);
    EXPECT_EQ(l.articles.size(), 9u); // books too, with 0
}

TEST(LoadTree, siblingLinksJoinTheSiblingsParent)
{
    const Loaded l = LoadRecords({
        Rec("A", "A", "0"),
        Rec("B", "B", "0"),
        Rec("A1", "A1", "A", 1),
        Rec("S", "Sibling of top", "A", 0, 2),  // top-level sibling: top level, image 0
        Rec("S2", "Sibling of A1", "A1", 0, 2), // under A: image of A + 1
        Rec("S3", "Page sibling", "A1", 3, 2),
        Rec("Z", "Kind 5 is parent", "B", 0, 5),
    });
    EXPECT_EQ(l.lines, (Lines{"A\t0\t0", "  A1\t10\t1", "  Sibling of A1\t1\t0", "  Page sibling\t10\t3",
                              "B\t0\t0", "  Kind 5 is parent\t1\t0", "Sibling of top\t0\t0"}));
}

TEST(LoadTree, laterSameKeyReplacesEarlier)
{
    const Loaded l = LoadRecords({
        Rec("K", "First", "0"),
        Rec("c1", "Child of first", "K"),
        Rec("K", "Second", "0"),
        Rec("c2", "Child of second", "K"),
        Rec("c3", "Sibling of second", "K", 0, 2),
    });
    EXPECT_EQ(l.lines, (Lines{"First\t0\t0", "  Child of first\t1\t0", "Second\t0\t0",
                              "  Child of second\t1\t0", "Sibling of second\t0\t0"}));
}

TEST(LoadTree, keysAreCaseSensitiveAndUnknownKeysGoToTopLevel)
{
    const Loaded l = LoadRecords({
        Rec("a", "Book", "0"),
        Rec("x", "Wrong case", "A", 4),
        Rec("y", "Nothing", "missing", 0, 2),
        Rec("z", "Itself", "z"), // its own key is not known before it is inserted
        Rec("w", "\xC9t\xE9", "cl\xE9"),
    });
    EXPECT_EQ(l.lines,
              (Lines{"Book\t0\t0", "Wrong case\t10\t4", "Nothing\t0\t0", "Itself\t0\t0", "\xC9t\xE9\t0\t0"}));
    ASSERT_EQ(l.report.problems.size(), 4u);
    // Messages are UTF-8 whatever the file's code page.
    EXPECT_NE(l.report.problems[3].message.find("\"\xC3\x89t\xC3\xA9\""), std::string::npos);
    EXPECT_NE(l.report.problems[3].message.find("\"cl\xC3\xA9\""), std::string::npos);
    EXPECT_EQ(l.report.problems[0].offset, ContentsRecord::kSize);
    EXPECT_EQ(l.report.problems[2].offset, 3 * ContentsRecord::kSize);
}

TEST(LoadTree, longestTitlesShownWhole)
{
    const std::string t79(79, 'x'), t80(80, 'y');
    const Loaded l = LoadRecords({Rec("a", t79, "0"), Rec("b", t80, "a")});
    EXPECT_EQ(l.lines, (Lines{t79 + "\t0\t0", "  " + t80 + "\t1\t0"}));
}

TEST(LoadTree, damagedEndsKeepEntriesReadSoFar)
{
    TempDir dir;
    const auto fic = dir / "D.FIC";
    ASSERT_TRUE(WriteContentsFile(fic, {Rec("a", "One", "0"), Rec("b", "Two", "a", 5)}));
    std::string bytes = test::ReadFile(fic);
    bytes.resize(2 * ContentsRecord::kSize); // no end record

    for (const std::string& damaged : {bytes, bytes + std::string(50, '\0'), bytes + "abc"}) {
        WriteFile(fic, damaged);
        MemoryContentsTree tree;
        std::unordered_map<Item, std::int32_t> articles;
        auto report = LoadTree(fic, tree, articles);
        ASSERT_TRUE(report);
        EXPECT_FALSE(report->endRecordSeen);
        EXPECT_EQ(report->entries, 2u);
        EXPECT_EQ(Dump(tree, articles), (Lines{"One\t0\t0", "  Two\t10\t5"}));
        const bool shortRecord = damaged.size() > bytes.size();
        ASSERT_EQ(report->problems.size(), shortRecord ? 2u : 1u);
        EXPECT_EQ(report->problems[0].offset, bytes.size());
    }

    WriteFile(fic, "");
    MemoryContentsTree tree;
    std::unordered_map<Item, std::int32_t> articles;
    auto empty = LoadTree(fic, tree, articles);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->entries, 0u);
    EXPECT_FALSE(empty->endRecordSeen);

    auto missing = LoadTree(dir / "NONE.FIC", tree, articles);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().kind, FileErrorKind::CannotOpen);
}

TEST(LoadTree, stopFlagEndsTheReadWithTheEntriesSoFarPlaced)
{
    // Books nesting a few levels with pages and siblings, past one read chunk.
    std::vector<ContentsRecord> records;
    for (int i = 0; i < 2000; ++i) {
        const std::string key = "k" + std::to_string(i);
        if (i % 7 == 0)
            records.push_back(Rec(key, "Book " + key, "0"));
        else
            records.push_back(Rec(key, "Entry " + key, "k" + std::to_string(i - 1), i % 3 == 0 ? 0 : i,
                                  i % 2 == 0 ? 2 : 0));
    }
    TempDir dir;
    ASSERT_TRUE(WriteContentsFile(dir / "S.FIC", records));

    constexpr std::size_t kStopAfter = 700;
    std::atomic<bool> stop{false};
    MemoryContentsTree tree;
    std::unordered_map<Item, std::int32_t> articles;
    auto report = LoadTree(
        dir / "S.FIC", tree,
        [&](Item item, std::int32_t article) {
            articles[item] = article;
            if (articles.size() == kStopAfter)
                stop = true;
        },
        &stop);
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->stopped);
    EXPECT_FALSE(report->endRecordSeen);
    EXPECT_TRUE(report->problems.empty()); // a stop is no damage
    EXPECT_EQ(report->entries, kStopAfter);
    records.resize(kStopAfter);
    EXPECT_EQ(Dump(tree, articles), LoadRecords(records).lines);

    stop = false; // an unset flag reads everything
    MemoryContentsTree whole;
    auto full = LoadTree(
        dir / "S.FIC", whole, [](Item, std::int32_t) {}, &stop);
    ASSERT_TRUE(full);
    EXPECT_FALSE(full->stopped);
    EXPECT_EQ(full->entries, 2000u);
}

TEST(LoadTree, appendsWithoutClearingAndKeysDoNotCarryOver)
{
    TempDir dir;
    const auto fic = dir / "A.FIC";
    ASSERT_TRUE(WriteContentsFile(fic, {Rec("a", "Book", "0")}));
    const auto fic2 = dir / "B.FIC";
    ASSERT_TRUE(WriteContentsFile(fic2, {Rec("b", "Child?", "a", 3)}));
    MemoryContentsTree tree;
    std::unordered_map<Item, std::int32_t> articles;
    ASSERT_TRUE(LoadTree(fic, tree, articles));
    auto second = LoadTree(fic2, tree, articles);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->problems.size(), 1u);
    EXPECT_EQ(Dump(tree, articles), (Lines{"Book\t0\t0", "Child?\t10\t3"}));
}

TEST(LoadTree, deepChainStopsAtTheDeepestLevelAndIsReported)
{
    // Each entry under the one before: the levels past the deepest one allowed go beside the
    // deepest entry, in file order, each reported at its record; a sibling link there stays.
    std::vector<ContentsRecord> records{Rec("k0", "t", "0")};
    constexpr std::size_t kDepth = 20000;
    for (std::size_t i = 1; i < kDepth; ++i)
        records.push_back(Rec("k" + std::to_string(i), "t", "k" + std::to_string(i - 1)));
    records.push_back(Rec("s", "sibling", "k" + std::to_string(kDepth - 1), 5, 2));
    TempDir dir;
    ASSERT_TRUE(WriteContentsFile(dir / "DEEP.FIC", records));
    MemoryContentsTree tree;
    std::unordered_map<Item, std::int32_t> articles;
    auto report = LoadTree(dir / "DEEP.FIC", tree, articles);
    ASSERT_TRUE(report);
    std::size_t visited = 0, deepest = 0, atDeepest = 0;
    tree.ForEachInDisplayOrder([&](Item, std::size_t depth) {
        ++visited;
        deepest = std::max(deepest, depth);
        atDeepest += depth == kMaxContentsDepth;
    });
    EXPECT_EQ(visited, kDepth + 1);
    EXPECT_EQ(deepest, kMaxContentsDepth);
    EXPECT_EQ(atDeepest, kDepth + 1 - kMaxContentsDepth);
    ASSERT_EQ(report->problems.size(), kDepth - 1 - kMaxContentsDepth);
    EXPECT_EQ(report->problems.front().offset, (kMaxContentsDepth + 1) * ContentsRecord::kSize);
    EXPECT_EQ(tree.ImageOf(kDepth),
              static_cast<int>((kDepth - 1) % 5)); // the colour of its level in the file
    EXPECT_EQ(tree.node(kMaxContentsDepth).children.size(),
              kDepth + 1 - kMaxContentsDepth); // item 255 is level 254
}

TEST(FlatContentsTree, holdsWhatTheLoaderBuilds)
{
    // A random file (parents, siblings, unknown keys, repeated keys) loaded into both trees:
    // same parents, children in the same order, same titles, images and articles.
    std::mt19937 random(99);
    std::vector<ContentsRecord> records;
    for (int i = 0; i < 3000; ++i) {
        const std::string link =
            i == 0 || random() % 10 == 0 ? "0" : "k" + std::to_string(random() % (i + 3));
        const std::int32_t article = random() % 3 ? 0 : i;
        const std::int32_t kind = random() % 4 == 0 ? 2 : 0;
        records.push_back(
            Rec("k" + std::to_string(random() % 2500), "T" + std::to_string(i), link, article, kind));
    }
    TempDir dir;
    ASSERT_TRUE(WriteContentsFile(dir / "R.FIC", records));
    MemoryContentsTree memory;
    std::unordered_map<Item, std::int32_t> articles;
    ASSERT_TRUE(LoadTree(dir / "R.FIC", memory, articles));
    FlatContentsTree flat;
    ASSERT_TRUE(LoadTree(dir / "R.FIC", flat, [&](Item item, std::int32_t a) { flat.SetArticle(item, a); }));
    flat.Finish();
    ASSERT_EQ(flat.size(), memory.size());
    const auto sameChildren = [&](Item parent, const std::vector<Item>& children) {
        ASSERT_EQ(flat.ChildCount(parent), children.size());
        for (std::size_t row = 0; row < children.size(); ++row) {
            EXPECT_EQ(flat.ChildAt(parent, row), children[row]);
            EXPECT_EQ(flat.RowOf(children[row]), row);
        }
    };
    sameChildren(ContentsTree::kNone, memory.topLevel());
    for (Item item = 1; item <= memory.size(); ++item) {
        const auto& node = memory.node(item);
        EXPECT_EQ(flat.ParentOf(item), node.parent);
        EXPECT_EQ(flat.TitleOf(item), node.title);
        EXPECT_EQ(flat.ImageOf(item), node.image);
        EXPECT_EQ(flat.ArticleOf(item), articles.at(item));
        sameChildren(item, node.children);
    }
    EXPECT_EQ(flat.FindArticle(0), 1u);
    EXPECT_EQ(flat.ChildAt(ContentsTree::kNone, memory.topLevel().size()), ContentsTree::kNone);
}

TEST(BookArticles, pagesInTreeOrderBooksAndSkippedLeftOut)
{
    FlatContentsTree tree;
    const auto page = [&](Item parent, std::int32_t article) {
        const Item item = tree.InsertLast(parent, "p", 0);
        tree.SetArticle(item, article);
        return item;
    };
    const Item book = tree.InsertLast(ContentsTree::kNone, "A", 0);
    page(book, 1);
    const Item inner = tree.InsertLast(book, "B", 0);
    page(inner, 2);
    tree.InsertLast(inner, "empty book", 0);
    const Item deeper = tree.InsertLast(inner, "C", 0);
    const Item three = page(deeper, 3);
    page(three, 5); // under a page
    page(inner, 4);
    page(book, 1); // the same article from a second entry
    const Item other = tree.InsertLast(ContentsTree::kNone, "D", 0);
    const Item lone = page(other, 9);
    // A chain of books far deeper than any call stack would allow.
    Item chain = other;
    for (int i = 0; i < 200000; ++i)
        chain = tree.InsertLast(chain, "d", 0);
    page(chain, 8);
    tree.Finish();

    const auto skipTwo = [](std::int32_t article) { return article == 2; };
    EXPECT_EQ(BookArticles(tree, book, skipTwo), (std::vector<std::int32_t>{1, 3, 5, 4, 1}));
    EXPECT_EQ(BookArticles(tree, inner), (std::vector<std::int32_t>{2, 3, 5, 4}));
    EXPECT_EQ(BookArticles(tree, other), (std::vector<std::int32_t>{9, 8}));
    EXPECT_TRUE(BookArticles(tree, lone).empty());
    EXPECT_TRUE(BookArticles(tree, three).empty()); // a page, even one with entries under it
    EXPECT_TRUE(BookArticles(tree, ContentsTree::kNone).empty());
    EXPECT_TRUE(BookArticles(tree, 999999).empty());
}

} // namespace
} // namespace mirelda
