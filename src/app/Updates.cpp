#include "Updates.h"

#include "app/ActivityLog.h"
#include "app/AppcastUpdater.h"
#include "app/Toast.h"
#include "app/UpdateInstaller.h"
#include "app/VersionLine.h"
#include "document/VersionOrder.h"
#include "platform/BuildInfo.h"
#include "platform/Preferences.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

namespace {
const QString lastVersionKey = QStringLiteral("updates.lastVersion");

std::optional<QString> present(const QString &value)
{
    return value.isEmpty() ? std::nullopt : std::optional<QString>(value);
}

QString release(const UpdateItem &item)
{
    return item.displayVersion + QStringLiteral(" (") + item.buildVersion + QLatin1Char(')');
}
} // namespace

Updates::Updates(QObject *parent) : QObject(parent)
{
    titledWindowVisible = &Updates::anyTitledWindowVisible;
    showToast = [](const QString &text, double seconds) { toast(text, seconds); };
    makeUpdater = [](Updates &self) { return self.makeFeedUpdater(); };
}

Updates::~Updates() = default;

std::optional<QString> Updates::feedURL()
{
    return present(BuildInfo::feedUrl());
}

QString Updates::versionLine(const QLocale &locale)
{
    return VersionLine::text(present(BuildInfo::version()).value_or(QStringLiteral("0")),
                             present(BuildInfo::buildDate()), feedURL().has_value(), locale);
}

QString Updates::buildLine()
{
    QString line = QStringLiteral("Build ") + present(BuildInfo::build()).value_or(QStringLiteral("0"));
    if (const auto commit = present(BuildInfo::commit()))
        line += QStringLiteral(" (") + *commit + QLatin1Char(')');
    return line;
}

QUrl Updates::releaseNotesURL()
{
    const auto feed = feedURL();
    if (!feed)
        return {};
    QUrl site(*feed);
    site.setPath(QStringLiteral("/releases/"));
    site.setQuery(QString());
    site.setFragment(QString());
    return site;
}

void Updates::start()
{
    noteVersionChange();
    if (!feedURL())
        return;
    if (BuildInfo::publicEdKey().isEmpty())
        return;
    m_controller = makeUpdater(*this);
    if (m_controller && m_controller->automaticallyChecksForUpdates())
        m_controller->checkForUpdatesInBackground();
}

void Updates::noteVersionChange()
{
    const auto current = present(BuildInfo::version());
    if (!current)
        return;
    Preferences &prefs = Preferences::shared();
    const auto previous = prefs.stringValue(lastVersionKey);
    prefs.setValue(lastVersionKey, *current);
    if (!previous || VersionOrder::compare(*previous, *current) >= 0)
        return;
    activityLog(QStringLiteral("update: now running ") + *current + QStringLiteral(", was ")
                + *previous);
    QTimer::singleShot(1500, this, [this, text = QStringLiteral("Quillet™ updated to ") + *current] {
        if (showToast)
            showToast(text, 0.9);
    });
}

std::unique_ptr<Updater> Updates::makeFeedUpdater()
{
    AppcastUpdater::Config config;
    config.feedUrl = QUrl(*feedURL());
    config.publicKey = QByteArray::fromBase64(BuildInfo::publicEdKey().toLatin1());
    config.currentVersion = BuildInfo::version();
    config.installFolder = UpdateInstaller::defaultInstallFolder();
    QPointer<Updates> self(this);
    config.showMessage = [self](const QString &text) {
        if (self && self->showToast)
            self->showToast(text, 0.9);
    };
    return std::make_unique<AppcastUpdater>(std::move(config), *this);
}

void Updates::checkForUpdates()
{
    if (m_controller)
        m_controller->checkForUpdates();
}

void Updates::updaterFoundValidUpdate(const UpdateItem &item)
{
    m_foundVersion = item.displayVersion;
    activityLog(QStringLiteral("update: found ") + release(item));
}

bool Updates::updaterWillInstallOnQuit(const UpdateItem &item, std::function<void()> installNow)
{
    activityLog(QStringLiteral("update: ") + release(item)
                + QStringLiteral(" downloaded, installs when the app is idle or quits"));
    m_install = std::move(installNow);
    startIdlePoll();
    return true;
}

void Updates::updaterAborted(const UpdateError &error)
{
    if (error.domain == Updater::errorDomain) {
        if (error.code == Updater::noUpdate)
            return;
        if (error.code == Updater::installedBySystem) {
            activityLog(QStringLiteral("update: ") + error.description);
            m_packageManagerNote =
                QStringLiteral("Quillet™ %1 is available from the package manager").arg(m_foundVersion);
            emit packageManagerNoteChanged();
            return;
        }
    }
    activityLog(QStringLiteral("update: stopped, ") + error.domain + QLatin1Char(' ')
                + QString::number(error.code) + QLatin1Char(' ') + error.description);
}

void Updates::startIdlePoll()
{
    if (m_idle)
        return;
    m_idle = new QTimer(this);
    m_idle->setInterval(idleIntervalMs);
    connect(m_idle, &QTimer::timeout, this, &Updates::idleCheck);
    m_idle->start();
}

void Updates::idleCheck()
{
    if (captureSessionExists && captureSessionExists())
        return;
    if (titledWindowVisible && titledWindowVisible())
        return;
    if (m_install)
        runInstall(QStringLiteral("update: installing now, the app is idle"));
}

bool Updates::installNowIfReady()
{
    if (!m_install)
        return false;
    runInstall(QStringLiteral("update: installing now, a restart was asked for"));
    return true;
}

void Updates::runInstall(const QString &why)
{
    activityLog(why);
    if (m_idle)
        m_idle->deleteLater();
    m_idle.clear();
    const std::function<void()> install = std::exchange(m_install, nullptr);
    install();
}

bool Updates::anyTitledWindowVisible()
{
    const QList<QWindow *> windows = QGuiApplication::topLevelWindows();
    for (const QWindow *window : windows) {
        const Qt::WindowType type = window->type();
        // Popups, tooltips (the toast) and frameless panels (the capture overlays) have no
        // title bar.
        if (window->isVisible() && (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool)
            && !window->flags().testFlag(Qt::FramelessWindowHint))
            return true;
    }
    return false;
}
