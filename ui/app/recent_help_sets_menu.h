#pragma once
// "Aides récentes", under the Article menu: the help sets opened last, newest first, kept in
// the settings (key recent/helpSets). The menu is filled each time the menu that holds it
// opens, once, so that it is disabled when empty before the reader reaches it; entries whose
// help set is gone are dropped then. Choosing one hands its path to the open callback.

#include <QMenu>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>

namespace mirelda::ui {

class CRecentHelpSetsMenu : public QMenu
{
    Q_OBJECT
  public:
    using OpenCallback = std::function<void(const QString& path)>;
    // A submenu of `owner`, which the caller inserts where it belongs.
    CRecentHelpSetsMenu(OpenCallback open, QMenu& owner);

    // Puts the help set (its HelpSetIdentity) first in the kept list.
    static void Remember(const std::filesystem::path& identity);
    // The kept list, gone help sets left out (and dropped from the settings).
    static QStringList Entries();

    // Fills the menu from Entries(); disabled when there is none.
    void Refill();

  private:
    OpenCallback open_;
};

} // namespace mirelda::ui
