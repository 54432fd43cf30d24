#pragma once
// "Aides récentes", under the Article menu: the help sets opened last, newest first, kept in
// the settings (key recent/helpSets). Entries whose help set is gone are dropped each time
// the menu opens; choosing one hands its path to the open callback.

#include <QMenu>
#include <QString>
#include <QStringList>

#include <functional>

class CRecentHelpSetsMenu : public QMenu
{
    Q_OBJECT
  public:
    using OpenCallback = std::function<void(const QString& path)>;
    CRecentHelpSetsMenu(OpenCallback open, QWidget* parent = nullptr);

    // Puts the help set (any of its paths) first in the kept list.
    static void Remember(const QString& helpSetPath);
    // The kept list, gone help sets left out (and dropped from the settings).
    static QStringList Entries();

    // Fills the menu from Entries(); disabled when there is none.
    void Refill();

  private:
    OpenCallback open_;
};
