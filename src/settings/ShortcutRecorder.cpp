#include "ShortcutRecorder.h"

#include "app/ShortcutTakeover.h"
#include "platform/KeyTable.h"
#include "platform/PlatformText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSet>

namespace {
int suspensionCount = 0;

QSet<ShortcutRecorder *> &live()
{
    static QSet<ShortcutRecorder *> recorders;
    return recorders;
}

// The modifier a modifier key stands for, or none.
Shortcut::Modifiers modifierOfKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Control: return Shortcut::Command;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return Shortcut::Option;
    case Qt::Key_Shift: return Shortcut::Shift;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R: return Shortcut::Control;
    default: return {};
    }
}

Shortcut::Modifiers modifiersOf(Qt::KeyboardModifiers mods)
{
    return Shortcut::modifiersFromEventFlags(KeyTable::flagsFromQt(mods));
}

// The characters of a key without any modifier: the unshifted keysym of our key table, so that
// Ctrl or Shift never turn the name into a control character or another symbol.
std::optional<QString> plainCharacters(int keyCode)
{
    const auto keysym = KeyTable::toKeysym(keyCode);
    if (!keysym)
        return std::nullopt;
    if ((*keysym >= 0x20 && *keysym <= 0x7e) || (*keysym >= 0xa0 && *keysym <= 0xff))
        return QString(QChar(char16_t(*keysym)));
    return QString();
}
} // namespace

std::function<void()> ShortcutRecorder::beep = [] { QApplication::beep(); };

ShortcutRecorder::ShortcutRecorder(QObject *parent) : QObject(parent), m_title(recordText())
{
    live().insert(this);
}

ShortcutRecorder::~ShortcutRecorder()
{
    onStart = nullptr;
    onEnd = nullptr;
    onRecord = nullptr;
    onRefuse = nullptr;
    stopRecording();
    live().remove(this);
}

QString ShortcutRecorder::recordText() { return QStringLiteral("Record shortcut"); }
QString ShortcutRecorder::typeText() { return QStringLiteral("Type shortcut"); }

QString ShortcutRecorder::refusalText()
{
    return PlatformText::words(QStringLiteral("Add ⌘, ⌃ or ⌥, or use a function key."));
}

int ShortcutRecorder::suspensions()
{
    return suspensionCount;
}

void ShortcutRecorder::stopAll()
{
    const auto recorders = live();
    for (ShortcutRecorder *recorder : recorders)
        recorder->stopRecording();
}

void ShortcutRecorder::setShortcut(const std::optional<Shortcut> &shortcut)
{
    m_shortcut = shortcut;
    if (!m_recording)
        setTitle(m_shortcut ? m_shortcut->displayText() : recordText());
}

void ShortcutRecorder::setTitle(const QString &title)
{
    if (m_title == title)
        return;
    m_title = title;
    emit titleChanged();
}

void ShortcutRecorder::toggle()
{
    if (m_recording)
        stopRecording();
    else
        startRecording();
}

void ShortcutRecorder::suspend()
{
    if (m_suspending)
        return;
    m_suspending = true;
    if (suspensionCount++ == 0)
        HotKeyMode::saveAndDisable();
}

void ShortcutRecorder::unsuspend()
{
    if (!m_suspending)
        return;
    m_suspending = false;
    if (--suspensionCount == 0)
        HotKeyMode::restore();
}

void ShortcutRecorder::startRecording()
{
    if (m_recording)
        return;
    m_recording = true;
    m_held = {};
    suspend();
    m_stateWatch = connect(qApp, &QGuiApplication::applicationStateChanged, this,
                           [this](Qt::ApplicationState state) {
                               if (state != Qt::ApplicationActive)
                                   stopRecording();
                           });
    if (onStart)
        onStart();
    if (!m_recording) // onStart may have stopped it again
        return;
    setTitle(typeText());
    qApp->installEventFilter(this);
    // Desktop shortcuts and other programs' grabs go quiet while the keyboard is ours; when the
    // grab is refused, recording goes on with what the application sees.
    if (m_window && m_window->isVisible() && QGuiApplication::platformName() == QLatin1String("xcb"))
        m_grabbing = m_window->setKeyboardGrabEnabled(true);
}

void ShortcutRecorder::stopRecording()
{
    if (!m_recording)
        return;
    m_recording = false;
    m_held = {};
    if (m_grabbing && m_window)
        m_window->setKeyboardGrabEnabled(false);
    m_grabbing = false;
    unsuspend();
    disconnect(m_stateWatch);
    qApp->removeEventFilter(this);
    setTitle(m_shortcut ? m_shortcut->displayText() : recordText());
    if (onEnd)
        onEnd();
}

void ShortcutRecorder::showHeld()
{
    if (!m_held) {
        setTitle(typeText());
        return;
    }
    setTitle(Shortcut{0, m_held, QString()}.displayText());
}

bool ShortcutRecorder::eventFilter(QObject *watched, QEvent *event)
{
    // Events reach the window first and are then passed on to its widgets or items; each is
    // handled once, where it enters the window.
    if (!m_recording || !watched->isWindowType())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return handleKeyPress(static_cast<QKeyEvent *>(event));
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (const auto bit = modifierOfKey(key->key())) {
            m_held = modifiersOf(key->modifiers()) & ~bit;
            showHeld();
        }
        return true;
    }
    case QEvent::ShortcutOverride:
        event->accept();
        return true;
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const bool inside = m_area && watched == m_window.data()
                            && m_area->contains(mouse->position());
        if (!inside)
            stopRecording();
        return false; // the click goes on to whatever it was for
    }
    default:
        return false;
    }
}

bool ShortcutRecorder::handleKeyPress(QKeyEvent *event)
{
    const int qtKey = event->key();
    if (const auto bit = modifierOfKey(qtKey)) {
        m_held = modifiersOf(event->modifiers()) | bit;
        showHeld();
        return true;
    }
    const auto modifiers = modifiersOf(event->modifiers());
    const auto code = KeyTable::fromQtKey(qtKey, event->modifiers());
    if (!code) {
        // A key our table has no code for cannot be grabbed.
        beep();
        return true;
    }
    if (!modifiers) {
        if (*code == KeyCode::Escape) {
            stopRecording();
            return true;
        }
        if (*code == KeyCode::Delete || *code == KeyCode::ForwardDelete) {
            m_shortcut.reset();
            stopRecording();
            if (onRecord)
                onRecord(std::nullopt);
            return true;
        }
    }
    if (Shortcut::isAcceptable(*code, modifiers)) {
        const Shortcut taken{*code, modifiers, Shortcut::keyName(*code, plainCharacters(*code))};
        m_shortcut = taken;
        stopRecording();
        if (onRecord)
            onRecord(taken);
        return true;
    }
    beep();
    if (onRefuse)
        onRefuse(refusalText());
    return true;
}
