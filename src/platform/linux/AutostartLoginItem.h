#pragma once
#include "platform/LoginItem.h"

// The login item as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/<app id>.desktop, whose
// Exec line starts the running executable. It counts as on when the file is there and neither
// says Hidden=true nor X-GNOME-Autostart-enabled=false (the two ways desktops switch an entry
// off). Turning it on writes the file atomically; turning it off removes it.
class AutostartLoginItem : public LoginItem
{
public:
    // With no path, the entry in the user's autostart folder.
    explicit AutostartLoginItem(QString path = {}, QString executable = {});

    bool isEnabled() const override;
    std::optional<QString> setEnabled(bool on) override;

    QString path() const { return m_path; }
    static QString defaultPath();
    // The text of the entry for an executable.
    static QByteArray entry(const QString &executable);

private:
    QString m_path;
    QString m_executable;
};
