// The real application's canvas picture leaving it: Return puts the page on the clipboard, where
// another X client reads the captured pixels one for one (and a mark in its colour, the rest
// untouched); Ctrl+S writes the same PNG into the save folder; a 2× picture goes out at its own
// pixels with the resolution of 144 dpi, as PNG and TIFF.
#include "CanvasApp.h"
#include "TestEnv.h"

#include "document/Palette.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace CanvasApp;

namespace {
// dots per metre of a resolution in dots per inch
constexpr int dpm72 = 2835, dpm144 = 5669;
} // namespace

class TestCanvasReturnX11 : public QObject
{
    Q_OBJECT

    Session session;
    QImage expected;

    int closed() const { return logCount("app.log", "canvas closed"); }

private slots:
    void initTestCase()
    {
        QVERIFY(session.start());
        expected = chosenPattern(session.patternArea);
    }

    void returnCopiesTheCapturedPixels()
    {
        XTestInput input;
        Desktop desktop;
        const int before = closed();
        QVERIFY(session.openCanvas(input, desktop));
        input.chord({}, XK_Return);
        // One page: the copy ends the canvas.
        QTRY_COMPARE_WITH_TIMEOUT(closed(), before + 1, 10000);
        QVERIFY(readFile(logDir() + "/app.log").contains("export: clipboard 200x150"));

        const QImage png = QImage::fromData(clipboardBytes(QStringLiteral("image/png")), "png");
        QCOMPARE(png.size(), chosenArea.size());
        QCOMPARE(png.dotsPerMeterX(), dpm72);
        QCOMPARE(png.dotsPerMeterY(), dpm72);
        QCOMPARE(differences(png.convertToFormat(QImage::Format_RGB32), expected), QRect());
    }

    // An arrow drawn across the shot: the copy shows it in its colour, every pixel away from it
    // is the captured one, unshifted.
    void markedUpCopyKeepsTheRest()
    {
        XTestInput input;
        Desktop desktop;
        const int before = closed();
        const xcb_window_t canvas = session.openCanvas(input, desktop);
        QVERIFY(canvas);
        const QRect shot = session.shotOnScreen(desktop, canvas);
        QVERIFY(!shot.isEmpty());
        input.drag(shot.topLeft() + QPoint(30, 75), shot.topLeft() + QPoint(150, 75));
        QTest::qWait(300);
        input.chord({}, XK_Return);
        QTRY_COMPARE_WITH_TIMEOUT(closed(), before + 1, 10000);

        const QImage png = QImage::fromData(clipboardBytes(QStringLiteral("image/png")), "png");
        QCOMPARE(png.size(), chosenArea.size());
        const QImage copied = png.convertToFormat(QImage::Format_RGB32);
        const QRect drawn = differences(copied, expected);
        QVERIFY2(QRect(10, 50, 160, 50).contains(drawn),
                 qPrintable(QStringLiteral("changed pixels at %1,%2 %3x%4")
                                .arg(drawn.x()).arg(drawn.y()).arg(drawn.width()).arg(drawn.height())));
        const RGB red = Palette::color(0);
        const QColor colour = QColor::fromRgbF(float(red.r), float(red.g), float(red.b));
        for (const QPoint &p : {QPoint(60, 75), QPoint(100, 75)}) {
            const QColor seen = copied.pixelColor(p);
            QVERIFY2(std::abs(seen.red() - colour.red()) <= 2 && std::abs(seen.green() - colour.green()) <= 2
                         && std::abs(seen.blue() - colour.blue()) <= 2,
                     qPrintable(seen.name()));
        }
    }

    void saveWritesThePngIntoTheSaveFolder()
    {
        XTestInput input;
        Desktop desktop;
        const int before = closed();
        const QString folder = QStandardPaths::standardLocations(QStandardPaths::DesktopLocation).value(0);
        QVERIFY(!folder.isEmpty());
        QVERIFY(folder.startsWith(QDir::homePath()));
        const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
        QVERIFY(session.openCanvas(input, desktop));
        input.chord({XK_Control_L}, XK_s);
        QTRY_COMPARE_WITH_TIMEOUT(closed(), before + 1, 10000);

        const QStringList files = QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files);
        QCOMPARE(files.size(), 1);
        static const QRegularExpression form(
            QStringLiteral("^Quillet (\\d{4}-\\d\\d-\\d\\d at \\d\\d\\.\\d\\d\\.\\d\\d)\\.png$"));
        const auto named = form.match(files.first());
        QVERIFY2(named.hasMatch(), qPrintable(files.first()));
        const QDateTime when = QDateTime::fromString(named.captured(1), QStringLiteral("yyyy-MM-dd 'at' HH.mm.ss"));
        QVERIFY(when >= start.addMSecs(-start.time().msec()) && when <= QDateTime::currentDateTime());

        const QImage saved(QDir(folder).filePath(files.first()));
        QCOMPARE(saved.size(), chosenArea.size());
        QCOMPARE(saved.dotsPerMeterX(), dpm72);
        QCOMPARE(differences(saved.convertToFormat(QImage::Format_RGB32), expected), QRect());
        QFile::remove(QDir(folder).filePath(files.first()));
    }

    // A picture of 2880 × 1800 pixels at 144 dpi opened by a later start: Return copies those
    // pixels at that resolution, as PNG and as TIFF.
    void doubleDensityPictureAtItsPixels()
    {
        QTemporaryDir dir;
        QImage picture(2880, 1800, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                line[x] = qRgb(x * 7 & 255, y * 3 & 255, (x ^ y) & 255);
        }
        picture.setDotsPerMeterX(dpm144);
        picture.setDotsPerMeterY(dpm144);
        const QString file = dir.filePath(QStringLiteral("wide.png"));
        QVERIFY(picture.save(file));

        Desktop desktop;
        const int before = closed();
        QProcess later;
        later.start(appPath(), {file});
        QVERIFY(later.waitForFinished(10000));
        QCOMPARE(later.exitCode(), 0);
        xcb_window_t canvas = 0;
        QTRY_VERIFY_WITH_TIMEOUT((canvas = desktop.window(QStringLiteral("Quillet™"))) != 0, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(desktop.focus(), canvas, 10000);

        XTestInput input;
        input.chord({}, XK_Return);
        QTRY_COMPARE_WITH_TIMEOUT(closed(), before + 1, 10000);
        QVERIFY(readFile(logDir() + "/app.log").contains("export: clipboard 2880x1800"));
        const QImage png = QImage::fromData(clipboardBytes(QStringLiteral("image/png")), "png");
        QCOMPARE(png.size(), QSize(2880, 1800));
        QCOMPARE(png.dotsPerMeterX(), dpm144);
        QVERIFY(png.convertToFormat(QImage::Format_RGB32) == picture);
        const QImage tiff = QImage::fromData(clipboardBytes(QStringLiteral("image/tiff")), "tiff");
        QCOMPARE(tiff.size(), QSize(2880, 1800));
        QCOMPARE(tiff.dotsPerMeterX(), dpm144);
        QVERIFY(tiff.convertToFormat(QImage::Format_RGB32) == picture);
    }
};

QUILLET_TEST_MAIN(TestCanvasReturnX11)
#include "tst_canvasreturn_x11.moc"
