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

CMainFrame::CMainFrame(CMireldaApp& app, mirelda::HelpSetFiles files, bool hasStartArticle,
                       std::int32_t startArticle, QWidget* parent)
    : QMainWindow(parent), app_(app), files_(std::move(files)), hasStartArticle_(hasStartArticle),
      startArticle_(startArticle), navigator_(*this, index_, files_.pgd, files_.pgl)
{
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(app_.HelpTitle());
    setWindowIcon(CMireldaApp::ApplicationIcon());
    RestoreWindowGeometry(*this);
    setAcceptDrops(true);

    view_ = new CMireldaView(*this, navigator_, this);
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
        treeBar_->StopBuildTitles(); // it reads index_, which goes before the bar
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
    std::vector<mirelda::FileProblem> problems;
    if (auto index = mirelda::LoadArticleIndex(files_.pgh, &problems))
        index_ = std::move(*index);
    else
        ReportFileError(index.error()); // the index stays empty: every article is missing
    // A part record at its end: a damaged index, or a file that only has an index's name.
    if (!problems.empty())
        ReportFileError({mirelda::FileErrorKind::Malformed, problems.front().path, problems.front().offset,
                         problems.front().message});
    const bool startShown = hasStartArticle_ && navigator_.ShowArticle(startArticle_, 0);
    if (!startShown && !navigator_.readFailed()) // a failed read ends the operation
        navigator_.ShowArticle(1, 0);
    // The tree is read on a worker thread once the first article is up, so that nothing
    // that grows with the help set delays it; the start article's selection waits for it.
    LoadTree();
    if (startShown)
        SelectTreeArticle(startArticle_);
    UpdateCommands();
    emit helpSetLoadedChanged();
}

void CMainFrame::ShowArticleRequest(std::int32_t article)
{
    LoadHelpSet();   // a request that overtakes the posted load must still find an index
    ReloadHelpSet(); // files replaced a moment ago: the article asked for is in the new ones
    if (!navigator_.ShowArticle(article, 0) && !navigator_.readFailed())
        navigator_.ShowArticle(1, 0);
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

void CMainFrame::SaveUserFiles()
{
    StoreArticleAnnotation(navigator_.currentArticle());
    // A reader who wrote no annotation, with no annotation file yet, gets none.
    const mirelda::UserFiles& files = app_.userFiles();
    std::error_code ec;
    if (!annotationBar_->store().Articles().empty() || std::filesystem::exists(files.annotations, ec) ||
        std::filesystem::exists(files.scratch, ec))
        SaveAnnotations();
    app_.SaveBookmarks();
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

// --- NavigationHost ------------------------------------------------------------------------

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

void CMainFrame::StoreArticleAnnotation(std::int32_t article)
{
    if (article != 0)
        StoreAnnotation(article);
}

void CMainFrame::ShowArticleAnnotation(std::int32_t article)
{
    UpdateAnnotationButton(ShowAnnotation(article));
}

std::u16string CMainFrame::HelpTitle() const
{
    return app_.HelpTitle().toStdU16String();
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

void CMainFrame::ArticleShown(std::int32_t article)
{
    ProcessProbe::Report(QStringLiteral("article %1 %2").arg(article).arg(windowTitle()));
    emit articleShown(article);
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
