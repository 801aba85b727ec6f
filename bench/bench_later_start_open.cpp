// A later start with a picture: `quillet shot.png` (3840 x 2160 pixels) while quillet is running,
// timed from outside from the start of the second process until the picture is painted on
// screen (probe pixels at the middle of the screen, read by a client of the bench's own, show the
// picture's middle block). The canvas is closed with Escape between rounds. Prints the median and
// the slowest round, the median time the second process took to hand over and exit, and the
// running instance's own part from its log.
// Usage: bench_later_start_open [path to quillet]   (run under scripts/bench)
#include "XTestInput.h"
#include "export/SamplePicture.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
constexpr uint32_t XK_Escape = 0xff1b;
constexpr int rounds = 10;
constexpr QRgb probeColour = 0x12ab34;

double median(QList<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

uint32_t pixelAt(xcb_connection_t *c, xcb_window_t root, int x, int y)
{
    xcb_get_image_reply_t *img = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(x), int16_t(y), 1, 1, ~0u), nullptr);
    uint32_t p = 0;
    if (img && xcb_get_image_data_length(img) >= 4)
        std::memcpy(&p, xcb_get_image_data(img), 4);
    std::free(img);
    return p & 0xffffff;
}

// Whether the middle of the screen shows the picture's middle block: any probe pixel on the
// middle row of the screen's middle half (the picture sits left of centre beside the command
// sidebar, and moves right once the rail lists earlier captures).
bool showsPicture(xcb_connection_t *c, const xcb_screen_t *screen)
{
    const int w = screen->width_in_pixels, cy = screen->height_in_pixels / 2;
    for (int x = w / 4; x < w * 3 / 4; x += 40)
        if (pixelAt(c, screen->root, x, cy) == probeColour)
            return true;
    return false;
}

bool waitFor(xcb_connection_t *c, const xcb_screen_t *screen, bool shown, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (showsPicture(c, screen) == shown)
            return true;
        QThread::usleep(500);
    }
    return false;
}

// A made-up screenshot with a block of the probe colour in its middle and a band of noise, so
// that the PNG is as costly to decode as a real screenshot's.
bool writeShot(const QString &path)
{
    QImage image = samplePicture(3840, 2160, 1).convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return false;
    QPainter(&image).fillRect(QRect(1120, 630, 1600, 900), QColor::fromRgb(probeColour));
    QRandomGenerator random(7);
    for (int y = 1700; y < 2100; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = 0xff000000 | (random.generate() & 0x3f3f3f);
    }
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    return image.save(path, "PNG");
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString quillet = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                     : QCoreApplication::applicationDirPath() + QStringLiteral("/../src/quillet");
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME",
                            "XDG_RUNTIME_DIR"}) {
        const QString dir = home.path() + QLatin1Char('/') + QLatin1String(var);
        QDir().mkpath(dir);
        env.insert(QLatin1String(var), dir);
    }
    QFile::setPermissions(home.path() + QStringLiteral("/XDG_RUNTIME_DIR"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString logDir = home.path() + QStringLiteral("/XDG_STATE_HOME/Quillet");
    // A user who has been welcomed already: no welcome window over the canvas.
    QDir().mkpath(home.path() + QStringLiteral("/XDG_CONFIG_HOME/Quillet"));
    QFile prefs(home.path() + QStringLiteral("/XDG_CONFIG_HOME/Quillet/preferences.json"));
    if (prefs.open(QIODevice::WriteOnly))
        prefs.write(R"({"onboarding.done": true})");
    prefs.close();
    const QString shot = home.filePath(QStringLiteral("shot.png"));
    if (!writeShot(shot)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(shot));
        return 1;
    }

    QProcess running;
    running.setProcessEnvironment(env);
    running.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    running.start(quillet, {});
    if (!running.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(quillet));
        return 1;
    }
    QElapsedTimer started;
    started.start();
    while (started.elapsed() < 10000) {
        QFile log(logDir + QStringLiteral("/app.log"));
        if (log.open(QIODevice::ReadOnly) && log.readAll().contains("launch: started"))
            break;
        QThread::msleep(50);
    }
    QThread::msleep(1000);

    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    XTestInput input;
    // The canvas opens on the screen under the pointer.
    input.moveTo(QPoint(screen->width_in_pixels / 2, screen->height_in_pixels / 2));

    QList<double> painted, handedOver;
    for (int i = 0; i < rounds; ++i) {
        QProcess later;
        later.setProcessEnvironment(env);
        later.setWorkingDirectory(home.path());
        later.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer t;
        t.start();
        later.start(quillet, {QStringLiteral("shot.png")});
        bool shown = false, exited = false;
        while (t.elapsed() < 10000 && !(shown && exited)) {
            if (!shown && showsPicture(c, screen)) {
                shown = true;
                painted.append(double(t.nsecsElapsed()) / 1e6);
            }
            if (!exited && later.waitForFinished(0)) {
                exited = true;
                if (later.exitCode() == 0)
                    handedOver.append(double(t.nsecsElapsed()) / 1e6);
            }
            QThread::usleep(500);
        }
        QThread::msleep(300);
        input.chord({}, XK_Escape);
        if (!waitFor(c, screen, false, 5000)) {
            std::fprintf(stderr, "round %d: Escape did not close the canvas\n", i + 1);
            break;
        }
        QThread::msleep(300);
    }

    running.terminate();
    running.waitForFinished(5000);

    // The running instance's own part: from the arguments received to the canvas opened.
    QList<double> inApp;
    QFile log(logDir + QStringLiteral("/app.log"));
    log.open(QIODevice::ReadOnly);
    QDateTime received;
    for (const QByteArray &line : log.readAll().split('\n')) {
        const QDateTime at = QDateTime::fromString(QString::fromUtf8(line.left(24)), Qt::ISODateWithMs);
        if (line.contains("launch: a second start handed over"))
            received = at;
        else if (line.contains("canvas opened") && received.isValid())
            inApp.append(double(received.msecsTo(at))), received = QDateTime();
    }
    xcb_disconnect(c);
    std::printf("screen %dx%d: %lld of %d later starts with a 3840x2160 PNG painted it; start to painted, "
                "median %.1f ms, slowest %.1f ms\n",
                screen->width_in_pixels, screen->height_in_pixels, static_cast<long long>(painted.size()), rounds,
                median(painted), painted.isEmpty() ? 0.0 : *std::max_element(painted.cbegin(), painted.cend()));
    std::printf("  the later start handed over and exited in median %.1f ms; the running instance took median "
                "%.0f ms from the arguments received to the canvas opened (its log)\n",
                median(handedOver), median(inApp));
    return painted.isEmpty() ? 1 : 0;
}
