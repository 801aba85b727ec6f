// The paste chain of Ctrl+Return: bring the target forward, wait until it really is in front and
// no modifier key is held, then press its paste keys.
#include "export/Destinations.h"

#include "app/ActivityLog.h"
#include "app/Toast.h"
#include "capture/CaptureSession.h"
#include "platform/AppRegistry.h"
#include "platform/FrontApplication.h"
#include "platform/KeySynth.h"
#include "platform/KeyTable.h"
#include "platform/ProcessTree.h"
#include "platform/Scheduler.h"

#include <QHash>

#include <memory>

namespace Destinations {
namespace {
constexpr double pollSeconds = 0.05;
constexpr int lastAttempt = 80;
constexpr double settleSeconds = 0.2;
constexpr double toastSeconds = 0.9;
constexpr quint64 modifierMask = EventFlag::Shift | EventFlag::Control | EventFlag::Option | EventFlag::Command;
constexpr quint32 keysymV = 0x76;

struct Paste
{
    QString id;
    QString name;
    bool terminal = false;
    std::optional<RunningApp> window; // the window to expect in front, when known
    qint64 process = 0;               // the process launched for it, when we launched it
    Scheduler *scheduler = nullptr;
};
using PasteRef = std::shared_ptr<const Paste>;

// The processes launched for a paste, by application id (lower case): an application whose
// windows name themselves differently from its entry is found again by them.
QHash<QString, qint64> &launchedProcesses()
{
    static QHash<QString, qint64> processes;
    return processes;
}

bool inFront(const Paste &paste)
{
    const std::optional<RunningApp> front = FrontApplication::shared().frontmost();
    if (!front)
        return false;
    if (paste.window && front->window == paste.window->window)
        return true;
    if (paste.process && ProcessTree::descendsFrom(front->pid, paste.process))
        return true;
    return !front->identifier.isEmpty() && front->identifier.compare(paste.id, Qt::CaseInsensitive) == 0;
}

QString pressYourself(const Paste &paste)
{
    return QStringLiteral("Copied. Press ") + chordText(paste.terminal) + QStringLiteral(" in ") + paste.name + u'.';
}

void giveUp(const PasteRef &paste)
{
    activityLog(QStringLiteral("paste: the app did not come to the front, nothing pressed"));
    toast(pressYourself(*paste), toastSeconds);
}

void pressPaste(const PasteRef &paste)
{
    KeySynth &keys = KeySynth::shared();
    if (!keys.trusted()) {
        static bool logged = false;
        if (!logged) {
            logged = true;
            activityLog(QStringLiteral("paste: the X server has no XTEST extension, keys cannot be pressed for the user"));
        }
        toast(pressYourself(*paste) + QStringLiteral(" To paste for you, Quillet™ needs the XTEST extension."),
              toastSeconds);
        return;
    }
    const Qt::KeyboardModifiers chord =
        paste->terminal ? Qt::ControlModifier | Qt::ShiftModifier : Qt::KeyboardModifiers(Qt::ControlModifier);
    if (!keys.press(keysymV, chord)) {
        activityLog(QStringLiteral("paste: the keystroke could not be sent, nothing pressed"));
        toast(pressYourself(*paste), toastSeconds);
        return;
    }
    toast(QStringLiteral("Pasted into ") + paste->name, toastSeconds);
}

void checkAndPaste(const PasteRef &paste)
{
    if (inFront(*paste))
        pressPaste(paste);
    else
        giveUp(paste);
}

void pasteWhenFront(const PasteRef &paste, int attempt)
{
    const bool idle = (KeySynth::shared().heldModifiers() & modifierMask) == 0;
    if (inFront(*paste) && idle) {
        paste->scheduler->after(settleSeconds, [paste] { checkAndPaste(paste); });
        return;
    }
    if (attempt >= lastAttempt) {
        giveUp(paste);
        return;
    }
    paste->scheduler->after(pollSeconds, [paste, attempt] { pasteWhenFront(paste, attempt + 1); });
}
} // namespace

void pasteInto(const QString &id, const std::optional<RunningApp> &previous, Scheduler *scheduler)
{
    CaptureSession::forgetCanvasCameUp();
    auto paste = std::make_shared<Paste>();
    paste->id = id;
    paste->name = displayName(id, previous);
    paste->terminal = isTerminal(id);
    paste->scheduler = scheduler ? scheduler : &Scheduler::system();

    FrontApplication &front = FrontApplication::shared();
    if (previous && previous->window && previous->identifier.compare(id, Qt::CaseInsensitive) == 0
        && front.activate(*previous)) {
        paste->window = previous;
        pasteWhenFront(paste, 0);
        return;
    }
    const qint64 launched = launchedProcesses().value(id.toLower());
    QList<RunningApp> windows = front.windowsOf(id);
    if (windows.isEmpty() && launched)
        windows = front.windowsOfProcess(launched);
    for (const RunningApp &window : std::as_const(windows)) {
        if (front.activate(window)) {
            paste->window = window;
            paste->process = launched;
            pasteWhenFront(paste, 0);
            return;
        }
    }
    if (AppRegistry::shared().find(id)) {
        AppRegistry::shared().launch(id, [paste](bool started, qint64 pid) {
            if (started && pid > 0) {
                launchedProcesses().insert(paste->id.toLower(), pid);
                paste->process = pid;
            }
            pasteWhenFront(paste, 0);
        });
        return;
    }
    toast(QStringLiteral("Copied"), toastSeconds);
}

} // namespace Destinations
