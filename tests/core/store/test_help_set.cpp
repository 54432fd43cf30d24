#include "core/store/binary_file.h"
#include "core/store/help_set.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace mirelda {
namespace {

using test::TempDir;
using test::WriteFile;

std::vector<std::int32_t> EnumerationOrder(const ArticleIndex& index)
{
    std::vector<std::int32_t> numbers;
    index.ForEach([&](const ArticleEntry& e) { numbers.push_back(e.number); });
    return numbers;
}

std::string IndexRecord(std::int32_t number, std::uint32_t text, std::uint32_t link, std::uint32_t count)
{
    std::string r;
    StoreI32(r, number);
    StoreU32(r, text);
    StoreU32(r, link);
    StoreU32(r, count);
    return r;
}

// ---- ArticleIndex -----------------------------------------------------------------------

TEST(ArticleIndex, bucketsFollowNumberShiftedByFour)
{
    EXPECT_EQ(ArticleIndex::BucketOf(5), 0u);
    EXPECT_EQ(ArticleIndex::BucketOf(21), 1u);
    EXPECT_EQ(ArticleIndex::BucketOf(16 * 17), 0u);
    EXPECT_EQ(ArticleIndex::BucketOf(-1), 0x0FFFFFFFu % 17);  // unsigned shift, no sign spread
}

TEST(ArticleIndex, enumeratesBucketByBucketNewestFirst)
{
    ArticleIndex index;
    EXPECT_TRUE(EnumerationOrder(index).empty());
    EXPECT_EQ(index.FindArticle(1), nullptr);  // before the bucket array exists
    for (std::int32_t n : {1, 21, 2, 16 * 17 + 3, 20, 15})
        index.Insert(ArticleEntry{n, 0, 0, 0});
    EXPECT_EQ(EnumerationOrder(index), (std::vector<std::int32_t>{15, 275, 2, 1, 20, 21}));
    for (std::int32_t n = 1; n <= 15; ++n)
        index.Insert(ArticleEntry{n, static_cast<std::uint32_t>(n), 0, 0});
    for (std::int32_t n = 1; n <= 15; ++n) {
        const ArticleEntry* e = index.FindArticle(n);
        ASSERT_NE(e, nullptr) << n;
        EXPECT_EQ(e->textOffset, static_cast<std::uint32_t>(n));
    }
    EXPECT_EQ(index.FindArticle(0), nullptr);
    EXPECT_EQ(index.FindArticle(16), nullptr);
}

TEST(ArticleIndex, duplicateOverwritesInPlace)
{
    ArticleIndex index;
    index.Insert(ArticleEntry{1, 10, 0, 0});
    index.Insert(ArticleEntry{2, 20, 0, 0});
    index.Insert(ArticleEntry{1, 11, 5, 6});
    EXPECT_EQ(index.size(), 2u);
    EXPECT_EQ(*index.FindArticle(1), (ArticleEntry{1, 11, 5, 6}));
    EXPECT_EQ(EnumerationOrder(index), (std::vector<std::int32_t>{2, 1}));  // 1 keeps its place
}

TEST(ArticleIndex, entriesStayPutAcrossBlocksAndMoves)
{
    ArticleIndex index;
    index.Insert(ArticleEntry{7, 70, 0, 0});
    const ArticleEntry* first = index.FindArticle(7);
    for (std::int32_t n = 100; n < 135; ++n)  // several blocks of ten
        index.Insert(ArticleEntry{n, 0, 0, 0});
    EXPECT_EQ(index.FindArticle(7), first);
    ArticleIndex moved = std::move(index);
    EXPECT_EQ(moved.FindArticle(7), first);
    EXPECT_EQ(moved.size(), 36u);
    EXPECT_TRUE(index.empty());  // NOLINT(bugprone-use-after-move): the moved-from index is empty
    EXPECT_EQ(index.FindArticle(7), nullptr);
}

// ---- Files -------------------------------------------------------------------------------

struct HelpSetFiles {
    TempDir dir;
    std::filesystem::path pgh = dir / "GUIDE.PGH";
    std::filesystem::path pgd = dir / "GUIDE.PGD";
    std::filesystem::path pgl = dir / "GUIDE.PGL";
};

TEST(HelpSetFiles, writeThenReadRoundTrip)
{
    HelpSetFiles f;
    const std::vector<ArticleSource> articles = {
        {1, "Accueil", "{\\rtf1 Bonjour}", {{0, 4, 2, 0}, {10, 12, 3, 77}}},
        {2, "", "", {}},
        {3, "#POPUP:Note", "{\\rtf1 x}", {{-5, -1, 1, 0}}},
    };
    ASSERT_TRUE(WriteArticleFiles(f.pgh, f.pgd, f.pgl, articles));

    std::vector<FileProblem> problems;
    auto index = LoadArticleIndex(f.pgh, &problems);
    ASSERT_TRUE(index) << index.error().message;
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(index->size(), 3u);

    auto reader = ArticleDataReader::Open(f.pgd);
    ASSERT_TRUE(reader);
    for (auto it = articles.rbegin(); it != articles.rend(); ++it) {  // any order, one open file
        const ArticleEntry* entry = index->FindArticle(it->number);
        ASSERT_NE(entry, nullptr);
        auto article = reader->Read(*entry);
        ASSERT_TRUE(article) << article.error().message;
        EXPECT_EQ(article->title, it->title);
        EXPECT_EQ(article->text, it->text);
        auto title = reader->ReadTitle(*entry);
        ASSERT_TRUE(title);
        EXPECT_EQ(*title, it->title);
        auto links = ReadLinks(f.pgl, *entry);
        ASSERT_TRUE(links) << links.error().message;
        EXPECT_EQ(links->records(), it->links);
    }
    auto one = ReadArticle(f.pgd, *index->FindArticle(1));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->title, "Accueil");
}

TEST(HelpSetFiles, indexLaterRecordForSameNumberWins)
{
    HelpSetFiles f;
    WriteFile(f.pgh, IndexRecord(4, 100, 0, 0) + IndexRecord(5, 1, 2, 3) + IndexRecord(4, 200, 8, 1));
    auto index = LoadArticleIndex(f.pgh);
    ASSERT_TRUE(index);
    EXPECT_EQ(index->size(), 2u);
    EXPECT_EQ(*index->FindArticle(4), (ArticleEntry{4, 200, 8, 1}));
}

TEST(HelpSetFiles, indexPartialLastRecordKeepsRecordsAndIsReported)
{
    HelpSetFiles f;
    WriteFile(f.pgh, IndexRecord(1, 0, 0, 0) + IndexRecord(2, 0, 0, 0) + std::string(7, '\x01'));
    std::vector<FileProblem> problems;
    auto index = LoadArticleIndex(f.pgh, &problems);
    ASSERT_TRUE(index);
    EXPECT_EQ(index->size(), 2u);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].offset, 32u);
    EXPECT_EQ(problems[0].path, f.pgh.string());
    EXPECT_TRUE(LoadArticleIndex(f.pgh));  // without a problem list too
}

TEST(HelpSetFiles, emptyAndMissingFiles)
{
    HelpSetFiles f;
    WriteFile(f.pgh, "");
    auto empty = LoadArticleIndex(f.pgh);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());

    for (const auto& missing : {f.dir / "NONE.PGH", f.dir.path()}) {
        auto index = LoadArticleIndex(missing);
        ASSERT_FALSE(index);
        EXPECT_EQ(index.error().kind, FileErrorKind::CannotOpen);
    }
    const ArticleEntry entry{1, 0, 0, 0};
    EXPECT_EQ(ReadArticle(f.dir / "NONE.PGD", entry).error().kind, FileErrorKind::CannotOpen);
    EXPECT_EQ(ReadLinks(f.dir / "NONE.PGL", entry).error().kind, FileErrorKind::CannotOpen);
}

TEST(HelpSetFiles, dataLengthsPastTheEndAreTruncatedAtTheirField)
{
    HelpSetFiles f;
    std::string pgd = "pad!";  // the record starts at 4
    StoreU32(pgd, 3);
    pgd += "abc";
    StoreU32(pgd, 0xFFFFFFF0u);  // text length far past the end
    pgd += "{\\rtf1}";
    StoreU32(pgd, 0xFFFFFFFFu);  // a second record (at 22) whose title length is huge
    pgd += "xy";
    WriteFile(f.pgd, pgd);

    auto text = ReadArticle(f.pgd, ArticleEntry{9, 4, 0, 0});
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, FileErrorKind::Truncated);
    EXPECT_EQ(text.error().offset, 11u);
    EXPECT_EQ(text.error().path, f.pgd.string());

    auto title = ReadArticle(f.pgd, ArticleEntry{9, 22, 0, 0});
    ASSERT_FALSE(title);
    EXPECT_EQ(title.error().kind, FileErrorKind::Truncated);
    EXPECT_EQ(title.error().offset, 22u);

    for (std::uint32_t offset : {25u, 28u, 1000u, 0xFFFFFFFFu}) {  // no room even for the length
        auto past = ReadArticle(f.pgd, ArticleEntry{9, offset, 0, 0});
        ASSERT_FALSE(past) << offset;
        EXPECT_EQ(past.error().kind, FileErrorKind::Truncated);
        EXPECT_EQ(past.error().offset, offset);
    }
    // The title alone can still be read when only the text is damaged.
    auto reader = ArticleDataReader::Open(f.pgd);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->fileSize(), pgd.size());
    EXPECT_EQ(*reader->ReadTitle(ArticleEntry{9, 4, 0, 0}), "abc");
}

TEST(HelpSetFiles, linksPastTheEndAreTruncated)
{
    HelpSetFiles f;
    std::string pgl;
    for (int i = 0; i < 3; ++i)
        pgl += IndexRecord(i, static_cast<std::uint32_t>(i + 1), 7, 0);  // same 16-byte shape
    WriteFile(f.pgl, pgl);

    auto all = ReadLinks(f.pgl, ArticleEntry{1, 0, 16, 2});
    ASSERT_TRUE(all);
    EXPECT_EQ(all->records(), (std::vector<LinkRecord>{{1, 2, 7, 0}, {2, 3, 7, 0}}));

    for (const ArticleEntry& e : {ArticleEntry{1, 0, 16, 3}, ArticleEntry{1, 0, 0, 0xFFFFFFFFu},
                                  ArticleEntry{1, 0, 0xFFFFFFF0u, 1}, ArticleEntry{1, 0, 40, 1}}) {
        auto links = ReadLinks(f.pgl, e);
        ASSERT_FALSE(links) << e.linkOffset << " " << e.linkCount;
        EXPECT_EQ(links.error().kind, FileErrorKind::Truncated);
        EXPECT_EQ(links.error().offset, e.linkOffset);
    }
    // No links: an empty table whatever the offset says.
    auto none = ReadLinks(f.pgl, ArticleEntry{1, 0, 0xFFFFFFF0u, 0});
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
    EXPECT_EQ(none->LinkAt(0), nullptr);
}

// ---- Links and titles ----------------------------------------------------------------------

TEST(LinkTable, firstRecordInFileOrderWins)
{
    const LinkTable table({{10, 10, 1, 0}, {20, 30, 2, 0}, {25, 40, 3, 0}, {-10, -2, 4, 0}});
    EXPECT_EQ(table.LinkAt(9), nullptr);
    EXPECT_EQ(table.LinkAt(10)->target, 1);
    EXPECT_EQ(table.LinkAt(11), nullptr);
    EXPECT_EQ(table.LinkAt(20)->target, 2);
    EXPECT_EQ(table.LinkAt(27)->target, 2);  // overlap: stored first
    EXPECT_EQ(table.LinkAt(31)->target, 3);
    EXPECT_EQ(table.LinkAt(40)->target, 3);
    EXPECT_EQ(table.LinkAt(41), nullptr);
    EXPECT_EQ(table.LinkAt(-5)->target, 4);  // signed comparison
    EXPECT_EQ(table.LinkAt(-1), nullptr);
    EXPECT_EQ(LinkTable().LinkAt(0), nullptr);
}

TEST(PopupTitles, emptyOrHashIsPopupAndOnlyExactPrefixIsCut)
{
    EXPECT_TRUE(IsPopupTitle(""));
    EXPECT_TRUE(IsPopupTitle("#"));
    EXPECT_TRUE(IsPopupTitle("#popup:Note"));
    EXPECT_FALSE(IsPopupTitle("Note #1"));
    EXPECT_FALSE(IsPopupTitle(" #"));
    EXPECT_EQ(PopupCaption("#POPUP:Note"), "Note");
    EXPECT_EQ(PopupCaption("#popup:Note"), "#popup:Note");
    EXPECT_EQ(PopupCaption("#POPUP:"), "");
    EXPECT_EQ(PopupCaption("#POPUP"), "#POPUP");
    EXPECT_EQ(PopupCaption("Titre"), "Titre");
}

}  // namespace
}  // namespace mirelda
