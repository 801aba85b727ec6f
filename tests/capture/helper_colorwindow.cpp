// Shows one frameless window filled with a colour at a given place until killed:
// helper_colorwindow x y width height #rrggbb. Prints "ready" once the window is on screen.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 6)
        return 2;
    QWidget w(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    w.setGeometry(a[1].toInt(), a[2].toInt(), a[3].toInt(), a[4].toInt());
    w.setStyleSheet(QStringLiteral("background: %1").arg(a[5]));
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return 1;
    QTest::qWait(100);
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
