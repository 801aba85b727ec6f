#pragma once
#include "app/Updater.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>

class QNetworkReply;

// The updater of release builds: reads the RSS feed over HTTPS, downloads the newest release
// when it is newer than this build, checks its length and Ed25519 signature, and installs it
// into the install folder when the delegate says so or when the application quits.
class AppcastUpdater : public QObject, public Updater
{
    Q_OBJECT
public:
    struct Config
    {
        QUrl feedUrl;
        QByteArray publicKey; // raw 32-byte Ed25519 key
        QString currentVersion;
        QString installFolder;
        // Accepts http:// addresses as well; for tests against a local server only.
        bool allowPlainHttp = false;
        int checkIntervalMs = 24 * 60 * 60 * 1000;
        qint64 maxFeedBytes = 1024 * 1024;
        // Starts the application again once this process has ended, then quits. Tests replace it.
        std::function<void()> relaunch;
        // Tells the user how a check they asked for went (a short toast).
        std::function<void(const QString &)> showMessage;
    };

    AppcastUpdater(Config config, UpdaterDelegate &delegate, QObject *parent = nullptr);
    ~AppcastUpdater() override;

    bool automaticallyChecksForUpdates() const override { return true; }
    void checkForUpdatesInBackground() override { check(false); }
    void checkForUpdates() override { check(true); }

    bool isChecking() const { return !m_reply.isNull(); }
    bool hasDownloadReady() const { return m_ready.has_value(); }

    // Starts the installed application again after this process ends, then quits.
    static std::function<void()> defaultRelaunch();

private:
    void check(bool userAsked);
    bool acceptable(const QUrl &url) const;
    void feedFinished(QNetworkReply *reply);
    void startDownload(const UpdateItem &item);
    void downloadFinished(QNetworkReply *reply, const UpdateItem &item);
    void downloadReady(const UpdateItem &item, const QByteArray &archive);
    void installNow();
    void installAtQuit();
    bool installReady();
    void stop(int code, const QString &description);
    void tell(const QString &message);
    QNetworkReply *get(const QUrl &url, qint64 limit);

    Config m_config;
    UpdaterDelegate &m_delegate;
    QNetworkAccessManager m_network;
    QTimer m_daily;
    QPointer<QNetworkReply> m_reply;
    bool m_userAsked = false;
    std::optional<UpdateItem> m_ready;
    QByteArray m_archive;
};
