#pragma once
// One open help set and what the reader does with it: its files, the article index, the
// navigator and its history, the bookmarks, the annotations, the list order, and the contents
// tree and title finder (HelpContents, made on workers and handed over). The windows
// hold a reference to it, call its operations and observe it; none of them owns any of this.
//
// The session shows articles through one ArticleDisplay (the main window and its view) and
// tells every HelpSessionObserver what changed. Failures to write the user's files are told
// to the observers too, so that whoever shows them finds every fact it needs in the session.

#include "core/app/command_line.h"
#include "core/app/help_set_location.h"
#include "core/lists/bookmark_store.h"
#include "core/lists/list_order.h"
#include "core/lists/navigator.h"
#include "core/notes/annotation_store.h"
#include "core/search/search_engine.h"
#include "core/session/help_contents.h"
#include "core/store/help_set.h"
#include "core/store/result.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace mirelda {

// What the session asks of the window that shows the articles. Positions are in the
// rich-text model's numbering; see NavigationHost for each call's meaning.
class ArticleDisplay
{
  public:
    virtual ~ArticleDisplay() = default;

    virtual std::int32_t FirstVisiblePosition() const = 0;
    virtual void ShowArticleText(std::string rtf) = 0;
    virtual void ScrollToPosition(std::int32_t position) = 0;
    virtual void ShowArticleLinks(LinkTable links) = 0;
    virtual void SetCaption(const std::u16string& caption) = 0;
    virtual void ShowPopup(const std::string& title, const std::string& rtf) = 0;
    virtual void ShowMissingArticle(std::int32_t number) = 0;
    virtual void ReportFileError(const FileError& error) = 0;
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
};

// What the windows hear of the session. Every function does nothing unless overridden.
class HelpSessionObserver
{
  public:
    virtual ~HelpSessionObserver() = default;

    // `article` is current and shown in full.
    virtual void ArticleShown(std::int32_t /*article*/) {}
    // The history gained an entry at its head, or lost its head.
    virtual void HistoryEntryAdded(std::int32_t /*article*/) {}
    virtual void HistoryEntryRemoved() {}
    // Bookmark `row` of the list came or went; a rename is a removal and an insertion.
    virtual void BookmarkInserted(std::size_t /*row*/) {}
    virtual void BookmarkRemoved(std::size_t /*row*/) {}
    // The bookmark file could not be written (the list is unchanged).
    virtual void BookmarksNotSaved() {}
    // `text` (Windows-1252, edit line ends) is now the annotation shown for `article`.
    virtual void AnnotationShown(std::int32_t /*article*/, const std::string& /*text*/) {}
    // The article's annotation could not be written to .NO$: only memory holds it.
    virtual void AnnotationNotStored(std::int32_t /*article*/) {}
    // .NOT could not be written; memoryOnlyAnnotations() names what would be lost.
    virtual void AnnotationsNotSaved() {}
    // The help set's files have been read again.
    virtual void Reloaded() {}
};

class HelpSession : private NavigationHost
{
  public:
    // `listOrderLocale` is the ICU locale of the sorted lists (empty: the process's own).
    HelpSession(StartOptions options, HelpSetFiles files, UserFiles userFiles,
                const std::string& listOrderLocale = {});
    ~HelpSession() override;
    HelpSession(const HelpSession&) = delete;
    HelpSession& operator=(const HelpSession&) = delete;

    // The window that shows the articles; null detaches it (nothing is then shown).
    void SetDisplay(ArticleDisplay* display) { display_ = display; }
    void AddObserver(HelpSessionObserver& observer);
    void RemoveObserver(HelpSessionObserver& observer);

    // --- opening -----------------------------------------------------------------------------
    struct UserFilesReport
    {
        AnnotationStore::LoadReport annotations;
        BookmarkStore::Found bookmarks = BookmarkStore::Found::NoFile;
    };
    // Reads the annotations (taking back what an interrupted run left in .NO$) and the
    // bookmarks; what was found, for what the user is told.
    UserFilesReport OpenUserFiles();
    // Reads the article index; what cannot be read is reported to the display and leaves
    // the index empty (every article is then missing).
    void LoadIndex();
    // The article of the P switch when there is one, else article 1 (see ShowArticleOrFirst).
    // True when the P switch's article is shown.
    bool ShowStartArticle();
    // Shows `article`, else article 1, unless the read of `article` failed (that ends the
    // operation). True when `article` itself is shown.
    bool ShowArticleOrFirst(std::int32_t article);

    // --- reading -----------------------------------------------------------------------------
    bool ShowArticle(std::int32_t article, std::int32_t position);
    bool GoBack();
    bool CanGoBack() const { return navigator_.history().CanGoBack(); }
    std::int32_t currentArticle() const { return navigator_.currentArticle(); }
    // Windows-1252; "Article " and the number for an article that is not in the index or
    // whose record cannot be read (the read error goes to the display).
    std::string ArticleTitle(std::int32_t article);
    // The help set's files replaced: the index read again and the current article shown
    // again at `position` (article 1 when it is gone). History, bookmarks and annotations stay.
    // The index is told of as LoadIndex tells of it. Not while a SearchArticles runs.
    void Reload(std::int32_t position);

    // --- bookmarks (names Windows-1252); every change writes the bookmark file -------------
    // On the current article; false when no article is shown.
    bool AddBookmark(std::string name);
    void RenameBookmark(std::size_t row, std::string name);
    void RemoveBookmark(std::size_t row);
    // Leaves a file that could not be read alone; makes no file for an empty list.
    void SaveBookmarks();

    // --- annotations (Windows-1252, edit line ends) ------------------------------------------
    // The text the user is typing for the annotation shown; kept when another article is shown.
    void SetAnnotationDraft(std::string text);
    // The editor the user types the draft in, asked for its text (Windows-1252, edit line
    // ends) only when the draft is needed, after AnnotationDraftChanged: encoding the whole
    // note at each keystroke would be wasted. Replacing or detaching (null) it first takes
    // the text it still holds.
    void SetAnnotationDraftSource(std::function<std::string()> source);
    // The source's text changed since the draft was last taken from it.
    void AnnotationDraftChanged() { draftChanged_ = true; }
    // The article's annotation becomes the one shown; true when it has one.
    bool ShowAnnotation(std::int32_t article);
    // Keeps the draft as the article's annotation when it changed. False when .NO$ could not
    // be written (the observers are told; the text is kept in memory and saved at close).
    bool StoreAnnotation(std::int32_t article);
    // Writes .NOT; false (observers told) when that failed.
    bool SaveAnnotations();
    // Articles whose last change only memory holds.
    const std::set<std::int32_t>& memoryOnlyAnnotations() const { return memoryOnly_; }
    // .NO$ holds changes that the next start will take back.
    bool ScratchHoldsChanges() const;

    // --- search over all articles ------------------------------------------------------------
    // The articles of the index as it is now that match `request` (FindMatchingArticles over
    // the session's index and data file), or the read error that ended the scan; nothing when
    // `stop` ended it first. Meant for a worker thread while this one goes on: it only reads
    // the session, and Reload, which replaces the index, must wait until it has returned.
    // `progress` hears, on the searching thread, how many articles are done of how many.
    using SearchProgress = std::function<void(std::size_t done, std::size_t total)>;
    std::optional<Result<std::vector<SearchHit>>> SearchArticles(const SearchRequest& request,
                                                                 const std::atomic<bool>& stop,
                                                                 const SearchProgress& progress = {}) const;

    // The close sequence's writes, in order: the annotation shown, the annotations (unless
    // there are none and never were), the bookmarks. Also run without closing.
    void SaveUserFiles();

    const StartOptions& options() const { return options_; }
    const HelpSetFiles& files() const { return files_; }
    const UserFiles& userFiles() const { return userFiles_; }
    const ArticleIndex& index() const { return index_; }
    Navigator& navigator() { return navigator_; }
    const Navigator& navigator() const { return navigator_; }
    const History& history() const { return navigator_.history(); }
    const ListOrder& listOrder() const { return listOrder_; }
    const BookmarkStore& bookmarks() const { return bookmarks_; }
    const AnnotationStore& annotations() const { return annotations_; }
    // The contents tree and the title finder, made off this thread and handed over here by
    // the windows that show them (from files().fic, and index() with files().pgd).
    HelpContents& contents() { return contents_; }

  private:
    // NavigationHost: the display's parts forwarded, the annotations and the caption here.
    std::int32_t FirstVisiblePosition() const override;
    void ShowArticleText(std::string rtf) override;
    void ScrollToPosition(std::int32_t position) override;
    void ShowArticleLinks(LinkTable links) override;
    void StoreArticleAnnotation(std::int32_t article) override;
    void ShowArticleAnnotation(std::int32_t article) override;
    std::u16string HelpTitle() const override;
    void SetCaption(const std::u16string& caption) override;
    void ShowPopup(const std::string& title, const std::string& rtf) override;
    void ShowMissingArticle(std::int32_t number) override;
    void ReportFileError(const FileError& error) override;
    void BeginWait() override;
    void EndWait() override;
    void ArticleShown(std::int32_t article) override;

    // Reads the article index into index_, empty when it cannot be read; tells the display
    // what could not be read, and of a damaged index that was read in part. False when it
    // could not be read.
    bool ReadIndex();
    // draft_, taken from the source first when it changed there.
    const std::string& CurrentDraft();

    template <class Call> void Notify(Call call)
    {
        // A copy: an observer may come or go while it is told.
        const std::vector<HelpSessionObserver*> observers = observers_;
        for (HelpSessionObserver* observer : observers)
            call(*observer);
    }

    StartOptions options_;
    HelpSetFiles files_;
    UserFiles userFiles_;
    ListOrder listOrder_; // before the bookmarks, which sort by it
    ArticleIndex index_;
    Navigator navigator_;
    BookmarkStore bookmarks_;
    AnnotationStore annotations_;
    HelpContents contents_;
    std::string draft_;
    std::function<std::string()> draftSource_;
    bool draftChanged_ = false; // draftSource_ holds a text that draft_ does not have yet
    std::set<std::int32_t> memoryOnly_;
    ArticleDisplay* display_ = nullptr;
    std::vector<HelpSessionObserver*> observers_;
};

} // namespace mirelda
