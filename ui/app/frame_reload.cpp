// Reading the help set again when its files are replaced while the viewer runs.

#include "ui/app/help_set_watcher.h"
#include "ui/app/main_frame.h"
#include "ui/app/mirelda_app.h"
#include "ui/app/process_probe.h"
#include "ui/tree/tree_bar.h"
#include "ui/view/mirelda_view.h"

#include <QStatusBar>
#include <QThread>

namespace mirelda::ui {

void CMainFrame::WatchHelpSet()
{
    const mirelda::HelpSetFiles& files = session_.files();
    watcher_ = new CHelpSetWatcher({files.pgh, files.pgd, files.pgl, files.fic}, this);
    connect(watcher_, &CHelpSetWatcher::filesSettled, this, &CMainFrame::ReloadHelpSet);
}

bool CMainFrame::ReloadInsteadOfReporting(const mirelda::FileError& error)
{
    if (!loaded_ || !watcher_)
        return false;
    const mirelda::HelpSetFiles& files = session_.files();
    const bool helpSetFile = error.path == files.pgh.string() || error.path == files.pgd.string() ||
                             error.path == files.pgl.string() || error.path == files.fic.string();
    if (!helpSetFile || !watcher_->ChangedSinceLoad())
        return false;
    watcher_->CheckSoon();
    return true;
}

void CMainFrame::ReloadHelpSet()
{
    if (!loaded_)
        return;
    // Stamped once: the same stamps say that the files changed and what is now read.
    std::optional<std::vector<mirelda::FileStamp>> replaced = watcher_->ReplacedFiles();
    if (!replaced)
        return;
    // A box or a print runs its own event loop over the index and the files, a search reads
    // them on a worker: replacing them under it would pull the ground from under its feet. So
    // would a tree still being read. Look again once they are done.
    if (reloading_ || QThread::currentThread()->loopLevel() > 1 || app_.searchRunning() ||
        !treeBar_->treeLoaded()) {
        treeBar_->StopLoadTree();
        watcher_->CheckSoon();
        return;
    }
    reloading_ = true;
    const std::int32_t article = session_.currentArticle();
    const std::int32_t position = article != 0 ? view_->FirstVisiblePosition() : 0;

    // Files that change again while they are read are read again after this.
    watcher_->MarkLoaded(std::move(*replaced));
    treeBar_->ResetTitles(); // its build reads the index on a worker: ended before the index changes
    session_.Reload(position);
    ProcessProbe::Report(QStringLiteral("reloaded %1 %2").arg(session_.currentArticle()).arg(position));
    reloading_ = false;
    emit helpSetReloaded();
}

void CMainFrame::Reloaded()
{
    // The tree and the commands follow the files the session has just read.
    LoadTree();
    SelectTreeArticle(session_.currentArticle());
    UpdateCommands();
    statusBar()->showMessage(
        QStringLiteral("Le jeu d'aide a été rechargé : ses fichiers ont changé sur le disque."), 10000);
}

} // namespace mirelda::ui
