#pragma once
// SIGTERM (logout, shutdown, kill), SIGHUP (the terminal went away) and SIGINT (Ctrl+C),
// turned into a Qt signal so that the program can run its normal close sequence and keep
// the user's notes and bookmarks. The handler only writes the signal's number into a pipe
// (the one thing that is safe there); a QSocketNotifier reads it in the event loop. Once a
// signal has arrived, the same signal again ends the program at once, as it would without
// this, in case the close sequence itself hangs.

#include <QObject>

class QSocketNotifier;

namespace mirelda::ui {

class CTerminationSignals : public QObject
{
    Q_OBJECT
  public:
    // Installs the handlers; one object per process.
    explicit CTerminationSignals(QObject* parent = nullptr);
    ~CTerminationSignals() override;

  signals:
    void terminationRequested(int signalNumber);

  private:
    void Read();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace mirelda::ui
