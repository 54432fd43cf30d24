// The frame's docked bars: the contents tree (left) and the annotation bar (bottom), the
// pop-up window, and what the frame asks of them. The annotation bar arrives with its own
// window class; until it is there, the frame behaves as it would with an empty annotation:
// nothing to store, show or save.

#include "ui/app/main_frame.h"

#include "ui/app/command_table.h"
#include "ui/app/mirelda_app.h"
#include "ui/tree/tree_bar.h"
#include "ui/view/mirelda_view.h"
#include "ui/view/popup_wnd.h"

bool CMainFrame::CreateBars()
{
    // 1. The tree bar, docked only on the left.
    CTreeBar::Host host;
    host.showArticle = [this](std::int32_t article) { return view_->ShowArticle(article, 0); };
    host.showMessage = [this](const QString& text) { app_.ShowMessage(text, QMessageBox::NoIcon); };
    host.minimizeMainWindow = [this] { minimizeMainWindow(); };
    treeBar_ = new CTreeBar(std::move(host), this);
    if (!treeBar_->Create(this))
        return false;
    treeBar_->setAllowedAreas(Qt::LeftDockWidgetArea);
    treeBar_->SetFrameLayout([this] { RecalcLayout(); });
    addDockWidget(Qt::LeftDockWidgetArea, treeBar_);
    SetCommandHandler(mirelda::cmd::kSynchronise, [this] { SelectTreeArticle(view_->currentArticle()); });

    // 2. The annotation bar (Create(frame)), docked only at the bottom and hidden on every
    //    run, joins here; then its toggle: SetCommandHandler(kAnnotation, ToggleAnnotationBar)
    //    and the update rule UpdateAnnotationButton(!AnnotationEditEmpty()).
    return true;
}

void CMainFrame::LoadTree()
{
    const auto loaded = treeBar_->LoadTree(files_.fic);
    if (!loaded.ok())
        reportFileError(loaded.error());
    // Damage after the records read (a short last record, a key naming nothing) leaves a
    // usable tree; the entries read stay.
}

void CMainFrame::SelectTreeArticle(std::int32_t article) { treeBar_->SelectArticle(article); }

void CMainFrame::showPopup(const std::string& title, const std::string& rtf, QPoint clickScreen)
{
    CPopupWnd::ShowPopup(title, rtf, clickScreen, this);  // the pop-up owns itself
}

bool CMainFrame::StoreAnnotation(std::int32_t article)
{
    Q_UNUSED(article);
    return false;
}

bool CMainFrame::ShowAnnotation(std::int32_t article)
{
    Q_UNUSED(article);
    return false;
}

bool CMainFrame::AnnotationEditEmpty() const { return true; }

void CMainFrame::SaveAnnotations() {}

void CMainFrame::ApplyBarWidth()
{
    if (treeBar_)
        treeBar_->ApplyWidth();
}

void CMainFrame::ApplyBarHeight() {}

void CMainFrame::ToggleAnnotationBar()
{
    // Show or hide the annotation bar, then RecalcLayout() so that both bars are resized.
    RecalcLayout();
}
