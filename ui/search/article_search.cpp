#include "ui/search/article_search.h"

#include "core/search/search_engine.h"
#include "core/session/help_session.h"
#include "ui/lists/results_list_dlg.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QtConcurrent/QtConcurrentRun>

namespace mirelda::ui {

namespace {

// The results window as the engine sees it; the request it stores is the one typed.
class ResultsWindowSink : public mirelda::SearchResultsSink
{
  public:
    ResultsWindowSink(CResultsListDlg& window, const ArticleSearchRequest& request)
        : window_(window), request_(request)
    {
    }

    void Clear() override { window_.Clear(); }
    void SetSearch(std::string_view, bool matchCase, bool wholeWord) override
    {
        window_.SetSearch(request_.text, matchCase, wholeWord);
    }
    void AddItem(std::int32_t article, std::string_view titleCp1252) override
    {
        window_.AddItem(article, titleCp1252);
    }
    void Show() override { window_.Show(); }

  private:
    CResultsListDlg& window_;
    const ArticleSearchRequest& request_;
};

constexpr int kProgressSteps = 1000;
constexpr int kProgressDelayMs = 500;
constexpr int kProgressPollMs = 50;

} // namespace

// What the worker reads and writes; shared, so that it outlives neither side too early.
struct CArticleSearch::Scan
{
    ArticleSearchRequest typed;
    mirelda::SearchRequest request;
    std::optional<mirelda::Result<std::vector<mirelda::SearchHit>>> hits; // empty when stopped
};

CArticleSearch::CArticleSearch(QObject* parent) : QObject(parent)
{
    connect(&watcher_, &QFutureWatcherBase::finished, this, &CArticleSearch::Finished);
    // A quit (the window closed, SIGTERM, a close request) must not wait for the scan.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &CArticleSearch::Stop);
    connect(&poll_, &QTimer::timeout, this, [this] {
        const std::size_t total = total_;
        if (progress_ && total > 0)
            progress_->setValue(static_cast<int>(done_ * kProgressSteps / total));
    });
}

CArticleSearch::~CArticleSearch()
{
    stop_ = true;
    watcher_.disconnect(this);
    watcher_.waitForFinished();
    if (running_)
        QGuiApplication::restoreOverrideCursor();
}

bool CArticleSearch::Start(CResultsListDlg& results, const mirelda::HelpSession& session,
                           const ArticleSearchRequest& request, Done done)
{
    if (running_)
        return false;
    running_ = true;
    stop_ = false;
    done_ = 0;
    total_ = 0;
    results_ = &results;
    callback_ = std::move(done);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);

    scan_ = std::make_shared<Scan>();
    scan_->typed = request;
    scan_->request.matchCase = request.matchCase;
    scan_->request.wholeWord = request.wholeWord;
    scan_->request.inTitle = request.inTitle;
    scan_->request.inText = request.inText;
    scan_->request.ignoreAccents = request.ignoreAccents;
    mirelda::SetSearchText(scan_->request, request.text.toStdU16String());

    watcher_.setFuture(QtConcurrent::run([this, scan = scan_, &session] {
        scan->hits =
            session.SearchArticles(scan->request, stop_, [this](std::size_t done, std::size_t total) {
                done_ = done;
                total_ = total;
            });
        return scan;
    }));

    progress_ = std::make_unique<QProgressDialog>(QStringLiteral("Recherche dans tous les articles..."),
                                                  QStringLiteral("&Arrêter"), 0, kProgressSteps,
                                                  QApplication::activeWindow());
    progress_->setWindowModality(Qt::ApplicationModal);
    progress_->setMinimumDuration(kProgressDelayMs);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setValue(0); // starts the delay after which the dialog appears
    connect(progress_.get(), &QProgressDialog::canceled, this, &CArticleSearch::Stop);
    poll_.start(kProgressPollMs);
    return true;
}

void CArticleSearch::Finished()
{
    poll_.stop();
    progress_.reset();
    QGuiApplication::restoreOverrideCursor();
    const std::shared_ptr<Scan> scan = std::exchange(scan_, nullptr);
    const Done done = std::exchange(callback_, nullptr);
    running_ = false;
    if (!scan->hits || !results_) {
        if (done)
            done(false, true);
        return;
    }
    ResultsWindowSink sink(*results_, scan->typed);
    const mirelda::Result<bool> listed = mirelda::DeliverSearchResults(*scan->hits, scan->request, sink);
    if (done)
        done(listed, false);
}

} // namespace mirelda::ui
