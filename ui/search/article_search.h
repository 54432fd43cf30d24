#pragma once
// The search over all articles as the viewer runs it: under the wait cursor, into the
// search-results window (emptied, given the request, filled, shown when something matched).
//
// The window keeps the string as the user typed it (its caption, and the find that selects
// the string in the articles opened from it). The engine compares Windows-1252 bytes: a string
// with a character that has no byte there cannot occur in any title, and the engine cannot be
// handed it for the texts either, so such a search finds nothing rather than looking for the
// string with "?" in place of those characters.
//
// The scan is the session's (HelpSession::SearchArticles), run on a worker thread (Qt's thread
// pool) that touches only the core's objects; this thread goes on with its own event loop,
// hears of the end through a future watcher and puts the results into the window.
// Past half a second a progress dialog offers "&Arrêter" (Escape too). The application's quit
// stops the scan at once, as does destroying this object, which waits for the worker.

#include "core/store/result.h"
#include "ui/search/search_host.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace mirelda {
class HelpSession;
}

class QProgressDialog;

namespace mirelda::ui {

class CResultsListDlg;

class CArticleSearch : public QObject
{
    Q_OBJECT
  public:
    // How a search ended: `listed` true when at least one article was listed, or the read
    // error (the window then left emptied) for the caller to report; `stopped` when the user
    // or the quit stopped it (nothing changed).
    using Done = std::function<void(const mirelda::Result<bool>& listed, bool stopped)>;

    explicit CArticleSearch(QObject* parent = nullptr);
    ~CArticleSearch() override;

    // Starts a search; false (and `done` never called) while another one runs. `session`
    // must outlive the search (this object's life at most) and not be reloaded while running().
    bool Start(CResultsListDlg& results, const mirelda::HelpSession& session,
               const ArticleSearchRequest& request, Done done);
    bool running() const { return running_; }
    // Asks the scan to end now; `done` comes with `stopped`.
    void Stop() { stop_ = true; }

  private:
    struct Scan;
    void Finished();

    QFutureWatcher<std::shared_ptr<Scan>> watcher_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> done_{0};
    std::atomic<std::size_t> total_{0};
    bool running_ = false;
    std::shared_ptr<Scan> scan_;
    std::unique_ptr<QProgressDialog> progress_;
    QTimer poll_;
    QPointer<CResultsListDlg> results_;
    Done callback_;
};

} // namespace mirelda::ui
