#pragma once
#include "app/Updater.h"

#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>


// The update agent: notes when the application has just been updated, runs the updater in a
// release build, and holds a downloaded update back until the application is idle (no capture
// session, no titled window visible) or a restart is asked for. Main thread only.
class Updates : public QObject, public UpdaterDelegate
{
    Q_OBJECT
public:
    using UpdaterFactory = std::function<std::unique_ptr<Updater>(Updates &)>;

    explicit Updates(QObject *parent = nullptr);
    ~Updates() override;

    // Called once at launch.
    void start();
    // Installs a waiting update (which starts the application again); false when none waits.
    bool installNowIfReady();
    // A check the user asked for; nothing without an updater.
    void checkForUpdates();

    // The updater, or none in a development build or before start().
    Updater *controller() const { return m_controller.get(); }
    // What the menu says when an update is out but the system's package manager installs it.
    QString packageManagerNote() const { return m_packageManagerNote; }

    static std::optional<QString> feedURL();
    static QString versionLine(const QLocale &locale = QLocale());
    static QString buildLine();
    // The release-notes page: the feed's site with the path "/releases/" (empty without a feed).
    static QUrl releaseNotesURL();

    // Whether a capture session (with or without its canvas) exists; filled by the app delegate.
    std::function<bool()> captureSessionExists;
    // Whether a window with a title bar is visible; by default looks at the application's windows.
    std::function<bool()> titledWindowVisible;
    // Shows a short message near the pointer; by default the application's toast.
    std::function<void(const QString &, double)> showToast;
    // Makes the updater of a release build; by default the feed updater from the build's facts.
    UpdaterFactory makeUpdater;
    // How often a waiting update looks for an idle moment.
    int idleIntervalMs = 15000;

    QTimer *idleTimer() const { return m_idle; }

    // UpdaterDelegate
    void updaterFoundValidUpdate(const UpdateItem &item) override;
    bool updaterWillInstallOnQuit(const UpdateItem &item, std::function<void()> installNow) override;
    void updaterAborted(const UpdateError &error) override;

signals:
    void packageManagerNoteChanged();

private:
    void noteVersionChange();
    void startIdlePoll();
    void idleCheck();
    void runInstall(const QString &why);
    static bool anyTitledWindowVisible();
    std::unique_ptr<Updater> makeFeedUpdater();

    std::unique_ptr<Updater> m_controller;
    std::function<void()> m_install;
    QPointer<QTimer> m_idle;
    QString m_packageManagerNote;
    QString m_foundVersion;
};
