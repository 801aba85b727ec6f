#pragma once
#include <QObject>
#include <QString>
#include <QVariantList>

#include <functional>

// The preferences the settings panes show and write themselves (no model field mirrors them),
// and the fixed texts the panes show. Every write stores the key and sends changed(); a change
// of the talk settings also tells the process once (talkSettingsChanged). Main thread only.
class PanePreferences : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool autoDirection READ autoDirection WRITE setAutoDirection NOTIFY changed)
    Q_PROPERTY(bool remembersStyle READ remembersStyle WRITE setRemembersStyle NOTIFY changed)
    Q_PROPERTY(bool showsExportBox READ showsExportBox WRITE setShowsExportBox NOTIFY changed)
    Q_PROPERTY(bool halfSize READ halfSize WRITE setHalfSize NOTIFY changed)
    Q_PROPERTY(bool talkEnabled READ talkEnabled WRITE setTalkEnabled NOTIFY changed)
    Q_PROPERTY(QString talkKey READ talkKey WRITE setTalkKey NOTIFY changed)
    Q_PROPERTY(QString talkLanguage READ talkLanguage WRITE setTalkLanguage NOTIFY changed)
    Q_PROPERTY(bool keepsHistory READ keepsHistory WRITE setKeepsHistory NOTIFY changed)
    Q_PROPERTY(bool reportsAuto READ reportsAuto WRITE setReportsAuto NOTIFY changed)
    Q_PROPERTY(bool shareStats READ shareStats WRITE setShareStats NOTIFY changed)
    Q_PROPERTY(bool sendsReports READ sendsReports NOTIFY changed)
    Q_PROPERTY(bool sendsStatistics READ sendsStatistics NOTIFY changed)
    Q_PROPERTY(QString sidebarVersion READ sidebarVersion CONSTANT)
    Q_PROPERTY(QString versionLine READ versionLine CONSTANT)
    Q_PROPERTY(QString buildLine READ buildLine CONSTANT)
    Q_PROPERTY(QString makerEmail READ makerEmail CONSTANT)
    Q_PROPERTY(QString thisComputerLanguage READ thisComputerLanguage CONSTANT)
    Q_PROPERTY(QString textFontName READ textFontName CONSTANT)
    Q_PROPERTY(int historyLimit READ historyLimit CONSTANT)
    Q_PROPERTY(QVariantList legalDocuments READ legalDocuments CONSTANT)
    Q_PROPERTY(QString siteRoot READ siteRoot CONSTANT)

public:
    explicit PanePreferences(QObject *parent = nullptr);

    bool autoDirection() const;
    void setAutoDirection(bool on);
    bool remembersStyle() const;
    void setRemembersStyle(bool on);
    bool showsExportBox() const;
    void setShowsExportBox(bool on);
    bool halfSize() const;
    void setHalfSize(bool on);
    bool talkEnabled() const;
    void setTalkEnabled(bool on);
    QString talkKey() const; // "control", "rightOption" or "rightCommand"
    void setTalkKey(const QString &raw);
    QString talkLanguage() const; // empty: this computer's language
    void setTalkLanguage(const QString &code);
    bool keepsHistory() const;
    void setKeepsHistory(bool on);
    // Whether this build has somewhere to send reports and statistics to. Without it the
    // switches read off and do not change.
    bool sendsReports() const;
    bool sendsStatistics() const;
    bool reportsAuto() const;
    void setReportsAuto(bool on);
    bool shareStats() const;
    void setShareStats(bool on);

    QString sidebarVersion() const;
    QString versionLine() const;
    QString buildLine() const;
    QString makerEmail() const;
    QString thisComputerLanguage() const;
    QString textFontName() const;
    int historyLimit() const { return 30; }
    QVariantList legalDocuments() const;
    QString siteRoot() const;

    // A text of the application in this desktop's words (keys, the system's parts).
    Q_INVOKABLE QString words(const QString &text) const;
    Q_INVOKABLE void openUrl(const QString &url) const;
    Q_INVOKABLE void writeMail() const;
    Q_INVOKABLE void openLegal(const QString &path) const;

    // Process-wide slots the application fills.
    // Sends the usage statistics when they are due; called when sharing is turned on.
    static std::function<void()> sendStatsIfDue;
    // Told once for every change of "talk.enabled", "talk.key" or "talk.language".
    static std::function<void()> talkSettingsChanged;
    // The legal documents (title, detail, path) and the site they live on.
    static std::function<QVariantList()> legalDocumentsHook;
    static std::function<QString()> siteRootHook;
    // Shows a legal document by its path; by default the site root and path open in the browser.
    static std::function<void(const QString &)> openLegalHook;

signals:
    void changed();

private:
    void store(const QString &key, bool value);
    void talkChanged();
};
