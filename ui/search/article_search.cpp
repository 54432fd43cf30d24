#include "ui/search/article_search.h"

#include "core/search/search_engine.h"
#include "ui/lists/list_dlg.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>

namespace {

// The results window as the engine sees it; the request it stores is the one typed.
class ResultsWindowSink : public mirelda::SearchResultsSink
{
  public:
    ResultsWindowSink(CListDlg& window, const ArticleSearchRequest& request)
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
    CListDlg& window_;
    const ArticleSearchRequest& request_;
};

class WaitCursor
{
  public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// What the worker thread and this one share: plain counters, and the stop request.
struct ScanState
{
    std::atomic<std::size_t> done{0};
    std::atomic<std::size_t> total{0};
    std::atomic<bool> stop{false};
};

constexpr int kProgressSteps = 1000;
constexpr int kProgressDelayMs = 500;
constexpr int kProgressPollMs = 50;

// Runs the scan on a worker thread and waits for it in a local event loop, so that windows
// keep painting; from half a second on, a progress dialog offers to stop it.
std::optional<mirelda::Result<std::vector<mirelda::SearchHit>>>
ScanWithProgress(const mirelda::ArticleIndex& index, const std::filesystem::path& dataFile,
                 const mirelda::SearchRequest& request)
{
    ScanState state;
    std::optional<mirelda::Result<std::vector<mirelda::SearchHit>>> result;
    QEventLoop loop;
    std::thread worker([&] {
        mirelda::SearchControl control;
        control.progress = [&state](std::size_t done, std::size_t total) {
            state.done = done;
            state.total = total;
            return !state.stop.load();
        };
        auto hits = mirelda::FindMatchingArticles(index, dataFile, request, &control);
        if (!control.stopped)
            result.emplace(std::move(hits));
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    QProgressDialog progress(QStringLiteral("Recherche dans tous les articles..."),
                             QStringLiteral("&Arrêter"), 0, kProgressSteps, QApplication::activeWindow());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(kProgressDelayMs);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0); // starts the delay after which the dialog appears
    QObject::connect(&progress, &QProgressDialog::canceled, [&state] { state.stop = true; });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const std::size_t total = state.total;
        if (total > 0)
            progress.setValue(static_cast<int>(state.done * kProgressSteps / total));
    });
    poll.start(kProgressPollMs);
    loop.exec();
    worker.join();
    return result;
}

} // namespace

mirelda::Result<bool> SearchArticlesInto(CListDlg& results, const mirelda::ArticleIndex& index,
                                         const std::filesystem::path& dataFile,
                                         const ArticleSearchRequest& request, bool* stopped)
{
    const WaitCursor wait;
    mirelda::SearchRequest engineRequest;
    engineRequest.matchCase = request.matchCase;
    engineRequest.wholeWord = request.wholeWord;
    engineRequest.inTitle = request.inTitle;
    engineRequest.inText = request.inText;
    mirelda::SetSearchText(engineRequest, request.text.toStdU16String());
    auto hits = ScanWithProgress(index, dataFile, engineRequest);
    if (stopped)
        *stopped = !hits;
    if (!hits)
        return false;

    ResultsWindowSink sink(results, request);
    return mirelda::DeliverSearchResults(*hits, engineRequest, sink);
}
