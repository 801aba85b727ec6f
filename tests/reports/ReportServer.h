#pragma once
// An HTTPS server on 127.0.0.1 for upload tests, with the certificate kept next to the tests
// (made for 127.0.0.1). It answers each request with the status set, or holds it unanswered.
#include <QFile>
#include <QList>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>

class ReportServer : public QObject
{
public:
    struct Request {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // lower-case names
        QByteArray body;
    };

    int status = 204;             // 0: never answers
    QByteArray failing;           // a request whose path contains this gets 500
    QList<Request> requests;

    ReportServer()
    {
        QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
        conf.setLocalCertificate(certificate());
        QFile keyFile(QStringLiteral(QUILLET_SOURCE_DIR "/tests/reports/report-server.key"));
        keyFile.open(QIODevice::ReadOnly);
        conf.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Rsa));
        conf.setPeerVerifyMode(QSslSocket::VerifyNone);
        m_server.setSslConfiguration(conf);
        connect(&m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
        m_server.listen(QHostAddress::LocalHost, 0);
    }

    static QSslCertificate certificate()
    {
        QFile f(QStringLiteral(QUILLET_SOURCE_DIR "/tests/reports/report-server.crt"));
        f.open(QIODevice::ReadOnly);
        return QSslCertificate(f.readAll());
    }

    // The process trusts the server's certificate from now on.
    static void trust()
    {
        QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
        conf.addCaCertificate(certificate());
        QSslConfiguration::setDefaultConfiguration(conf);
    }

    QString url(const QString &path = QStringLiteral("/v1/report")) const
    {
        return QStringLiteral("https://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }

private:
    void serve(QTcpSocket *socket)
    {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            Request r;
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            r.method = first.value(0);
            r.path = first.value(1);
            for (const QByteArray &line : lines.mid(1)) {
                const qsizetype colon = line.indexOf(':');
                if (colon > 0)
                    r.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
            }
            const qsizetype length = r.headers.value("content-length").toLongLong();
            if (buffer->size() - end - 4 < length)
                return;
            r.body = buffer->mid(end + 4, length);
            buffer->clear();
            requests << r;
            if (status == 0)
                return;
            const int answered = !failing.isEmpty() && r.path.contains(failing) ? 500 : status;
            QByteArray answer = "HTTP/1.1 " + QByteArray::number(answered) + " X\r\nContent-Length: 0\r\nConnection: close\r\n";
            if (answered >= 300 && answered < 400)
                answer += "Location: " + url(QStringLiteral("/elsewhere")).toLatin1() + "\r\n";
            socket->write(answer + "\r\n");
            socket->disconnectFromHost();
        });
    }

    QSslServer m_server;
};
