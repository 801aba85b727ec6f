#pragma once
#include "capture/CaptureSession.h"
#include "capture/OverlayView.h"
#include "export/SamplePicture.h"

#include "TestEnv.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

// The self-check's staged screen for a stage run on its own: one 1440 × 900 screen of the
// offscreen platform and the made-up picture of 2880 × 1800 pixels on it.
namespace StagedScreen {

inline QImage picture()
{
    QImage image = samplePicture(2880, 1800, 0);
    image.setDevicePixelRatio(2);
    return image;
}

// A capture session over the staged screen, shown, with no application in front before it; in
// canvas mode a chosen rect becomes the canvas.
inline CaptureSession *session(OverlayViewHost::Mode mode, const std::optional<QRectF> &rect = std::nullopt)
{
    const ScreenInfo screen{0, QStringLiteral("Staged"), QRect(0, 0, 1440, 900), 2};
    auto *s = new CaptureSession({FrozenFrame{screen, picture()}}, std::nullopt, mode);
    s->show();
    if (rect)
        s->views().first()->finish(*rect);
    return s;
}

// Runs the test object on the staged screen.
template <class Test>
int run(int argc, char **argv)
{
    TestEnv::prepare();
    QTemporaryDir dir;
    const QString screens = dir.filePath("screens.json");
    QFile file(screens);
    if (!file.open(QIODevice::WriteOnly))
        return 2;
    file.write(R"({"screens": [{"name": "Staged", "x": 0, "y": 0, "width": 1440, "height": 900,
                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens));
    qputenv("QT_QUICK_BACKEND", "software");
    QApplication app(argc, argv);
    Test tc;
    return QTest::qExec(&tc, argc, argv);
}

} // namespace StagedScreen
