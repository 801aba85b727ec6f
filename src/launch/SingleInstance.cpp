#include "SingleInstance.h"

#include "app/ActivityLog.h"
#include "platform/Paths.h"

#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

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
} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketPath()
{
    return Paths::runtimeDir() + QStringLiteral("/quillet-") + displayTag() + QStringLiteral(".sock");
}

bool SingleInstance::handOver(const QStringList &arguments)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(handOverTimeoutMs))
        return false;
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out << arguments;
    QDataStream frame(&socket);
    frame << payload;
    socket.flush();
    // The running instance answers one byte once it has the arguments.
    return socket.waitForReadyRead(handOverTimeoutMs) && socket.read(1) == "k";
}

bool SingleInstance::claim(const QStringList &arguments, bool *delivered)
{
    QDir().mkpath(Paths::runtimeDir());
    // Two processes starting at once must not both decide they are first.
    QLockFile lock(socketPath() + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    lock.tryLock(handOverTimeoutMs);

    QLocalSocket probe;
    probe.connectToServer(socketPath());
    if (probe.waitForConnected(500)) {
        probe.disconnectFromServer();
        const bool ok = handOver(arguments);
        if (delivered)
            *delivered = ok;
        return false;
    }

    QLocalServer::removeServer(socketPath()); // a socket left by a process that died
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath())) {
        activityLog(QStringLiteral("launch: cannot listen on %1: %2")
                        .arg(socketPath(), m_server->errorString()));
        return true; // run anyway; a second start will then start a second instance
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    return true;
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
