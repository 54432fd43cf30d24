// The frame's docked bars: the contents tree (left) and the annotation bar (bottom), and
// what the frame asks of them. Each bar arrives with its own window class; until it is
// there, the frame behaves as it would with the bar empty: no tree to load or select, no
// annotation to store, show or save.

#include "ui/app/main_frame.h"

void CMainFrame::CreateBars()
{
    // In this order, after the toolbar and the status bar:
    //  1. the tree bar (Create(frame)), docked only on the left, never sharing a floating
    //     window with another bar;
    //  2. the annotation bar (Create(frame)), docked only at the bottom, hidden on every run;
    //     then its toggle: SetCommandHandler(kAnnotation, ToggleAnnotationBar) and the update
    //     rule UpdateAnnotationButton(!AnnotationEditEmpty());
    //  3. the tree bar's synchronise command (kSynchronise → SelectTreeArticle(current)).
}

void CMainFrame::LoadTree() {}

void CMainFrame::SelectTreeArticle(std::int32_t article) { Q_UNUSED(article); }

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

void CMainFrame::ApplyBarWidth() {}

void CMainFrame::ApplyBarHeight() {}

void CMainFrame::ToggleAnnotationBar()
{
    // Show or hide the annotation bar, then RecalcLayout() so that both bars are resized.
    RecalcLayout();
}
