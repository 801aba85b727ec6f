#include "AppcastUpdater.h"

#include "app/Appcast.h"
#include "app/UpdateInstaller.h"
#include "app/UpdateSignature.h"
#include "document/VersionOrder.h"

#include <QCoreApplication>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>

namespace {
QString releaseName(const UpdateItem &item)
{
    return item.buildVersion.isEmpty()
               ? item.displayVersion
               : item.displayVersion + QStringLiteral(" (") + item.buildVersion + QLatin1Char(')');
}

QString readyMessage(const UpdateItem &item)
{
    return QStringLiteral("Quillet™ %1 is ready and installs when the app is idle or quits")
        .arg(item.displayVersion);
}
} // namespace

AppcastUpdater::AppcastUpdater(Config config, UpdaterDelegate &delegate, QObject *parent)
    : QObject(parent), m_config(std::move(config)), m_delegate(delegate)
{
    if (!m_config.relaunch)
        m_config.relaunch = defaultRelaunch();
    m_daily.setInterval(m_config.checkIntervalMs);
    connect(&m_daily, &QTimer::timeout, this, [this] { check(false); });
    m_daily.start();
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                &AppcastUpdater::installAtQuit);
}

AppcastUpdater::~AppcastUpdater()
{
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->abort();
    }
}

std::function<void()> AppcastUpdater::defaultRelaunch()
{
    // Read now: once the executable has been replaced the running one's path reads as deleted.
    const QString program = QCoreApplication::applicationFilePath();
    return [program] {
        // Waits up to 10 s for this process to end, then starts the new copy.
        static const QString script = QStringLiteral(
            "i=0; while kill -0 \"$1\" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.2; i=$((i+1)); "
            "done; exec \"$2\"");
        QProcess::startDetached(QStringLiteral("/bin/sh"),
                                {QStringLiteral("-c"), script, QStringLiteral("sh"),
                                 QString::number(QCoreApplication::applicationPid()), program});
        // Leave the event loop directly: quit() first asks every window to close, and an open
        // canvas answers by ending its session instead, which would keep this process running.
        QCoreApplication::exit(0);
    };
}

bool AppcastUpdater::acceptable(const QUrl &url) const
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
           && (scheme == QLatin1String("https")
               || (m_config.allowPlainHttp && scheme == QLatin1String("http")));
}

QNetworkReply *AppcastUpdater::get(const QUrl &url, qint64 limit)
{
    QNetworkRequest request(url);
    // Downloads may move to another host (the signature vouches for them), never from https
    // to http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(60000);
    QNetworkReply *reply = m_network.get(request);
    // Anything larger than expected is not what the feed promised: stop reading early.
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, limit](qint64 received, qint64) {
        if (received > limit) {
            reply->setProperty("tooLarge", true);
            reply->abort();
        }
    });
    m_reply = reply;
    return reply;
}

void AppcastUpdater::check(bool userAsked)
{
    if (m_reply) {
        m_userAsked = m_userAsked || userAsked;
        return;
    }
    if (m_ready) {
        if (userAsked)
            tell(readyMessage(*m_ready));
        return;
    }
    m_userAsked = userAsked;
    if (!acceptable(m_config.feedUrl)) {
        stop(feedFailed, QStringLiteral("the feed address is not https: ")
                             + m_config.feedUrl.toString());
        return;
    }
    if (m_config.publicKey.size() != 32) {
        stop(verificationFailed, QStringLiteral("the build's signing key is not an Ed25519 key"));
        return;
    }
    QNetworkReply *reply = get(m_config.feedUrl, m_config.maxFeedBytes);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { feedFinished(reply); });
}

void AppcastUpdater::feedFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    m_reply.clear();
    if (reply->property("tooLarge").toBool()) {
        stop(feedUnreadable, QStringLiteral("the feed is larger than %1 bytes")
                                 .arg(m_config.maxFeedBytes));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        stop(feedFailed, QStringLiteral("could not read the feed: ") + reply->errorString());
        return;
    }
    const Appcast feed = Appcast::parse(reply->readAll());
    if (!feed.error.isEmpty()) {
        stop(feedUnreadable, QStringLiteral("the feed is ") + feed.error);
        return;
    }
    const UpdateItem *newest = feed.newest();
    if (!newest) {
        QString why = QStringLiteral("the feed has no usable item");
        if (!feed.skipped.isEmpty())
            why += QStringLiteral(" (") + feed.skipped.join(QStringLiteral("; ")) + QLatin1Char(')');
        stop(feedUnreadable, why);
        return;
    }
    if (!VersionOrder::isNewer(newest->displayVersion, m_config.currentVersion)) {
        stop(noUpdate, QStringLiteral("%1 is the newest version").arg(m_config.currentVersion));
        return;
    }
    if (!acceptable(newest->downloadUrl)) {
        stop(downloadFailed, QStringLiteral("the download address of %1 is not https: %2")
                                 .arg(releaseName(*newest), newest->downloadUrl.toString()));
        return;
    }
    const UpdateItem item = *newest;
    m_delegate.updaterFoundValidUpdate(item);
    if (!UpdateInstaller::canReplace(m_config.installFolder)) {
        stop(installedBySystem,
             QStringLiteral("Quillet™ %1 is out; this copy comes from the system's package manager")
                 .arg(item.displayVersion));
        return;
    }
    if (m_userAsked)
        tell(QStringLiteral("Downloading Quillet™ %1…").arg(item.displayVersion));
    startDownload(item);
}

void AppcastUpdater::startDownload(const UpdateItem &item)
{
    QNetworkReply *reply = get(item.downloadUrl, item.length);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, item] { downloadFinished(reply, item); });
}

void AppcastUpdater::downloadFinished(QNetworkReply *reply, const UpdateItem &item)
{
    reply->deleteLater();
    m_reply.clear();
    const bool tooLarge = reply->property("tooLarge").toBool();
    if (reply->error() != QNetworkReply::NoError && !tooLarge) {
        stop(downloadFailed, QStringLiteral("could not download %1: %2")
                                 .arg(releaseName(item), reply->errorString()));
        return;
    }
    const QByteArray archive = tooLarge ? QByteArray() : reply->readAll();
    if (tooLarge || archive.size() != item.length) {
        stop(verificationFailed,
             QStringLiteral("the download of %1 was discarded: %2 bytes, the feed says %3")
                 .arg(releaseName(item),
                      tooLarge ? QStringLiteral("more than %1").arg(item.length)
                               : QString::number(archive.size()))
                 .arg(item.length));
        return;
    }
    if (!UpdateSignature::verify(m_config.publicKey, archive, item.signature)) {
        stop(verificationFailed,
             QStringLiteral("the download of %1 was discarded: its signature does not match")
                 .arg(releaseName(item)));
        return;
    }
    downloadReady(item, archive);
}

void AppcastUpdater::downloadReady(const UpdateItem &item, const QByteArray &archive)
{
    m_ready = item;
    m_archive = archive;
    if (m_userAsked)
        tell(readyMessage(item));
    m_userAsked = false;
    QPointer<AppcastUpdater> self(this);
    const bool later = m_delegate.updaterWillInstallOnQuit(item, [self] {
        if (self)
            self->installNow();
    });
    if (!later)
        installNow();
}

void AppcastUpdater::installNow()
{
    // The caller expects the application to start again; when the installation failed the
    // old files are still in place and that copy starts.
    if (!m_ready)
        return;
    installReady();
    m_config.relaunch();
}

void AppcastUpdater::installAtQuit()
{
    installReady();
}

bool AppcastUpdater::installReady()
{
    if (!m_ready)
        return false;
    const UpdateItem item = *std::exchange(m_ready, std::nullopt);
    const QByteArray archive = std::exchange(m_archive, {});
    QString error;
    if (UpdateInstaller::install(archive, m_config.installFolder, &error))
        return true;
    stop(installFailed, QStringLiteral("could not install %1: %2").arg(releaseName(item), error));
    return false;
}

void AppcastUpdater::stop(int code, const QString &description)
{
    if (m_userAsked) {
        if (code == noUpdate)
            tell(QStringLiteral("Quillet™ %1 is up to date").arg(m_config.currentVersion));
        else if (code == installedBySystem)
            tell(description);
        else if (code < downloadFailed)
            tell(QStringLiteral("Could not check for updates"));
        else
            tell(QStringLiteral("The update could not be installed"));
    }
    m_userAsked = false;
    m_delegate.updaterAborted({errorDomain, code, description});
}

void AppcastUpdater::tell(const QString &message)
{
    if (m_config.showMessage)
        m_config.showMessage(message);
}
