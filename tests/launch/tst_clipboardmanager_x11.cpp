// Copied pixels outlive the application when a clipboard manager runs: as it quits, the real
// application hands the clipboard over through the manager's SAVE_TARGETS request, and the manager
// (a small one in this test, on its own X connection) gets the picture.
#include "AppUnderTest.h"
#include "TestEnv.h"
#include "XTestInput.h"

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>

#include <xcb/xcb.h>

#include <csignal>
#include <cstring>
#include <poll.h>

namespace {
constexpr uint32_t XK_Control_L = 0xffe3, XK_Shift_L = 0xffe1, XK_Super_L = 0xffeb, XK_2 = 0x32;

using namespace AppUnderTest;

std::unique_ptr<QProcess> colourWindow(const QRect &r, const QString &colour)
{
    auto p = std::make_unique<QProcess>();
    p->start(captureHelper(QStringLiteral("helper_colorwindow")),
             {QString::number(r.x()), QString::number(r.y()), QString::number(r.width()),
              QString::number(r.height()), colour});
    if (!p->waitForStarted() || !p->waitForReadyRead(10000))
        return nullptr;
    return p;
}

// The least of a freedesktop clipboard manager: it owns CLIPBOARD_MANAGER and answers a
// SAVE_TARGETS request by fetching the clipboard's image/png from its owner.
class ClipboardManager
{
public:
    ClipboardManager()
    {
        m_conn = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_conn))
            return;
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data;
        m_window = xcb_generate_id(m_conn);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_conn, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        m_manager = atom("CLIPBOARD_MANAGER");
        m_saveTargets = atom("SAVE_TARGETS");
        m_clipboard = atom("CLIPBOARD");
        m_png = atom("image/png");
        m_saved = atom("QUILLET_TEST_SAVED");
        xcb_set_selection_owner(m_conn, m_window, m_manager, XCB_CURRENT_TIME);
        auto owner = xcb_get_selection_owner_reply(m_conn, xcb_get_selection_owner(m_conn, m_manager), nullptr);
        m_valid = owner && owner->owner == m_window;
        free(owner);
    }
    ~ClipboardManager()
    {
        if (m_conn)
            xcb_disconnect(m_conn);
    }

    bool isValid() const { return m_valid; }
    QByteArray png() const { return m_pngBytes; }
    bool asked() const { return m_asked; }

    // Handles what has come in; call it while waiting.
    void pump()
    {
        while (xcb_generic_event_t *e = xcb_poll_for_event(m_conn)) {
            if ((e->response_type & 0x7f) == XCB_SELECTION_REQUEST)
                answer(*reinterpret_cast<xcb_selection_request_event_t *>(e));
            free(e);
        }
    }

private:
    xcb_atom_t atom(const char *name)
    {
        auto reply = xcb_intern_atom_reply(m_conn, xcb_intern_atom(m_conn, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : XCB_ATOM_NONE;
        free(reply);
        return a;
    }

    void answer(const xcb_selection_request_event_t &request)
    {
        xcb_atom_t property = XCB_ATOM_NONE;
        if (request.selection == m_manager && request.target == m_saveTargets) {
            m_asked = true;
            m_pngBytes = fetch(m_png);
            // An empty reply in the requested property says the save is done.
            property = request.property;
            xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32, 0, nullptr);
        }
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = property;
        xcb_send_event(m_conn, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&notify));
        xcb_flush(m_conn);
    }

    // The clipboard's data of one type, asked of its owner and waited for (5 s at most).
    QByteArray fetch(xcb_atom_t target)
    {
        xcb_convert_selection(m_conn, m_window, m_clipboard, target, m_saved, XCB_CURRENT_TIME);
        xcb_flush(m_conn);
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 5000) {
            pollfd fd{xcb_get_file_descriptor(m_conn), POLLIN, 0};
            ::poll(&fd, 1, 50);
            while (xcb_generic_event_t *e = xcb_poll_for_event(m_conn)) {
                const bool done = (e->response_type & 0x7f) == XCB_SELECTION_NOTIFY;
                const bool ok = done && reinterpret_cast<xcb_selection_notify_event_t *>(e)->property != XCB_ATOM_NONE;
                free(e);
                if (!done)
                    continue;
                if (!ok)
                    return {};
                auto reply = xcb_get_property_reply(
                    m_conn, xcb_get_property(m_conn, 1, m_window, m_saved, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24), nullptr);
                QByteArray bytes;
                if (reply)
                    bytes = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                                       xcb_get_property_value_length(reply));
                free(reply);
                return bytes;
            }
        }
        return {};
    }

    xcb_connection_t *m_conn = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_manager = 0, m_saveTargets = 0, m_clipboard = 0, m_png = 0, m_saved = 0;
    bool m_valid = false;
    bool m_asked = false;
    QByteArray m_pngBytes;
};
} // namespace

class TestClipboardManagerX11 : public QObject
{
    Q_OBJECT

private slots:
    void copiedPixelsOutliveTheApplication()
    {
        XTestInput input;
        QVERIFY(input.isValid());
        ClipboardManager manager;
        QVERIFY(manager.isValid());
        auto green = colourWindow(QRect(300, 200, 120, 90), QStringLiteral("#00c000"));
        QVERIFY(green);

        QProcess app;
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.start(appPath(), {});
        QVERIFY(app.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(readFile(logDir() + "/app.log").contains("launch: started"), 15000);
        QTest::qWait(500);

        // Capture an area to the clipboard: inside the green window.
        input.chord({XK_Control_L, XK_Shift_L, XK_Super_L}, XK_2);
        QTRY_VERIFY_WITH_TIMEOUT(!readFile(logDir() + "/capture.log").isEmpty(), 10000);
        QTest::qWait(300);
        input.drag(QPoint(320, 220), QPoint(400, 270));
        QTest::qWait(800); // the picture goes on the clipboard

        ::kill(pid_t(app.processId()), SIGTERM);
        QVERIFY(QTest::qWaitFor(
            [&] {
                manager.pump();
                return app.state() == QProcess::NotRunning;
            },
            15000));
        QCOMPARE(app.exitCode(), 0);
        QVERIFY(manager.asked());
        const QImage saved = QImage::fromData(manager.png(), "PNG");
        QCOMPARE(saved.size(), QSize(80, 50));
        QCOMPARE(QColor(saved.pixel(40, 25)), QColor(0, 0xc0, 0));

        green->kill();
        green->waitForFinished();
    }
};

QUILLET_TEST_MAIN(TestClipboardManagerX11)
#include "tst_clipboardmanager_x11.moc"
