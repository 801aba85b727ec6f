// Shows one Qt window at a given place until killed, filled with a colour or, for "pattern",
// painted with the test pattern: helper_colorwindow x y width height #rrggbb|pattern [managed].
// Without "managed" it is frameless and bypasses the window manager. Prints "ready X Y" (its
// inside's place on the screen) once the window is on screen.
#include "RawPattern.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <cstdio>

namespace {
class PatternWindow : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QImage pattern = RawPattern::expected(QRect(QPoint(), size()), QRect(QPoint(), size()));
        QPainter(this).drawImage(0, 0, pattern);
    }
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 6)
        return 2;
    const bool pattern = a[5] == QLatin1String("pattern");
    const Qt::WindowFlags flags = a.value(6) == QLatin1String("managed")
        ? Qt::Window
        : Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint;
    std::unique_ptr<QWidget> w(pattern ? new PatternWindow(nullptr, flags) : new QWidget(nullptr, flags));
    w->setGeometry(a[1].toInt(), a[2].toInt(), a[3].toInt(), a[4].toInt());
    if (!pattern)
        w->setStyleSheet(QStringLiteral("background: %1").arg(a[5]));
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        return 1;
    QTest::qWait(100);
    const QPoint inside = w->mapToGlobal(QPoint(0, 0));
    std::printf("ready %d %d\n", inside.x(), inside.y());
    std::fflush(stdout);
    return app.exec();
}
