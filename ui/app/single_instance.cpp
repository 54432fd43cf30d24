#include "ui/app/single_instance.h"

#include "core/app/peer_credentials.h"
#include "core/app/runtime_folder.h"
#include "ui/widgets/qt_path.h"

#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace mirelda::ui {

using mirelda::InstanceRequest;

namespace {

const char* const kBufferProperty = "mireldaRequest";
const char* const kDoneProperty = "mireldaDone";
const char* const kDroppedProperty = "mireldaDropped";
constexpr int kListenBacklog = 64;
constexpr int kAcceptsPerWakeUp = 64; // the interface keeps its turn during a flood

QString Errno(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString CSingleInstance::RuntimeFolder(QString* why)
{
    const mirelda::RuntimeFolder runtime = mirelda::PrivateRuntimeFolder();
    if (!runtime.folder.empty())
        return ToQString(runtime.folder);
    if (why)
        *why = QString::fromStdString(runtime.why);
    return {};
}

CSingleInstance::CSingleInstance(const QString& windowClassName, QObject* parent)
    : QObject(parent), path_(ServerPath(windowClassName))
{
    if (path_.isEmpty())
        RuntimeFolder(&folderError_);
}

CSingleInstance::~CSingleInstance()
{
    StopListening();
    // The connections go while this object is whole, their callbacks cut first.
    for (QLocalSocket* socket : findChildren<QLocalSocket*>(QString(), Qt::FindDirectChildrenOnly)) {
        Drop(socket);
        delete socket;
    }
}

QString CSingleInstance::ServerPath(const QString& windowClassName)
{
    const QString folder = RuntimeFolder();
    if (folder.isEmpty())
        return {};
    return folder + QLatin1String("/mirelda-") + windowClassName + QLatin1Char('-') +
           QString::number(static_cast<qulonglong>(::getuid()));
}

CSingleInstance::Outcome CSingleInstance::Start(const InstanceRequest& request, bool becomeFirst)
{
    if (path_.isEmpty()) {
        // Nowhere private to meet: this process cannot find a viewer nor be found.
        error_ = folderError_;
        return becomeFirst ? Outcome::First : Outcome::NoneRunning;
    }
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
            if (!PeerIsThisUser(static_cast<int>(socket.socketDescriptor()))) {
                // Whatever answers there is not this user's viewer: tell it nothing, trust nothing.
                error_ = QStringLiteral("le socket %1 appartient à un autre utilisateur").arg(path_);
                return Outcome::Failed;
            }
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
    const QByteArray path = QFile::encodeName(path_);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(path.size()) >= sizeof address.sun_path) {
        error_ = QStringLiteral("chemin du socket trop long : %1").arg(path_);
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    // Only a socket is removed: in the private folder that is a crashed viewer's.
    struct stat old
    {
    };
    if (::lstat(path.constData(), &old) == 0 && S_ISSOCK(old.st_mode))
        ::unlink(path.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error_ = Errno(errno);
        return false;
    }
    struct stat made
    {
    };
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(fd, kListenBacklog) != 0 ||
        ::lstat(path.constData(), &made) != 0) {
        error_ = Errno(errno);
        ::close(fd);
        return false;
    }
    listenFd_ = fd;
    listenDevice_ = made.st_dev;
    listenInode_ = made.st_ino;
    reserveFd_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CSingleInstance::AcceptPending);
    return true;
}

void CSingleInstance::StopListening()
{
    if (listenFd_ < 0)
        return;
    delete notifier_;
    notifier_ = nullptr;
    ::close(listenFd_);
    listenFd_ = -1;
    // A later viewer may already have put its own socket there.
    const QByteArray path = QFile::encodeName(path_);
    struct stat st
    {
    };
    if (::lstat(path.constData(), &st) == 0 && st.st_dev == listenDevice_ && st.st_ino == listenInode_)
        ::unlink(path.constData());
    if (reserveFd_ >= 0)
        ::close(reserveFd_);
    reserveFd_ = -1;
}

void CSingleInstance::AcceptPending()
{
    for (int i = 0; i < kAcceptsPerWakeUp; ++i) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE)
                RefuseWithoutDescriptors();
            return; // nothing more waiting (or a passing error): the next wake-up tries again
        }
        if (connections_ >= kMaxConnections || !PeerIsThisUser(fd)) {
            ::close(fd); // refused: the peer sees the connection closed unanswered
            continue;
        }
        Serve(fd);
    }
}

// No descriptor left for the connection at the head of the queue: it is refused with the one
// kept in reserve, so that it does not wake the loop again and again, and the socket stays open.
void CSingleInstance::RefuseWithoutDescriptors()
{
    if (reserveFd_ >= 0) {
        ::close(reserveFd_);
        reserveFd_ = -1;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
        reserveFd_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    }
    if (reserveFd_ < 0 && notifier_) {
        // Not even that: listen again a moment later rather than spin.
        notifier_->setEnabled(false);
        QTimer::singleShot(200, notifier_, [this] {
            if (reserveFd_ < 0)
                reserveFd_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            notifier_->setEnabled(true);
        });
    }
}

void CSingleInstance::Serve(int fd)
{
    // The socket, its deadline and every callback about it live and die together: nothing
    // that outlives the socket refers to it.
    auto* socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(fd)) {
        ::close(fd);
        delete socket;
        return;
    }
    ++connections_;
    // Every callback is this object's and goes in Drop(), before the socket is deleted: a
    // socket being torn down still emits signals (disconnected), which must reach nothing.
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Receive(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
        if (!socket->property(kDoneProperty).toBool())
            Drop(socket); // gone before its request: its place is free again
    });
    // A peer that connects and says nothing must not hold a connection forever.
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this, socket] {
        if (!socket->property(kDoneProperty).toBool())
            Answer(socket, "error\n");
    });
    deadline->start(kRequestTimeoutMs);
    if (socket->bytesAvailable() > 0)
        Receive(socket);
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
    Drop(socket);
}

void CSingleInstance::Drop(QLocalSocket* socket)
{
    if (socket->property(kDroppedProperty).toBool())
        return;
    socket->setProperty(kDroppedProperty, true);
    QObject::disconnect(socket, nullptr, this, nullptr);
    for (QTimer* deadline : socket->findChildren<QTimer*>()) {
        deadline->stop();
        QObject::disconnect(deadline, nullptr, this, nullptr);
    }
    --connections_;
    socket->deleteLater();
}

} // namespace mirelda::ui
