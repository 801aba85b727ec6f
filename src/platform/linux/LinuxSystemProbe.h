#pragma once
#include "platform/SystemProbe.h"

// Reads /etc/os-release through Qt, the kernel version, DMI or device-tree files, sysconf and
// the screens of a running GUI application.
class LinuxSystemProbe final : public SystemProbe
{
public:
    QString os() const override;
    QString model() const override;
    QString arch() const override;
    QString locale() const override;
    qint64 memoryBytes() const override;
    QList<Screen> screens() const override;

    // The model from these files: a DMI product name (with its vendor in front unless the name
    // starts with it), else a device-tree model; "unknown" when none is readable.
    static QString modelFrom(const QString &dmiFolder, const QString &deviceTreeModel);
};
