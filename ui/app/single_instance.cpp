#include "ui/app/single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <unistd.h>

using mirelda::InstanceRequest;

namespace {

const char* const kBufferProperty = "mireldaRequest";
const char* const kDoneProperty = "mireldaDone";

QString RuntimeFolder()
{
    // $XDG_RUNTIME_DIR, or a private folder Qt creates under /tmp (mode 0700, owner checked).
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

} // namespace

CSingleInstance::CSingleInstance(const QString& windowClassName, QObject* parent)
    : QObject(parent), path_(ServerPath(windowClassName))
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &CSingleInstance::Accept);
}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::ServerPath(const QString& windowClassName)
{
    return RuntimeFolder() + QLatin1String("/mirelda-") + windowClassName + QLatin1Char('-') +
           QString::number(static_cast<qulonglong>(::getuid()));
}

CSingleInstance::Outcome CSingleInstance::Start(const InstanceRequest& request, bool becomeFirst)
{
    for (int attempt = 1;; ++attempt) {
        error_.clear();
        // Serialise the decision with any other start of the same class: without this, two
        // starts could both find nobody listening and both become the first viewer.
        QLockFile lock(path_ + QLatin1String(".lock"));
        lock.setStaleLockTime(0); // a lock whose owner died is stale at once (checked by pid)
        const bool locked = lock.tryLock(10000);

        QLocalSocket socket;
        socket.connectToServer(path_);
        if (socket.waitForConnected(3000)) {
            if (locked)
                lock.unlock(); // the decision is made; the viewer may take its time to answer
            bool unanswered = false;
            const Outcome outcome = HandOver(socket, request, unanswered);
            // A viewer killed a moment ago still has its connection queue until the kernel has
            // closed its files: the connect succeeds, then the queue is dropped without a word.
            // A live viewer always answers, so decide again once the dying one is gone.
            if (!unanswered || attempt == kDeadPeerAttempts)
                return outcome;
            QThread::msleep(100);
            continue;
        }
        const auto why = socket.error();
        if (why != QLocalSocket::ServerNotFoundError && why != QLocalSocket::ConnectionRefusedError) {
            error_ = socket.errorString();
            return Outcome::Failed;
        }
        if (!becomeFirst)
            return Outcome::NoneRunning;
        // Nobody accepts connections there: whatever socket file remains is a crashed viewer's.
        if (!Listen()) {
            // The viewer still starts; the caller tells the user that a later start will not find it.
            error_ = server_.errorString();
            qWarning("mirelda: cannot listen on %s: %s", qPrintable(path_), qPrintable(error_));
        }
        return Outcome::First;
    }
}

CSingleInstance::Outcome CSingleInstance::HandOver(QLocalSocket& socket, const InstanceRequest& request,
                                                   bool& unanswered)
{
    // Closed by the peer before a single byte of answer: see Start().
    auto failed = [&](const QByteArray& answer) {
        unanswered = answer.isEmpty() && socket.error() == QLocalSocket::PeerClosedError;
        error_ = socket.errorString();
        return Outcome::Failed;
    };
    const std::string line = mirelda::FormatInstanceRequest(request);
    socket.write(line.data(), static_cast<qint64>(line.size()));
    if (!socket.waitForBytesWritten(3000) && socket.bytesToWrite() > 0)
        return failed({});
    QByteArray answer;
    while (!answer.contains('\n') && answer.size() < 16) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(kAnswerTimeoutMs))
            return failed(answer);
        answer += socket.read(16 - answer.size());
    }
    if (answer != "ok\n") {
        error_ = QLatin1String("the running viewer refused the request");
        return Outcome::Failed;
    }
    return Outcome::HandedOver;
}

bool CSingleInstance::Listen()
{
    QLocalServer::removeServer(path_);
    return server_.listen(path_);
}

void CSingleInstance::Accept()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Receive(socket); });
        // A peer that connects and says nothing must not hold a connection forever.
        QTimer::singleShot(kRequestTimeoutMs, socket, [socket] {
            if (!socket->property(kDoneProperty).toBool())
                Answer(socket, "error\n");
        });
        if (socket->bytesAvailable() > 0)
            Receive(socket);
    }
}

void CSingleInstance::Receive(QLocalSocket* socket)
{
    if (socket->property(kDoneProperty).toBool()) {
        socket->readAll(); // one request a connection; the rest is not looked at
        return;
    }
    QByteArray buffer = socket->property(kBufferProperty).toByteArray();
    // Never hold more than the limit plus one byte, whatever the peer sends.
    buffer += socket->read(static_cast<qint64>(mirelda::kMaxInstanceRequest) + 1 - buffer.size());
    const InstanceRequest request = mirelda::ParseInstanceRequest(
        std::string_view(buffer.constData(), static_cast<size_t>(buffer.size())));
    if (request.kind == InstanceRequest::Kind::Incomplete) {
        socket->setProperty(kBufferProperty, buffer);
        return;
    }
    socket->setProperty(kDoneProperty, true);
    socket->setProperty(kBufferProperty, QVariant());
    if (request.kind == InstanceRequest::Kind::Malformed || !handler_) {
        Answer(socket, "error\n");
        return;
    }
    // The handler may run nested event loops (message boxes): the socket must outlive it.
    const QPointer<QLocalSocket> guard(socket);
    handler_(request);
    if (guard)
        Answer(socket, "ok\n");
}

void CSingleInstance::Answer(QLocalSocket* socket, const char* answer)
{
    socket->setProperty(kDoneProperty, true);
    if (socket->state() == QLocalSocket::ConnectedState) {
        socket->write(answer);
        socket->flush();
        socket->disconnectFromServer();
    }
    socket->deleteLater();
}
