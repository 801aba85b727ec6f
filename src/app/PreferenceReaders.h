#pragma once
#include "document/TalkKey.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Preferences;

// Typed readers of the preferences that several parts of the application read. Each states its
// key, its default and its clamp; none fails, and a value of the wrong type reads as missing.
namespace Prefs {
// The preference store, with its problems going to the activity log.
Preferences &store();

bool preferenceFlag(const QString &key); // the stored boolean, else true
bool showsExportBox();                   // "canvas.exportBox"
bool remembersStyle();                   // "style.remember"
bool talkEnabled();                      // "talk.enabled"
bool autoDirection();                    // "canvas.autoDirection"
int styleSizeIndex();                    // "style.size", 0...3, default 2
TalkKey talkKey();                       // "talk.key", default rightCommand
QString talkKeyText(TalkKey key);
double railWidth();                      // "canvas.railWidth", else from "canvas.railColumns"
double railWidthForColumns(qint64 columns);
double railThumb();                      // "canvas.railThumb", 96...360, default 132
QList<qint64> takenFromSystem();         // "shortcuts.takenFromSystem"
bool shareStats();                       // "stats.share", default by region
bool shareStatsFor(const std::optional<QString> &region);
QString exportFolder();                  // "export.folder", default the desktop, else home
QStringList recentFonts();               // "style.recentFonts", loadable names only

// Stores name as the font of new text and puts it in front of the recent fonts (at most 5).
void rememberFont(const QString &name);

// The font of text marks: the named font at 22 × scale points, else "Menlo-Bold" (the system's
// monospaced bold), else the system's monospaced font in bold.
QFont textFont(const QString &name, double scale);
// The font with this PostScript-style name ("Family-Style") at the size, when one can be loaded.
std::optional<QFont> loadFont(const QString &name, double size);

// The accent colour of the desktop, read once.
QColor accentColor();
} // namespace Prefs
