// Shows one titled window painting a pattern (red = x, green = y, both mod 256, blue 90, from its
// top-left corner) until killed: helper_patternwindow x y width height. Prints its X window id
// once the window is on screen and has the keyboard.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <QtTest>

#include <cstdio>

namespace {
class PatternWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QImage img(size() * devicePixelRatio(), QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                line[x] = qRgb(x & 255, y & 255, 90);
        }
        img.setDevicePixelRatio(devicePixelRatio());
        QPainter(this).drawImage(0, 0, img);
    }
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 5)
        return 2;
    PatternWindow w;
    w.setWindowTitle(QStringLiteral("Pattern"));
    w.setGeometry(a[1].toInt(), a[2].toInt(), a[3].toInt(), a[4].toInt());
    w.show();
    if (!QTest::qWaitForWindowExposed(&w) || !QTest::qWaitForWindowActive(&w))
        return 1;
    std::printf("%llu\n", static_cast<unsigned long long>(w.winId()));
    std::fflush(stdout);
    return app.exec();
}
