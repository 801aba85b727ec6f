#pragma once
#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

// One release named by the update feed.
struct UpdateItem
{
    QString displayVersion; // "1.10"
    QString buildVersion;   // "57"
    QUrl downloadUrl;       // the archive of the install folder
    qint64 length = 0;      // the archive's size in bytes
    QByteArray signature;   // Ed25519 signature of the archive (64 bytes)
};

// Why a check, download or installation stopped. The domain tells updater errors from others.
struct UpdateError
{
    QString domain;
    int code = 0;
    QString description;
};

// Receives what the updater finds. Called on the main thread.
class UpdaterDelegate
{
public:
    virtual ~UpdaterDelegate() = default;
    virtual void updaterFoundValidUpdate(const UpdateItem &item) = 0;
    // A verified download is ready. Returning true keeps it until the application quits or
    // installNow is called (which installs and starts the application again); false installs
    // it right away.
    virtual bool updaterWillInstallOnQuit(const UpdateItem &item,
                                          std::function<void()> installNow) = 0;
    virtual void updaterAborted(const UpdateError &error) = 0;
};

// Looks for a newer release, downloads and verifies it, and installs it.
class Updater
{
public:
    static inline const QString errorDomain = QStringLiteral("app.quillet.updater");
    enum ErrorCode {
        feedUnreadable = 1000, // not XML, or no usable item
        noUpdate = 1001,       // the newest item is not newer than this build
        feedFailed = 1002,     // the feed address was refused or could not be fetched
        downloadFailed = 2001,
        verificationFailed = 3001, // length or signature did not match
        installFailed = 4001,
        installedBySystem = 4002, // the install folder is not ours to replace
    };

    virtual ~Updater() = default;
    virtual bool automaticallyChecksForUpdates() const = 0;
    // A check that tells the user only about a release it found.
    virtual void checkForUpdatesInBackground() = 0;
    // A check the user asked for: every outcome is shown.
    virtual void checkForUpdates() = 0;
};
