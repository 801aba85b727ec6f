// The real application under the test's X server: a global shortcut, a drag, the clipboard.
#include "AppUnderTest.h"
#include "TestEnv.h"
#include "XTestInput.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>

namespace {
constexpr uint32_t XK_Control_L = 0xffe3, XK_Shift_L = 0xffe1, XK_Super_L = 0xffeb, XK_2 = 0x32;

using namespace AppUnderTest;

// A window of one colour, shown by a separate client.
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
} // namespace

class TestEndToEndX11 : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> app;

    bool startApp()
    {
        app = std::make_unique<QProcess>();
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        app->start(appPath(), {});
        if (!app->waitForStarted())
            return false;
        // Started and its shortcuts registered once the launch sequence has run.
        return QTest::qWaitFor([] { return readFile(logDir() + "/app.log").contains("launch: started"); }, 10000);
    }

private slots:
    void cleanup()
    {
        if (app && app->state() != QProcess::NotRunning) {
            app->kill();
            app->waitForFinished();
        }
    }

    void shortcutDragAndClipboard()
    {
        XTestInput input;
        QVERIFY(input.isValid());
        auto red = colourWindow(QRect(300, 200, 100, 150), QStringLiteral("#ff0000"));
        auto blue = colourWindow(QRect(400, 200, 100, 150), QStringLiteral("#0000ff"));
        QVERIFY(red && blue);
        QVERIFY(startApp());
        QTest::qWait(700);

        // Capture area to clipboard, pressed twice quickly: one freeze.
        const QString captureLog = logDir() + QStringLiteral("/capture.log");
        input.chord({XK_Control_L, XK_Shift_L, XK_Super_L}, XK_2);
        input.chord({XK_Control_L, XK_Shift_L, XK_Super_L}, XK_2);
        QTRY_VERIFY_WITH_TIMEOUT(!readFile(captureLog).isEmpty(), 10000);
        QTest::qWait(300);

        input.drag(QPoint(300, 200), QPoint(500, 350));

        const QString png = QDir::temp().filePath(QStringLiteral("quillet-e2e-%1.png").arg(QCoreApplication::applicationPid()));
        QProcess reader;
        reader.start(captureHelper(QStringLiteral("helper_clipboard")), {png});
        QVERIFY(reader.waitForFinished(10000));
        QCOMPARE(reader.exitCode(), 0);
        const QImage picture(png);
        QFile::remove(png);
        QCOMPARE(picture.size(), QSize(200, 150));
        for (const QPoint &p : {QPoint(0, 0), QPoint(99, 149), QPoint(50, 75)})
            QCOMPARE(QColor(picture.pixel(p)), QColor(Qt::red));
        for (const QPoint &p : {QPoint(100, 0), QPoint(199, 149), QPoint(150, 75)})
            QCOMPARE(QColor(picture.pixel(p)), QColor(Qt::blue));

        const QList<QByteArray> lines = readFile(captureLog).trimmed().split('\n');
        QCOMPARE(lines.size(), 1);
        static const QRegularExpression form(QStringLiteral(
            "^\\S+Z frozen in \\d+ ms, overlay up in \\d+ ms displays=\\d+ pixels=1920x1080(,\\d+x\\d+)*$"));
        QVERIFY2(form.match(QString::fromUtf8(lines.first())).hasMatch(), lines.first().constData());
        QVERIFY(readFile(logDir() + "/app.log").contains("capture: frozen in "));

        // A second start hands over and ends; the first keeps running.
        QProcess second;
        second.start(appPath(), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(app->state(), QProcess::Running);

        // SIGTERM: a clean quit with status 0 and the log complete.
        ::kill(pid_t(app->processId()), SIGTERM);
        QVERIFY(app->waitForFinished(10000));
        QCOMPARE(app->exitStatus(), QProcess::NormalExit);
        QCOMPARE(app->exitCode(), 0);
        QVERIFY(readFile(logDir() + "/app.log").contains("quit: SIGTERM"));

        red->kill();
        blue->kill();
        red->waitForFinished();
        blue->waitForFinished();
    }
};

QUILLET_TEST_MAIN(TestEndToEndX11)
#include "tst_endtoend_x11.moc"
