#include "ui/app/recent_help_sets_menu.h"

#include "core/app/recent_help_sets.h"
#include "ui/widgets/qt_path.h"
#include "ui/widgets/settings.h"

#include <QAction>
#include <QFileInfo>

#include <string>
#include <vector>

namespace mirelda::ui {

namespace {

const QString kKey = QStringLiteral("recent/helpSets");

std::vector<std::string> ToBytes(const QStringList& list)
{
    std::vector<std::string> bytes;
    for (const QString& entry : list)
        bytes.push_back(ToPath(entry).native());
    return bytes;
}

QStringList FromBytes(const std::vector<std::string>& bytes)
{
    QStringList list;
    for (const std::string& entry : bytes)
        list << ToQString(std::filesystem::path(entry));
    return list;
}

} // namespace

CRecentHelpSetsMenu::CRecentHelpSetsMenu(OpenCallback open, QMenu& owner)
    : QMenu(QStringLiteral("Aides &récentes"), &owner), open_(std::move(open))
{
    setObjectName(QStringLiteral("recentHelpSets"));
    connect(&owner, &QMenu::aboutToShow, this, &CRecentHelpSetsMenu::Refill);
}

void CRecentHelpSetsMenu::Remember(const std::filesystem::path& identity)
{
    QSettings settings = MireldaSettings();
    settings.setValue(kKey, FromBytes(mirelda::AddRecentHelpSet(ToBytes(settings.value(kKey).toStringList()),
                                                                identity.native())));
}

QStringList CRecentHelpSetsMenu::Entries()
{
    QSettings settings = MireldaSettings();
    const QStringList kept = settings.value(kKey).toStringList();
    const QStringList existing = FromBytes(mirelda::ExistingRecentHelpSets(ToBytes(kept)));
    if (existing != kept)
        settings.setValue(kKey, existing);
    return existing;
}

void CRecentHelpSetsMenu::Refill()
{
    clear();
    const QStringList entries = Entries();
    for (int i = 0; i < entries.size(); ++i) {
        const QFileInfo base(entries[i]);
        QString name = base.fileName();
        QString folder = base.path();
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        folder.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = addAction(QStringLiteral("&%1 %2 (%3)").arg(i + 1).arg(name, folder));
        action->setStatusTip(entries[i]);
        const QString path = entries[i];
        connect(action, &QAction::triggered, this, [this, path] {
            if (open_)
                open_(path);
        });
    }
    menuAction()->setEnabled(!entries.isEmpty());
}

} // namespace mirelda::ui
