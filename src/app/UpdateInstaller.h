#pragma once
#include <QByteArray>
#include <QString>

// Replaces the application's install folder with the contents of a verified update archive
// (a gzip-compressed tar of the whole folder). Only a folder that holds the install marker and
// that the user can write is replaced; anything else (a system package) is left to the system's
// package manager.
namespace UpdateInstaller {
inline const QString markerName = QStringLiteral(".quillet-install");

// The folder of the running executable, or its parent when the executable sits in "bin".
QString defaultInstallFolder();
// True when folder holds the install marker and the user may write it.
bool canReplace(const QString &folder);
// Unpacks archive beside the current files, checks it, then swaps the old contents for the new
// ones; on any failure the old contents stay (or are put back) and error says why.
bool install(const QByteArray &archive, const QString &folder, QString *error);
} // namespace UpdateInstaller
