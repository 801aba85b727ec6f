#include "SettingsFixture.h"
#include "app/ActivityLog.h"
#include "platform/BuildInfo.h"
#include "platform/linux/QtHttpPoster.h"
#include "settings/ContactMessage.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>

namespace {
QByteArray readData(const QString &name)
{
    QFile file(QStringLiteral(QUILLET_SOURCE_DIR "/tests/settings/data/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A small HTTP server on 127.0.0.1, with TLS or without, that answers every request with the
// status it is given (never, for a hang) and remembers each request line and body.
class TestServer : public QObject
{
public:
    explicit TestServer(bool tls, const QString &certificate = QStringLiteral("trusted"))
    {
        if (tls) {
            auto *ssl = new QSslServer(this);
            QSslConfiguration config = QSslConfiguration::defaultConfiguration();
            config.setLocalCertificate(QSslCertificate(readData(certificate + ".crt")));
            config.setPrivateKey(QSslKey(readData(certificate + ".key"), QSsl::Rsa));
            ssl->setSslConfiguration(config);
            server = ssl;
        } else {
            server = new QTcpServer(this);
        }
        server->listen(QHostAddress::LocalHost);
        connect(server, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket *socket = server->nextPendingConnection()) {
                ++connections;
                connect(socket, &QIODevice::readyRead, this, [this, socket] { read(socket); });
            }
        });
    }
    quint16 port() const { return server->serverPort(); }

    int status = 201; // 0: never answer
    QByteArray location;
    QList<QByteArray> requestLines;
    QList<QByteArray> contentTypes;
    QList<QByteArray> bodies;
    int connections = 0;

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &buffer = buffers[socket];
        buffer += socket->readAll();
        const int end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        int length = 0;
        QByteArray type;
        for (const QByteArray &line : lines) {
            const QByteArray l = line.trimmed();
            if (l.toLower().startsWith("content-length:"))
                length = l.mid(15).trimmed().toInt();
            if (l.toLower().startsWith("content-type:"))
                type = l.mid(13).trimmed();
        }
        if (buffer.size() < end + 4 + length)
            return;
        requestLines << lines.first().trimmed();
        contentTypes << type;
        bodies << buffer.mid(end + 4, length);
        buffer.clear();
        if (status == 0)
            return;
        QByteArray answer = "HTTP/1.1 " + QByteArray::number(status) + " Answer\r\nContent-Length: 0\r\n";
        if (!location.isEmpty())
            answer += "Location: " + location + "\r\n";
        socket->write(answer + "Connection: close\r\n\r\n");
        socket->disconnectFromHost();
    }

    QTcpServer *server;
    QHash<QTcpSocket *, QByteArray> buffers;
};

QString logText()
{
    QFile file(ActivityLog::logPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
} // namespace

class TestContact : public QObject
{
    Q_OBJECT
    std::unique_ptr<SettingsFixture> f;
    std::shared_ptr<QtHttpPoster> poster;

    void fill(const QString &email = QStringLiteral("  me@example.org \n"),
              const QString &message = QStringLiteral("\n The arrow is off.  "))
    {
        f->model().setContactEmail(email);
        f->model().setContactMessage(message);
    }
    void waitUntilSettled()
    {
        QTRY_VERIFY_WITH_TIMEOUT(f->model().contactState() != SettingsModel::ContactState::sending, 20000);
    }

private slots:
    void init()
    {
        f = std::make_unique<SettingsFixture>();
        poster = std::make_shared<QtHttpPoster>();
        poster->trust({QSslCertificate(readData("trusted.crt"))});
        HttpPoster::setShared(poster);
        BuildInfo::overrideValue("QLContactURL", {});
        BuildInfo::overrideValue("QLMakerHost", {});
        Preferences::shared().remove("reports.contact");
        f->make();
    }
    void cleanup()
    {
        f.reset();
        HttpPoster::setShared(nullptr);
    }

    void emailRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::newRow("plain") << "a@b.co" << true;
        QTest::newRow("two at signs") << "a@b@c.co" << false;
        QTest::newRow("nothing before") << "@b.co" << false;
        QTest::newRow("no dot after") << "a@bco" << false;
        QTest::newRow("dot right after") << "a@.bco" << false;
        QTest::newRow("dot at the end") << "a@bco." << false;
        QTest::newRow("blank inside") << "a b@c.co" << false;
    }
    void emailRule()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QCOMPARE(SettingsModel::looksLikeEmail(text), ok);
    }

    void canSendNeedsAnAddressAndWords()
    {
        fill(QStringLiteral(" me@example.org "), QStringLiteral(" \n\t "));
        QVERIFY(!f->model().canSend());
        fill();
        QVERIFY(f->model().canSend());
        f->model().setContactState(SettingsModel::ContactState::sending);
        QVERIFY(!f->model().canSend());
    }

    void endpoint_data()
    {
        QTest::addColumn<QString>("contact");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("expected");
        QTest::newRow("https url") << "https://x.test/in" << "m.test" << "https://x.test/in";
        QTest::newRow("empty url") << "" << "m.test" << "https://m.test/v1/contact";
        QTest::newRow("http url") << "http://x.test/in" << "m.test" << "https://m.test/v1/contact";
        QTest::newRow("malformed url") << "https//x" << "m.test" << "https://m.test/v1/contact";
        QTest::newRow("nothing configured") << "" << "" << "";
        QTest::newRow("http and no host") << "http://x.test/in" << "" << "";
    }
    void endpoint()
    {
        QFETCH(QString, contact);
        QFETCH(QString, host);
        QFETCH(QString, expected);
        BuildInfo::overrideValue("QLContactURL", contact);
        BuildInfo::overrideValue("QLMakerHost", host);
        const auto url = ContactMessage::endpoint();
        QCOMPARE(url ? url->toString() : QString(), expected);
    }

    void acceptedMessageIsSentAndCleared()
    {
        TestServer server(true);
        BuildInfo::overrideValue("QLContactURL", QStringLiteral("https://127.0.0.1:%1/v1/contact").arg(server.port()));
        fill();
        f->model().sendContact();
        QCOMPARE(f->model().contactState(), SettingsModel::ContactState::sending);
        // The address is kept before any answer comes.
        QCOMPARE(Preferences::shared().stringValue("reports.contact"), QStringLiteral("me@example.org"));
        waitUntilSettled();
        QCOMPARE(f->model().contactState(), SettingsModel::ContactState::sent);
        QCOMPARE(f->model().contactMessage(), QString());
        QCOMPARE(f->model().contactEmail(), QStringLiteral("  me@example.org \n"));
        QCOMPARE(server.requestLines, QList<QByteArray>{"POST /v1/contact HTTP/1.1"});
        QCOMPARE(server.contentTypes.first(), QByteArray("application/json"));
        const QJsonObject body = QJsonDocument::fromJson(server.bodies.first()).object();
        QCOMPARE(body.keys(), (QStringList{"app", "email", "message", "os", "source", "website"}));
        QCOMPARE(body.value("email").toString(), QStringLiteral("me@example.org"));
        QCOMPARE(body.value("message").toString(), QStringLiteral("The arrow is off."));
        QCOMPARE(body.value("source").toString(), QStringLiteral("app"));
        QCOMPARE(body.value("app").toString(), ContactMessage::appVersionText());
        QVERIFY(!body.value("os").toString().isEmpty());
        QCOMPARE(body.value("website").toString(), QString());
    }

    void refusedOrLostMessagesKeepTheText_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("certificate");
        QTest::addColumn<QString>("logged"); // what follows "contact: not sent, "; empty: any number
        QTest::newRow("500") << 500 << "trusted" << "500";
        QTest::newRow("redirect") << 302 << "trusted" << "302";
        QTest::newRow("hang") << 0 << "trusted" << "";
        QTest::newRow("untrusted certificate") << 201 << "untrusted" << "";
    }
    void refusedOrLostMessagesKeepTheText()
    {
        QFETCH(int, status);
        QFETCH(QString, certificate);
        QFETCH(QString, logged);
        TestServer server(true, certificate);
        server.status = status;
        if (status == 302)
            server.location = QStringLiteral("https://127.0.0.1:%1/elsewhere").arg(server.port()).toUtf8();
        poster->setTimeoutCap(0.5);
        BuildInfo::overrideValue("QLContactURL", QStringLiteral("https://127.0.0.1:%1/v1/contact").arg(server.port()));
        fill();
        f->model().sendContact();
        waitUntilSettled();
        QCOMPARE(f->model().contactState(), SettingsModel::ContactState::failed);
        QCOMPARE(f->model().contactMessage(), QStringLiteral("\n The arrow is off.  "));
        QCOMPARE(Preferences::shared().stringValue("reports.contact"), QStringLiteral("me@example.org"));
        const QRegularExpression line(QStringLiteral("contact: not sent, (-?\\d+)\\n"));
        QRegularExpressionMatch match; // this row's line is the last one
        for (auto it = line.globalMatch(logText()); it.hasNext();)
            match = it.next();
        QVERIFY2(match.hasMatch(), qPrintable(logText()));
        if (!logged.isEmpty())
            QCOMPARE(match.captured(1), logged);
        else
            QVERIFY(match.captured(1).toInt() > 0 && match.captured(1).toInt() < 200);
        // A redirect is never followed.
        for (const QByteArray &request : std::as_const(server.requestLines))
            QVERIFY(!request.contains("/elsewhere"));
    }

    void aPlainHttpAddressIsNeverUsed()
    {
        TestServer plain(false);
        TestServer secure(true);
        BuildInfo::overrideValue("QLContactURL", QStringLiteral("http://127.0.0.1:%1/v1/contact").arg(plain.port()));
        BuildInfo::overrideValue("QLMakerHost", QStringLiteral("127.0.0.1:%1").arg(secure.port()));
        fill();
        f->model().sendContact();
        waitUntilSettled();
        QCOMPARE(f->model().contactState(), SettingsModel::ContactState::sent);
        QCOMPARE(plain.connections, 0);
        QCOMPARE(secure.bodies.size(), 1);
    }

    void withoutAnyAddressNothingIsSent()
    {
        BuildInfo::overrideValue("QLContactURL", QStringLiteral("http://127.0.0.1:9/v1/contact"));
        f->controller->refresh();
        QVERIFY(f->model().unavailable().contains("sendContact"));
        fill();
        f->model().sendContact();
        QCOMPARE(f->model().contactState(), SettingsModel::ContactState::idle);
        QVERIFY(!Preferences::shared().contains("reports.contact"));
    }
};

QUILLET_QUICK_TEST_MAIN(TestContact)
#include "tst_contact.moc"
