// The all-articles search and the find in the article shown, as the search dialog and the
// search-results window ask for them: the scan on its worker, the hits in the view.

#include "ui/app/main_frame.h"
#include "ui/app/mirelda_app.h"
#include "ui/search/article_search.h"
#include "ui/view/mirelda_view.h"

namespace mirelda::ui {

std::optional<QPoint> CMireldaApp::HighlightInArticle(const QString& text, bool matchCase, bool wholeWord)
{
    if (!frame_)
        return std::nullopt;
    CMireldaView* view = frame_->view();
    const std::int32_t found = view->FindInArticle(text, matchCase, wholeWord);
    resultHighlighted_ = view->highlights().empty() ? 0 : view->currentArticle();
    if (searchDialog_)
        searchDialog_->UpdateControls(); // the article now has hits to move through
    if (found < 0)
        return std::nullopt;
    return view->viewport()->mapToGlobal(view->characterRect(found).topLeft());
}

void CMireldaApp::SearchArticles(const ArticleSearchRequest& request, std::function<void(SearchOutcome)> done)
{
    if (!frame_ || !resultsWindow_) {
        done(SearchOutcome::Failed);
        return;
    }
    if (!search_)
        search_ = std::make_unique<CArticleSearch>();
    const bool started = search_->Start(
        *resultsWindow_, *session_, request, [this, done](const mirelda::Result<bool>& listed, bool stopped) {
            if (stopped)
                return done(SearchOutcome::Stopped);
            if (!listed.ok()) {
                frame_->ReportFileError(listed.error());
                return done(SearchOutcome::Failed);
            }
            done(*listed ? SearchOutcome::Found : SearchOutcome::NothingFound);
        });
    if (!started)
        done(SearchOutcome::Stopped); // one search at a time: this one never ran
}

bool CMireldaApp::searchRunning() const
{
    return search_ && search_->running();
}

std::int32_t CMireldaApp::FindInArticle(const QString& text, bool matchCase, bool wholeWord)
{
    return frame_ ? frame_->view()->FindInArticle(text, matchCase, wholeWord) : -1;
}

std::int32_t CMireldaApp::FindNextInArticle(const QString& text, bool matchCase, bool wholeWord)
{
    return frame_ ? frame_->view()->FindNextInArticle(text, matchCase, wholeWord) : -1;
}

bool CMireldaApp::articleHasHighlights() const
{
    // The hits of a search result, not those a find in the current article leaves: only the
    // former make "&Suivant" usable in the all-articles scope.
    return frame_ && resultHighlighted_ != 0 && frame_->view()->currentArticle() == resultHighlighted_ &&
           !frame_->view()->highlights().empty();
}

} // namespace mirelda::ui
