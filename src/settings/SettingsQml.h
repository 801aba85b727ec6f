#pragma once
class QQmlEngine;

// The QML side of the settings and welcome windows: one engine for all of them, the "Basic"
// controls style, and the types their views name ("Quillet.Settings", "Quillet.Ui").
namespace SettingsQml {
// Idempotent; main thread, after the application object exists.
void prepare();
QQmlEngine *engine();
} // namespace SettingsQml
