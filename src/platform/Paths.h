#pragma once
#include "document/Scrub.h"

#include <QString>

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
QString runtimeDir();    // $XDG_RUNTIME_DIR, or a private folder in the temp folder
QString crashesDir();    // $XDG_STATE_HOME/Quillet/crashes: records written by the crash handler
QString crashReportsDir(); // $XDG_STATE_HOME/Quillet/DiagnosticReports: converted crash reports
// Who report texts must not name: $HOME and the password database's home, the account name,
// the host name.
Scrub::Identity identity();
} // namespace Paths
