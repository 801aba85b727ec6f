#include "TestMonitors.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QtTest>

#include <xcb/xcb.h>

namespace TestMonitors {
namespace {
const QString pairA = QStringLiteral("QUILLET-A");
const QString pairB = QStringLiteral("QUILLET-B");
const QString specA = QStringLiteral("1920/508x1080/286+0+0");
const QString specB = QStringLiteral("1280/338x1024/270+1920+0");

bool xrandr(const QStringList &args)
{
    return QProcess::execute(QStringLiteral("xrandr"), args) == 0;
}

QSize rootSize()
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    QSize size;
    if (!xcb_connection_has_error(c)) {
        const xcb_screen_t *s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        size = QSize(s->width_in_pixels, s->height_in_pixels);
    }
    xcb_disconnect(c);
    return size;
}

const Monitor *named(const QList<Monitor> &monitors, const QString &name)
{
    for (const Monitor &m : monitors)
        if (m.name == name)
            return &m;
    return nullptr;
}

// Waits until this process's screens are the server's monitors again.
void waitForScreens(int count)
{
    QTest::qWaitFor([count] { return QGuiApplication::screens().size() == count; }, 5000);
}
} // namespace

QList<Monitor> list()
{
    QProcess p;
    p.start(QStringLiteral("xrandr"), {QStringLiteral("--listmonitors")});
    p.waitForFinished(5000);
    // " 1: +QUILLET-B 1280/338x1024/270+1920+0  " or " 0: +*screen 1920/508x1080/286+0+0  screen"
    static const QRegularExpression line(
        QStringLiteral(R"(^\s*\d+:\s+[+*]*(\S+)\s+((\d+)/\d+x(\d+)/\d+\+(\d+)\+(\d+))\s*(\S*))"));
    QList<Monitor> out;
    for (const QString &text : QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = line.match(text);
        if (!m.hasMatch())
            continue;
        out << Monitor{m.captured(1),
                       QRect(m.captured(5).toInt(), m.captured(6).toInt(), m.captured(3).toInt(), m.captured(4).toInt()),
                       m.captured(2), m.captured(7).isEmpty() ? QStringLiteral("none") : m.captured(7)};
    }
    return out;
}

QString ensurePair()
{
    const QList<Monitor> now = list();
    if (named(now, pairA) && named(now, pairB))
        return {};
    const QSize root = rootSize();
    if (root.width() < 3200 || root.height() < 1080)
        return QStringLiteral("needs two monitors side by side (1920 x 1080 and 1280 x 1024) on a screen of "
                              "at least 3200 x 1080; this server's screen is %1 x %2")
            .arg(root.width())
            .arg(root.height());
    if (!named(now, pairA))
        xrandr({QStringLiteral("--setmonitor"), pairA, specA, QStringLiteral("screen")});
    if (!named(now, pairB))
        xrandr({QStringLiteral("--setmonitor"), pairB, specB, QStringLiteral("none")});
    waitForScreens(2);
    return {};
}

void restore(const QList<Monitor> &before)
{
    const QList<Monitor> now = list();
    bool changed = false;
    for (const Monitor &m : now) {
        const Monitor *was = named(before, m.name);
        if (m.name.startsWith(QLatin1String("QUILLET-")) && (!was || was->setting != m.setting)) {
            changed |= xrandr({QStringLiteral("--delmonitor"), m.name});
        }
    }
    const QList<Monitor> kept = list();
    for (const Monitor &m : before) {
        if (m.name.startsWith(QLatin1String("QUILLET-")) && !named(kept, m.name))
            changed |= xrandr({QStringLiteral("--setmonitor"), m.name, m.setting, m.output});
    }
    if (changed)
        waitForScreens(int(before.size()));
}

} // namespace TestMonitors
