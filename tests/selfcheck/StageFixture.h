#pragma once
// What a stage of the self-check needs to run alone in a test: one staged screen of 1440 × 900
// points on the offscreen platform, the canvas services of the launch, preferences in memory,
// the self-check flag and a history of the test's own.
#include "selfcheck/Autopilot.h"
#include "selfcheck/CanvasSessions.h"
#include "selfcheck/Chain.h"

#include "app/SelfCheckFlag.h"
#include "capture/CaptureSession.h"
#include "export/SamplePicture.h"
#include "history/Recents.h"
#include "launch/AppDelegate.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScreenSource.h"

#include "SelfCheckOutput.h"
#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace StageFixture {

inline const QSize points(1440, 900);

// The staged picture (2880 × 1800 pixels) of a variant.
inline QImage picture(int variant = 0)
{
    return samplePicture(2880, 1800, variant);
}

inline ScreenInfo screen()
{
    return Autopilot::stagedScreen(points, picture());
}

// The offscreen platform with one screen of 1440 × 900 points, as the self-check process has
// it; call before the application is made. The file it writes is gone once the app exists.
inline QString stageScreen()
{
    const QString path = QDir::temp().filePath(QStringLiteral("quillet-stage-screen-%1.json").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(R"({"screens": [{"name": "Staged", "x": 0, "y": 0, "width": 1440, "height": 900,
                      "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(path));
    return path;
}

// The launch's canvas services over the staged screen, preferences in memory, the self-check
// flag on and an empty history in a folder of the test's own.
class Services
{
public:
    Services()
    {
        if (!Preferences::shared().inMemoryScope())
            Preferences::shared().useMemoryScope();
        SelfCheckFlag::set(true);
        auto screens = std::make_shared<FakeScreenSource>();
        screens->screenList = {{1, QStringLiteral("Staged"), QRect(QPoint(0, 0), points), 1.0}};
        delegate = std::make_unique<AppDelegate>(QStringList{QStringLiteral("quillet")}, screens);
        delegate->installCanvasServices();
        Recents::setFolderOverride(history.filePath(QStringLiteral("history")));
    }
    ~Services() { Recents::setFolderOverride(QString()); }

    // Before each test: an empty history that keeps captures, and the pictures' folder empty.
    void fresh()
    {
        Recents::removeAll();
        Recents::queue().sync([] {});
        Preferences::shared().setValue(QStringLiteral("history.paused"), false);
        QDir(pictures.path()).removeRecursively();
        QDir().mkpath(pictures.path());
    }
    bool pictureWritten(const QString &name) const
    {
        return QFileInfo(QDir(Autopilot::folder()).filePath(name + QStringLiteral(".png"))).size() > 0;
    }

    QTemporaryDir history;
    QTemporaryDir pictures;
    std::unique_ptr<AppDelegate> delegate;
};

// Catches what a stage prints, with its pictures going to folder.
// QUILLET_STAGE_PICTURES names a folder that keeps them, to look at after the test.
struct Output : SelfCheckOutput
{
    explicit Output(const QString &folder)
    {
        const QString kept = qEnvironmentVariable("QUILLET_STAGE_PICTURES");
        Autopilot::setFolderForTesting(kept.isEmpty() ? folder : kept);
    }
};

// Catches what a stage hands on instead of going on with the chain.
struct Next
{
    std::optional<int> number;
    Autopilot::Handover handover;
    std::optional<double> delay;

    Next()
    {
        Autopilot::Chain::nextForTesting() = [this](int n, const Autopilot::Handover &h, std::optional<double> d) {
            number = n;
            handover = h;
            delay = d;
        };
    }
    ~Next() { Autopilot::Chain::nextForTesting() = {}; }
    Next(const Next &) = delete;
    Next &operator=(const Next &) = delete;
};

// What the chain hands the first of these stages: the staged screen, the staged picture and
// the folder the pictures go to.
inline Autopilot::Handover start(const QString &folder)
{
    Autopilot::Handover h;
    h.picture = picture();
    h.folder = folder;
    h.screen = points;
    return h;
}

inline bool historyPaused()
{
    return Preferences::shared().value(QStringLiteral("history.paused")).toBool();
}

// Closes a canvas of the staged picture so that the history gets one more entry.
inline void saveEntry(int variant = 0)
{
    CaptureSession *session = Autopilot::openCanvas(screen(), picture(variant), QRectF(100, 100, 400, 300));
    Autopilot::closeCanvas(session);
    Recents::queue().sync([] {});
}

} // namespace StageFixture

#define QUILLET_STAGE_TEST_MAIN(TestObject)                                                        \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        TestEnv::prepare();                                                                        \
        const QString screenFile = StageFixture::stageScreen();                                    \
        QApplication app(argc, argv);                                                              \
        QFile::remove(screenFile);                                                                 \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
