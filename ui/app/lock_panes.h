#pragma once
// The status bar's lock panes: "MAJ" (caps lock), "NUM" (num lock), "DEF" (scroll lock).
//
// Qt has no portable way to ask for the lock states. The kernel's keyboard LEDs under
// /sys/class/leds tell them wherever the keyboard is local; where they are not there (remote
// sessions, containers) the panes stay greyed for good, since their state is unknowable.

#include <QObject>

#include <array>
#include <optional>

class QLabel;
class QStatusBar;

namespace mirelda::ui {

class CLockPanes : public QObject
{
    Q_OBJECT
  public:
    enum Lock { Caps, Num, Scroll };

    explicit CLockPanes(QStatusBar* statusBar);

    QLabel* pane(Lock lock) const { return panes_[lock]; }
    bool known() const { return known_; } // whether the platform tells the states at all
    void Refresh();

    // The LED state of a lock from a /sys/class/leds-like folder: any LED whose name ends
    // with "::capslock" (and so on) and whose brightness is not 0 means on; no such LED
    // means the state is unknown.
    static std::optional<bool> ReadLed(const QString& ledsFolder, Lock lock);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::array<QLabel*, 3> panes_{};
    bool known_ = false;
};

} // namespace mirelda::ui
