// The real application sending to programs named by desktop entries in the test's own
// XDG_DATA_HOME: a receiver whose window names itself otherwise than its entry is launched by
// Ctrl+Return and gets the paste keys, found by its process; with Quillet's own welcome window in
// front at the capture, the paste goes to the program that was in front before it.
#include "CanvasApp.h"
#include "TestEnv.h"

#include <csignal>

using namespace CanvasApp;

namespace {
QString keyRecorder()
{
    return binDir() + QStringLiteral("/../export/export_helper_keyrecorder");
}

QString keysFile(const QString &name)
{
    return TestEnv::home() + QStringLiteral("/keys-") + name + QStringLiteral(".txt");
}

// A desktop entry that starts the key recorder, its window named `windowName`.
bool writeEntry(const QString &id, const QString &name, const QString &windowName)
{
    const QString folder = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + id + QStringLiteral(".desktop"));
    return file.open(QIODevice::WriteOnly)
        && file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2 %3 %4\n")
                          .arg(name, keyRecorder(), keysFile(id), windowName)
                          .toUtf8())
               > 0;
}

// Ends the recorders the application started for this test: those writing to `file`.
void endRecorders(const QString &file)
{
    for (const QString &name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 pid = name.toLongLong(&number);
        if (number && readFile(QStringLiteral("/proc/%1/cmdline").arg(pid)).split('\0').contains(file.toLocal8Bit()))
            ::kill(pid_t(pid), SIGTERM);
    }
}

// The managed window of a process, or 0.
xcb_window_t windowOf(const Desktop &desktop, qint64 pid)
{
    for (quint32 w : desktop.values(desktop.root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW)) {
        if (desktop.values(w, "_NET_WM_PID", XCB_ATOM_CARDINAL) == QList<quint32>{quint32(pid)})
            return w;
    }
    return 0;
}

// Control held with V, as the recorder writes it.
const QByteArray controlV = "4 118\n";
} // namespace

class TestSendTargetsX11 : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        for (const char *id : {"org.example.ReceiverOne", "org.example.ReceiverTwo"})
            endRecorders(keysFile(QString::fromLatin1(id)));
    }

    void launchedTargetKnownByItsProcess()
    {
        QVERIFY(writeEntry(QStringLiteral("org.example.ReceiverTwo"), QStringLiteral("Receiver Two"),
                           QStringLiteral("receiver-bin")));
        Session session;
        QVERIFY(session.start(QStringLiteral(R"(, "send.to": "org.example.ReceiverTwo")")));
        XTestInput input;
        Desktop desktop;
        QVERIFY(session.openCanvas(input, desktop));
        input.chord({XK_Control_L}, XK_Return);
        // Launched, in front, and pasted into, though its window says "receiver-bin".
        QTRY_COMPARE_WITH_TIMEOUT(readFile(keysFile(QStringLiteral("org.example.ReceiverTwo"))), controlV, 10000);
        QVERIFY(!readFile(logDir() + "/app.log").contains("paste: the app did not come to the front"));
        endRecorders(keysFile(QStringLiteral("org.example.ReceiverTwo")));
    }

    void welcomeWindowInFrontIsNotTheTarget()
    {
        const QString id = QStringLiteral("org.example.ReceiverOne");
        QVERIFY(writeEntry(id, QStringLiteral("Receiver One"), id));
        Desktop desktop;
        QProcess receiver;
        receiver.start(keyRecorder(), {keysFile(id), id});
        QVERIFY(receiver.waitForStarted());
        xcb_window_t inFront = 0;
        QVERIFY(QTest::qWaitFor([&] { return (inFront = windowOf(desktop, receiver.processId())) && desktop.focus() == inFront; }, 10000));

        // A user not yet welcomed: the welcome window comes up in front of the receiver.
        QFile prefs(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Quillet/preferences.json"));
        QVERIFY(prefs.open(QIODevice::WriteOnly));
        prefs.write("{}");
        prefs.close();
        QProcess app;
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.start(appPath(), {});
        QVERIFY(app.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return desktop.focus() != inFront; }, 10000));
        QTest::qWait(500);

        XTestInput input;
        const int captures = logCount("capture.log", "\n");
        input.chord({XK_Control_L, XK_Shift_L}, XK_2);
        QVERIFY(QTest::qWaitFor([&] { return logCount("capture.log", "\n") > captures; }, 10000));
        QVERIFY(QTest::qWaitFor([&] { return desktop.keyboardTaken(); }, 5000));
        input.drag(chosenArea.topLeft(), chosenArea.bottomRight() + QPoint(1, 1));
        QVERIFY(QTest::qWaitFor([&] { return desktop.window(QStringLiteral("Quillet™")) != 0; }, 10000));
        QTest::qWait(800);
        input.chord({XK_Control_L}, XK_Return);
        QTRY_COMPARE_WITH_TIMEOUT(readFile(keysFile(id)), controlV, 10000);

        app.kill();
        app.waitForFinished();
        receiver.kill();
        receiver.waitForFinished();
    }
};

QUILLET_TEST_MAIN(TestSendTargetsX11)
#include "tst_sendtargets_x11.moc"
