#include "app/HotKeyCenter.h"
#include "app/KeyTap.h"
#include "platform/GlobalKeyGrabber.h"
#include "platform/KeyTable.h"
#include "platform/Preferences.h"
#include "platform/fake/MemoryShortcutStore.h"

#include "TestEnv.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <cstdlib>

namespace {
constexpr xcb_keysym_t controlL = 0xffe3, shiftL = 0xffe1, numLock = 0xff7f, digit2 = 0x32,
                       digit3 = 0x33, escape = 0xff1b;

// Presses and releases keys through XTest, as a keyboard would.
class Keyboard
{
public:
    Keyboard()
    {
        m_c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        m_symbols = xcb_key_symbols_alloc(m_c);
    }
    ~Keyboard()
    {
        xcb_key_symbols_free(m_symbols);
        if (m_clock)
            xcb_disconnect(m_clock);
    }

    xcb_keycode_t keycode(xcb_keysym_t sym) const
    {
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(m_symbols, sym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        return code;
    }
    void send(uint8_t type, xcb_keysym_t sym) { sendCode(type, keycode(sym)); }
    void sendCode(uint8_t type, xcb_keycode_t code)
    {
        xcb_test_fake_input(m_c, type, code, XCB_CURRENT_TIME, m_root, 0, 0, 0);
        xcb_flush(m_c);
    }
    // A keycode without symbols, and giving one a symbol (0 takes it away again).
    xcb_keycode_t spareKeycode() const
    {
        const xcb_setup_t *setup = xcb_get_setup(m_c);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto *reply = xcb_get_keyboard_mapping_reply(
            m_c, xcb_get_keyboard_mapping(m_c, setup->min_keycode, count), nullptr);
        if (!reply)
            return 0;
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(reply);
        xcb_keycode_t spare = 0;
        for (int i = count - 1; i >= 0 && !spare; --i) {
            bool empty = true;
            for (int j = 0; j < reply->keysyms_per_keycode; ++j)
                empty = empty && syms[i * reply->keysyms_per_keycode + j] == 0;
            if (empty)
                spare = xcb_keycode_t(setup->min_keycode + i);
        }
        std::free(reply);
        return spare;
    }
    void setSymbol(xcb_keycode_t code, xcb_keysym_t sym)
    {
        xcb_change_keyboard_mapping(m_c, 1, code, 1, &sym);
        xcb_flush(m_c);
    }
    void down(xcb_keysym_t sym) { send(XCB_KEY_PRESS, sym); }
    void up(xcb_keysym_t sym) { send(XCB_KEY_RELEASE, sym); }
    void tap(xcb_keysym_t sym)
    {
        down(sym);
        up(sym);
    }
    // Modifiers held down around one key.
    void chord(std::initializer_list<xcb_keysym_t> modifiers, xcb_keysym_t key, int holdMs = 0)
    {
        for (xcb_keysym_t m : modifiers)
            down(m);
        down(key);
        if (holdMs)
            QTest::qWait(holdMs);
        up(key);
        for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
            up(*it);
        laterMillisecond();
    }
    // Waits until the server's clock has moved on: a key pressed in the same millisecond as the
    // release before it reads as an auto-repeat, which no hand can type but back-to-back XTest
    // requests can.
    void laterMillisecond()
    {
        const xcb_timestamp_t now = serverTime();
        while (serverTime() == now) {
        }
    }
    void setAutoRepeat(bool on)
    {
        const uint32_t value = on ? XCB_AUTO_REPEAT_MODE_ON : XCB_AUTO_REPEAT_MODE_OFF;
        xcb_change_keyboard_control(m_c, XCB_KB_AUTO_REPEAT_MODE, &value);
        xcb_flush(m_c);
    }

private:
    // The server's time, from the property change it reports on a window of a connection of our
    // own (so that no event of the application's connection is taken); it also comes after every
    // key sent before it.
    xcb_timestamp_t serverTime()
    {
        // A round trip on the sending connection: every key sent before is processed.
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
        if (!m_clock) {
            m_clock = xcb_connect(nullptr, nullptr);
            const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_clock)).data;
            m_clockWindow = xcb_generate_id(m_clock);
            const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_create_window(m_clock, XCB_COPY_FROM_PARENT, m_clockWindow, screen->root, 0, 0, 1, 1, 0,
                              XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
        }
        xcb_change_property(m_clock, XCB_PROP_MODE_APPEND, m_clockWindow, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                            nullptr);
        xcb_flush(m_clock);
        while (xcb_generic_event_t *event = xcb_wait_for_event(m_clock)) {
            const bool property = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
            const xcb_timestamp_t time = property ? reinterpret_cast<xcb_property_notify_event_t *>(event)->time : 0;
            std::free(event);
            if (property)
                return time;
        }
        return 0;
    }

    xcb_connection_t *m_c;
    xcb_window_t m_root;
    xcb_key_symbols_t *m_symbols;
    xcb_connection_t *m_clock = nullptr;
    xcb_window_t m_clockWindow = 0;
};

// Counts the key presses of one keycode that reach the application.
class PressCounter : public QAbstractNativeEventFilter
{
public:
    explicit PressCounter(xcb_keycode_t code) : m_code(code) {}
    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        auto *e = static_cast<xcb_generic_event_t *>(message);
        if ((e->response_type & 0x7f) == XCB_KEY_PRESS
            && reinterpret_cast<xcb_key_press_event_t *>(e)->detail == m_code)
            ++presses;
        return false;
    }
    int presses = 0;

private:
    xcb_keycode_t m_code;
};

// A second client holding a combination.
struct OtherClient {
    QProcess process;
    QString start(xcb_keysym_t sym, uint16_t mods)
    {
        process.start(TestEnv::helperPath(QStringLiteral("app_helper_grabkey")),
                      {QString::number(sym, 16), QString::number(mods)});
        if (!process.waitForStarted(5000) || !process.waitForReadyRead(5000))
            return QStringLiteral("no answer: ") + process.readAllStandardError();
        return QString::fromUtf8(process.readLine()).trimmed();
    }
    ~OtherClient()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(3000))
            process.kill();
    }
};

const Shortcut ctrlShift3{KeyCode::Digit3, Shortcut::Command | Shortcut::Shift, QStringLiteral("3")};
} // namespace

class TestHotKeyX11 : public QObject
{
    Q_OBJECT
    MemoryShortcutStore store;
    std::unique_ptr<HotKeyCenter> center;
    std::unique_ptr<Keyboard> keyboard;
    QList<CaptureAction> fired;

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY(GlobalKeyGrabber::shared().isAvailable());
        keyboard = std::make_unique<Keyboard>();
        keyboard->setAutoRepeat(false);
    }
    void init()
    {
        for (CaptureAction a : CaptureActions::all)
            Preferences::shared().remove(HotKeyCenter::preferenceKey(a));
        fired.clear();
        center = std::make_unique<HotKeyCenter>(GlobalKeyGrabber::shared(), store);
        center->onFire = [this](CaptureAction a) { fired.append(a); };
        center->registerAll();
        QCOMPARE(center->status(CaptureAction::areaToCanvas).kind, HotKeyCenter::Status::active);
    }
    void cleanup() { center.reset(); }
    void cleanupTestCase() { keyboard->setAutoRepeat(true); }

    void pressFiresOnceWithAndWithoutNumLock()
    {
        keyboard->chord({controlL, shiftL}, digit2);
        QTRY_COMPARE(fired, QList<CaptureAction>{CaptureAction::areaToCanvas});

        keyboard->tap(numLock);
        keyboard->chord({controlL, shiftL}, digit2);
        keyboard->tap(numLock);
        QTRY_COMPARE(fired.size(), 2);

        // Ctrl+Shift+Super+2 is the other action; Ctrl+2 alone nothing.
        keyboard->chord({controlL}, digit2);
        QTest::qWait(150);
        QCOMPARE(fired.size(), 2);
    }

    void heldShortcutFiresOnce()
    {
        PressCounter counter(keyboard->keycode(digit2));
        qApp->installNativeEventFilter(&counter);
        keyboard->setAutoRepeat(true);
        keyboard->chord({controlL, shiftL}, digit2, 1500);
        QTRY_VERIFY(!fired.isEmpty());
        QTest::qWait(300);
        keyboard->setAutoRepeat(false);
        qApp->removeNativeEventFilter(&counter);
        QCOMPARE(fired, QList<CaptureAction>{CaptureAction::areaToCanvas});
        if (counter.presses < 2)
            QSKIP("the X server sent no auto-repeats for a held key");
    }

    void keyHeldByAnotherClientIsTakenByApp()
    {
        OtherClient other;
        QCOMPARE(other.start(digit3, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT), QStringLiteral("ready"));
        center->setShortcut(ctrlShift3, CaptureAction::fullScreenToCanvas);
        QCOMPARE(center->status(CaptureAction::fullScreenToCanvas).kind, HotKeyCenter::Status::takenByApp);
        QCOMPARE(center->status(CaptureAction::areaToCanvas).kind, HotKeyCenter::Status::active);
        keyboard->chord({controlL, shiftL}, digit3);
        QTest::qWait(150);
        QVERIFY(fired.isEmpty());
    }

    void releasedCombinationCanBeTakenByOthers()
    {
        center->setShortcut(ctrlShift3, CaptureAction::fullScreenToCanvas);
        QCOMPARE(center->status(CaptureAction::fullScreenToCanvas).kind, HotKeyCenter::Status::active);
        {
            OtherClient other;
            QCOMPARE(other.start(digit3, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT), QStringLiteral("refused"));
        }
        center->setShortcut(std::nullopt, CaptureAction::fullScreenToCanvas);
        // Every variant was let go, the Num Lock one included.
        OtherClient plain, withNumLock;
        QCOMPARE(plain.start(digit3, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT), QStringLiteral("ready"));
        QCOMPARE(withNumLock.start(digit3, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_2),
                 QStringLiteral("ready"));
    }

    void keymapChangeRegistersAgain()
    {
        int changes = 0;
        center->onChange = [&changes] { ++changes; };
        const xcb_keycode_t spare = keyboard->spareKeycode();
        if (!spare)
            QSKIP("the keyboard has no free keycode");
        // "2" gets a second key; the registration made after the change takes it as well.
        keyboard->setSymbol(spare, digit2);
        QTRY_VERIFY(changes > 0);
        keyboard->down(controlL);
        keyboard->down(shiftL);
        keyboard->sendCode(XCB_KEY_PRESS, spare);
        keyboard->sendCode(XCB_KEY_RELEASE, spare);
        keyboard->up(shiftL);
        keyboard->up(controlL);
        QTRY_COMPARE(fired, QList<CaptureAction>{CaptureAction::areaToCanvas});
        keyboard->setSymbol(spare, 0);
        QTRY_VERIFY(changes > 1);
    }

    void tapSeesKeysFirst()
    {
        KeyTap tap(GlobalKeyGrabber::shared());
        QList<bool> handled;
        int escapes = 0;
        tap.handle = [this, &handled](qint64 code, Shortcut::Modifiers mods, bool repeat) {
            handled.append(repeat);
            return center->handleKey(code, mods, repeat);
        };
        tap.escape = [&escapes] {
            ++escapes;
            return true;
        };
        tap.start();
        QVERIFY(tap.isInstalled());
        QVERIFY(!tap.isWaiting());

        // A shortcut goes through the tap and fires once, not again through its grab.
        keyboard->chord({controlL, shiftL}, digit2);
        QTRY_COMPARE(fired, QList<CaptureAction>{CaptureAction::areaToCanvas});
        QTest::qWait(150);
        QCOMPARE(fired.size(), 1);
        QCOMPARE(handled, QList<bool>{false});

        // A bare Escape in our own window goes to escape and is swallowed.
        QLineEdit field;
        field.show();
        field.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&field));
        keyboard->tap(escape);
        QTRY_COMPARE(escapes, 1);
        GlobalKeyGrabber::shared().setKeyFilter({});
    }
};

QUILLET_TEST_MAIN(TestHotKeyX11)
#include "tst_hotkey_x11.moc"
