#pragma once
#include "document/Scrub.h"

#include <QString>
#include <QStringList>

// Where the application keeps its files, following the XDG base directories.
namespace Paths {
QString home();          // the user's home folder
QString userName();      // the account name
QString configDir();     // $XDG_CONFIG_HOME/Quillet
QString logDir();        // $XDG_STATE_HOME/Quillet (activity log, capture log)
QString vellumDir();     // $XDG_DATA_HOME/Vellum
QString historyDir();    // $XDG_DATA_HOME/Vellum/History
QString reportsDir();    // $XDG_DATA_HOME/Vellum/Reports
QString desktopDir();    // the desktop folder, or empty when the system names none
QString crashesDir();    // $XDG_STATE_HOME/Quillet/crashes: records written by the crash handler
QString crashReportsDir(); // $XDG_STATE_HOME/Quillet/DiagnosticReports: converted crash reports
// Who report texts must not name: $HOME and the password database's home, the account name,
// the host name.
Scrub::Identity identity();
// A private folder for the single-instance socket: $XDG_RUNTIME_DIR, else quillet-<uid> in the
// temp folder, else Quillet in $XDG_CACHE_HOME (or ~/.cache); the first that is a folder of ours,
// not a link, that no one else can write to (folders made here are made 0700). Empty when none
// is; problems (when given) gets one line for each place passed over.
QString runtimeDir(QStringList *problems = nullptr);

// Whether path is a folder owned by this user, not a link, that no one else can write to.
bool isPrivateFolder(const QString &path, QString *why = nullptr);
// Creates path and any missing parents; the folders it makes are 0700. True when path is a
// folder afterwards.
bool makePrivateFolder(const QString &path);
} // namespace Paths
