// Reading without the mouse and what the reader sees of it: F6 and Shift+F6 between the
// panes, "Synchroniser" into the tree from the keyboard, the text size commands and the
// status panes for the text size and the found text.

#include "core/app/command_table.h"
#include "core/view/text_zoom.h"
#include "ui/app/main_frame.h"
#include "ui/notes/annotation_bar.h"
#include "ui/notes/annotation_edit.h"
#include "ui/tree/tree_bar.h"
#include "ui/view/mirelda_view.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTreeView>

namespace mirelda::ui {

namespace {

// Remembers whether the last input the user gave was a key or a mouse button, so that a
// command can tell a keyboard request (menu mnemonic, Enter in a menu, shortcut) from a
// click on a menu item or a button.
class InputKindWatch : public QObject
{
  public:
    explicit InputKindWatch(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }
    bool keyboard() const { return keyboard_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            keyboard_ = true;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            keyboard_ = false;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool keyboard_ = false;
};

QLabel* AddPane(QStatusBar* bar, const char* name, const QString& accessibleName)
{
    auto* pane = new QLabel(bar);
    pane->setObjectName(QLatin1String(name));
    pane->setAccessibleName(accessibleName);
    pane->setFrameShape(QFrame::Panel);
    pane->setFrameShadow(QFrame::Sunken);
    pane->hide();
    bar->insertPermanentWidget(0, pane); // before the lock panes
    return pane;
}

} // namespace

void CMainFrame::WireReadingCommands()
{
    using namespace mirelda::cmd;
    inputKind_ = new InputKindWatch(this);

    SetCommandHandler(kNextPane, [this] { FocusNextPane(true); });
    SetCommandHandler(kPreviousPane, [this] { FocusNextPane(false); });

    const auto step = [this](int direction) {
        view_->setTextZoom(mirelda::StepTextZoom(view_->textZoom(), direction));
    };
    SetCommandHandler(kZoomIn, [step] { step(1); });
    SetCommandHandler(kZoomOut, [step] { step(-1); });
    SetCommandHandler(kZoomNormal, [this] { view_->setTextZoom(mirelda::kNormalTextZoom); });
    SetUpdateRule(kZoomIn, [this](QAction& a) { a.setEnabled(view_->textZoom() < mirelda::kMaxTextZoom); });
    SetUpdateRule(kZoomOut, [this](QAction& a) { a.setEnabled(view_->textZoom() > mirelda::kMinTextZoom); });

    findCountPane_ = AddPane(statusBar(), "findCountPane", QStringLiteral("Occurrences trouvées"));
    textSizePane_ = AddPane(statusBar(), "textSizePane", QStringLiteral("Taille du texte"));
    connect(view_, &CMireldaView::textZoomChanged, this, [this](int percent) {
        ShowTextSize(percent);
        UpdateCommands();
    });
    connect(view_, &CMireldaView::findCountChanged, this, &CMainFrame::ShowFindCount);
    ShowTextSize(view_->textZoom());
}

void CMainFrame::FocusNextPane(bool forward)
{
    // The panes in the order the reader sees them, left to right and top to bottom.
    QList<QWidget*> panes;
    QWidget* tree = treeBar_ && treeBar_->isVisible() ? treeBar_->tree() : nullptr;
    if (tree)
        panes << tree;
    panes << view_;
    if (annotationBar_ && annotationBar_->isVisible())
        panes << annotationBar_->edit();
    // Anywhere in a bar counts as its pane; anywhere else as the article.
    const QWidget* focus = QApplication::focusWidget();
    qsizetype at = panes.indexOf(view_);
    for (qsizetype i = 0; i < panes.size(); ++i) {
        const QWidget* bar = panes[i] == tree ? static_cast<QWidget*>(treeBar_) : panes[i];
        if (panes[i] != view_ && focus && (focus == bar || bar->isAncestorOf(focus)))
            at = i;
    }
    const qsizetype next = (at + (forward ? 1 : panes.size() - 1)) % panes.size();
    panes[next]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void CMainFrame::Synchronise()
{
    SelectTreeArticle(session_.currentArticle());
    // From the menu by mouse or the toolbar the reader goes on in the article; from the
    // keyboard the next keys are meant for the entry just selected.
    if (static_cast<InputKindWatch*>(inputKind_)->keyboard() && treeBar_ && treeBar_->tree())
        treeBar_->tree()->setFocus(Qt::ShortcutFocusReason);
}

void CMainFrame::ShowTextSize(int percent)
{
    textSizePane_->setText(QStringLiteral("Texte : %1\u00a0%").arg(percent));
    textSizePane_->setVisible(percent != mirelda::kNormalTextZoom);
}

void CMainFrame::ShowFindCount(int current, int total)
{
    if (total <= 0) {
        findCountPane_->hide();
        return;
    }
    findCountPane_->setText(current > 0  ? QStringLiteral("%1 sur %2").arg(current).arg(total)
                            : total == 1 ? QStringLiteral("1 occurrence")
                                         : QStringLiteral("%1 occurrences").arg(total));
    findCountPane_->show();
}

} // namespace mirelda::ui
