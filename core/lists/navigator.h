#pragma once
// Going from article to article: the one sequence that leaves the current article and makes
// another one current, and the history it keeps. Every way of reaching an article (the open
// sequence, a tree entry, a link, home, previous article, the list windows, a second start)
// ends in Navigator::ShowArticle. The windows only show what it asks for, through
// NavigationHost.

#include "core/lists/history.h"
#include "core/store/help_set.h"
#include "core/store/result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace mirelda {

// What the navigator asks of the windows: the article view, the annotation bar, the caption,
// the pop-up window and the message boxes. Positions are in the rich-text model's numbering.
class NavigationHost
{
  public:
    virtual ~NavigationHost() = default;

    // The view's reading position: the first character of its first visible line.
    virtual std::int32_t FirstVisiblePosition() const = 0;
    // Replaces the view's text by an article's RTF, shown from its first line.
    virtual void ShowArticleText(std::string rtf) = 0;
    // Scrolls so that the line holding `position` is the first visible line.
    virtual void ScrollToPosition(std::int32_t position) = 0;
    // The hot spots of the text just shown; empty when they could not be read.
    virtual void ShowArticleLinks(LinkTable links) = 0;

    // Keeps the edited annotation of the article being left (nothing for article 0).
    virtual void StoreArticleAnnotation(std::int32_t article) = 0;
    // Shows the annotation of the article becoming current.
    virtual void ShowArticleAnnotation(std::int32_t article) = 0;

    // The caption prefix, and the main window's caption.
    virtual std::u16string HelpTitle() const = 0;
    virtual void SetCaption(const std::u16string& caption) = 0;

    // A pop-up article (`title` Windows-1252 as stored, `rtf` its text), opened beside the
    // last link click; it never becomes current.
    virtual void ShowPopup(const std::string& title, const std::string& rtf) = 0;
    // "Cet article n'existe pas !" for a positive number the index does not hold.
    virtual void ShowMissingArticle(std::int32_t number) = 0;
    // A .PGD or .PGL read failed.
    virtual void ReportFileError(const FileError& error) = 0;

    // The busy cursor, around the file reads and the update of the windows. Nested pairs.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;

    // `article` is now current and shown in full: its text, scroll position and links.
    virtual void ArticleShown(std::int32_t article) = 0;
};

class Navigator
{
  public:
    // `index` is read at each request, so it may be filled after construction.
    Navigator(NavigationHost& host, const ArticleIndex& index, std::filesystem::path dataFile,
              std::filesystem::path linkFile);

    // Shows article `number` with the line holding `topPosition` as first visible line.
    // True when shown, already current (then nothing moves), or opened as a pop-up; false
    // for 0 and negative numbers (silently), for numbers the index does not hold (with the
    // message), and when the article could not be read.
    bool ShowArticle(std::int32_t number, std::int32_t topPosition);
    // The last ShowArticle ended on a failed read (already reported): the operation is over,
    // and callers that fall back to another article for a missing one must not.
    bool readFailed() const { return readFailed_; }
    // "Previous article": back to the article under the head, at the position it was left
    // at. False when there is none, or it could not be shown.
    bool GoBack();

    // After the help set's files were read again: the current article read anew from the
    // index as it is now and shown at `topPosition`, with no new history entry and its
    // annotation untouched. Gone when the index holds it no more as an article; Failed when
    // it could not be read (reported, and the view left as it was).
    enum class Refresh { Shown, Gone, Failed };
    Refresh ShowCurrentAgain(std::int32_t topPosition);

    std::int32_t currentArticle() const { return current_; }
    const std::string& currentTitle() const { return title_; } // Windows-1252
    // The index entry of the last article looked up (pop-ups included).
    const ArticleEntry& currentEntry() const { return entry_; }

    History& history() { return history_; }
    const History& history() const { return history_; }

  private:
    // The entry's article read under the busy cursor; nothing when the read failed (reported).
    std::optional<Article> Read(const ArticleEntry& entry);
    // The current article's title, and the caption made of it.
    void SetTitle(std::string title);
    // The text of the article just made current, its position and its links.
    void ShowText(const ArticleEntry& entry, std::string text, std::int32_t topPosition);

    NavigationHost& host_;
    const ArticleIndex& index_;
    std::filesystem::path dataFile_;
    std::filesystem::path linkFile_;
    History history_;
    std::int32_t current_ = 0; // 0 until the first article is shown
    std::string title_;
    ArticleEntry entry_;
    bool readFailed_ = false;
};

} // namespace mirelda
