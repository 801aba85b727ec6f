#include "PanePreferences.h"

#include "app/PreferenceReaders.h"
#include "app/Updates.h"

#include "platform/BuildInfo.h"
#include "platform/PlatformText.h"
#include "platform/Preferences.h"
#include "platform/UrlOpener.h"

#include <QFontInfo>
#include <QLocale>

std::function<void()> PanePreferences::sendStatsIfDue;
std::function<void()> PanePreferences::talkSettingsChanged;
std::function<QVariantList()> PanePreferences::legalDocumentsHook;
std::function<void(const QString &)> PanePreferences::openLegalHook;
std::function<QString()> PanePreferences::siteRootHook;

namespace {
bool flag(const QString &key, bool fallback)
{
    return Prefs::store().boolValue(key).value_or(fallback);
}
} // namespace

PanePreferences::PanePreferences(QObject *parent) : QObject(parent) {}

void PanePreferences::store(const QString &key, bool value)
{
    Prefs::store().setValue(key, value);
    emit changed();
}

void PanePreferences::talkChanged()
{
    emit changed();
    if (talkSettingsChanged)
        talkSettingsChanged();
}

bool PanePreferences::autoDirection() const { return Prefs::autoDirection(); }
void PanePreferences::setAutoDirection(bool on) { store(QStringLiteral("canvas.autoDirection"), on); }
bool PanePreferences::remembersStyle() const { return Prefs::remembersStyle(); }
void PanePreferences::setRemembersStyle(bool on) { store(QStringLiteral("style.remember"), on); }
bool PanePreferences::showsExportBox() const { return Prefs::showsExportBox(); }
void PanePreferences::setShowsExportBox(bool on) { store(QStringLiteral("canvas.exportBox"), on); }
bool PanePreferences::halfSize() const { return flag(QStringLiteral("export.halfSize"), false); }
void PanePreferences::setHalfSize(bool on) { store(QStringLiteral("export.halfSize"), on); }
bool PanePreferences::keepsHistory() const { return !flag(QStringLiteral("history.paused"), false); }
void PanePreferences::setKeepsHistory(bool on) { store(QStringLiteral("history.paused"), !on); }
bool PanePreferences::sendsReports() const { return BuildInfo::sendsReports(); }
bool PanePreferences::sendsStatistics() const { return BuildInfo::sendsStatistics(); }
bool PanePreferences::reportsAuto() const { return sendsReports() && flag(QStringLiteral("reports.auto"), false); }

void PanePreferences::setReportsAuto(bool on)
{
    if (sendsReports())
        store(QStringLiteral("reports.auto"), on);
}

bool PanePreferences::shareStats() const { return sendsStatistics() && Prefs::shareStats(); }

void PanePreferences::setShareStats(bool on)
{
    if (!sendsStatistics())
        return;
    store(QStringLiteral("stats.share"), on);
    if (on && sendStatsIfDue)
        sendStatsIfDue();
}

bool PanePreferences::talkEnabled() const { return Prefs::talkEnabled(); }

void PanePreferences::setTalkEnabled(bool on)
{
    Prefs::store().setValue(QStringLiteral("talk.enabled"), on);
    talkChanged();
}

QString PanePreferences::talkKey() const { return Prefs::talkKeyText(Prefs::talkKey()); }

void PanePreferences::setTalkKey(const QString &raw)
{
    Prefs::store().setValue(QStringLiteral("talk.key"), raw);
    talkChanged();
}

QString PanePreferences::talkLanguage() const
{
    return Prefs::store().stringValue(QStringLiteral("talk.language")).value_or(QString());
}

void PanePreferences::setTalkLanguage(const QString &code)
{
    // The computer's own language is no stored choice.
    if (code.isEmpty())
        Prefs::store().remove(QStringLiteral("talk.language"));
    else
        Prefs::store().setValue(QStringLiteral("talk.language"), code);
    talkChanged();
}

QString PanePreferences::sidebarVersion() const
{
    if (!Updates::feedURL())
        return QStringLiteral("Development build");
    const QString version = BuildInfo::version();
    return QStringLiteral("Version ") + (version.isEmpty() ? QStringLiteral("0") : version);
}

QString PanePreferences::versionLine() const { return Updates::versionLine(); }
QString PanePreferences::buildLine() const { return Updates::buildLine(); }
QString PanePreferences::makerEmail() const { return BuildInfo::makerEmail(); }

QString PanePreferences::thisComputerLanguage() const
{
    const QLocale locale;
    QString name = locale.nativeLanguageName();
    if (!name.isEmpty() && !locale.nativeTerritoryName().isEmpty()
        && locale.territory() != QLocale::AnyTerritory)
        name += QStringLiteral(" (") + locale.nativeTerritoryName() + QStringLiteral(")");
    if (name.isEmpty())
        name = locale.bcp47Name();
    return QStringLiteral("This computer’s (") + name + QStringLiteral(")");
}

QString PanePreferences::textFontName() const
{
    return QFontInfo(Prefs::textFont(QString(), 1.0)).family();
}

QVariantList PanePreferences::legalDocuments() const
{
    return legalDocumentsHook ? legalDocumentsHook() : QVariantList();
}

QString PanePreferences::siteRoot() const
{
    return siteRootHook ? siteRootHook() : QString();
}

QString PanePreferences::words(const QString &text) const { return PlatformText::words(text); }

void PanePreferences::openUrl(const QString &url) const
{
    if (!url.isEmpty())
        UrlOpener::open(QUrl(url));
}

void PanePreferences::writeMail() const
{
    if (!makerEmail().isEmpty())
        UrlOpener::open(QUrl(QStringLiteral("mailto:") + makerEmail()));
}

void PanePreferences::openLegal(const QString &path) const
{
    if (openLegalHook) {
        openLegalHook(path);
        return;
    }
    if (!siteRoot().isEmpty())
        UrlOpener::open(QUrl(siteRoot() + path));
}
