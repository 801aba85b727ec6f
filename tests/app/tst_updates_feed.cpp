#include "TestEnv.h"

#include "app/ActivityLog.h"
#include "app/AppcastUpdater.h"
#include "app/UpdateInstaller.h"
#include "app/Updates.h"
#include "platform/BuildInfo.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <openssl/evp.h>

namespace {
// A small HTTP/1.1 server on 127.0.0.1 that answers GET requests from a table of paths.
class HttpServer : public QObject
{
public:
    HttpServer()
    {
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        });
        server.listen(QHostAddress::LocalHost);
    }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(path);
    }
    QHash<QString, QByteArray> files;
    QStringList requests;

private:
    void serve(QTcpSocket *socket)
    {
        QByteArray &buffer = pending[socket];
        buffer += socket->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        const QString path = QString::fromLatin1(buffer.split(' ').value(1));
        pending.remove(socket);
        requests.append(path);
        const auto it = files.constFind(path);
        const QByteArray body = it == files.constEnd() ? QByteArray("not found") : it.value();
        socket->write((it == files.constEnd() ? "HTTP/1.1 404 Not Found\r\n" : "HTTP/1.1 200 OK\r\n")
                      + QByteArray("Content-Length: ") + QByteArray::number(body.size())
                      + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
    QTcpServer server;
    QHash<QTcpSocket *, QByteArray> pending;
};

// An Ed25519 key pair made for the test.
struct KeyPair
{
    KeyPair()
    {
        EVP_PKEY_CTX *ctx = EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr);
        EVP_PKEY_keygen_init(ctx);
        EVP_PKEY_keygen(ctx, &key);
        EVP_PKEY_CTX_free(ctx);
        size_t length = 32;
        publicKey.resize(32);
        EVP_PKEY_get_raw_public_key(key, reinterpret_cast<unsigned char *>(publicKey.data()), &length);
    }
    ~KeyPair() { EVP_PKEY_free(key); }
    QByteArray sign(const QByteArray &data) const
    {
        QByteArray signature(64, '\0');
        size_t length = 64;
        EVP_MD_CTX *ctx = EVP_MD_CTX_new();
        EVP_DigestSignInit(ctx, nullptr, nullptr, nullptr, key);
        EVP_DigestSign(ctx, reinterpret_cast<unsigned char *>(signature.data()), &length,
                       reinterpret_cast<const unsigned char *>(data.constData()), size_t(data.size()));
        EVP_MD_CTX_free(ctx);
        return signature;
    }
    EVP_PKEY *key = nullptr;
    QByteArray publicKey;
};

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A gzip-compressed tar of the given files (relative path -> contents).
QByteArray tarball(const QHash<QString, QByteArray> &files, const QStringList &extraArgs = {})
{
    QTemporaryDir dir;
    QStringList names;
    for (auto it = files.constBegin(); it != files.constEnd(); ++it) {
        writeFile(dir.filePath(it.key()), it.value());
        names.append(it.key());
    }
    QProcess tar;
    tar.setWorkingDirectory(dir.path());
    tar.start(QStringLiteral("tar"), QStringList{QStringLiteral("-czf"), QStringLiteral("-")}
                                         + extraArgs + names);
    tar.waitForFinished();
    return tar.readAllStandardOutput();
}

QStringList logMessages()
{
    QStringList messages;
    const QStringList lines = QString::fromUtf8(readFile(ActivityLog::logPath())).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines)
        messages.append(line.section(QLatin1Char(' '), 1));
    return messages;
}

QByteArray item(const QString &version, const QString &url, qint64 length, const QByteArray &signature)
{
    return QStringLiteral("<item><title>Quillet %1</title><enclosure url=\"%2\" length=\"%3\" "
                          "type=\"application/gzip\" update:version=\"%1\" update:build=\"58\" "
                          "update:edSignature=\"%4\"/></item>")
        .arg(version, url)
        .arg(length)
        .arg(QString::fromLatin1(signature.toBase64()))
        .toUtf8();
}

QByteArray rss(const QByteArray &items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\" "
           "xmlns:update=\"urn:x-quillet:update\"><channel><title>Quillet</title>"
           + items + "</channel></rss>";
}
} // namespace

class TestUpdatesFeed : public QObject
{
    Q_OBJECT

    KeyPair keys;
    QByteArray archive;

    struct Release
    {
        HttpServer server;
        QTemporaryDir installDir;
        Updates updates;
        AppcastUpdater *updater = nullptr;
        int relaunches = 0;
        QStringList toasts;
        bool allowPlainHttp = true;

        Release(const QByteArray &publicKey)
        {
            writeFile(installDir.filePath(UpdateInstaller::markerName), "1.9");
            writeFile(installDir.filePath(QStringLiteral("bin/quillet")), "old program");
            writeFile(installDir.filePath(QStringLiteral("stale.txt")), "left from 1.9");
            BuildInfo::overrideValue(QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.9"));
            BuildInfo::overrideValue(QStringLiteral("SUFeedURL"), server.url(QStringLiteral("/appcast.xml")));
            BuildInfo::overrideValue(QStringLiteral("SUPublicEDKey"), QString::fromLatin1(publicKey.toBase64()));
            updates.captureSessionExists = [] { return false; };
            updates.titledWindowVisible = [] { return false; };
            updates.showToast = [this](const QString &text, double) { toasts.append(text); };
            updates.makeUpdater = [this](Updates &agent) {
                AppcastUpdater::Config config;
                config.feedUrl = QUrl(*Updates::feedURL());
                config.publicKey = QByteArray::fromBase64(BuildInfo::publicEdKey().toLatin1());
                config.currentVersion = BuildInfo::version();
                config.installFolder = installDir.path();
                config.allowPlainHttp = allowPlainHttp;
                config.relaunch = [this] { ++relaunches; };
                config.showMessage = [this](const QString &text) { toasts.append(text); };
                auto made = std::make_unique<AppcastUpdater>(std::move(config), agent);
                updater = made.get();
                return std::unique_ptr<Updater>(std::move(made));
            };
        }
        void waitForCheck() { QTRY_VERIFY_WITH_TIMEOUT(updater && !updater->isChecking(), 10000); }
    };

    void serveRelease(Release &release, const QByteArray &download, qint64 length,
                      const QByteArray &signature, const QString &version = QStringLiteral("1.10"))
    {
        release.server.files.insert(QStringLiteral("/quillet.tar.gz"), download);
        release.server.files.insert(
            QStringLiteral("/appcast.xml"),
            rss(item(QStringLiteral("1.8"), release.server.url(QStringLiteral("/old.tar.gz")), 10, QByteArray(64, 'x'))
                + item(version, release.server.url(QStringLiteral("/quillet.tar.gz")), length, signature)));
    }

private slots:
    void initTestCase()
    {
        archive = tarball({{UpdateInstaller::markerName, "1.10"}, {QStringLiteral("bin/quillet"), "new program"}});
        QVERIFY(!archive.isEmpty());
    }

    void init()
    {
        ActivityLog::closeForTesting();
        QFile::remove(ActivityLog::logPath());
    }

    void newerSignedReleaseIsInstalled()
    {
        Release release(keys.publicKey);
        serveRelease(release, archive, archive.size(), keys.sign(archive));
        release.updates.start();
        QTRY_VERIFY(release.updater && release.updater->hasDownloadReady());
        QCOMPARE(logMessages(), QStringList({QStringLiteral("update: found 1.10 (58)"),
                                             QStringLiteral("update: 1.10 (58) downloaded, installs when the app is idle or quits")}));
        QCOMPARE(readFile(release.installDir.filePath(QStringLiteral("bin/quillet"))), QByteArray("old program"));

        QVERIFY(release.updates.installNowIfReady());
        QCOMPARE(release.relaunches, 1);
        QCOMPARE(readFile(release.installDir.filePath(QStringLiteral("bin/quillet"))), QByteArray("new program"));
        QCOMPARE(readFile(release.installDir.filePath(UpdateInstaller::markerName)), QByteArray("1.10"));
        QCOMPARE(QDir(release.installDir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({UpdateInstaller::markerName, QStringLiteral("bin")}));
        QVERIFY(release.toasts.isEmpty()); // a background check tells nothing
    }

    void waitingReleaseInstallsAtQuit()
    {
        Release release(keys.publicKey);
        serveRelease(release, archive, archive.size(), keys.sign(archive));
        release.updates.start();
        QTRY_VERIFY(release.updater && release.updater->hasDownloadReady());
        QVERIFY(QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit", Qt::DirectConnection));
        QCOMPARE(readFile(release.installDir.filePath(QStringLiteral("bin/quillet"))), QByteArray("new program"));
        QCOMPARE(release.relaunches, 0);
    }

    void failedInstallKeepsTheOldFilesAndStartsAgain()
    {
        Release release(keys.publicKey);
        serveRelease(release, archive, archive.size(), keys.sign(archive));
        release.updates.start();
        QTRY_VERIFY(release.updater && release.updater->hasDownloadReady());
        QFile::remove(release.installDir.filePath(UpdateInstaller::markerName));
        QVERIFY(release.updates.installNowIfReady());
        QCOMPARE(release.relaunches, 1);
        QCOMPARE(readFile(release.installDir.filePath(QStringLiteral("bin/quillet"))), QByteArray("old program"));
        QCOMPARE(logMessages().last(), QStringLiteral("update: stopped, app.quillet.updater 4001 could not install 1.10 (58): the install folder is not ours to replace: ")
                                           + release.installDir.path());
    }

    void badReleasesInstallNothing_data()
    {
        QTest::addColumn<QByteArray>("feed");     // empty: the feed of serveRelease
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("download");        // 0 good, 1 one byte flipped, 2 signed by another key
        QTest::addColumn<int>("lengthChange");    // added to the true length in the feed
        QTest::addColumn<QString>("logged");      // the one line written, empty for none
        QTest::newRow("not XML") << QByteArray("this is { not xml") << "" << 0 << 0
                                 << "update: stopped, app.quillet.updater 1000 the feed is not XML (Start tag expected.)";
        QTest::newRow("not a feed") << QByteArray("<html><body/></html>") << "" << 0 << 0
                                    << "update: stopped, app.quillet.updater 1000 the feed is not an RSS feed";
        QTest::newRow("no items") << rss("") << "" << 0 << 0
                                  << "update: stopped, app.quillet.updater 1000 the feed has no usable item";
        QTest::newRow("older version") << QByteArray() << "1.8.9" << 0 << 0 << "";
        QTest::newRow("same version") << QByteArray() << "1.9" << 0 << 0 << "";
        QTest::newRow("flipped byte") << QByteArray() << "1.10" << 1 << 0
                                      << "update: stopped, app.quillet.updater 3001 the download of 1.10 (58) was discarded: its signature does not match";
        QTest::newRow("another key") << QByteArray() << "1.10" << 2 << 0
                                     << "update: stopped, app.quillet.updater 3001 the download of 1.10 (58) was discarded: its signature does not match";
        QTest::newRow("download longer than the feed says") << QByteArray() << "1.10" << 0 << -1
                                                             << "update: stopped, app.quillet.updater 3001 the download of 1.10 (58) was discarded: more than {less} bytes, the feed says {less}";
        QTest::newRow("download shorter than the feed says") << QByteArray() << "1.10" << 0 << 1
                                                              << "update: stopped, app.quillet.updater 3001 the download of 1.10 (58) was discarded: {size} bytes, the feed says {more}";
    }
    void badReleasesInstallNothing()
    {
        QFETCH(QByteArray, feed);
        QFETCH(QString, version);
        QFETCH(int, download);
        QFETCH(int, lengthChange);
        QFETCH(QString, logged);
        Release release(keys.publicKey);
        QByteArray served = archive;
        if (download == 1)
            served[served.size() / 2] = char(served.at(served.size() / 2) ^ 0x01);
        const QByteArray signature = download == 2 ? KeyPair().sign(archive) : keys.sign(archive);
        serveRelease(release, served, archive.size() + lengthChange, signature, version);
        if (!feed.isEmpty())
            release.server.files.insert(QStringLiteral("/appcast.xml"), feed);
        release.updates.start();
        release.waitForCheck();

        QVERIFY(!release.updater->hasDownloadReady());
        QVERIFY(!release.updates.installNowIfReady());
        QCOMPARE(readFile(release.installDir.filePath(QStringLiteral("bin/quillet"))), QByteArray("old program"));
        QStringList messages = logMessages();
        messages.removeAll(QStringLiteral("update: found 1.10 (58)"));
        const QString expected = QString(logged)
                                     .replace(QStringLiteral("{size}"), QString::number(archive.size()))
                                     .replace(QStringLiteral("{less}"), QString::number(archive.size() - 1))
                                     .replace(QStringLiteral("{more}"), QString::number(archive.size() + 1));
        QCOMPARE(messages, expected.isEmpty() ? QStringList() : QStringList(expected));
    }

    void userCheckTellsTheOutcome()
    {
        Release release(keys.publicKey);
        serveRelease(release, archive, archive.size(), keys.sign(archive), QStringLiteral("1.9"));
        release.updates.start();
        release.waitForCheck();
        QVERIFY(release.toasts.isEmpty());
        release.updates.checkForUpdates();
        release.waitForCheck();
        QCOMPARE(release.toasts, QStringList(QStringLiteral("Quillet™ 1.9 is up to date")));
        QVERIFY(logMessages().isEmpty());
    }

    void plainHttpFeedIsRefused()
    {
        Release release(keys.publicKey);
        release.allowPlainHttp = false;
        serveRelease(release, archive, archive.size(), keys.sign(archive));
        release.updates.start();
        QCOMPARE(logMessages(), QStringList(QStringLiteral("update: stopped, app.quillet.updater 1002 "
                                                           "the feed address is not https: ")
                                            + release.server.url(QStringLiteral("/appcast.xml"))));
        QTest::qWait(100);
        QVERIFY(release.server.requests.isEmpty());
    }

    void systemInstallIsLeftToThePackageManager()
    {
        Release release(keys.publicKey);
        QFile::remove(release.installDir.filePath(UpdateInstaller::markerName));
        serveRelease(release, archive, archive.size(), keys.sign(archive));
        release.updates.start();
        release.waitForCheck();
        QCOMPARE(logMessages(), QStringList({QStringLiteral("update: found 1.10 (58)"),
                                             QStringLiteral("update: Quillet™ 1.10 is out; this copy comes from the system's package manager")}));
        QCOMPARE(release.updates.packageManagerNote(), QStringLiteral("Quillet™ 1.10 is available from the package manager"));
        QCOMPARE(release.server.requests, QStringList(QStringLiteral("/appcast.xml")));
    }

    void archivesThatLeaveTheFolderAreRefused_data()
    {
        QTest::addColumn<QByteArray>("archive");
        QTest::addColumn<QString>("error");
        QTest::newRow("member outside the folder")
            << tarball({{UpdateInstaller::markerName, "x"}, {QStringLiteral("sub/f"), "x"}},
                       {QStringLiteral("--transform=s,^sub,../sub,")})
            << "the archive names a file outside its folder: ../sub/f";
        QTest::newRow("not an install folder") << tarball({{QStringLiteral("bin/quillet"), "x"}})
                                               << "the archive is not an install folder (no .quillet-install)";
        QTest::newRow("not an archive") << QByteArray("plain text") << "tar failed";
    }
    void archivesThatLeaveTheFolderAreRefused()
    {
        QFETCH(QByteArray, archive);
        QFETCH(QString, error);
        QTemporaryDir outer;
        const QString folder = outer.filePath(QStringLiteral("quillet"));
        writeFile(folder + QLatin1Char('/') + UpdateInstaller::markerName, "1.9");
        writeFile(folder + QStringLiteral("/bin/quillet"), "old program");
        QString why;
        QVERIFY(!UpdateInstaller::install(archive, folder, &why));
        QVERIFY2(why.startsWith(error), qPrintable(why));
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({UpdateInstaller::markerName, QStringLiteral("bin")}));
        QCOMPARE(QDir(outer.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList(QStringLiteral("quillet")));
    }
};

QUILLET_TEST_MAIN(TestUpdatesFeed)
#include "tst_updates_feed.moc"
