#pragma once
// One viewer per window class and user. The first viewer listens on a local socket named
// from the window class name and the user id, in the user's private runtime folder, readable
// by its owner only; a later start connects, hands over its request (see instance_request.h),
// waits until the first viewer has handled it, and ends.
//
// The connect-or-listen decision is made under a lock file, so that two starts at the same
// moment end with exactly one viewer. A socket left by a viewer that crashed refuses
// connections; it is removed and replaced. One killed a moment ago may still take a connection
// and then drop it unanswered: the decision is made again until it is gone.
//
// Nobody else can stand in for the viewer or wear it down: the runtime folder is never a
// shared one (see RuntimeFolder), each side checks that the other runs as the same user, at
// most kMaxConnections peers are served at once, each gets kRequestTimeoutMs to send its
// request, and running out of descriptors refuses the one connection instead of closing the
// socket (the listening socket is this class's own, not QLocalServer, which closes itself then).

#include "core/app/instance_request.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <sys/types.h>

class QLocalSocket;
class QSocketNotifier;

namespace mirelda::ui {

class CSingleInstance : public QObject
{
    Q_OBJECT
  public:
    enum class Outcome {
        First,       // no viewer ran: this process goes on starting (and listens, unless
                     // isListening() says otherwise: error() then says why)
        HandedOver,  // a running viewer took the request and answered
        NoneRunning, // no viewer ran and this process was not to become one (close request)
        Failed,      // a viewer runs but the hand-over failed (see error())
    };

    explicit CSingleInstance(const QString& windowClassName, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // The socket's full path for a window class: <runtime folder>/mirelda-<class>-<uid>; empty
    // when there is no private runtime folder.
    static QString ServerPath(const QString& windowClassName);
    // The user's private runtime folder: $XDG_RUNTIME_DIR when it is the user's and mode 0700;
    // otherwise "mirelda-runtime" under the user's cache home ($XDG_CACHE_HOME, ~/.cache), then
    // under the data home ($XDG_DATA_HOME, ~/.local/share), created 0700. A folder owned by
    // someone else is refused. Empty, with the reason in `why`, when none can be had.
    static QString RuntimeFolder(QString* why = nullptr);

    // Sends `request` to a running viewer; without one, listens when `becomeFirst` is true.
    Outcome Start(const mirelda::InstanceRequest& request, bool becomeFirst);
    QString error() const { return error_; }
    bool isListening() const { return listenFd_ >= 0; }

    // Called by the first viewer for each well-formed request; the answer is sent after it
    // returns. Requests that arrive before a handler is set are answered "error".
    using Handler = std::function<void(const mirelda::InstanceRequest&)>;
    void SetHandler(Handler handler) { handler_ = std::move(handler); }

    // Milliseconds a second start waits for the answer (the close sequence may ask the user).
    static constexpr int kAnswerTimeoutMs = 120000;
    // Milliseconds a peer may take to send its request line.
    static constexpr int kRequestTimeoutMs = 5000;
    // Decisions a start makes before it gives up on peers that close without answering.
    static constexpr int kDeadPeerAttempts = 20;
    // Peers served at once; more are refused (closed unanswered) until one is done.
    static constexpr int kMaxConnections = 16;

  private:
    Outcome HandOver(QLocalSocket& socket, const mirelda::InstanceRequest& request, bool& unanswered);
    bool Listen();
    void StopListening();
    void AcceptPending();
    void RefuseWithoutDescriptors();
    void Serve(int fd);
    void Receive(QLocalSocket* socket);
    void Answer(QLocalSocket* socket, const char* answer);
    // Cuts every callback from the socket to this object, frees its place and deletes it later.
    void Drop(QLocalSocket* socket);

    QString path_;
    QString folderError_; // why path_ is empty
    int listenFd_ = -1;
    dev_t listenDevice_ = 0; // the socket file this process made, removed at the end only if
    ino_t listenInode_ = 0;  // it is still that one
    QSocketNotifier* notifier_ = nullptr;
    int reserveFd_ = -1; // freed to accept and refuse a connection when descriptors run out
    int connections_ = 0;
    Handler handler_;
    QString error_;
};

} // namespace mirelda::ui
