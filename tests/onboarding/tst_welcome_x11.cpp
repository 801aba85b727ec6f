// The real application under the test's X server with fresh XDG folders: the first start shows
// the welcome window, a capture that ends while it shows ticks its last step; once closed, a new
// start shows none, and a capture then ticks nothing.
#include "TestEnv.h"
#include "XTestInput.h"

#include <QFile>
#include <QProcess>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
constexpr uint32_t XK_Control_L = 0xffe3, XK_Shift_L = 0xffe1, XK_Super_L = 0xffeb, XK_2 = 0x32,
                   XK_Escape = 0xff1b;

QString appPath() { return QStringLiteral(QUILLET_TEST_BIN_DIR "/../../src/quillet"); }
QString appLog()
{
    QFile f(qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/Quillet/app.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The test's own connection, as the desktop's other programs see our windows.
class X
{
public:
    X() : c(xcb_connect(nullptr, nullptr)), root(xcb_setup_roots_iterator(xcb_get_setup(c)).data->root) {}
    ~X() { xcb_disconnect(c); }

    xcb_atom_t atom(const char *name) const
    {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr), &std::free);
        return r ? r->atom : 0;
    }
    QByteArray property(xcb_window_t w, const char *name, xcb_atom_t type) const
    {
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> r(
            xcb_get_property_reply(c, xcb_get_property(c, 0, w, atom(name), type, 0, 4096), nullptr), &std::free);
        if (!r)
            return {};
        return QByteArray(static_cast<const char *>(xcb_get_property_value(r.get())),
                          xcb_get_property_value_length(r.get()));
    }
    // The managed, viewable window with that title, or 0.
    xcb_window_t window(const QString &title) const
    {
        const QByteArray list = property(root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
        const auto *ids = reinterpret_cast<const xcb_window_t *>(list.constData());
        for (int i = 0; i < int(list.size() / sizeof(xcb_window_t)); ++i) {
            if (QString::fromUtf8(property(ids[i], "_NET_WM_NAME", atom("UTF8_STRING"))) != title)
                continue;
            std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> a(
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, ids[i]), nullptr), &std::free);
            if (a && a->map_state == XCB_MAP_STATE_VIEWABLE)
                return ids[i];
        }
        return 0;
    }
    // Asks the window manager to close the window, as its close button would.
    void close(xcb_window_t w)
    {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = w;
        e.type = atom("_NET_CLOSE_WINDOW");
        e.data.data32[1] = 2; // from a pager or the like
        xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char *>(&e));
        xcb_flush(c);
    }

private:
    xcb_connection_t *c;
    xcb_window_t root;
};

const QString welcomeTitle = QStringLiteral("Welcome to Quillet™");
} // namespace

class TestWelcomeX11 : public QObject
{
    Q_OBJECT
    std::unique_ptr<QProcess> app;

    bool start()
    {
        app = std::make_unique<QProcess>();
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        const int before = appLog().count(QStringLiteral("launch: started"));
        app->start(appPath(), {});
        return app->waitForStarted()
               && QTest::qWaitFor([before] { return appLog().count(QStringLiteral("launch: started")) > before; }, 10000);
    }
    void quit()
    {
        ::kill(pid_t(app->processId()), SIGTERM);
        QVERIFY(app->waitForFinished(10000));
    }
    // The clipboard capture, at once cancelled.
    void captureAndCancel(XTestInput &input)
    {
        const int before = appLog().count(QStringLiteral("capture: frozen in "));
        input.chord({XK_Control_L, XK_Shift_L, XK_Super_L}, XK_2);
        QTRY_VERIFY_WITH_TIMEOUT(appLog().count(QStringLiteral("capture: frozen in ")) > before, 10000);
        QTest::qWait(400);
        input.chord({}, XK_Escape);
    }

private slots:
    void cleanup()
    {
        if (app && app->state() != QProcess::NotRunning) {
            app->kill();
            app->waitForFinished();
        }
    }

    void firstStartAndAfter()
    {
        X x;
        XTestInput input;
        QVERIFY(input.isValid());
        QVERIFY(start());
        QTRY_VERIFY_WITH_TIMEOUT(x.window(welcomeTitle), 10000);

        // A capture that ends while the window shows ticks the first shot.
        captureAndCancel(input);
        QTRY_VERIFY_WITH_TIMEOUT(appLog().contains(QStringLiteral("welcome: the first shot is taken")), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(x.window(welcomeTitle), 5000);

        // Closed and quit: the next start shows no welcome window.
        x.close(x.window(welcomeTitle));
        QTRY_VERIFY_WITH_TIMEOUT(!x.window(welcomeTitle), 5000);
        quit();
        QVERIFY(start());
        QTest::qWait(1500);
        QVERIFY(!x.window(welcomeTitle));

        // A capture now ticks nothing.
        const int ticks = appLog().count(QStringLiteral("welcome: the first shot is taken"));
        captureAndCancel(input);
        QTest::qWait(800);
        QCOMPARE(appLog().count(QStringLiteral("welcome: the first shot is taken")), ticks);
        quit();
    }
};

QUILLET_TEST_MAIN(TestWelcomeX11)
#include "tst_welcome_x11.moc"
