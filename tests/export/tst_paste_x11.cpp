#include "TestEnv.h"

#include "app/Toast.h"
#include "export/Destinations.h"
#include "platform/FrontApplication.h"
#include "platform/KeySynth.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QWidget>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <csignal>
#include <cstdlib>
#include <vector>

namespace {
QString outputOf(const QString &id)
{
    return TestEnv::home() + "/keys-" + id + ".txt";
}

QStringList keysSeenBy(const QString &id)
{
    QFile file(outputOf(id));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

void writeEntry(const QString &id, const QString &name, const QString &extra = {})
{
    const QString folder = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + "/applications";
    QDir().mkpath(folder);
    QFile file(folder + "/" + id + ".desktop");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2 %3 %4 %U\n%5")
                   .arg(name, TestEnv::helperPath("export_helper_keyrecorder"), outputOf(id), id, extra)
                   .toUtf8());
}

QString toastText()
{
    QWidget *t = Toast::current();
    const auto labels = t ? t->findChildren<QLabel *>() : QList<QLabel *>();
    return labels.isEmpty() ? QString() : labels.first()->text();
}

// The keyboard map of a range of keycodes, to change and put back.
struct KeyMap
{
    xcb_keycode_t first = 0;
    uint8_t perCode = 0;
    std::vector<xcb_keysym_t> syms;

    static KeyMap read(xcb_connection_t *c)
    {
        const xcb_setup_t *setup = xcb_get_setup(c);
        KeyMap map;
        map.first = setup->min_keycode;
        auto *reply = xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1), nullptr);
        if (!reply)
            return map;
        map.perCode = reply->keysyms_per_keycode;
        const xcb_keysym_t *s = xcb_get_keyboard_mapping_keysyms(reply);
        map.syms.assign(s, s + xcb_get_keyboard_mapping_keysyms_length(reply));
        std::free(reply);
        return map;
    }
    int count() const { return perCode ? int(syms.size() / perCode) : 0; }
    xcb_keysym_t at(int code, int column) const { return syms[(code - first) * perCode + column]; }
    void set(xcb_connection_t *c, int code, const std::vector<xcb_keysym_t> &row) const
    {
        xcb_change_keyboard_mapping(c, 1, xcb_keycode_t(code), perCode, row.data());
    }
    std::vector<xcb_keysym_t> row(int code) const
    {
        return {syms.begin() + (code - first) * perCode, syms.begin() + (code - first + 1) * perCode};
    }
};
} // namespace

class TestPasteX11 : public QObject
{
    Q_OBJECT
    QWidget home; // our own window, in front before each send
    QList<QProcess *> recorders;

    void takeTheFront()
    {
        home.show();
        home.raise();
        home.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&home, 5000));
        QTRY_VERIFY(FrontApplication::shared().frontmost()
                    && FrontApplication::shared().frontmost()->window == quint32(home.winId()));
    }

    void startRecorder(const QString &id)
    {
        auto *p = new QProcess(this);
        p->start(TestEnv::helperPath("export_helper_keyrecorder"), {outputOf(id), id});
        QVERIFY(p->waitForStarted());
        recorders << p;
        QTRY_VERIFY_WITH_TIMEOUT(!FrontApplication::shared().windowsOf(id).isEmpty(), 10000);
    }

private slots:
    void initTestCase()
    {
        if (!KeySynth::shared().trusted())
            QSKIP("the X server has no XTEST extension");
        writeEntry("quilletkeys", "Key Recorder");
        writeEntry("quilletterm", "Recorder Terminal", "Categories=System;TerminalEmulator;\n");
        writeEntry("quilletlaunch", "Launched Recorder");
        home.setWindowTitle("Quillet test");
        home.setGeometry(700, 100, 300, 200);
        FrontApplication::shared().startWatching();
    }

    void cleanupTestCase()
    {
        for (QProcess *p : std::as_const(recorders)) {
            p->kill();
            p->waitForFinished();
        }
        for (const RunningApp &launched : FrontApplication::shared().windowsOf("quilletlaunch")) {
            if (launched.pid > 0)
                ::kill(pid_t(launched.pid), SIGTERM);
        }
    }

    void pastesWithTheChordOfTheApp_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("seen");
        QTest::addColumn<QString>("name");
        QTest::newRow("app: Control+v") << "quilletkeys" << "4 118" << "Key Recorder";
        QTest::newRow("terminal: Control+Shift+v") << "quilletterm" << "5 118" << "Recorder Terminal";
    }
    void pastesWithTheChordOfTheApp()
    {
        QFETCH(QString, id);
        QFETCH(QString, seen);
        QFETCH(QString, name);
        startRecorder(id);
        takeTheFront();
        Destinations::pasteInto(id);
        QTRY_COMPARE_WITH_TIMEOUT(keysSeenBy(id), QStringList{seen}, 10000);
        QCOMPARE(FrontApplication::shared().frontmost()->identifier, id);
        QCOMPARE(toastText(), "Pasted into " + name);
        QCOMPARE(KeySynth::shared().heldModifiers(), 0u); // nothing left pressed
    }

    void findsVOnTheKeyTheMapGivesItNow()
    {
        xcb_connection_t *c = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(c));
        const KeyMap before = KeyMap::read(c);
        QVERIFY(before.count() > 0);
        int vCode = 0, freeCode = 0;
        for (int code = before.first; code < before.first + before.count(); ++code) {
            if (!vCode && before.at(code, 0) == 0x76)
                vCode = code;
            bool empty = true;
            for (int col = 0; col < before.perCode; ++col)
                empty = empty && before.at(code, col) == 0;
            if (empty && code > before.first + 8)
                freeCode = code;
        }
        QVERIFY(vCode && freeCode);
        std::vector<xcb_keysym_t> moved = before.row(vCode);
        before.set(c, freeCode, moved);
        before.set(c, vCode, std::vector<xcb_keysym_t>(before.perCode, 0));
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // a round trip

        QFile::remove(outputOf("quilletkeys"));
        takeTheFront();
        Destinations::pasteInto("quilletkeys");
        QTRY_COMPARE_WITH_TIMEOUT(keysSeenBy("quilletkeys"), QStringList{"4 118"}, 10000);

        before.set(c, vCode, moved);
        before.set(c, freeCode, before.row(freeCode));
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // a round trip
        xcb_disconnect(c);
    }

    // Without a key for v nothing is pressed, and the user is told to paste by hand.
    void noKeyForVIsNoPaste()
    {
        xcb_connection_t *c = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(c));
        const KeyMap before = KeyMap::read(c);
        QList<int> vCodes;
        for (int code = before.first; code < before.first + before.count(); ++code) {
            for (int col = 0; col < before.perCode; ++col) {
                if (before.at(code, col) == 0x76) {
                    vCodes << code;
                    break;
                }
            }
        }
        QVERIFY(!vCodes.isEmpty());
        for (int code : vCodes)
            before.set(c, code, std::vector<xcb_keysym_t>(before.perCode, 0));
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

        QFile::remove(outputOf("quilletkeys"));
        takeTheFront();
        Destinations::pasteInto("quilletkeys");
        QTRY_COMPARE_WITH_TIMEOUT(toastText(), QStringLiteral("Copied. Press Ctrl+V in Key Recorder."), 10000);
        for (int code : vCodes)
            before.set(c, code, before.row(code));
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        xcb_disconnect(c);
        QVERIFY(keysSeenBy("quilletkeys").isEmpty());
        QCOMPARE(KeySynth::shared().heldModifiers(), 0u);
    }

    void launchesAnAppThatIsNotRunningAndPastesIntoIt()
    {
        QVERIFY(FrontApplication::shared().windowsOf("quilletlaunch").isEmpty());
        takeTheFront();
        Destinations::pasteInto("quilletlaunch");
        QTRY_COMPARE_WITH_TIMEOUT(keysSeenBy("quilletlaunch"), QStringList{"4 118"}, 10000);
        QCOMPARE(FrontApplication::shared().windowsOf("quilletlaunch").size(), 1);
        QCOMPARE(toastText(), QStringLiteral("Pasted into Launched Recorder"));
    }
};

QUILLET_TEST_MAIN(TestPasteX11)
#include "tst_paste_x11.moc"
