#include "ui/app/main_frame.h"

#include "ui/app/help_set_watcher.h"
#include "ui/app/mirelda_app.h"
#include "ui/app/process_probe.h"
#include "ui/app/window_geometry.h"
#include "ui/notes/annotation_bar.h"
#include "ui/tree/tree_bar.h"
#include "ui/view/mirelda_view.h"
#include "ui/widgets/qt_path.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>

namespace mirelda::ui {

CMainFrame::CMainFrame(CMireldaApp& app, mirelda::HelpSession& session, QWidget* parent)
    : QMainWindow(parent), app_(app), session_(session)
{
    session_.SetDisplay(this);
    session_.AddObserver(*this);
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(app_.HelpTitle());
    setWindowIcon(CMireldaApp::ApplicationIcon());
    RestoreWindowGeometry(*this);
    setAcceptDrops(true);

    view_ = new CMireldaView(*this, session_, this);
    setCentralWidget(view_);

    // Creation order: toolbar, status bar, then the bars (tree bar, annotation bar).
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    setDockNestingEnabled(false);
    created_ = CreateBars();
    WireFrameCommands();
    WatchHelpSet();
    WireReadingCommands();
    activeWindowWatch_ =
        connect(qApp, &QGuiApplication::focusWindowChanged, this, &CMainFrame::NoteActiveWindow);
}

CMainFrame::~CMainFrame()
{
    session_.RemoveObserver(*this);
    session_.SetDisplay(nullptr);
    disconnect(activeWindowWatch_);
    // Children die after this body, when the members they could reach through signals and
    // event filters are gone already: cut those ties first.
    for (QObject* window : toggleWindows_.keys()) {
        window->removeEventFilter(this);
        window->disconnect(this);
    }
    toggleWindows_.clear();
    view_->disconnect(this);
    for (QObject* bar : {static_cast<QObject*>(annotationBar_), static_cast<QObject*>(treeBar_)})
        if (bar)
            bar->disconnect(this);
    if (treeBar_)
        treeBar_->StopBuildTitles(); // it reads the session's index
    for (QMenu* menu : findChildren<QMenu*>())
        menu->disconnect(this);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!firstActivation_)
        return;
    // The load is posted, not run here, so that the window is on screen before any help-set
    // file is read.
    firstActivation_ = false;
    QTimer::singleShot(0, this, &CMainFrame::LoadHelpSet);
    QTimer::singleShot(0, this, [this] { KeepFrameOnScreen(*this); }); // framed by then
    view_->setFocus();
}

void CMainFrame::LoadHelpSet()
{
    if (loaded_)
        return;
    loaded_ = true;
    watcher_->MarkLoaded();
    session_.LoadIndex();
    const bool startShown = session_.ShowStartArticle();
    // The tree is read on a worker thread once the first article is up, so that nothing
    // that grows with the help set delays it; the start article's selection waits for it.
    LoadTree();
    if (startShown)
        SelectTreeArticle(session_.options().startArticle);
    UpdateCommands();
    emit helpSetLoadedChanged();
}

void CMainFrame::ShowArticleRequest(std::int32_t article)
{
    LoadHelpSet();   // a request that overtakes the posted load must still find an index
    ReloadHelpSet(); // files replaced a moment ago: the article asked for is in the new ones
    session_.ShowArticleOrFirst(article);
}

void CMainFrame::ActivateFrame()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    // The window the user was last in comes forward over it: a list window, the search
    // dialog or a dialog still open; the main window when it was last itself, or when that
    // window has been hidden since.
    QWidget* target = this;
    if (lastActivePopup_ && lastActivePopup_->isVisible())
        target = lastActivePopup_;
    if (target != this)
        target->raise();
    target->activateWindow();
}

void CMainFrame::NoteActiveWindow(QWindow* window)
{
    if (!window)
        return;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() != window)
            continue;
        if (top == this) {
            lastActivePopup_ = nullptr;
            return;
        }
        if (top->windowType() == Qt::Popup || top->windowType() == Qt::ToolTip)
            return; // menus and pop-up articles close as soon as the user leaves them
        // A window of this viewer is one that the main window owns, directly or through
        // another of its windows (the rename dialog of the bookmark window).
        for (QWidget* owner = top->parentWidget(); owner; owner = owner->parentWidget()) {
            if (owner == this) {
                lastActivePopup_ = top;
                return;
            }
        }
        return;
    }
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!closeSequenceDone_) {
        // Once, however the close comes (the window, a second start, the end of the session).
        closeSequenceDone_ = true;
        SaveUserFiles();
        SaveWindowGeometry(*this);
    }
    event->accept();
    emit closed();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() &&
        std::all_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); }))
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has ended: the drag source must not wait for a message box.
    QTimer::singleShot(0, this, [this, paths] { app_.OpenDroppedFiles(paths); });
}

void CMainFrame::keyPressEvent(QKeyEvent* event)
{
    // With the focus on the frame itself, the keys that move the text move the view's.
    view_->HandleNavigationKey(event->key());
    event->accept();
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    // The tree bar's width first, then the annotation bar's height.
    ApplyBarWidth();
    ApplyBarHeight();
    QMainWindow::resizeEvent(event);
}

void CMainFrame::RecalcLayout()
{
    // The reverse of the size-change order: the layout, the annotation bar, the tree bar.
    if (layout())
        layout()->activate();
    ApplyBarHeight();
    ApplyBarWidth();
}

// --- ArticleDisplay ------------------------------------------------------------------------

std::int32_t CMainFrame::FirstVisiblePosition() const
{
    return view_->FirstVisiblePosition();
}

void CMainFrame::ShowArticleText(std::string rtf)
{
    view_->ShowArticleText(std::move(rtf));
}

void CMainFrame::ScrollToPosition(std::int32_t position)
{
    view_->ScrollToPosition(position);
}

void CMainFrame::ShowArticleLinks(mirelda::LinkTable links)
{
    view_->ShowArticleLinks(std::move(links));
}

void CMainFrame::SetCaption(const std::u16string& caption)
{
    setWindowTitle(QString::fromStdU16String(caption));
}

void CMainFrame::ShowMissingArticle(std::int32_t number)
{
    view_->ShowMissingArticle(number);
}

void CMainFrame::BeginWait()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CMainFrame::EndWait()
{
    QApplication::restoreOverrideCursor();
}

// --- HelpSessionObserver -------------------------------------------------------------------

void CMainFrame::ArticleShown(std::int32_t article)
{
    ProcessProbe::Report(QStringLiteral("article %1 %2").arg(article).arg(windowTitle()));
    emit articleShown(article);
}

void CMainFrame::HistoryEntryAdded(std::int32_t)
{
    UpdateCommands(); // "Article précédent" follows the history's length
}

void CMainFrame::AnnotationShown(std::int32_t, const std::string& text)
{
    UpdateAnnotationButton(!text.empty());
}

// --- ViewHost ------------------------------------------------------------------------------

void CMainFrame::minimizeMainWindow()
{
    showMinimized();
}

void CMainFrame::ReportFileError(const mirelda::FileError& error)
{
    if (ReloadInsteadOfReporting(error))
        return;
    const QString path = ToQString(error.path);
    QString text;
    switch (error.kind) {
    case mirelda::FileErrorKind::CannotOpen:
        text = QStringLiteral("Impossible d'ouvrir le fichier %1.").arg(path);
        break;
    case mirelda::FileErrorKind::Truncated:
    case mirelda::FileErrorKind::Malformed:
        text = QStringLiteral("Le fichier %1 est endommagé.").arg(path);
        break;
    case mirelda::FileErrorKind::CannotWrite:
        text = QStringLiteral("Impossible d'écrire le fichier %1.").arg(path);
        break;
    case mirelda::FileErrorKind::ReadFailed:
        text = QStringLiteral("Une erreur s'est produite lors de la lecture du fichier %1.").arg(path);
        break;
    }
    app_.ShowMessage(text, QMessageBox::Warning);
}

} // namespace mirelda::ui
