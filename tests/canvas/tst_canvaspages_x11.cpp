// The real application under the test's X server: a second capture taken into an open canvas
// (Ctrl+N) becomes a second page shown at once, ready for typing; Ctrl+Down shows the older page;
// each page shows its own frozen pixels; Escape closes the canvas and the history holds both
// pages as one group in page order.
#include "AppUnderTest.h"
#include "XTestInput.h"
#include "TestEnv.h"

#include "history/Recents.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QScreen>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {
using namespace AppUnderTest;

constexpr uint32_t XK_Control_L = 0xffe3, XK_Shift_L = 0xffe1, XK_2 = 0x32, XK_n = 0x6e, XK_t = 0x74, XK_w = 0x77,
                   XK_o = 0x6f, XK_Tab = 0xff09, XK_Down = 0xff54, XK_Escape = 0xff1b;

// Where the pattern window's pixels (red = x, green = y, both mod 256, blue 90) show one for one
// on the screen: the bounds of the largest such copy, the pattern's point at its top-left corner
// (mod 256) and how many of its pixels are seen. Scaled copies (the rail's thumbnails) are told
// apart by their pixels not keeping the pattern's step of one per pixel.
struct PatternOnScreen
{
    QRect bounds;
    QPoint pattern;
    qsizetype count = 0;
};

PatternOnScreen patternOnScreen()
{
    QScreen *screen = QGuiApplication::screenAt(QPoint(300, 200));
    if (!screen)
        return {};
    const QRect g = screen->geometry();
    const QImage shot =
        screen->grabWindow(0, g.x(), g.y(), g.width(), g.height()).toImage().convertToFormat(QImage::Format_RGB32);
    // Every pattern pixel seen votes for the offset between screen and pattern.
    QHash<int, qsizetype> votes;
    const auto offsetOf = [](int x, int y, QRgb p) { return ((x - qRed(p)) & 255) << 8 | ((y - qGreen(p)) & 255); };
    for (int y = 0; y < shot.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x) {
            if (qBlue(line[x]) == 90)
                ++votes[offsetOf(x, y, line[x])];
        }
    }
    int best = -1;
    for (auto it = votes.cbegin(); it != votes.cend(); ++it) {
        if (best < 0 || it.value() > votes.value(best))
            best = it.key();
    }
    PatternOnScreen found;
    if (best < 0)
        return found;
    for (int y = 0; y < shot.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x) {
            if (qBlue(line[x]) == 90 && offsetOf(x, y, line[x]) == best) {
                found.bounds |= QRect(x, y, 1, 1);
                ++found.count;
            }
        }
    }
    found.bounds.translate(g.topLeft());
    found.pattern = QPoint((found.bounds.x() - g.x() - (best >> 8)) & 255, (found.bounds.y() - g.y() - (best & 255)) & 255);
    return found;
}

// One page on screen: its pixels one for one, the size of its shot (the crop grips over its
// corners and edges and the comment beside it may hide a few), from that point of the pattern.
bool showsPage(QSize size, QPoint pattern)
{
    const PatternOnScreen seen = patternOnScreen();
    const bool ok = qAbs(seen.bounds.width() - size.width()) <= 1 && qAbs(seen.bounds.height() - size.height()) <= 1
                    && seen.count > size.width() * size.height() * 8 / 10 && seen.pattern == pattern;
    if (!ok)
        qInfo() << "seen" << seen.bounds << seen.pattern << seen.count << "wanted" << size << pattern;
    return ok;
}

// Whether another program may take the keyboard now (it may not while an overlay holds it).
bool keyboardFree()
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto *r = xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
    const bool ok = r && r->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(r);
    xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    xcb_disconnect(c);
    return ok;
}

// The title of the window the window manager made active. With activate, the managed window of
// that title is asked to become active first, as a taskbar asks it.
QString activeTitle(const QString &activate = {})
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto atom = [c](const char *name) {
        auto *r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : 0;
        std::free(r);
        return a;
    };
    const auto property = [c](xcb_window_t w, xcb_atom_t name, xcb_atom_t type) {
        auto *r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, name, type, 0, 256), nullptr);
        QByteArray value;
        if (r)
            value = QByteArray(static_cast<const char *>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
        std::free(r);
        return value;
    };
    const auto titleOf = [&](xcb_window_t w) {
        return QString::fromUtf8(property(w, atom("_NET_WM_NAME"), atom("UTF8_STRING")));
    };
    if (!activate.isEmpty()) {
        const QByteArray list = property(root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
        for (qsizetype i = 0; i + 4 <= list.size(); i += 4) {
            const xcb_window_t w = *reinterpret_cast<const quint32 *>(list.constData() + i);
            if (titleOf(w) != activate)
                continue;
            xcb_client_message_event_t ev{};
            ev.response_type = XCB_CLIENT_MESSAGE;
            ev.format = 32;
            ev.window = w;
            ev.type = atom("_NET_ACTIVE_WINDOW");
            ev.data.data32[0] = 2; // asked for by the user, through a pager or taskbar
            xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                           reinterpret_cast<const char *>(&ev));
            xcb_flush(c);
        }
    }
    const QByteArray active = property(root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    QString title;
    if (active.size() == 4) {
        const xcb_window_t w = *reinterpret_cast<const quint32 *>(active.constData());
        title = titleOf(w);
    }
    xcb_disconnect(c);
    return title;
}

int lines(const QString &file)
{
    return int(readFile(logDir() + QLatin1Char('/') + file).count('\n'));
}

// The history entries whose page is written.
QStringList writtenEntries()
{
    QStringList out;
    const QDir folder(Recents::folder());
    for (const QString &id : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (QFileInfo::exists(folder.filePath(id + QStringLiteral("/canvas.json"))))
            out << id;
    }
    return out;
}
} // namespace

class TestCanvasPagesX11 : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> app;
    std::unique_ptr<QProcess> pattern;
    xcb_window_t patternWindow = 0;

    // An overlay came up for a capture (after the key that asks for it) and holds the keyboard.
    bool overlayUp(int captures)
    {
        return QTest::qWaitFor([&] { return lines(QStringLiteral("capture.log")) > captures; }, 10000)
               && QTest::qWaitFor([] { return !keyboardFree(); }, 5000);
    }

private slots:
    void initTestCase()
    {
        pattern = std::make_unique<QProcess>();
        pattern->start(binDir() + QStringLiteral("/canvas_helper_patternwindow"),
                       {QStringLiteral("200"), QStringLiteral("120"), QStringLiteral("520"), QStringLiteral("400")});
        QVERIFY(pattern->waitForStarted() && pattern->waitForReadyRead(10000));
        patternWindow = xcb_window_t(pattern->readAllStandardOutput().trimmed().toULongLong());
        QVERIFY(patternWindow);

        // A user who has been welcomed already: no welcome window takes the front.
        const QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Quillet");
        QDir().mkpath(config);
        QFile prefs(config + QStringLiteral("/preferences.json"));
        QVERIFY(prefs.open(QIODevice::WriteOnly));
        prefs.write(R"({"onboarding.done": true})");
        prefs.close();

        app = std::make_unique<QProcess>();
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        app->start(appPath(), {});
        QVERIFY(app->waitForStarted());
        QVERIFY(QTest::qWaitFor([] { return readFile(logDir() + "/app.log").contains("launch: started"); }, 10000));
    }

    void cleanupTestCase()
    {
        for (auto *p : {app.get(), pattern.get()}) {
            if (p && p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
        }
    }

    void secondCaptureBecomesASecondPage()
    {
        XTestInput input;
        QVERIFY(input.isValid());

        // The first capture: an area of the pattern window, shown one for one on the canvas.
        input.chord({XK_Control_L, XK_Shift_L}, XK_2);
        QVERIFY(overlayUp(lines(QStringLiteral("capture.log"))));
        input.drag(QPoint(300, 200), QPoint(500, 350));
        QTRY_VERIFY_WITH_TIMEOUT(readFile(logDir() + "/app.log").contains("canvas opened"), 10000);
        PatternOnScreen first;
        QVERIFY(QTest::qWaitFor(
            [&] {
                first = patternOnScreen();
                return first.bounds.size() == QSize(200, 150);
            },
            5000));
        QVERIFY(QTest::qWaitFor(keyboardFree, 5000));
        // The canvas window has the keyboard (brought forward as the user would, should another
        // window have taken the front since).
        const QString canvasTitle = QStringLiteral("Quillet™");
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (activeTitle(canvasTitle) != canvasTitle)
                    return false;
                QTest::qWait(500);
                return activeTitle() == canvasTitle;
            },
            10000));

        // Ctrl+N: a second capture for this canvas, of an area over the pattern window (the
        // screen is frozen without the canvas window on it).
        input.chord({XK_Control_L}, XK_n);
        QVERIFY(QTest::qWaitFor([] { return !keyboardFree(); }, 10000));
        const QPoint from(350, 250);
        input.drag(from, from + QPoint(100, 70));
        const QPoint moved = from - QPoint(300, 200);
        const QPoint secondPattern((first.pattern.x() + moved.x()) & 255, (first.pattern.y() + moved.y()) & 255);
        QTRY_VERIFY_WITH_TIMEOUT(showsPage(QSize(100, 70), secondPattern), 10000);

        // The new page's comment is open for typing; Tab ends it.
        QVERIFY(QTest::qWaitFor(keyboardFree, 5000));
        QTest::qWait(300);
        for (uint32_t key : {XK_t, XK_w, XK_o})
            input.chord({}, key);
        input.chord({}, XK_Tab);
        QTest::qWait(300);
        QVERIFY(showsPage(QSize(100, 70), secondPattern));

        // Ctrl+Down: the older page, as it was left.
        input.chord({XK_Control_L}, XK_Down);
        QTRY_VERIFY_WITH_TIMEOUT(showsPage(QSize(200, 150), first.pattern), 5000);

        // Escape closes; the closing write puts both pages into the history as one group, the
        // new page first.
        const int closed = int(readFile(logDir() + "/app.log").count("canvas closed"));
        input.chord({}, XK_Escape);
        QTRY_COMPARE_WITH_TIMEOUT(int(readFile(logDir() + "/app.log").count("canvas closed")), closed + 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(writtenEntries().size(), 2, 10000);
        QTest::qWait(500);
        const Recents::GroupLookup group = Recents::group(writtenEntries().first());
        QVERIFY(group.group);
        QCOMPARE(group.ids.size(), 2);
        const auto newer = Recents::load(group.ids[0]);
        const auto older = Recents::load(group.ids[1]);
        QVERIFY(newer && older);
        QCOMPARE(newer->markup.shots.first().rect.size(), QSizeF(100, 70));
        QCOMPARE(older->markup.shots.first().rect.size(), QSizeF(200, 150));
        QCOMPARE(newer->markup.items.size(), 1);
        QCOMPARE(newer->markup.items.first().string, QStringLiteral("two"));
        QVERIFY(older->markup.items.isEmpty());
    }
};

QUILLET_TEST_MAIN(TestCanvasPagesX11)
#include "tst_canvaspages_x11.moc"
