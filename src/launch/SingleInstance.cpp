#include "SingleInstance.h"

#include "app/ActivityLog.h"
#include "platform/Paths.h"

#include <QDataStream>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {
constexpr int handOverTimeoutMs = 3000;

QString displayTag()
{
    QString d = QString::fromLocal8Bit(qgetenv("DISPLAY"));
    if (d.isEmpty())
        d = QStringLiteral("none");
    for (QChar &c : d)
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    return d;
}

// The framed arguments as the running instance reads them.
QByteArray frameOf(const QStringList &arguments)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out << arguments;
    QByteArray frame;
    QDataStream framed(&frame, QIODevice::WriteOnly);
    framed << payload;
    return frame;
}
} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketPath(QStringList *problems)
{
    const QString folder = Paths::runtimeDir(problems);
    if (folder.isEmpty())
        return QString();
    return folder + QStringLiteral("/quillet-") + displayTag() + QStringLiteral(".sock");
}

bool SingleInstance::handOver(const QStringList &arguments) const
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(handOverTimeoutMs))
        return false;
    socket.write(frameOf(arguments));
    socket.flush();
    // The running instance answers one byte once it has the arguments.
    return socket.waitForReadyRead(handOverTimeoutMs) && socket.read(1) == "k";
}

SingleInstance::Claim SingleInstance::handOverEarly(const QStringList &arguments)
{
    // Plain socket calls: no event dispatcher exists yet for Qt's sockets.
    const QByteArray path = QFile::encodeName(socketPath());
    sockaddr_un address{};
    if (path.isEmpty() || size_t(path.size()) >= sizeof(address.sun_path))
        return Claim::first;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Claim::first;
    const timeval timeout{handOverTimeoutMs / 1000, (handOverTimeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return Claim::first;
    }
    const QByteArray frame = frameOf(arguments);
    qsizetype sent = 0;
    while (sent < frame.size()) {
        const ssize_t n = ::send(fd, frame.constData() + sent, size_t(frame.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += n;
    }
    char answer = 0;
    const bool acknowledged = sent == frame.size() && ::recv(fd, &answer, 1, 0) == 1 && answer == 'k';
    ::close(fd);
    return acknowledged ? Claim::handedOver : Claim::notAnswered;
}

SingleInstance::Claim SingleInstance::claim(const QStringList &arguments)
{
    QStringList passedOver;
    m_path = socketPath(&passedOver);
    for (const QString &line : passedOver)
        activityLog(QStringLiteral("launch: ") + line);
    if (m_path.isEmpty()) {
        m_problem = QStringLiteral("There is no private folder for its socket (%1).")
                        .arg(passedOver.join(QStringLiteral("; ")));
        return Claim::impossible;
    }
    // Two processes starting at once must not both decide they are first.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    lock.tryLock(handOverTimeoutMs);

    QLocalSocket probe;
    probe.connectToServer(m_path);
    if (probe.waitForConnected(500)) {
        probe.disconnectFromServer();
        return handOver(arguments) ? Claim::handedOver : Claim::notAnswered;
    }

    QLocalServer::removeServer(m_path); // a socket left by a process that died
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_path)) {
        m_problem = QStringLiteral("It cannot listen on %1: %2.").arg(m_path, m_server->errorString());
        delete m_server;
        m_server = nullptr;
        return Claim::impossible;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    return Claim::first;
}

void SingleInstance::stop()
{
    if (m_server)
        m_server->close();
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream frame(socket);
            frame.startTransaction();
            QByteArray payload;
            frame >> payload;
            if (!frame.commitTransaction())
                return; // wait for the rest
            QStringList arguments;
            QDataStream in(payload);
            in >> arguments;
            socket->write("k");
            socket->flush();
            if (in.status() == QDataStream::Ok)
                emit argumentsReceived(arguments);
        });
    }
}
