#pragma once
#include <QString>

#include <optional>

// Whether the window manager takes Alt with the first button for itself (to move windows), so
// that an Alt+drag never reaches our windows. GNOME's managers say which modifier they use in
// their settings (org.gnome.desktop.wm.preferences mouse-button-modifier); other managers are
// taken to use Alt, as they do by default. Without a window manager nothing takes it. Read on
// first use.
namespace AltDrag {
bool taken();
// The rule: the manager's name (_NET_WM_NAME of its check window; empty without one) and the
// GNOME modifier setting where it could be read ("<Alt>", "<Super>", "" for none).
bool takenBy(const QString &manager, const std::optional<QString> &gnomeModifier);
// Makes taken() answer `on` until cleared with std::nullopt (tests).
void setOverride(std::optional<bool> on);
} // namespace AltDrag
