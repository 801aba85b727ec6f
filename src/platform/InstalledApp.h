#pragma once
#include <QString>
#include <QStringList>

// An installed application as its desktop entry describes it. `id` is the desktop-file id (the
// entry's path below an applications folder, "/" turned into "-", without ".desktop"); it stands
// wherever an application is named by identifier.
struct InstalledApp
{
    QString id;
    QString path;      // the entry file
    QString name;      // the localized Name, else the id
    QString icon;      // an icon-theme name or an absolute file path; may be empty
    QString exec;      // the Exec value, escapes undone
    QString workingDirectory; // the Path value
    QString startupWMClass;
    QStringList categories;
    bool noDisplay = false; // installed, but not to be offered in lists of applications

    bool isTerminal() const { return categories.contains(QStringLiteral("TerminalEmulator")); }
    bool operator==(const InstalledApp &) const = default;
};
