// A whole reading session without a window: open a help set, read, go back, bookmark,
// annotate, search, close and save, open again and find it all; and what the windows are told.

#include "core/session/help_session.h"
#include "core/tree/contents_file.h"

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace mirelda {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

// What a main window would have shown.
struct ShownArticles : ArticleDisplay
{
    std::vector<std::string> texts;
    std::u16string caption;
    std::vector<std::int32_t> missing;
    std::vector<FileError> errors;
    int waits = 0;

    std::int32_t FirstVisiblePosition() const override { return 0; }
    void ShowArticleText(std::string rtf) override { texts.push_back(std::move(rtf)); }
    void ScrollToPosition(std::int32_t) override {}
    void ShowArticleLinks(LinkTable) override {}
    void SetCaption(const std::u16string& text) override { caption = text; }
    void ShowPopup(const std::string&, const std::string&) override {}
    void ShowMissingArticle(std::int32_t number) override { missing.push_back(number); }
    void ReportFileError(const FileError& error) override { errors.push_back(error); }
    void BeginWait() override { ++waits; }
    void EndWait() override { --waits; }
};

// What the list windows, the annotation bar and the frame would have heard.
struct Heard : HelpSessionObserver
{
    std::vector<std::int32_t> shown, historyAdded;
    int historyRemoved = 0, bookmarksNotSaved = 0, reloaded = 0;
    std::vector<std::size_t> bookmarkInserted, bookmarkRemoved;
    std::vector<std::pair<std::int32_t, std::string>> annotations;

    void ArticleShown(std::int32_t a) override { shown.push_back(a); }
    void HistoryEntryAdded(std::int32_t a) override { historyAdded.push_back(a); }
    void HistoryEntryRemoved() override { ++historyRemoved; }
    void BookmarkInserted(std::size_t row) override { bookmarkInserted.push_back(row); }
    void BookmarkRemoved(std::size_t row) override { bookmarkRemoved.push_back(row); }
    void BookmarksNotSaved() override { ++bookmarksNotSaved; }
    void AnnotationShown(std::int32_t a, const std::string& text) override
    {
        annotations.emplace_back(a, text);
    }
    void Reloaded() override { ++reloaded; }
};

class HelpSessionTest : public ::testing::Test
{
  protected:
    TempDir dir;
    HelpSetFiles files;
    UserFiles user;

    void SetUp() override
    {
        files.pgh = dir / "GUIDE.PGH";
        files.pgd = dir / "GUIDE.PGD";
        files.pgl = dir / "GUIDE.PGL";
        files.fic = dir / "GUIDE.FIC";
        fs::create_directory(dir / "user");
        user.folder = dir / "user";
        user.bookmarks = user.folder / "GUIDE.SIG";
        user.annotations = user.folder / "GUIDE.NOT";
        user.scratch = user.folder / "GUIDE.NO$";
        WriteHelpSet({1, 2, 3});
    }

    void WriteHelpSet(const std::vector<std::int32_t>& numbers)
    {
        std::vector<ArticleSource> articles;
        for (const std::int32_t n : numbers)
            articles.push_back(
                {n, "Article n\xb0" + std::to_string(n), "{\\rtf1 texte " + std::to_string(n) + "}", {}});
        ASSERT_TRUE(WriteArticleFiles(files.pgh, files.pgd, files.pgl, articles));
    }

    std::unique_ptr<HelpSession> Open(ShownArticles& display, Heard& heard, std::int32_t startArticle = 0)
    {
        StartOptions options;
        options.helpSetBase = (dir / "GUIDE").string();
        options.hasStartArticle = startArticle != 0;
        options.startArticle = startArticle;
        auto session = std::make_unique<HelpSession>(options, files, user, "root");
        session->SetDisplay(&display);
        session->AddObserver(heard);
        return session;
    }
};

TEST_F(HelpSessionTest, wholeReadingSession_bookmarkAndNoteFoundAfterReopening)
{
    {
        ShownArticles display;
        Heard heard;
        auto session = Open(display, heard, 2);
        const HelpSession::UserFilesReport opened = session->OpenUserFiles();
        EXPECT_EQ(opened.bookmarks, BookmarkStore::Found::NoFile);
        EXPECT_EQ(opened.annotations.recovered, 0u);
        session->LoadIndex();
        EXPECT_TRUE(session->ShowStartArticle());
        EXPECT_EQ(session->currentArticle(), 2);
        ASSERT_EQ(display.texts.size(), 1u);
        EXPECT_EQ(display.texts.back(), "{\\rtf1 texte 2}");
        EXPECT_NE(display.caption.find(u"Article n\u00b02"), std::u16string::npos);
        EXPECT_EQ(session->ArticleTitle(3), "Article n\xb0"
                                            "3");
        EXPECT_EQ(session->ArticleTitle(42), "Article 42");

        // A note typed on article 2 is kept when the reader moves on, in .NO$ until close.
        session->SetAnnotationDraft("note sur deux\nsuite");
        EXPECT_TRUE(session->ShowArticle(3, 0));
        EXPECT_TRUE(fs::exists(user.scratch));
        EXPECT_TRUE(session->AddBookmark("Signet trois"));
        EXPECT_TRUE(fs::exists(user.bookmarks)); // written at once, not only at close
        EXPECT_EQ(heard.bookmarkInserted, std::vector<std::size_t>{0});

        // Back on article 2: its note is shown again.
        EXPECT_TRUE(session->CanGoBack());
        EXPECT_TRUE(session->GoBack());
        EXPECT_EQ(session->currentArticle(), 2);
        ASSERT_FALSE(heard.annotations.empty());
        EXPECT_EQ(heard.annotations.back(), std::make_pair(2, std::string("note sur deux\nsuite")));
        EXPECT_EQ(heard.shown, (std::vector<std::int32_t>{2, 3, 2}));
        EXPECT_EQ(heard.historyAdded, (std::vector<std::int32_t>{2, 3, 2}));
        EXPECT_EQ(heard.historyRemoved, 2);
        EXPECT_EQ(session->history().size(), 1u);

        // The search over all articles, as the search window runs it on its worker.
        SearchRequest search;
        search.text = "texte 3";
        std::atomic<bool> stop{false};
        std::size_t total = 0;
        const auto found =
            session->SearchArticles(search, stop, [&total](std::size_t, std::size_t all) { total = all; });
        ASSERT_TRUE(found && found->ok());
        EXPECT_EQ(**found, (std::vector<SearchHit>{{3, "Article n\xb0"
                                                       "3"}}));
        EXPECT_EQ(total, 3u);
        stop = true; // the quit, or "Arrêter"
        EXPECT_FALSE(session->SearchArticles(search, stop).has_value());

        // A missing article is said, and article 1 shown instead.
        EXPECT_FALSE(session->ShowArticleOrFirst(99));
        EXPECT_EQ(display.missing, std::vector<std::int32_t>{99});
        EXPECT_EQ(session->currentArticle(), 1);
        EXPECT_EQ(display.waits, 0);
        EXPECT_TRUE(display.errors.empty());

        session->SaveUserFiles(); // the close sequence
        EXPECT_TRUE(fs::exists(user.annotations));
        EXPECT_FALSE(fs::exists(user.scratch));
    }
    ShownArticles display;
    Heard heard;
    auto session = Open(display, heard);
    const HelpSession::UserFilesReport opened = session->OpenUserFiles();
    EXPECT_EQ(opened.bookmarks, BookmarkStore::Found::Read);
    EXPECT_EQ(heard.bookmarkInserted, std::vector<std::size_t>{0}); // the window fills itself
    ASSERT_EQ(session->bookmarks().list().size(), 1u);
    EXPECT_EQ(session->bookmarks().list().at(0), (Bookmark{"Signet trois", 3}));
    session->LoadIndex();
    EXPECT_FALSE(session->ShowStartArticle()); // no start article: article 1
    EXPECT_EQ(session->currentArticle(), 1);
    EXPECT_TRUE(session->ShowAnnotation(2));
    EXPECT_EQ(heard.annotations.back().second, "note sur deux\nsuite");

    // Renamed and removed: the file follows each change.
    session->RenameBookmark(0, "Autre nom");
    EXPECT_EQ(heard.bookmarkRemoved, std::vector<std::size_t>{0});
    EXPECT_NE(test::ReadFile(user.bookmarks).find("Autre nom"), std::string::npos);
    session->RemoveBookmark(0);
    EXPECT_EQ(test::ReadFile(user.bookmarks), std::string(4, '\0'));
}

TEST_F(HelpSessionTest, missingStartArticle_showsArticleOneAndSaysItOnce)
{
    ShownArticles display;
    Heard heard;
    auto session = Open(display, heard, 42);
    session->LoadIndex();
    EXPECT_FALSE(session->ShowStartArticle());
    EXPECT_EQ(session->currentArticle(), 1);
    EXPECT_EQ(display.missing, std::vector<std::int32_t>{42});

    // Without article 1 either (a second start asking for it): said once.
    WriteHelpSet({2});
    ShownArticles other;
    auto again = Open(other, heard);
    again->LoadIndex();
    EXPECT_FALSE(again->ShowArticleOrFirst(1));
    EXPECT_EQ(other.missing, std::vector<std::int32_t>{1});
    EXPECT_EQ(again->currentArticle(), 0);
}

TEST_F(HelpSessionTest, reload_currentArticleGoneOrIndexDamaged_showsArticleOneAndSaysWhatIsWrong)
{
    ShownArticles display;
    Heard heard;
    auto session = Open(display, heard, 3);
    session->LoadIndex();
    ASSERT_TRUE(session->ShowStartArticle());
    WriteHelpSet({1, 2});
    session->Reload(0);
    EXPECT_EQ(session->currentArticle(), 1);
    EXPECT_EQ(session->history().size(), 2u);
    EXPECT_EQ(heard.reloaded, 1);
    EXPECT_TRUE(display.errors.empty());

    // A damaged index is said once, as at start; the records before the damage are read.
    test::WriteFile(files.pgh, test::ReadFile(files.pgh) + std::string(7, '\x01'));
    session->Reload(0);
    ASSERT_EQ(display.errors.size(), 1u);
    EXPECT_EQ(display.errors.front().kind, FileErrorKind::Malformed);
    EXPECT_EQ(display.errors.front().path, files.pgh.string());
    EXPECT_EQ(session->currentArticle(), 1);
    EXPECT_EQ(session->index().size(), 2u);
    display.errors.clear();

    // Unreadable files: every article is missing until good ones come; nothing is lost.
    fs::remove(files.pgh);
    session->Reload(0);
    ASSERT_EQ(display.errors.size(), 1u);
    EXPECT_EQ(display.errors.front().kind, FileErrorKind::CannotOpen);
    EXPECT_EQ(session->index().size(), 0u);
    EXPECT_EQ(session->ArticleTitle(2), "Article 2");
}

TEST_F(HelpSessionTest, annotationDraft_askedOfItsEditorOnlyWhenKept)
{
    {
        ShownArticles display;
        Heard heard;
        auto session = Open(display, heard);
        session->LoadIndex();
        ASSERT_FALSE(session->ShowStartArticle());
        // Typing only marks the draft changed: the editor's text is taken when it is kept.
        std::string typed;
        int asked = 0;
        session->SetAnnotationDraftSource([&] {
            ++asked;
            return typed;
        });
        for (const char* text : {"n", "no", "note"}) {
            typed = text;
            session->AnnotationDraftChanged();
        }
        EXPECT_EQ(asked, 0);
        ASSERT_TRUE(session->ShowArticle(2, 0));
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(fs::exists(user.scratch)); // in .NO$ as soon as the reader moved on
        // An editor that goes away hands its last text over; close saves it.
        typed = "autre";
        session->AnnotationDraftChanged();
        session->SetAnnotationDraftSource(nullptr);
        EXPECT_EQ(asked, 2);
        session->SaveUserFiles();
    }
    ShownArticles display;
    Heard heard;
    auto session = Open(display, heard);
    session->OpenUserFiles();
    session->LoadIndex();
    ASSERT_FALSE(session->ShowStartArticle());
    ASSERT_TRUE(session->ShowArticle(2, 0));
    EXPECT_EQ(heard.annotations,
              (std::vector<std::pair<std::int32_t, std::string>>{{1, "note"}, {2, "autre"}}));
}

TEST_F(HelpSessionTest, contentsTreeAndTitles_madeOffTheSessionThenHandedToIt)
{
    ShownArticles display;
    Heard heard;
    auto session = Open(display, heard);
    session->LoadIndex();
    ASSERT_TRUE(WriteContentsFile(files.fic, {{"B0", "Livre", "0", 0, 0, 0}, {"P2", "Page", "B0", 2, 0, 0}}));

    HelpContents::TreeRead read = HelpContents::ReadTree(session->files().fic);
    ASSERT_TRUE(read.report.ok());
    EXPECT_EQ(read.report->entries, 2u);
    session->contents().AdoptTree(std::move(read.tree));
    const FlatContentsTree& tree = session->contents().tree();
    const ContentsTree::Item page = tree.FindArticle(2);
    ASSERT_NE(page, ContentsTree::kNone);
    EXPECT_EQ(tree.ChildAt(tree.ParentOf(page), 0), page); // finished: ready to be shown
    EXPECT_FALSE(HelpContents::ReadTree(dir / "NONE.FIC").report.ok());

    EXPECT_EQ(session->contents().titles(), nullptr);
    session->contents().AdoptTitles(HelpContents::BuildTitles(session->index(), session->files().pgd));
    ASSERT_NE(session->contents().titles(), nullptr);
    TitleFilter& titles = *session->contents().titles();
    const std::vector<std::uint32_t> found = titles.Find(u"article 3");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(titles.number(found[0]), 3);
    session->contents().DropTitles();
    EXPECT_EQ(session->contents().titles(), nullptr);
    // A data file that cannot be read leaves the finder empty, not missing.
    EXPECT_EQ(HelpContents::BuildTitles(session->index(), dir / "NONE.PGD").size(), 0u);
}

TEST_F(HelpSessionTest, userFilesCannotBeWritten_observersAreTold)
{
    // The folder of the user's files is a plain file: nothing can be written under it.
    fs::remove_all(user.folder);
    test::WriteFile(user.folder, "x");
    ShownArticles display;
    Heard heard;
    auto session = Open(display, heard, 2);
    session->OpenUserFiles();
    session->LoadIndex();
    ASSERT_TRUE(session->ShowStartArticle());
    EXPECT_TRUE(session->AddBookmark("Signet"));
    EXPECT_EQ(heard.bookmarksNotSaved, 1);
    EXPECT_EQ(session->bookmarks().list().size(), 1u); // kept in memory

    struct NotStored : HelpSessionObserver
    {
        std::vector<std::int32_t> articles;
        int notSaved = 0;
        void AnnotationNotStored(std::int32_t a) override { articles.push_back(a); }
        void AnnotationsNotSaved() override { ++notSaved; }
    } notes;
    session->AddObserver(notes);
    session->SetAnnotationDraft("perdue ?");
    EXPECT_FALSE(session->StoreAnnotation(2));
    EXPECT_EQ(notes.articles, std::vector<std::int32_t>{2});
    EXPECT_EQ(session->memoryOnlyAnnotations(), std::set<std::int32_t>{2});
    EXPECT_FALSE(session->SaveAnnotations());
    EXPECT_EQ(notes.notSaved, 1);
    session->RemoveObserver(notes);
}

} // namespace
} // namespace mirelda
