// Another application in front: shows one ordinary window at x y width height and makes it the
// active window, prints "ready" once it is, and runs until killed.
#include <QApplication>
#include <QWidget>
#include <QtTest>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Frontwindow"));
    const QStringList a = app.arguments();
    if (a.size() < 5)
        return 2;
    QWidget w;
    w.setWindowTitle(QStringLiteral("Front window"));
    w.setGeometry(a[1].toInt(), a[2].toInt(), a[3].toInt(), a[4].toInt());
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w, 5000))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
