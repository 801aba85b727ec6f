#pragma once
#include "platform/AppRegistry.h"

#include <QHash>
#include <QStringList>

// The desktop entries of the XDG data folders: $XDG_DATA_HOME/applications first, then the
// applications folder of each $XDG_DATA_DIRS entry, then Flatpak's exported entries; the first file found for an id wins, and one
// that is hidden or not an application hides the id from the folders after it. The scan is kept
// until one of the folders (or their subfolders) changes; each question first compares the
// folders' modification times with those of the scan.
class XdgAppRegistry : public AppRegistry
{
public:
    // folders: the applications folders in order of precedence. locale: as in LC_MESSAGES
    // ("de_DE.UTF-8"); empty reads it from the environment.
    explicit XdgAppRegistry(QStringList folders, QString locale = {});

    static QStringList standardFolders();

    std::optional<InstalledApp> find(const QString &id) override;
    QList<InstalledApp> all() override;
    std::optional<QString> idForFile(const QString &path) override;
    void launch(const QString &id, Launched done) override;

    // How many times the folders were read (tests and benchmarks).
    int scans() const { return m_scans; }

private:
    struct Stamp
    {
        QByteArray path;
        qint64 mtime = -1; // nanoseconds; -1 when the folder is missing
        bool operator==(const Stamp &) const = default;
    };

    void refresh();
    void scan();
    static qint64 mtimeOf(const QByteArray &path);

    QStringList m_folders;
    QString m_locale;
    QList<Stamp> m_stamps;
    QHash<QString, InstalledApp> m_apps;
    QList<InstalledApp> m_sorted;
    bool m_scanned = false;
    int m_scans = 0;
};
