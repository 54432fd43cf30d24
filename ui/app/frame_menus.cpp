// The frame's menus, toolbar and status bar, built from the command table.

#include "core/app/command_table.h"
#include "ui/app/lock_panes.h"
#include "ui/app/main_frame.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace mirelda::ui {

namespace {

QString Text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QIcon ButtonImage(std::string_view name)
{
    const QString base = QStringLiteral(":/icons/tb_") + Text(name);
    QIcon icon;
    icon.addFile(base + QStringLiteral(".png"), QSize(16, 16));
    icon.addFile(base + QStringLiteral("@2x.png"), QSize(32, 32));
    return icon;
}

} // namespace

void CMainFrame::CreateActions()
{
    for (const mirelda::CommandInfo& command : mirelda::Commands()) {
        if (command.id == mirelda::cmd::kAnnotationImage)
            continue; // an image holder, not a command
        auto* action = new QAction(Text(command.menuText), this);
        action->setObjectName(Text(mirelda::CommandName(command.id)));
        action->setStatusTip(Text(command.StatusPrompt()));
        action->setToolTip(Text(command.ToolTip()));
        if (!command.toolbarImage.empty()) {
            action->setIcon(ButtonImage(command.toolbarImage));
            action->setIconVisibleInMenu(false);
        }
        QList<QKeySequence> keys;
        for (const mirelda::Accelerator& accelerator : mirelda::Accelerators())
            if (accelerator.command == command.id)
                keys.append(QKeySequence(Text(accelerator.keys), QKeySequence::PortableText));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
        addAction(action); // accelerators work whether or not a menu shows the command
        actions_.insert(id, action);
    }
}

void CMainFrame::CreateMenus()
{
    for (const mirelda::MenuInfo& info : mirelda::MainMenu()) {
        QMenu* menu = menuBar()->addMenu(Text(info.title));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
        for (const int id : info.items) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(actions_.value(id));
        }
    }

    contextMenu_ = new QMenu(Text(mirelda::ContextMenuTitle()), this);
    contextMenu_->setObjectName(QStringLiteral("contextMenu"));
    connect(contextMenu_, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
    for (const int id : mirelda::ContextMenu()) {
        if (id == 0) {
            contextMenu_->addSeparator();
            continue;
        }
        const mirelda::CommandInfo* info = mirelda::FindCommand(id);
        if (info->contextText.empty()) {
            contextMenu_->addAction(actions_.value(id));
            continue;
        }
        auto* alias = new QAction(Text(info->contextText), contextMenu_);
        alias->setObjectName(Text(mirelda::CommandName(id)) + QStringLiteral("InContextMenu"));
        alias->setStatusTip(Text(info->StatusPrompt()));
        connect(alias, &QAction::triggered, this, [this, id] { RunCommand(id); });
        contextMenu_->addAction(alias);
        contextAliases_.append({alias, id});
    }
}

void CMainFrame::CreateToolBar()
{
    toolBar_ = new QToolBar(Text(mirelda::kToolBarTitle), this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setAccessibleName(QStringLiteral("Barre d'outils"));
    toolBar_->setAccessibleDescription(QStringLiteral("Les commandes les plus courantes de l'aide."));
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setAllowedAreas(Qt::TopToolBarArea); // floats, but docks only at the top
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    const auto buttons = mirelda::ToolBarButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const int id = buttons[i];
        if (id == 0) {
            toolBar_->addSeparator();
        } else if (i == mirelda::kAnnotationHolderIndex) {
            // The holder only carries the annotation-present image; it never becomes a button.
            annotationImage_ = ButtonImage(mirelda::FindCommand(id)->toolbarImage);
        } else {
            toolBar_->addAction(actions_.value(id));
            if (i == mirelda::kAnnotationButtonIndex)
                normalImage_ = actions_.value(id)->icon();
        }
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
}

void CMainFrame::CreateStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->setAccessibleName(QStringLiteral("Barre d'état"));
    statusBar()->setAccessibleDescription(
        QStringLiteral("L'aide sur la commande choisie et l'état du clavier."));
    lockPanes_ = new CLockPanes(statusBar());
}

void CMainFrame::UpdateAnnotationButton(bool present)
{
    if (present == annotationImageShown_)
        return;
    annotationImageShown_ = present;
    actions_.value(mirelda::cmd::kAnnotation)->setIcon(present ? annotationImage_ : normalImage_);
}

} // namespace mirelda::ui
