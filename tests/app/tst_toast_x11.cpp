// A toast on a display with no compositing manager: the capsule's corners show what is below,
// not black.
#include "app/Toast.h"
#include "platform/Compositing.h"

#include "TestEnv.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

class TestToastX11 : public QObject
{
    Q_OBJECT

private slots:
    void cornersShowTheWindowBelow()
    {
        if (Compositing::isActive())
            QSKIP("a compositing manager runs on this display");
        QWidget below(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        below.setStyleSheet(QStringLiteral("background: #20c040"));
        below.setGeometry(100, 100, 600, 300);
        below.show();
        QVERIFY(QTest::qWaitForWindowExposed(&below));
        QCursor::setPos(400, 320);
        QTest::qWait(100);

        toast(QStringLiteral("Copied to the clipboard"), 5.0);
        QWidget *panel = Toast::current();
        QVERIFY(panel);
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        QTest::qWait(200);
        const QRect r = panel->geometry();
        QVERIFY(below.geometry().contains(r));

        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const QColor green(0x20, 0xc0, 0x40);
        for (const QPoint &corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
            QCOMPARE(QColor(screen.pixel(corner)), green);
        // The capsule itself is drawn: its middle is the light glass, not the green below.
        QVERIFY(QColor(screen.pixel(r.center())) != green);
        panel->close();
    }
};

QUILLET_TEST_MAIN(TestToastX11)
#include "tst_toast_x11.moc"
