// The frame's docked bars: the contents tree (left) and the annotation bar (bottom), the
// pop-up window, and what the frame asks of them.

#include "ui/app/main_frame.h"

#include "core/app/command_table.h"
#include "ui/app/mirelda_app.h"
#include "ui/notes/annotation_bar.h"
#include "ui/notes/annotation_edit.h"
#include "ui/tree/tree_bar.h"
#include "ui/view/mirelda_view.h"
#include "ui/view/popup_wnd.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

namespace mirelda::ui {

bool CMainFrame::CreateBars()
{
    // The tree bar, docked only on the left.
    treeBar_ = new CTreeBar(session_.contents(), this);
    connect(treeBar_, &CTreeBar::articleChosen, this,
            [this](std::int32_t article) { session_.ShowArticle(article, 0); });
    connect(treeBar_, &CTreeBar::messageRequested, this,
            [this](const QString& text) { app_.ShowMessage(text, QMessageBox::NoIcon); });
    connect(treeBar_, &CTreeBar::minimizeRequested, this, &CMainFrame::minimizeMainWindow);
    connect(treeBar_, &CTreeBar::printBookRequested, this,
            [this](const std::vector<std::int32_t>& articles, const QString& title, bool preview) {
                // The printout's title names the help set and the book.
                const QString documentTitle = app_.HelpTitle() + QStringLiteral(" - ") + title;
                if (preview)
                    view_->FilePrintBookPreview(articles, documentTitle, title);
                else
                    view_->FilePrintBook(articles, documentTitle, title);
            });
    if (!treeBar_->Create(this))
        return false;
    treeBar_->setAllowedAreas(Qt::LeftDockWidgetArea);
    treeBar_->SetFrameLayout([this] { RecalcLayout(); });
    addDockWidget(Qt::LeftDockWidgetArea, treeBar_);
    SetCommandHandler(mirelda::cmd::kSynchronise, [this] { Synchronise(); });

    // The annotation bar, docked only at the bottom, hidden on every run.
    annotationBar_ = new CAnnotationBar(session_, this);
    connect(annotationBar_, &CAnnotationBar::messageRequested, this,
            [this](const QString& text) { app_.ShowMessage(text, QMessageBox::Warning); });
    connect(annotationBar_, &CAnnotationBar::statusRequested, this,
            [this](const QString& text) { statusBar()->showMessage(text, 5000); });
    if (!annotationBar_->Create(this))
        return false;
    annotationBar_->setAllowedAreas(Qt::BottomDockWidgetArea);
    annotationBar_->SetFrameLayout([this] { RecalcLayout(); });
    addDockWidget(Qt::BottomDockWidgetArea, annotationBar_);
    annotationBar_->hide();

    // What a screen reader announces for each bar.
    treeBar_->setAccessibleName(QStringLiteral("Sommaire"));
    treeBar_->setAccessibleDescription(
        QStringLiteral("La table des matières de l'aide, en livres et en pages."));
    if (QWidget* tree = treeBar_->widget())
        tree->setAccessibleName(QStringLiteral("Sommaire"));
    annotationBar_->setAccessibleName(QStringLiteral("Annotation"));
    annotationBar_->setAccessibleDescription(QStringLiteral("Votre annotation sur l'article courant."));
    SetCommandHandler(mirelda::cmd::kAnnotation, [this] { ToggleAnnotationBar(); });
    // The button image follows the edit as the user types; the command is never checked.
    SetUpdateRule(mirelda::cmd::kAnnotation,
                  [this](QAction&) { UpdateAnnotationButton(!AnnotationEditEmpty()); });
    connect(annotationBar_, &CAnnotationBar::textChanged, this,
            [this] { UpdateAnnotationButton(!AnnotationEditEmpty()); });
    return true;
}

void CMainFrame::LoadTree()
{
    // A tree that takes more than half a second to read shows a busy bar in the status bar,
    // with a button (and Escape) that stops the read, until it is there; the window stays
    // usable meanwhile.
    auto* loading = new QWidget(statusBar());
    auto* row = new QHBoxLayout(loading);
    row->setContentsMargins(0, 0, 0, 0);
    auto* busy = new QProgressBar(loading);
    busy->setObjectName(QStringLiteral("treeLoadProgress"));
    busy->setRange(0, 0);
    busy->setMaximumWidth(120);
    auto* stop = new QPushButton(QStringLiteral("&Arrêter"), loading);
    stop->setObjectName(QStringLiteral("treeLoadStop"));
    stop->setFocusPolicy(Qt::NoFocus); // the focus stays where the user works
    row->addWidget(busy);
    row->addWidget(stop);
    loading->hide();
    statusBar()->addWidget(loading);
    connect(stop, &QPushButton::clicked, this, [this] { treeBar_->StopLoadTree(); });
    // Only while the button shows: otherwise Escape minimizes the window as usual.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), loading);
    connect(escape, &QShortcut::activated, this, [this] { treeBar_->StopLoadTree(); });
    QTimer::singleShot(500, loading, [this, loading] {
        if (!treeBar_->treeLoaded())
            loading->show();
    });
    treeBar_->StartBuildTitles(session_.index(), session_.files().pgd);
    treeBar_->StartLoadTree(session_.files().fic, [this, loading](const CTreeBar::LoadResult& loaded) {
        statusBar()->removeWidget(loading);
        loading->deleteLater();
        if (!loaded.ok())
            ReportFileError(loaded.error());
        else if (loaded->stopped)
            statusBar()->showMessage(QStringLiteral("Sommaire lu en partie : chargement arrêté."));
        // Damage after the records read (a short last record, a key naming nothing) leaves a
        // usable tree; the entries read stay.
    });
}

void CMainFrame::SelectTreeArticle(std::int32_t article)
{
    treeBar_->SelectArticle(article);
}

void CMainFrame::ShowPopup(const std::string& title, const std::string& rtf)
{
    // Beside the link that was clicked (or chosen from the keyboard), at the size the view shows.
    CPopupWnd::ShowPopup(title, rtf, view_->lastLinkClickPoint(), this,
                         view_->textZoom()); // the pop-up owns itself
}

bool CMainFrame::AnnotationEditEmpty() const
{
    return annotationBar_->IsEmpty();
}

void CMainFrame::ApplyBarWidth()
{
    if (treeBar_)
        treeBar_->ApplyWidth();
}

void CMainFrame::ApplyBarHeight()
{
    if (annotationBar_)
        annotationBar_->ApplyHeight();
}

void CMainFrame::ToggleAnnotationBar()
{
    const bool show = annotationBar_->isHidden();
    const bool hadFocus = annotationBar_->isAncestorOf(QApplication::focusWidget());
    annotationBar_->setVisible(show);
    RecalcLayout(); // both bars take their sizes again
    // Typing goes where the user just asked for: the annotation, or the article again.
    if (show)
        annotationBar_->edit()->setFocus(Qt::OtherFocusReason);
    else if (hadFocus)
        view_->setFocus(Qt::OtherFocusReason);
}

} // namespace mirelda::ui
