// Command routing and the update pass. The view's, the frame's and the application's
// handlers all register here; a command nobody handles stays disabled.

#include "core/app/command_table.h"
#include "ui/app/main_frame.h"
#include "ui/view/mirelda_view.h"

#include <QAction>
#include <QEvent>
#include <QStatusBar>
#include <QToolBar>

namespace mirelda::ui {

void CMainFrame::SetCommandHandler(int id, std::function<void()> handler)
{
    if (handler)
        handlers_[id] = std::move(handler);
    else
        handlers_.erase(id);
    UpdateCommands();
}

void CMainFrame::SetUpdateRule(int id, std::function<void(QAction&)> rule)
{
    if (rule)
        updateRules_[id] = std::move(rule);
    else
        updateRules_.erase(id);
    UpdateCommands();
}

void CMainFrame::RegisterToggleWindow(int id, QWidget* window)
{
    toggleWindows_.insert(window, id);
    window->installEventFilter(this); // its shows and hides move the check mark
    // A window that goes away takes its command with it.
    connect(window, &QObject::destroyed, this, [this, window, id] {
        toggleWindows_.remove(window);
        handlers_.erase(id);
        updateRules_.erase(id);
        if (QAction* a = action(id))
            a->setChecked(false);
        UpdateCommands();
    });
    if (QAction* a = action(id))
        a->setCheckable(true);
    SetUpdateRule(id, [window](QAction& a) { a.setChecked(window->isVisible()); });
    SetCommandHandler(id, [window] {
        if (window->isVisible())
            window->hide();
        else
            window->show();
    });
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) && toggleWindows_.contains(watched))
        UpdateCommands();
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::UpdateCommands()
{
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
        it.value()->setEnabled(handlers_.count(it.key()) > 0);
        if (const auto rule = updateRules_.find(it.key()); rule != updateRules_.end())
            rule->second(*it.value());
    }
    for (const auto& [alias, id] : contextAliases_) {
        alias->setEnabled(actions_.value(id)->isEnabled());
        alias->setCheckable(actions_.value(id)->isCheckable());
        alias->setChecked(actions_.value(id)->isChecked());
    }
}

void CMainFrame::RunCommand(int id)
{
    // An accelerator may fire between two update passes: the handler decides, not the state.
    if (const auto it = handlers_.find(id); it != handlers_.end()) {
        const auto handler = it->second; // a handler may replace itself
        handler();
    }
    UpdateCommands();
}

void CMainFrame::WireFrameCommands()
{
    using namespace mirelda::cmd;
    // The view's commands (its rich-text base served copy and select-all).
    SetCommandHandler(kCopy, [this] { view_->copy(); });
    SetUpdateRule(kCopy, [this](QAction& a) { a.setEnabled(view_->textCursor().hasSelection()); });
    connect(view_, &QTextEdit::copyAvailable, this, &CMainFrame::UpdateCommands);
    SetCommandHandler(kSelectAll, [this] { view_->SelectAll(); });
    SetCommandHandler(kFrameworkSelectAll, [this] { view_->SelectAll(); });
    SetCommandHandler(kPrint, [this] { view_->FilePrint(); });
    SetCommandHandler(kPrintDirect, [this] { view_->FilePrintDirect(); });
    SetCommandHandler(kPrintPreview, [this] { view_->FilePrintPreview(); });

    // The toolbar and status bar toggles, and exit.
    for (const auto& [id, bar] : {std::pair<int, QWidget*>{kToolBar, toolBar_}, {kStatusBar, statusBar()}}) {
        action(id)->setCheckable(true);
        SetCommandHandler(id, [bar] { bar->setVisible(bar->isHidden()); });
        SetUpdateRule(id, [bar](QAction& a) { a.setChecked(!bar->isHidden()); });
    }
    SetCommandHandler(kExit, [this] { close(); });
}

} // namespace mirelda::ui
