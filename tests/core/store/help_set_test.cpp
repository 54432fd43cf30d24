#include "core/store/binary_file.h"
#include "core/store/help_set.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <random>

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
    EXPECT_EQ(ArticleIndex::BucketOf(-1), 0x0FFFFFFFu % 17); // unsigned shift, no sign spread
}

TEST(ArticleIndex, enumeratesBucketByBucketNewestFirst)
{
    ArticleIndex index;
    EXPECT_TRUE(EnumerationOrder(index).empty());
    EXPECT_EQ(index.FindArticle(1), nullptr); // before the bucket array exists
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
    EXPECT_EQ(EnumerationOrder(index), (std::vector<std::int32_t>{2, 1})); // 1 keeps its place
}

TEST(ArticleIndex, entriesStayPutAcrossBlocksAndMoves)
{
    ArticleIndex index;
    index.Insert(ArticleEntry{7, 70, 0, 0});
    const ArticleEntry* first = index.FindArticle(7);
    for (std::int32_t n = 100; n < 135; ++n) // several blocks of ten
        index.Insert(ArticleEntry{n, 0, 0, 0});
    EXPECT_EQ(index.FindArticle(7), first);
    ArticleIndex moved = std::move(index);
    EXPECT_EQ(moved.FindArticle(7), first);
    EXPECT_EQ(moved.size(), 36u);
    EXPECT_TRUE(index.empty()); // NOLINT(bugprone-use-after-move): the moved-from index is empty
    EXPECT_EQ(index.FindArticle(7), nullptr);
}

// The index as the file format describes it, kept deliberately naive: seventeen chains,
// newest at the head, a repeated number overwritten where it stands.
class ReferenceIndex
{
  public:
    void Insert(const ArticleEntry& e)
    {
        std::vector<ArticleEntry>& chain = chains_[ArticleIndex::BucketOf(e.number)];
        for (ArticleEntry& old : chain)
            if (old.number == e.number) {
                old = e;
                return;
            }
        chain.insert(chain.begin(), e);
    }
    const ArticleEntry* Find(std::int32_t number) const
    {
        for (const ArticleEntry& e : chains_[ArticleIndex::BucketOf(number)])
            if (e.number == number)
                return &e;
        return nullptr;
    }
    std::vector<ArticleEntry> Enumeration() const
    {
        std::vector<ArticleEntry> all;
        for (const auto& chain : chains_)
            all.insert(all.end(), chain.begin(), chain.end());
        return all;
    }

  private:
    std::vector<ArticleEntry> chains_[ArticleIndex::kBucketCount];
};

TEST(ArticleIndex, behavesLikeSeventeenChainsOnRandomInput)
{
    std::mt19937 random(1234); // same numbers every run
    // Counts from none to 100 000; numbers drawn from ranges small enough to repeat a lot,
    // from all of 32 bits (negatives included), and from one bucket only.
    const std::pair<std::size_t, std::uint32_t> runs[] = {
        {0, 10}, {1, 10}, {17, 40}, {300, 100}, {5000, 2000}, {40000, 0}, {100000, 30000}};
    for (const auto& [count, range] : runs)
        for (int oneBucket = 0; oneBucket < 2; ++oneBucket) {
            ArticleIndex index;
            ReferenceIndex reference;
            const auto draw = [&] {
                std::uint32_t n = range ? random() % range : random();
                if (oneBucket)
                    n = n * 16 * ArticleIndex::kBucketCount + n % 16; // bucket 0 whatever n is
                return static_cast<std::int32_t>(n);
            };
            std::vector<ArticleEntry> all;
            for (std::size_t i = 0; i < count; ++i) {
                const ArticleEntry e{draw(), static_cast<std::uint32_t>(i),
                                     static_cast<std::uint32_t>(random()),
                                     static_cast<std::uint32_t>(random() % 9)};
                index.Insert(e);
                reference.Insert(e);
                all.push_back(e);
            }
            std::vector<ArticleEntry> enumerated;
            index.ForEach([&](const ArticleEntry& e) { enumerated.push_back(e); });
            ASSERT_EQ(enumerated, reference.Enumeration()) << count << " " << range;
            // The file reader's way: room made first, then the records in one batch.
            ArticleIndex batched;
            batched.Reserve(count / (range % 3 + 1)); // too little room, at times
            batched.Insert(all);
            std::vector<ArticleEntry> batchEnumerated;
            batched.ForEach([&](const ArticleEntry& e) { batchEnumerated.push_back(e); });
            ASSERT_EQ(batchEnumerated, enumerated) << count << " " << range;
            EXPECT_EQ(index.size(), enumerated.size());
            for (std::size_t i = 0; i < 2000; ++i) {
                const std::int32_t n = draw();
                const ArticleEntry* want = reference.Find(n);
                const ArticleEntry* got = index.FindArticle(n);
                ASSERT_EQ(got == nullptr, want == nullptr) << n;
                if (got) {
                    EXPECT_EQ(*got, *want);
                }
            }
        }
}

// ---- Files -------------------------------------------------------------------------------

struct HelpSetFiles
{
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
    for (auto it = articles.rbegin(); it != articles.rend(); ++it) { // any order, one open file
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
    EXPECT_TRUE(LoadArticleIndex(f.pgh)); // without a problem list too
}

TEST(HelpSetFiles, hostileIndexLoadsWholeAndSmall)
{
    // Two million records naming one article, then 200 000 numbers that share one bucket:
    // one entry for the first, each found, and the file read in one pass.
    HelpSetFiles f;
    std::string pgh;
    pgh.reserve(2'200'000 * 16);
    for (std::uint32_t i = 0; i < 2'000'000; ++i)
        pgh += IndexRecord(42, i, 0, 0);
    for (std::int32_t i = 1; i <= 200'000; ++i)
        pgh += IndexRecord(i * 16 * 17, 7, 0, 0);
    WriteFile(f.pgh, pgh);
    auto index = LoadArticleIndex(f.pgh);
    ASSERT_TRUE(index);
    EXPECT_EQ(index->size(), 200'001u);
    EXPECT_EQ(index->FindArticle(42)->textOffset, 1'999'999u);
    EXPECT_EQ(index->FindArticle(200'000 * 16 * 17)->textOffset, 7u);
    EXPECT_EQ(index->FindArticle(16 * 17 + 1), nullptr);
}

TEST(HelpSetFiles, offsetsBeyondTwoGibibytesReadUnsigned)
{
    // Sparse files: the records sit past 2 GiB and past 3.5 GiB without using that much disk.
    HelpSetFiles f;
    const std::uint32_t far[] = {0x80000010u, 0xE0000020u};
    const auto place = [](const std::filesystem::path& path, std::uint64_t at, const std::string& bytes) {
        std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
        if (!out)
            out.open(path, std::ios::binary | std::ios::out | std::ios::trunc);
        out.seekp(static_cast<std::streamoff>(at));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    };
    std::string pgh;
    for (int i = 0; i < 2; ++i) {
        std::string data, link;
        StoreU32(data, 5);
        data += i ? "Loin2" : "Loin1";
        StoreU32(data, 13);
        data += "{\\rtf1 fjord}";
        place(f.pgd, far[i], data);
        StoreI32(link, 0);
        StoreI32(link, 3);
        StoreI32(link, 2 - i);
        StoreI32(link, 0);
        place(f.pgl, far[i] + 8, link);
        pgh += IndexRecord(i + 1, far[i], far[i] + 8, 1);
    }
    WriteFile(f.pgh, pgh);
    auto index = LoadArticleIndex(f.pgh);
    ASSERT_TRUE(index);
    for (int i = 0; i < 2; ++i) {
        const ArticleEntry* entry = index->FindArticle(i + 1);
        ASSERT_NE(entry, nullptr);
        auto article = ReadArticle(f.pgd, *entry);
        ASSERT_TRUE(article) << article.error().message;
        EXPECT_EQ(article->title, i ? "Loin2" : "Loin1");
        EXPECT_EQ(article->text, "{\\rtf1 fjord}");
        auto links = ReadLinks(f.pgl, *entry);
        ASSERT_TRUE(links) << links.error().message;
        EXPECT_EQ(links->records(), (std::vector<LinkRecord>{{0, 3, 2 - i, 0}}));
    }
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
    std::string pgd = "pad!"; // the record starts at 4
    StoreU32(pgd, 3);
    pgd += "abc";
    StoreU32(pgd, 0xFFFFFFF0u); // text length far past the end
    pgd += "{\\rtf1}";
    StoreU32(pgd, 0xFFFFFFFFu); // a second record (at 22) whose title length is huge
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

    for (std::uint32_t offset : {25u, 28u, 1000u, 0xFFFFFFFFu}) { // no room even for the length
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

TEST(HelpSetFiles, articlesBeyondTheSizeLimitAreRefusedBeforeAnyAllocation)
{
    // A sparse file holds the bytes a huge length claims while taking no room on disk.
    HelpSetFiles f;
    std::string pgd;
    StoreU32(pgd, 2);
    pgd += "ok";
    StoreU32(pgd, kMaxArticleTextBytes + 1);  // text at offset 6
    StoreU32(pgd, kMaxArticleTitleBytes + 1); // a second record (at 10): its title too long
    WriteFile(f.pgd, pgd);
    std::filesystem::resize_file(f.pgd, std::uint64_t{kMaxArticleTextBytes} + 4096);

    auto text = ReadArticle(f.pgd, ArticleEntry{7, 0, 0, 0});
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, FileErrorKind::Malformed);
    EXPECT_EQ(text.error().offset, 6u);
    EXPECT_NE(text.error().message.find("article 7: text length 67108865 is more than"), std::string::npos)
        << text.error().message;
    auto title = ReadArticle(f.pgd, ArticleEntry{8, 10, 0, 0});
    ASSERT_FALSE(title);
    EXPECT_EQ(title.error().kind, FileErrorKind::Malformed);
    EXPECT_EQ(title.error().offset, 10u);
    // The title alone still reads; the writer refuses what the reader would.
    EXPECT_EQ(*ArticleDataReader::Open(f.pgd)->ReadTitle(ArticleEntry{7, 0, 0, 0}), "ok");
    const std::vector<ArticleSource> tooLong = {{1, std::string(kMaxArticleTitleBytes + 1, 'x'), "", {}}};
    EXPECT_EQ(WriteArticleFiles(f.pgh, f.pgd, f.pgl, tooLong).error().kind, FileErrorKind::CannotWrite);
}

TEST(HelpSetFiles, linksPastTheEndAreTruncated)
{
    HelpSetFiles f;
    std::string pgl;
    for (int i = 0; i < 3; ++i)
        pgl += IndexRecord(i, static_cast<std::uint32_t>(i + 1), 7, 0); // same 16-byte shape
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
    EXPECT_EQ(table.LinkAt(27)->target, 2); // overlap: stored first
    EXPECT_EQ(table.LinkAt(31)->target, 3);
    EXPECT_EQ(table.LinkAt(40)->target, 3);
    EXPECT_EQ(table.LinkAt(41), nullptr);
    EXPECT_EQ(table.LinkAt(-5)->target, 4); // signed comparison
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

} // namespace
} // namespace mirelda
