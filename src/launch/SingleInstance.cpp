#include "SingleInstance.h"

#include "app/ActivityLog.h"
#include "platform/Paths.h"

#include <QDataStream>
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
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out << arguments;
    QDataStream frame(&socket);
    frame << payload;
    socket.flush();
    // The running instance answers one byte once it has the arguments.
    return socket.waitForReadyRead(handOverTimeoutMs) && socket.read(1) == "k";
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
