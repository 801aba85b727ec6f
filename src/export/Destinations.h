#pragma once
#include "export/Destination.h"
#include "platform/RunningApp.h"

#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Scheduler;

// The applications Ctrl+Return can paste into, the words and icons that describe the choice, and
// the paste itself. Main thread only.
namespace Destinations {

// The applications offered without being added, in menu order: each row lists the ids one
// application goes by on different systems; the first installed one stands for the row.
const QList<QStringList> &suggestedRows();
// Every id of every suggested row.
QStringList suggestedApps();
// The terminals, which paste with Ctrl+Shift+V; an installed entry in the TerminalEmulator
// category is a terminal too.
const QStringList &terminals();
bool isTerminal(const QString &id);

// The suggested applications (the first installed id of each row) followed by those of
// "send.extraApps", keeping only installed ones, each once, in that order.
QStringList listedApps();

// An application's name for people: its entry's name; for the application that was in front
// before the capture, the name it goes by there; else the id itself.
QString displayName(const QString &id, const std::optional<RunningApp> &previous = std::nullopt);
// What Ctrl+Return does now: "copy only", or "paste into " and the application's name.
QString actionTitle(const std::optional<RunningApp> &previous);
// The menu's words for a destination: "Clipboard only", "The app you were in (NAME)" (without
// the brackets when there was no previous application), or the application's name.
QString menuTitle(const Destination &destination, const std::optional<RunningApp> &previous);
// The menu's icon for a destination, 16 points.
QIcon icon(const Destination &destination, const std::optional<RunningApp> &previous);
// An installed application's icon at the given size in points; null when it is not installed or
// has none.
QIcon appIcon(const QString &id, int points = 16);
// The keys the paste takes in that application, as the user reads them.
QString chordText(bool terminal);

// Stores the destination under "send.to" and announces the change.
void choose(const Destination &destination);
// Adds an application chosen with "Other App…": to "send.extraApps" unless it is suggested or
// there already, then chooses it.
void chooseOther(const QString &id);

// Brings the application forward (the window it was in front with when it is the previous
// application, else its first window; launching it when none is open) and, once it is in front
// and no modifier key is held, presses its paste keys. Returns at once; the rest happens on the
// scheduler (the system one unless given). Toasts what happened.
void pasteInto(const QString &id, const std::optional<RunningApp> &previous = std::nullopt,
               Scheduler *scheduler = nullptr);

} // namespace Destinations
