// The search over all articles, on small help sets written into temporary folders.

#include "core/search/search_engine.h"

#include "core/search/title_filter.h"
#include "core/store/binary_file.h"
#include "core/store/help_set.h"
#include "tests/support/file_faults.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace mirelda {
namespace {

std::string Rtf(std::string_view body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss "
           "Arial;}}{\\colortbl;\\red0\\green0\\blue255;}"
           "\\pard\\f0\\fs20 " +
           std::string(body) + "\\par}";
}

class HelpSet
{
  public:
    explicit HelpSet(const std::vector<ArticleSource>& articles)
    {
        EXPECT_TRUE(WriteArticleFiles(dir_ / "T.PGH", dir_ / "T.PGD", dir_ / "T.PGL", articles).ok());
        Reload();
    }

    void Reload()
    {
        auto loaded = LoadArticleIndex(dir_ / "T.PGH");
        ASSERT_TRUE(loaded.ok());
        index_ = std::move(*loaded);
    }

    std::filesystem::path pgd() const { return dir_ / "T.PGD"; }
    const ArticleIndex& index() const { return index_; }

    // Overwrites 4 bytes of the .PGD: the title length (field 0) or the text length (field 1)
    // of an article's record.
    void DamageLength(std::int32_t number, int field, std::uint32_t value)
    {
        std::string data = test::ReadFile(pgd());
        std::uint64_t at = index_.FindArticle(number)->textOffset;
        if (field == 1)
            at += 4 + LoadU32(data.data() + at);
        std::string bytes;
        StoreU32(bytes, value);
        data.replace(at, 4, bytes);
        test::WriteFile(pgd(), data);
    }

    std::vector<std::int32_t> Find(const SearchRequest& request) const
    {
        auto hits = FindMatchingArticles(index_, pgd(), request);
        EXPECT_TRUE(hits.ok()) << (hits.ok() ? "" : hits.error().message);
        std::vector<std::int32_t> numbers;
        if (hits.ok())
            for (const SearchHit& h : *hits)
                numbers.push_back(h.number);
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }

  private:
    test::TempDir dir_;
    ArticleIndex index_;
};

SearchRequest Request(std::string text, bool matchCase = false, bool wholeWord = false, bool inTitle = true,
                      bool inText = true)
{
    SearchRequest request;
    request.text = std::move(text);
    request.matchCase = matchCase;
    request.wholeWord = wholeWord;
    request.inTitle = inTitle;
    request.inText = inText;
    return request;
}

using Numbers = std::vector<std::int32_t>;

TEST(SearchArticles, moreThanTheLimitMatch_keepsTheFirstThousandInEnumerationOrder)
{
    std::vector<ArticleSource> articles;
    for (std::int32_t n = 1; n <= 1300; ++n)
        articles.push_back({n, "Page " + std::to_string(n), Rtf("un mot ici"), {}});
    HelpSet set(articles);
    std::vector<std::int32_t> enumeration;
    set.index().ForEach([&](const ArticleEntry& e) { enumeration.push_back(e.number); });
    Numbers expected(enumeration.begin(), enumeration.begin() + 1000);
    std::sort(expected.begin(), expected.end());
    ASSERT_NE(expected.back(), 1000); // the enumeration order is not the numbers' order

    // By title, by text (texts read in offset order, block by block), and with both.
    EXPECT_EQ(set.Find(Request("page", false, false, true, false)), expected);
    EXPECT_EQ(set.Find(Request("mot", false, true, false, true)), expected);
    EXPECT_EQ(set.Find(Request("ici")), expected);

    auto hits = FindMatchingArticles(set.index(), set.pgd(), Request("page"));
    ASSERT_TRUE(hits.ok());
    ASSERT_EQ(hits->size(), kSearchResultLimit);
    EXPECT_EQ(hits->front().number, enumeration.front()); // handed over in enumeration order
    EXPECT_EQ(hits->front().title, "Page " + std::to_string(enumeration.front()));
}

TEST(SearchArticles, hiddenArticles_areNeverListed)
{
    HelpSet set({{1, "Accueil", Rtf("rien"), {}},
                 {2, "#POPUP:mot", Rtf("le mot"), {}},
                 {3, "", Rtf("le mot"), {}},
                 {4, "#mot", Rtf("mot"), {}},
                 {5, "Un mot", Rtf("mot"), {}}});
    EXPECT_EQ(set.Find(Request("mot")), (Numbers{5}));
    EXPECT_EQ(set.Find(Request("#")), (Numbers{}));
}

TEST(SearchArticles, titleCase_upperCasesWindows1252AndKeepsAccents)
{
    HelpSet set({{1, "ECOLE primaire", Rtf("x"), {}},
                 {2, "Ecole du soir", Rtf("x"), {}},
                 {3,
                  "\xC9"
                  "cole normale",
                  Rtf("x"),
                  {}}, // École
                 {4,
                  "\xE9"
                  "cole buissonni\xE8re",
                  Rtf("x"),
                  {}}, // école
                 {5, "Une ecole", Rtf("x"), {}}});
    const auto titles = [](std::string text, bool matchCase) {
        return Request(std::move(text), matchCase, false, true, false);
    };
    EXPECT_EQ(set.Find(titles("ecole", false)), (Numbers{1, 2, 5}));
    EXPECT_EQ(set.Find(titles("Ecole", true)), (Numbers{2}));
    EXPECT_EQ(set.Find(titles("\xE9"
                              "COLE",
                              false)),
              (Numbers{3, 4})); // é upper-cases to É
    EXPECT_EQ(set.Find(titles("\xE9"
                              "cole",
                              true)),
              (Numbers{4}));
}

TEST(SearchArticles, textCase_followsTheTextFind)
{
    HelpSet set({{1, "Un", Rtf("l'ECOLE"), {}},
                 {2, "Deux", Rtf("l'Ecole"), {}},
                 {3, "Trois", Rtf("l'\\'c9cole"), {}},
                 {4, "Quatre", Rtf("l'\\'e9cole"), {}},
                 {5, "Cinq", Rtf("l'\\u233?cole"), {}}});
    EXPECT_EQ(set.Find(Request("ecole")), (Numbers{1, 2}));
    EXPECT_EQ(set.Find(Request("\xE9"
                               "cole")),
              (Numbers{3, 4, 5}));
    EXPECT_EQ(set.Find(Request("\xE9"
                               "cole",
                               true)),
              (Numbers{4, 5}));
    EXPECT_EQ(set.Find(Request("Ecole", true)), (Numbers{2}));
}

TEST(SearchArticles, ignoringAccents_findsFrenchWordsWhateverTheirAccentsAndCase)
{
    HelpSet set({{1, "La fen\xEAtre", Rtf("rien"), {}},           // fenêtre in the title
                 {2, "Deux", Rtf("une FEN\\'caTRE ouverte"), {}}, // FENÊTRE as \'hh
                 {3, "Trois", Rtf("la fen\\u234?tre"), {}},       // ê as \uN
                 {4, "Quatre", Rtf("la fene\\u770?tre"), {}},     // e + combining circumflex
                 {5, "Cinq", Rtf("des fenetres"), {}},
                 {6, "Six", Rtf("une porte"), {}},
                 {7, "\xC9t\xE9", Rtf("x"), {}}, // Été
                 {8, "Huit", Rtf("l'\\'e9l\\'e8ve \\'e0 l'\\'e9cole"), {}}});
    SearchRequest request = Request("fenetre");
    // Without the option nothing changes: accents count.
    EXPECT_EQ(set.Find(request), (Numbers{5}));
    request.ignoreAccents = true;
    EXPECT_EQ(set.Find(request), (Numbers{1, 2, 3, 4, 5}));
    request.wholeWord = true; // "fenetres" is not the word
    EXPECT_EQ(set.Find(request), (Numbers{1, 2, 3, 4}));
    // Typed with its accents, the string finds the plain spelling too; case still counts when asked.
    SearchRequest typed = Request("");
    SetSearchText(typed, u"F\u00C9N\u00CATRE");
    typed.ignoreAccents = true;
    EXPECT_EQ(set.Find(typed), (Numbers{1, 2, 3, 4, 5}));
    typed.matchCase = true;
    EXPECT_EQ(set.Find(typed), (Numbers{2}));
    EXPECT_EQ(set.Find([] {
        SearchRequest r = Request("ete", false, false, true, false);
        r.ignoreAccents = true;
        return r;
    }()),
              (Numbers{7}));
    request = Request("eleve a l'ecole");
    request.ignoreAccents = true;
    EXPECT_EQ(set.Find(request), (Numbers{8}));
}

TEST(SearchArticles, stringBeyondWindows1252_isLookedForInTextsOnly)
{
    HelpSet set({{1, "Omega ?", Rtf("rien"), {}},
                 {2, "Deux", Rtf("la lettre \\u937?"), {}},
                 {3, "Trois", Rtf("la lettre \\u969?"), {}}});
    SearchRequest omega = Request("");
    SetSearchText(omega, u"\u03A9"); // capital omega: no Windows-1252 byte
    EXPECT_EQ(omega.text, "?");
    // Not the "?" of the shown form: only the text holding the letter itself.
    EXPECT_EQ(set.Find(omega), (Numbers{2, 3}));
    omega.matchCase = true;
    EXPECT_EQ(set.Find(omega), (Numbers{2}));

    SetSearchText(omega, u"Deux"); // fits: nothing typed is kept beside it
    EXPECT_EQ(omega.text, "Deux");
    EXPECT_TRUE(omega.textUtf16.empty());
}

TEST(SearchArticles, wholeWord_restrictsTextMatchesOnly)
{
    HelpSet set({{1, "Le motif", Rtf("rien"), {}},
                 {2, "Deux", Rtf("un motif"), {}},
                 {3, "Trois", Rtf("le mot juste"), {}},
                 {4, "Quatre", Rtf("mot."), {}}});
    EXPECT_EQ(set.Find(Request("mot", false, true)), (Numbers{1, 3, 4}));
    EXPECT_EQ(set.Find(Request("mot", false, true, false, true)), (Numbers{3, 4}));
    EXPECT_EQ(set.Find(Request("mot", false, false, false, true)), (Numbers{2, 3, 4}));
    EXPECT_EQ(set.Find(Request("mot", false, false, true, false)), (Numbers{1}));
    EXPECT_EQ(set.Find(Request("mot", false, false, false, false)), (Numbers{}));
    EXPECT_EQ(set.Find(Request("", false, false)), (Numbers{}));
}

TEST(SearchArticles, titleMatch_doesNotReadTheText)
{
    HelpSet set({{1, "Mot de passe", Rtf("texte"), {}}, {2, "Autre", Rtf("texte"), {}}});
    set.DamageLength(1, 1, 0xFFFFFFF0u); // its text would run far past the end of the file
    EXPECT_EQ(set.Find(Request("mot")), (Numbers{1}));
    EXPECT_EQ(set.Find(Request("texte", false, false, true, false)), (Numbers{})); // text not searched

    // A text that has to be read is read, and its damage is reported.
    auto hits = FindMatchingArticles(set.index(), set.pgd(), Request("texte"));
    ASSERT_FALSE(hits.ok());
    EXPECT_EQ(hits.error().kind, FileErrorKind::Truncated);
    EXPECT_NE(hits.error().message.find("article 1"), std::string::npos);
}

TEST(SearchArticles, textTest_seesTheDisplayedTextNotTheMarkup)
{
    HelpSet set({{1, "Un", Rtf("{\\b gras} et {\\i italique}"), {}},
                 {2, "Deux", Rtf("mo{\\b ti}f d\\'e9coup\\'e9"), {}},
                 {3, "Trois", Rtf("visible{\\v cach\\'e9}"), {}},
                 {4, "Quatre", Rtf("{\\field{\\*\\fldinst HYPERLINK \"cible\"}{\\fldrslt lien}}"), {}},
                 {5, "Cinq", Rtf("prix \\u8364? net\\tab fin"), {}},
                 {6, "Six", Rtf("{\\*\\bkmkstart ancre}fin"), {}}});
    for (const char* markup :
         {"fonttbl", "par", "Arial", "rtf", "HYPERLINK", "cible", "bkmkstart", "ancre", "red0"})
        EXPECT_EQ(set.Find(Request(markup, false, false, false, true)), (Numbers{})) << markup;
    EXPECT_EQ(set.Find(Request("gras et italique")), (Numbers{1}));
    EXPECT_EQ(set.Find(Request("motif d\xE9"
                               "coup\xE9")),
              (Numbers{2}));
    EXPECT_EQ(set.Find(Request("visiblecach\xE9")), (Numbers{3})); // hidden text counts
    EXPECT_EQ(set.Find(Request("lien")), (Numbers{4}));
    EXPECT_EQ(set.Find(Request("\x80 net\tfin")), (Numbers{5})); // € from \u8364, tab from \tab
    EXPECT_EQ(set.Find(Request("fin", false, false, false, true)), (Numbers{5, 6}));
}

TEST(SearchArticles, damagedRecords_endTheSearchWithAnError)
{
    HelpSet set({{1, "Un", Rtf("a"), {}}, {2, "Deux", Rtf("b"), {}}});
    set.DamageLength(2, 0, 0x7FFFFFFFu);
    auto hits = FindMatchingArticles(set.index(), set.pgd(), Request("un"));
    ASSERT_FALSE(hits.ok());
    EXPECT_EQ(hits.error().kind, FileErrorKind::Truncated);

    std::filesystem::remove(set.pgd());
    hits = FindMatchingArticles(set.index(), set.pgd(), Request("un"));
    ASSERT_FALSE(hits.ok());
    EXPECT_EQ(hits.error().kind, FileErrorKind::CannotOpen);
}

TEST(SearchArticles, dataFileTheSystemRefuses_isReportedByTheSearchAndTheTitleList)
{
    // What a plain user meets on a file they may not read; root never does.
    HelpSet set({{1, "Un", Rtf("a"), {}}});
    test::RefusedFileOperation refused(FileOperation::OpenForReading, set.pgd());
    auto hits = FindMatchingArticles(set.index(), set.pgd(), Request("un"));
    ASSERT_FALSE(hits.ok());
    EXPECT_EQ(hits.error().kind, FileErrorKind::CannotOpen);
    EXPECT_EQ(hits.error().path, set.pgd().string());
    auto titles = LoadTitles(set.index(), set.pgd());
    ASSERT_FALSE(titles.ok());
    EXPECT_EQ(titles.error().kind, FileErrorKind::CannotOpen);
}

TEST(SearchArticles, fifoInTheDataFilesPlace_isRefusedWithoutWaitingForAWriter)
{
    HelpSet set({{1, "Un", Rtf("a"), {}}});
    std::filesystem::remove(set.pgd());
    ASSERT_EQ(::mkfifo(set.pgd().c_str(), 0600), 0);
    auto hits = FindMatchingArticles(set.index(), set.pgd(), Request("un"));
    ASSERT_FALSE(hits.ok());
    EXPECT_EQ(hits.error().message, "is a FIFO, not a regular file");
    auto article = ReadArticle(set.pgd(), *set.index().FindArticle(1));
    ASSERT_FALSE(article.ok());
    EXPECT_EQ(article.error().message, "is a FIFO, not a regular file");
}

TEST(SearchArticles, textsBeyondAnArticlesSize_areRefusedUnread)
{
    // The last record claims a text of more than an article may hold, and a sparse file has
    // the bytes: refused as damage, never read into memory.
    HelpSet set({{1, "Un", Rtf("a"), {}}, {2, "Deux", Rtf("b"), {}}});
    set.DamageLength(2, 1, kMaxArticleTextBytes + 1);
    std::filesystem::resize_file(set.pgd(), std::uint64_t{kMaxArticleTextBytes} + 4096);
    auto hits = FindMatchingArticles(set.index(), set.pgd(), Request("zz"));
    ASSERT_FALSE(hits.ok());
    EXPECT_EQ(hits.error().kind, FileErrorKind::Malformed);
    EXPECT_EQ(set.Find(Request("deux", false, false, true, false)), Numbers{2}); // titles alone still read
}

TEST(SearchArticles, damageBeyondTheLimit_isNeverReached)
{
    std::vector<ArticleSource> articles;
    for (std::int32_t n = 1; n <= 1001; ++n)
        articles.push_back({n, "Page", Rtf("texte"), {}});
    HelpSet set(articles);
    std::int32_t last = 0;
    set.index().ForEach([&](const ArticleEntry& e) { last = e.number; });
    set.DamageLength(last, 0, 0x7FFFFFFFu);
    auto hits = FindMatchingArticles(set.index(), set.pgd(), Request("page"));
    ASSERT_TRUE(hits.ok());
    EXPECT_EQ(hits->size(), kSearchResultLimit);

    // One match fewer before it, and the scan reaches the damage.
    std::int32_t first = 0;
    set.index().ForEach([&](const ArticleEntry& e) { first = first ? first : e.number; });
    set.DamageLength(first, 0, 0); // an empty title: hidden, no longer a match
    hits = FindMatchingArticles(set.index(), set.pgd(), Request("page"));
    ASSERT_FALSE(hits.ok());
    EXPECT_EQ(hits.error().kind, FileErrorKind::Truncated);
}

// Texts from a few bytes to more than one read's worth: those that run past what one read
// brought in are completed, not garbled, and each is found by the word it ends with.
TEST(SearchArticles, textsLongerThanOneRead_areReadWhole)
{
    std::vector<ArticleSource> articles;
    for (std::int32_t n = 1; n <= 24; ++n) {
        const std::string filler(static_cast<std::size_t>(n * 37'813 % 300'000), 'x');
        articles.push_back({n,
                            "Page",
                            Rtf("d\\'e9but" + std::to_string(n) + " " + filler + " fin" + std::to_string(n)),
                            {}});
    }
    HelpSet set(articles);
    for (std::int32_t n = 1; n <= 24; ++n) {
        EXPECT_EQ(set.Find(Request("fin" + std::to_string(n), false, true, false, true)), Numbers{n});
        EXPECT_EQ(set.Find(Request("d\xe9"
                                   "but" +
                                       std::to_string(n),
                                   false, true, false, true)),
                  Numbers{n});
    }
}

TEST(SearchArticles, twoLanesAndManyRounds_keepTheEnumerationOrder_andCanBeStopped)
{
    // One article in three matches, spread over several rounds of blocks, so the thousand
    // kept come from both lanes; the ones kept are the first thousand in enumeration order.
    std::vector<ArticleSource> articles;
    for (std::int32_t n = 1; n <= 7000; ++n)
        articles.push_back({n, "Page " + std::to_string(n), Rtf(n % 3 ? "rien" : "un fjord"), {}});
    HelpSet set(articles);
    Numbers expected;
    set.index().ForEach([&](const ArticleEntry& e) {
        if (e.number % 3 == 0 && expected.size() < kSearchResultLimit)
            expected.push_back(e.number);
    });
    auto hits = FindMatchingArticles(set.index(), set.pgd(), Request("fjord"));
    ASSERT_TRUE(hits.ok());
    Numbers got;
    for (const SearchHit& h : *hits)
        got.push_back(h.number);
    EXPECT_EQ(got, expected);

    // Stopped after the first stretch: no result, and the window is told nothing.
    SearchControl control;
    std::size_t calls = 0, total = 0;
    control.progress = [&](std::size_t done, std::size_t all) {
        total = all;
        return done == 0 && ++calls;
    };
    hits = FindMatchingArticles(set.index(), set.pgd(), Request("fjord"), &control);
    EXPECT_TRUE(control.stopped);
    ASSERT_TRUE(hits.ok());
    EXPECT_TRUE(hits->empty());
    EXPECT_EQ(total, set.index().size());

    // A stop requested from another thread (the viewer quitting) ends the scan.
    std::atomic<bool> stop{true};
    SearchControl stopping;
    stopping.stopRequested = &stop;
    hits = FindMatchingArticles(set.index(), set.pgd(), Request("fjord"), &stopping);
    EXPECT_TRUE(stopping.stopped);
    ASSERT_TRUE(hits.ok());
    EXPECT_TRUE(hits->empty());
}

TEST(SearchArticles, rareFirstMatches_sweepTheRestInFileOrder_andKeepTheEnumerationOrder)
{
    // No match in the first buckets, then half the articles: the first blocks find nothing,
    // the rest is read in file order, and the thousand kept are still the first in
    // enumeration order; a damaged record counts only if it comes before the thousandth.
    std::vector<ArticleSource> articles;
    for (std::int32_t n = 1; n <= 12000; ++n) {
        const bool matches = ArticleIndex::BucketOf(n) >= 8 && n % 2 == 0;
        articles.push_back({n, "Page " + std::to_string(n), Rtf(matches ? "un fjord" : "rien"), {}});
    }
    HelpSet set(articles);
    Numbers enumeration, expected;
    set.index().ForEach([&](const ArticleEntry& e) {
        enumeration.push_back(e.number);
        if (ArticleIndex::BucketOf(e.number) >= 8 && e.number % 2 == 0 &&
            expected.size() < kSearchResultLimit)
            expected.push_back(e.number);
    });
    const auto inOrder = [&] {
        auto hits = FindMatchingArticles(set.index(), set.pgd(), Request("fjord"));
        Numbers got;
        if (hits.ok())
            for (const SearchHit& h : *hits)
                got.push_back(h.number);
        return hits.ok() ? got : Numbers{-1};
    };
    EXPECT_EQ(inOrder(), expected);
    EXPECT_EQ(set.Find(Request("fjord", false, true, false, true)).size(), kSearchResultLimit);

    // Damage past the thousandth match in enumeration order: never reported.
    const std::int32_t afterLimit = enumeration.back();
    set.DamageLength(afterLimit, 1, 0x7FFFFFFF);
    EXPECT_EQ(inOrder(), expected);
    // Damage before it (a non-matching article early in the sweep): the search ends with it.
    const auto before = std::find_if(enumeration.begin() + 3000, enumeration.end(),
                                     [](std::int32_t n) { return ArticleIndex::BucketOf(n) < 8; });
    ASSERT_NE(before, enumeration.end());
    set.DamageLength(*before, 1, 0x7FFFFFFF);
    auto hits = FindMatchingArticles(set.index(), set.pgd(), Request("fjord"));
    ASSERT_FALSE(hits.ok());
    EXPECT_NE(hits.error().message.find("article " + std::to_string(*before)), std::string::npos);
}

TEST(SearchArticles, fileShrinkingDuringTheSearch_endsItWithAnError)
{
    // The search maps the file: records cut off after the mapping was made must give a read
    // error, not a fault that ends the program.
    std::vector<ArticleSource> articles;
    for (std::int32_t n = 1; n <= 3000; ++n)
        articles.push_back({n, "Page " + std::to_string(n), Rtf("rien ici"), {}});
    HelpSet set(articles);
    SearchControl control;
    control.progress = [&](std::size_t done, std::size_t) {
        if (done == 0)
            std::filesystem::resize_file(set.pgd(), 100);
        return true;
    };
    const auto hits = FindMatchingArticles(set.index(), set.pgd(), Request("fjord"), &control);
    ASSERT_FALSE(hits.ok());
    EXPECT_NE(hits.error().message.find("could not be read"), std::string::npos) << hits.error().message;
}

TEST(SearchArticles, articlesBeyondTwoAndThreeAndAHalfGibibytes_areFound)
{
    // A sparse .PGD: two records far out, offsets that a signed reading would make negative.
    test::TempDir dir;
    const std::uint32_t far[] = {0x80000010u, 0xE0000020u};
    std::string pgh;
    {
        std::ofstream pgd(dir / "F.PGD", std::ios::binary);
        for (int i = 0; i < 2; ++i) {
            std::string record;
            const std::string title = "Loin " + std::to_string(i + 1), text = Rtf("un fjord");
            StoreU32(record, static_cast<std::uint32_t>(title.size()));
            record += title;
            StoreU32(record, static_cast<std::uint32_t>(text.size()));
            record += text;
            pgd.seekp(far[i]);
            pgd.write(record.data(), static_cast<std::streamsize>(record.size()));
            StoreI32(pgh, i + 1);
            StoreU32(pgh, far[i]);
            StoreU32(pgh, 0);
            StoreU32(pgh, 0);
        }
    }
    test::WriteFile(dir / "F.PGH", pgh);
    auto index = LoadArticleIndex(dir / "F.PGH");
    ASSERT_TRUE(index.ok());
    auto hits = FindMatchingArticles(*index, dir / "F.PGD", Request("fjord"));
    ASSERT_TRUE(hits.ok()) << hits.error().message;
    ASSERT_EQ(hits->size(), 2u);
    EXPECT_EQ((std::set<std::string>{(*hits)[0].title, (*hits)[1].title}),
              (std::set<std::string>{"Loin 1", "Loin 2"}));
}

// What the results window sees.
class RecordingSink : public SearchResultsSink
{
  public:
    std::vector<std::string> calls;
    void Clear() override { calls.push_back("Clear"); }
    void SetSearch(std::string_view text, bool matchCase, bool wholeWord) override
    {
        calls.push_back("SetSearch " + std::string(text) + (matchCase ? " case" : "") +
                        (wholeWord ? " word" : ""));
    }
    void AddItem(std::int32_t article, std::string_view title) override
    {
        calls.push_back("AddItem " + std::to_string(article) + " " + std::string(title));
    }
    void Show() override { calls.push_back("Show"); }
};

TEST(SearchArticles, resultsWindow_isClearedGivenTheRequestFilledAndShown)
{
    HelpSet set({{1, "Accueil", Rtf("bienvenue"), {}}, {2, "Bienvenue", Rtf("x"), {}}});
    RecordingSink sink;
    auto found = SearchArticles(set.index(), set.pgd(), Request("bienvenue", false, true), sink);
    ASSERT_TRUE(found.ok());
    EXPECT_TRUE(*found);
    ASSERT_EQ(sink.calls.size(), 5u);
    EXPECT_EQ(sink.calls[0], "Clear");
    EXPECT_EQ(sink.calls[1], "SetSearch bienvenue word");
    EXPECT_EQ((std::set<std::string>{sink.calls[2], sink.calls[3]}),
              (std::set<std::string>{"AddItem 1 Accueil", "AddItem 2 Bienvenue"}));
    EXPECT_EQ(sink.calls[4], "Show");

    sink.calls.clear();
    found = SearchArticles(set.index(), set.pgd(), Request("absent", true), sink);
    ASSERT_TRUE(found.ok());
    EXPECT_FALSE(*found);
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"Clear", "SetSearch absent case"}));

    sink.calls.clear();
    SearchControl stop;
    stop.progress = [](std::size_t, std::size_t) { return false; };
    found = SearchArticles(set.index(), set.pgd(), Request("bienvenue"), sink, &stop);
    EXPECT_TRUE(stop.stopped);
    EXPECT_TRUE(sink.calls.empty()); // a stopped search changes nothing

    std::filesystem::remove(set.pgd());
    found = SearchArticles(set.index(), set.pgd(), Request("bienvenue"), sink);
    EXPECT_FALSE(found.ok());
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"Clear", "SetSearch bienvenue"}));
}

} // namespace
} // namespace mirelda
