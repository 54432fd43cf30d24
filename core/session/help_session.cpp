#include "core/session/help_session.h"

#include "core/app/help_title.h"
#include "core/store/cp1252.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace mirelda {

HelpSession::HelpSession(StartOptions options, HelpSetFiles files, UserFiles userFiles,
                         const std::string& listOrderLocale)
    : options_(std::move(options)), files_(std::move(files)), userFiles_(std::move(userFiles)),
      listOrder_(listOrderLocale), navigator_(*this, index_, files_.pgd, files_.pgl),
      bookmarks_(userFiles_.bookmarks, listOrder_), annotations_(userFiles_.annotations, userFiles_.scratch)
{
    History::Observer mirror;
    mirror.InsertTop = [this](std::int32_t article) {
        Notify([article](HelpSessionObserver& o) { o.HistoryEntryAdded(article); });
    };
    mirror.RemoveTop = [this] { Notify([](HelpSessionObserver& o) { o.HistoryEntryRemoved(); }); };
    navigator_.history().SetObserver(std::move(mirror));
}

HelpSession::~HelpSession() = default;

void HelpSession::AddObserver(HelpSessionObserver& observer)
{
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end())
        observers_.push_back(&observer);
}

void HelpSession::RemoveObserver(HelpSessionObserver& observer)
{
    std::erase(observers_, &observer);
}

// --- opening -------------------------------------------------------------------------------

HelpSession::UserFilesReport HelpSession::OpenUserFiles()
{
    UserFilesReport report;
    report.annotations = annotations_.LoadIndex();
    report.bookmarks = bookmarks_.Load();
    for (std::size_t row = 0; row < bookmarks_.list().size(); ++row)
        Notify([row](HelpSessionObserver& o) { o.BookmarkInserted(row); });
    return report;
}

void HelpSession::LoadIndex()
{
    ReadIndex();
}

bool HelpSession::ReadIndex()
{
    std::vector<FileProblem> problems;
    auto index = LoadArticleIndex(files_.pgh, &problems);
    if (!index) {
        index_ = {}; // every article is missing until good files come
        ReportFileError(index.error());
        return false;
    }
    index_ = std::move(*index);
    // A part record at its end: a damaged index, or a file that only has an index's name.
    if (!problems.empty())
        ReportFileError({FileErrorKind::Malformed, problems.front().path, problems.front().offset,
                         problems.front().message});
    return true;
}

bool HelpSession::ShowStartArticle()
{
    if (options_.hasStartArticle)
        return ShowArticleOrFirst(options_.startArticle);
    ShowArticleOrFirst(1);
    return false;
}

bool HelpSession::ShowArticleOrFirst(std::int32_t article)
{
    if (navigator_.ShowArticle(article, 0))
        return true;
    // A failed read ends the operation; article 1 itself missing is said once.
    if (!navigator_.readFailed() && article != 1)
        navigator_.ShowArticle(1, 0);
    return false;
}

// --- reading -------------------------------------------------------------------------------

bool HelpSession::ShowArticle(std::int32_t article, std::int32_t position)
{
    return navigator_.ShowArticle(article, position);
}

bool HelpSession::GoBack()
{
    return navigator_.GoBack();
}

std::string HelpSession::ArticleTitle(std::int32_t article)
{
    std::string fallback = "Article " + std::to_string(article);
    const ArticleEntry* entry = index_.FindArticle(article);
    if (!entry)
        return fallback;
    auto reader = ArticleDataReader::Open(files_.pgd);
    if (!reader) {
        ReportFileError(reader.error());
        return fallback;
    }
    auto title = reader->ReadTitle(*entry);
    if (!title) {
        ReportFileError(title.error());
        return fallback;
    }
    return std::move(*title);
}

void HelpSession::Reload(std::int32_t position)
{
    const std::int32_t article = navigator_.currentArticle();
    if (ReadIndex()) {
        switch (navigator_.ShowCurrentAgain(position)) {
        case Navigator::Refresh::Shown:
        case Navigator::Refresh::Failed: // said once; the old text stays until good files come
            break;
        case Navigator::Refresh::Gone:
            if (article != 1)
                navigator_.ShowArticle(1, 0);
            else
                ShowMissingArticle(1);
            break;
        }
    }
    Notify([](HelpSessionObserver& o) { o.Reloaded(); });
}

// --- bookmarks -----------------------------------------------------------------------------

bool HelpSession::AddBookmark(std::string name)
{
    const std::int32_t article = navigator_.currentArticle();
    if (article == 0)
        return false; // nothing shown yet: nothing to mark
    const std::size_t row = bookmarks_.list().Add({std::move(name), article});
    Notify([row](HelpSessionObserver& o) { o.BookmarkInserted(row); });
    SaveBookmarks();
    return true;
}

void HelpSession::RenameBookmark(std::size_t row, std::string name)
{
    if (row >= bookmarks_.list().size())
        return;
    const std::size_t at = bookmarks_.list().Rename(row, std::move(name));
    Notify([row](HelpSessionObserver& o) { o.BookmarkRemoved(row); });
    Notify([at](HelpSessionObserver& o) { o.BookmarkInserted(at); });
    SaveBookmarks();
}

void HelpSession::RemoveBookmark(std::size_t row)
{
    if (row >= bookmarks_.list().size())
        return;
    bookmarks_.list().Remove(row);
    Notify([row](HelpSessionObserver& o) { o.BookmarkRemoved(row); });
    SaveBookmarks();
}

void HelpSession::SaveBookmarks()
{
    // A bookmark file that exists but could not be read is left alone: writing the list
    // over it would lose every bookmark it holds.
    if (bookmarks_.keepsFile())
        return;
    // No bookmark and no file: nothing to keep, no file to make.
    std::error_code ec;
    if (bookmarks_.list().empty() && !std::filesystem::exists(userFiles_.bookmarks, ec))
        return;
    const Status prepared = PrepareUserFileFolder(userFiles_);
    const Status saved = prepared.ok() ? bookmarks_.Save() : prepared;
    if (!saved.ok())
        Notify([](HelpSessionObserver& o) { o.BookmarksNotSaved(); });
}

// --- annotations ---------------------------------------------------------------------------

void HelpSession::SetAnnotationDraft(std::string text)
{
    draft_ = std::move(text);
    draftChanged_ = false;
}

void HelpSession::SetAnnotationDraftSource(std::function<std::string()> source)
{
    CurrentDraft(); // what the old source holds is the draft until the next change
    draftSource_ = std::move(source);
}

const std::string& HelpSession::CurrentDraft()
{
    if (draftChanged_ && draftSource_)
        draft_ = draftSource_();
    draftChanged_ = false;
    return draft_;
}

bool HelpSession::ShowAnnotation(std::int32_t article)
{
    const std::string text = annotations_.ShowAnnotation(article);
    SetAnnotationDraft(ToEditLineEnds(text));
    const std::string shown = draft_; // an observer may set the draft while it is told
    Notify([article, &shown](HelpSessionObserver& o) { o.AnnotationShown(article, shown); });
    return !text.empty();
}

bool HelpSession::StoreAnnotation(std::int32_t article)
{
    if (article == 0)
        return true;
    (void)PrepareUserFileFolder(userFiles_); // a failure shows in the append below
    if (annotations_.StoreAnnotation(article, CurrentDraft())) {
        memoryOnly_.erase(article);
        return true;
    }
    memoryOnly_.insert(article);
    Notify([article](HelpSessionObserver& o) { o.AnnotationNotStored(article); });
    return false;
}

bool HelpSession::SaveAnnotations()
{
    Status saved = PrepareUserFileFolder(userFiles_);
    if (saved)
        saved = annotations_.SaveAnnotations();
    if (saved) {
        memoryOnly_.clear();
        return true;
    }
    Notify([](HelpSessionObserver& o) { o.AnnotationsNotSaved(); });
    return false;
}

bool HelpSession::ScratchHoldsChanges() const
{
    std::error_code ec;
    const std::filesystem::path& scratch = userFiles_.scratch;
    return std::filesystem::is_regular_file(scratch, ec) && std::filesystem::file_size(scratch, ec) > 0 &&
           !ec;
}

// --- search over all articles --------------------------------------------------------------

std::optional<Result<std::vector<SearchHit>>>
HelpSession::SearchArticles(const SearchRequest& request, const std::atomic<bool>& stop,
                            const SearchProgress& progress) const
{
    SearchControl control;
    control.stopRequested = &stop;
    if (progress)
        control.progress = [&progress](std::size_t done, std::size_t total) {
            progress(done, total);
            return true; // `stop` alone stops the scan
        };
    auto hits = FindMatchingArticles(index_, files_.pgd, request, &control);
    if (control.stopped)
        return std::nullopt;
    return hits;
}

void HelpSession::SaveUserFiles()
{
    StoreArticleAnnotation(navigator_.currentArticle());
    // A reader who wrote no annotation, with no annotation file yet, gets none.
    std::error_code ec;
    if (!annotations_.Articles().empty() || std::filesystem::exists(userFiles_.annotations, ec) ||
        std::filesystem::exists(userFiles_.scratch, ec))
        SaveAnnotations();
    SaveBookmarks();
}

// --- NavigationHost ------------------------------------------------------------------------

std::int32_t HelpSession::FirstVisiblePosition() const
{
    return display_ ? display_->FirstVisiblePosition() : 0;
}

void HelpSession::ShowArticleText(std::string rtf)
{
    if (display_)
        display_->ShowArticleText(std::move(rtf));
}

void HelpSession::ScrollToPosition(std::int32_t position)
{
    if (display_)
        display_->ScrollToPosition(position);
}

void HelpSession::ShowArticleLinks(LinkTable links)
{
    if (display_)
        display_->ShowArticleLinks(std::move(links));
}

void HelpSession::StoreArticleAnnotation(std::int32_t article)
{
    if (article != 0)
        StoreAnnotation(article);
}

void HelpSession::ShowArticleAnnotation(std::int32_t article)
{
    ShowAnnotation(article);
}

std::u16string HelpSession::HelpTitle() const
{
    return Utf8ToUtf16(mirelda::HelpTitle(options_.helpSetBase));
}

void HelpSession::SetCaption(const std::u16string& caption)
{
    if (display_)
        display_->SetCaption(caption);
}

void HelpSession::ShowPopup(const std::string& title, const std::string& rtf)
{
    if (display_)
        display_->ShowPopup(title, rtf);
}

void HelpSession::ShowMissingArticle(std::int32_t number)
{
    if (display_)
        display_->ShowMissingArticle(number);
}

void HelpSession::ReportFileError(const FileError& error)
{
    if (display_)
        display_->ReportFileError(error);
}

void HelpSession::BeginWait()
{
    if (display_)
        display_->BeginWait();
}

void HelpSession::EndWait()
{
    if (display_)
        display_->EndWait();
}

void HelpSession::ArticleShown(std::int32_t article)
{
    Notify([article](HelpSessionObserver& o) { o.ArticleShown(article); });
}

} // namespace mirelda
