// Choosing areas and windows at screen scales other than 1, as a user would with XTest: every
// device pixel can be the corner of an area, the coordinate label names the pixel under the
// pointer, and a canvas window keeps its distance from the edges of its own monitor's visible
// frame whatever the other monitor's scale. Each capture runs in a helper process started with
// the scale, since Qt reads it once at its start.
#include "TestEnv.h"
#include "TestMonitors.h"

#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>

namespace {
// The helper's lines by their first word, for a run with the given environment.
QHash<QString, QString> run(const QStringList &env, const QStringList &args)
{
    QProcess helper;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.remove("QT_SCALE_FACTOR");
    e.remove("QT_SCREEN_SCALE_FACTORS");
    for (const QString &pair : env)
        e.insert(pair.section('=', 0, 0), pair.section('=', 1));
    helper.setProcessEnvironment(e);
    helper.start(TestEnv::helperPath("canvas_helper_scaledpointer"), args);
    QHash<QString, QString> lines;
    if (!helper.waitForFinished(30000)) {
        helper.kill();
        helper.waitForFinished();
    }
    const QString out = QString::fromUtf8(helper.readAllStandardOutput());
    for (const QString &line : out.split('\n', Qt::SkipEmptyParts))
        lines.insert(line.section(' ', 0, 0), line.section(' ', 1));
    if (helper.exitCode() != 0 || lines.contains("error"))
        qWarning("helper: %s %s", qPrintable(out), helper.readAllStandardError().constData());
    return lines;
}

QStringList numbers(std::initializer_list<int> values)
{
    QStringList out;
    for (int v : values)
        out << QString::number(v);
    return out;
}
} // namespace

class TestOverlayScales : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QGuiApplication::primaryScreen() || QGuiApplication::primaryScreen()->geometry().height() < 1000)
            QSKIP("the test's display is smaller than 1920 x 1080");
    }

    // From the start pixel to the end pixel (the end pixel is the first one left out, as the
    // pointer's own pixel), in clipboard and canvas mode; the label names the pixel under the
    // pointer, odd ones included.
    void dragTakesEveryDevicePixel_data()
    {
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<QPoint>("end");
        const QList<std::pair<QPoint, QPoint>> drags = {
            {{1001, 301}, {1802, 902}}, // odd pixels: unreachable at scale 2 through whole points
            {{1000, 300}, {1801, 901}},
            {{999, 299}, {1400, 600}},
        };
        for (const QString scale : {"2", "1.5", "1.75"})
            for (const QString mode : {"clipboard", "canvas"})
                for (const auto &[start, end] : drags)
                    QTest::addRow("%s %s from %d,%d", qPrintable(scale), qPrintable(mode), start.x(), start.y())
                        << scale << mode << start << end;
    }
    void dragTakesEveryDevicePixel()
    {
        QFETCH(QString, scale);
        QFETCH(QString, mode);
        QFETCH(QPoint, start);
        QFETCH(QPoint, end);
        const auto out = run({"QT_SCALE_FACTOR=" + scale},
                             QStringList{mode, "drag"} + numbers({start.x(), start.y(), end.x(), end.y()}));
        const QString here = QStringLiteral("%1  %2").arg(start.x()).arg(start.y());
        const QString beside = QStringLiteral("%1  %2").arg(start.x() + 1).arg(start.y() + 1);
        QCOMPARE(out.value("labels"), here + " | " + beside + " | " + here);
        QCOMPARE(out.value("picture"), QStringLiteral("%1 %2 %3 %4")
                                           .arg(start.x()).arg(start.y())
                                           .arg(end.x() - start.x()).arg(end.y() - start.y()));
    }

    // A click on the first device pixel of a window picks it, and the pixel before it does not.
    void pickFindsTheWindowToThePixel_data()
    {
        QTest::addColumn<QString>("scale");
        QTest::addColumn<int>("x");
        QTest::addColumn<bool>("picked");
        for (const QString scale : {"2", "1.5", "1.75"}) {
            QTest::addRow("%s first pixel", qPrintable(scale)) << scale << 1001 << true;
            QTest::addRow("%s pixel before", qPrintable(scale)) << scale << 1000 << false;
        }
    }
    void pickFindsTheWindowToThePixel()
    {
        QFETCH(QString, scale);
        QFETCH(int, x);
        QFETCH(bool, picked);
        // A window whose left edge lies on pixel 1001.
        const auto out = run({"QT_SCALE_FACTOR=" + scale}, QStringList{"clipboard", "pick"} + numbers({1001, 301, 420, 315, x, 400}));
        QCOMPARE(out.value("hovered"), QString(picked ? "yes" : "no"));
        if (picked)
            QCOMPARE(out.value("picture"), QString("1001 301 420 315"));
    }

    // With monitors of scales 2 and 1, a canvas opened by F on either sits 50 pt inside the
    // monitor's visible frame, title bar included: the title bar's device pixels are that
    // monitor's points at its own scale.
    void canvasKeepsItsInsetOnEachMonitor_data()
    {
        QTest::addColumn<int>("screen");
        QTest::newRow("scale 2") << 0;
        QTest::newRow("scale 1") << 1;
    }
    void canvasKeepsItsInsetOnEachMonitor()
    {
        QFETCH(int, screen);
        const QList<TestMonitors::Monitor> before = TestMonitors::list();
        const QString why = TestMonitors::ensurePair();
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        const QList<TestMonitors::Monitor> pair = TestMonitors::list();
        const auto monitor = std::find_if(pair.cbegin(), pair.cend(), [screen](const TestMonitors::Monitor &m) {
            return m.name == (screen == 0 ? "QUILLET-A" : "QUILLET-B");
        });
        QVERIFY(monitor != pair.cend());
        const double scale = screen == 0 ? 2 : 1;
        const auto out = run({"QT_SCREEN_SCALE_FACTORS=QUILLET-A=2;QUILLET-B=1"}, {"canvas", "frame", QString::number(screen)});
        TestMonitors::restore(before);
        const QStringList window = out.value("window").split(' ');
        QCOMPARE(window.size(), 3);
        const int top = window[2].toInt();
        QVERIFY2(top > 0, "the window manager put no title bar on the canvas");
        // The frame's left and top edges, in device pixels from the monitor's corner.
        const int left = window[0].toInt() - monitor->geometry.x();
        const int frameTop = window[1].toInt() - top - monitor->geometry.y();
        QVERIFY2(std::abs(left - 50 * scale) <= scale, qPrintable(out.value("window")));
        QVERIFY2(std::abs(frameTop - 50 * scale) <= scale, qPrintable(out.value("window")));
    }
};

QUILLET_TEST_MAIN(TestOverlayScales)
#include "tst_overlayscales_x11.moc"
