#include "core/lists/navigator.h"

#include "core/store/cp1252.h"

#include <utility>

namespace mirelda {

namespace {

class WaitScope
{
  public:
    explicit WaitScope(NavigationHost& host) : host_(host) { host_.BeginWait(); }
    ~WaitScope() { host_.EndWait(); }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

  private:
    NavigationHost& host_;
};

} // namespace

Navigator::Navigator(NavigationHost& host, const ArticleIndex& index, std::filesystem::path dataFile,
                     std::filesystem::path linkFile)
    : host_(host), index_(index), dataFile_(std::move(dataFile)), linkFile_(std::move(linkFile))
{
}

bool Navigator::ShowArticle(std::int32_t number, std::int32_t topPosition)
{
    readFailed_ = false;
    const ArticleEntry* found = index_.FindArticle(number);
    if (found)
        entry_ = *found;
    if (number <= 0)
        return false;
    if (number == current_)
        return true; // nothing is read again and the view does not move
    if (!found) {
        host_.ShowMissingArticle(number);
        return false;
    }
    const ArticleEntry entry = *found;

    std::optional<Article> article = Read(entry);
    if (!article) {
        readFailed_ = true;
        return false;
    }
    if (IsPopupTitle(article->title)) {
        host_.ShowPopup(article->title, article->text);
        return true;
    }

    // Leave the current article: its annotation is kept and its history entry gets the
    // place the user read it at, before anything of the new one is shown.
    WaitScope wait(host_);
    host_.StoreArticleAnnotation(current_);
    host_.ShowArticleAnnotation(number);
    if (current_ != 0)
        history_.UpdateHeadPosition(current_, host_.FirstVisiblePosition());
    current_ = number;
    SetTitle(std::move(article->title));
    history_.RecordArticle(number, 0);

    ShowText(entry, std::move(article->text), topPosition);
    return true;
}

std::optional<Article> Navigator::Read(const ArticleEntry& entry)
{
    WaitScope wait(host_);
    auto read = ReadArticle(dataFile_, entry);
    if (!read.ok()) {
        host_.ReportFileError(read.error());
        return std::nullopt;
    }
    return std::move(read.value());
}

void Navigator::SetTitle(std::string title)
{
    title_ = std::move(title);
    host_.SetCaption(host_.HelpTitle() + u" - " + DecodeCp1252(title_));
}

void Navigator::ShowText(const ArticleEntry& entry, std::string text, std::int32_t topPosition)
{
    host_.ShowArticleText(std::move(text));
    if (topPosition != 0)
        host_.ScrollToPosition(topPosition);

    // The old links belong to the old text: never keep them past a failed read.
    auto links = ReadLinks(linkFile_, entry);
    if (links.ok()) {
        host_.ShowArticleLinks(std::move(links.value()));
    } else {
        host_.ShowArticleLinks({});
        host_.ReportFileError(links.error()); // the article is shown; only its links are missing
    }
    host_.ArticleShown(entry.number);
}

Navigator::Refresh Navigator::ShowCurrentAgain(std::int32_t topPosition)
{
    const ArticleEntry* found = current_ > 0 ? index_.FindArticle(current_) : nullptr;
    if (!found)
        return Refresh::Gone;
    const ArticleEntry entry = *found;
    entry_ = entry;
    std::optional<Article> article = Read(entry);
    if (!article)
        return Refresh::Failed;
    if (IsPopupTitle(article->title))
        return Refresh::Gone;
    WaitScope wait(host_); // as for ShowArticle: the read had its own
    SetTitle(std::move(article->title));
    ShowText(entry, std::move(article->text), topPosition);
    return Refresh::Shown;
}

bool Navigator::GoBack()
{
    return history_.GoBack(
        [this](std::int32_t article, std::int32_t position) { return ShowArticle(article, position); });
}

} // namespace mirelda
