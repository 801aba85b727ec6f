#include "capture/OverlayWindow.h"

#include "app/ActivityLog.h"
#include "app/SelfCheckFlag.h"
#include "platform/KeyTable.h"
#include "platform/KeypadEnter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QScreen>
#include <QWindow>

#include <memory>
#include <optional>

std::function<std::unique_ptr<WindowEdges>()> OverlayWindow::makeEdges;

namespace {
// The overlay that holds the keyboard now; a new key window takes it over.
QPointer<OverlayWindow> keyWindow;

// While an overlay holds the keyboard grab every key is the overlay's, but the toolkit hands a
// key to the window it last saw take the focus. The overlay's focus-in can come after the first
// key, and the window manager may hand the focus back to a managed window of ours (the welcome
// window, the settings): a key for another of our windows goes on to the grabbing overlay.
class GrabbedKeys : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWindowType())
            return false;
        QWindow *target = keyWindow && keyWindow->holdsKeyboard() ? keyWindow->windowHandle() : nullptr;
        if (!target || watched == target)
            return false;
        const std::unique_ptr<QEvent> copy(event->clone());
        QCoreApplication::sendEvent(target, copy.get());
        return true;
    }
};

void routeGrabbedKeys()
{
    static GrabbedKeys *filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new GrabbedKeys;
    filter->setParent(qApp);
    qApp->installEventFilter(filter);
}

// The key the window passes on for a key event: the number pad's Enter taken as Return, or none
// when the key goes on as it came.
std::optional<KeyStroke> replacedKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const int code = event->key() == Qt::Key_Enter ? KeyCode::KeypadEnter
                                                   : KeyTable::fromQtKey(event->key(), mods).value_or(-1);
    quint64 flags = KeyTable::flagsFromQt(mods);
    if (mods & Qt::KeypadModifier)
        flags |= EventFlag::NumericPad;
    const KeyStroke key{code, event->text(), flags};
    const KeyStroke taken = keypadEnterAsReturn(key);
    if (taken == key)
        return std::nullopt;
    return taken;
}
} // namespace

OverlayWindow::OverlayWindow(const QRect &frame) : m_frame(frame)
{
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint
                            | Qt::NoDropShadowWindowHint;
    flags |= SelfCheckFlag::isSet() ? Qt::WindowStaysOnBottomHint | Qt::WindowDoesNotAcceptFocus
                                    : Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    if (makeEdges)
        edges = makeEdges();
    create();
    if (QScreen *screen = QGuiApplication::screenAt(frame.center()))
        windowHandle()->setScreen(screen);
    setGeometry(frame);
    windowHandle()->installEventFilter(this);
}

// Changing the window's flags (as the canvas does) gives it a new native window: watch that one.
bool OverlayWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WinIdChange && windowHandle())
        windowHandle()->installEventFilter(this);
    return QWidget::event(event);
}

OverlayWindow::~OverlayWindow()
{
    releaseKeyboard();
}

void OverlayWindow::setContentView(QWidget *view)
{
    if (m_content && m_content != view)
        m_content->deleteLater();
    m_content = view;
    if (!view)
        return;
    view->setParent(this);
    view->setGeometry(rect());
    view->show();
}

bool OverlayWindow::canBecomeKey() const
{
    return !SelfCheckFlag::isSet();
}

bool OverlayWindow::isTitled() const
{
    return !(windowFlags() & Qt::FramelessWindowHint);
}

void OverlayWindow::orderFrontRegardless()
{
    if (!isTitled() && geometry() != m_frame)
        setGeometry(m_frame);
    show();
    if (SelfCheckFlag::isSet())
        lower();
    else
        raise();
}

void OverlayWindow::makeKeyAndOrderFront()
{
    orderFrontRegardless();
    if (!canBecomeKey())
        return;
    if (keyWindow && keyWindow != this)
        keyWindow->releaseKeyboard();
    keyWindow = this;
    m_key = true;
    activateWindow();
    // A kept window shown again may still be the focus window the X server reported last: no
    // focus change tells the widgets that it is active again.
    if (QGuiApplication::focusWindow() == windowHandle() && QApplication::activeWindow() != this)
        QApplication::setActiveWindow(this);
    if (m_content)
        m_content->setFocus(Qt::ActiveWindowFocusReason);
    // No window manager hands the keyboard to an overlay: take it.
    if (!isTitled()) {
        routeGrabbedKeys();
        m_grabbed = windowHandle()->setKeyboardGrabEnabled(true);
    }
}

void OverlayWindow::turnTitled()
{
    Qt::WindowFlags flags = Qt::Window;
    if (SelfCheckFlag::isSet())
        flags |= Qt::WindowStaysOnBottomHint | Qt::WindowDoesNotAcceptFocus;
    setWindowFlags(flags);
    setAttribute(Qt::WA_NoSystemBackground, false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    setWindowTitle(QStringLiteral("Quillet™"));
    setMinimumSize(640, 400);
}

void OverlayWindow::becomeCanvas(const QRect &content)
{
    // The overlay's keyboard grab goes with the overlay; the window manager gives the canvas
    // window the keyboard from now on.
    releaseKeyboard();
    if (!isTitled())
        turnTitled();
    m_frame = content;
    if (geometry() != content)
        setGeometry(content);
    show();
    emit becameCanvas();
    if (SelfCheckFlag::isSet()) {
        lower();
        return;
    }
    raise();
    if (keyWindow && keyWindow != this)
        keyWindow->releaseKeyboard();
    keyWindow = this;
    m_key = true;
    activateWindow();
}

void OverlayWindow::resetForPool()
{
    if (m_content)
        m_content->deleteLater();
    m_content = nullptr;
    onUserClose = nullptr;
    setWindowOpacity(1.0);
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    if (QWindow *w = windowHandle())
        w->setFlag(Qt::WindowTransparentForInput, false);
    if (geometry() != m_frame)
        setGeometry(m_frame);
}

void OverlayWindow::orderOut()
{
    releaseKeyboard();
    hide();
}

void OverlayWindow::releaseKeyboard()
{
    if (m_key && windowHandle())
        windowHandle()->setKeyboardGrabEnabled(false);
    m_key = false;
    m_grabbed = false;
    if (keyWindow == this)
        keyWindow = nullptr;
}

bool OverlayWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != windowHandle() || m_replacing)
        return false;
    return handleWindowEvent(event);
}

// Every event of the window passes here before the window's widgets see it.
bool OverlayWindow::handleWindowEvent(QEvent *event)
{
    activateByInput(event);
    followPointer(event);
    if (edges && edges->handleEvent(event, this))
        return true;
    const QEvent::Type type = event->type();
    const bool keyEvent = type == QEvent::KeyPress || type == QEvent::KeyRelease;
    const std::optional<KeyStroke> replaced =
        keyEvent ? replacedKey(static_cast<QKeyEvent *>(event)) : std::nullopt;
    if (!replaced && !edges)
        return false;
    m_replacing = true;
    if (replaced) {
        const auto *key = static_cast<QKeyEvent *>(event);
        bool keypad = false;
        const int qtKey = KeyTable::toQtKey(replaced->keyCode, &keypad).value_or(key->key());
        Qt::KeyboardModifiers mods = KeyTable::qtFromFlags(replaced->flags);
        if (keypad || (replaced->flags & EventFlag::NumericPad))
            mods |= Qt::KeypadModifier;
        QKeyEvent asReturn(type, qtKey, mods, key->nativeScanCode(), KeyTable::toKeysym(replaced->keyCode).value_or(0),
                           key->nativeModifiers(), replaced->characters, key->isAutoRepeat(), ushort(key->count()));
        asReturn.setTimestamp(key->timestamp());
        QCoreApplication::sendEvent(windowHandle(), &asReturn);
    } else {
        QCoreApplication::sendEvent(windowHandle(), event);
    }
    m_replacing = false;
    if (edges)
        edges->updateCursor(event, this);
    return true;
}

// While the user picks, the keys (Escape, F) act on the display the pointer is on: the overlay
// the pointer comes into takes the keyboard from the one that had it. A drag holds the pointer
// in its own overlay, so this never happens in the middle of one.
void OverlayWindow::followPointer(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Enter && type != QEvent::MouseMove)
        return;
    if (m_key || isTitled() || !keyWindow || keyWindow == this || keyWindow->isTitled() || !canBecomeKey())
        return;
    makeKeyAndOrderFront();
}

// A click or key in the canvas window of an inactive application makes it active.
void OverlayWindow::activateByInput(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::KeyPress)
        return;
    if (QGuiApplication::applicationState() == Qt::ApplicationActive || !isTitled() || SelfCheckFlag::isSet())
        return;
    raise();
    activateWindow();
    activityLog(QStringLiteral("made active by a %1 in the canvas")
                    .arg(type == QEvent::KeyPress ? QStringLiteral("key") : QStringLiteral("click")));
}

void OverlayWindow::closeEvent(QCloseEvent *event)
{
    if (onUserClose) {
        event->ignore();
        onUserClose();
        return;
    }
    QWidget::closeEvent(event);
}

void OverlayWindow::hideEvent(QHideEvent *event)
{
    releaseKeyboard();
    QWidget::hideEvent(event);
}

void OverlayWindow::resizeEvent(QResizeEvent *event)
{
    if (m_content)
        m_content->setGeometry(rect());
    QWidget::resizeEvent(event);
}
