#pragma once
#include <QString>

// Titles and tooltips that the status menu and the main menu share.
namespace MenuTexts {
inline const QString changeHotkeyTip =
    QStringLiteral("Opens Settings, where you set the shortcut for each kind of capture.");
inline const QString devTitle = QStringLiteral("Dev Mode: Capture Quillet™ Itself");
inline const QString devTip = QStringLiteral(
    "Captures include Quillet™'s own windows, and taking a shot leaves the canvas on screen, so "
    "you can screenshot the app itself.");
inline const QString dockTitle = QStringLiteral("Hide App from Dock");
inline const QString dockTip = QStringLiteral(
    "Quillet™ normally stays in the Dock while it runs. With this on it lives in the menu bar, "
    "and shows in the Dock only while a canvas window is open.");
inline const QString restartTip =
    QStringLiteral("Quits Quillet™ and opens it again. An open canvas is saved and comes back.");
inline const QString reportTip = QStringLiteral(
    "Tell the developer what went wrong. A short technical report goes with it; you can read it "
    "first.");
} // namespace MenuTexts
