#pragma once
#include "selfcheck/Autopilot.h"
#include "selfcheck/Chain.h"

#include "app/SelfCheckFlag.h"
#include "export/SamplePicture.h"
#include "history/Recents.h"
#include "launch/AppDelegate.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScreenSource.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// The failed check lines among what a run printed.
inline QStringList failed(const QStringList &lines)
{
    return lines.filter(QRegularExpression(QStringLiteral("^FAIL")));
}

// What a stage of the self-check needs to run alone: the canvas services of the application, the
// self-check flag, preferences in memory, a history and pictures in a folder of the test's own,
// and the hand-over it would pass on caught instead of run.
struct StageFixture
{
    struct Next
    {
        int number = 0;
        Autopilot::Handover handover;
        std::optional<double> delay;
    };

    QTemporaryDir folder;
    std::unique_ptr<AppDelegate> delegate;
    std::optional<Next> next;

    StageFixture()
    {
        SelfCheckFlag::set(true);
        if (!Preferences::shared().inMemoryScope())
            Preferences::shared().useMemoryScope();
        auto screens = std::make_shared<FakeScreenSource>();
        screens->screenList = {{11, "A", QRect(0, 0, 1440, 900), 1.0}};
        delegate = std::make_unique<AppDelegate>(QStringList{"quillet"}, screens);
        delegate->installCanvasServices();
        Recents::setFolderOverride(folder.filePath(QStringLiteral("history")));
        // Pictures are written into the run's folder, here the current one.
        QDir::setCurrent(folder.path());
        Autopilot::Chain::nextForTesting() = [this](int number, const Autopilot::Handover &h, std::optional<double> d) {
            next = Next{number, h, d};
        };
    }
    ~StageFixture()
    {
        Autopilot::Chain::nextForTesting() = {};
        Recents::setFolderOverride({});
    }

    // The hand-over the run starts with: the staged picture and the folder.
    Autopilot::Handover start() const
    {
        Autopilot::Handover h;
        h.picture = samplePicture(2880, 1800, 0);
        h.folder = folder.path();
        return h;
    }
    // Runs the step that was handed on last as the chain would, the event loop running through
    // its delay.
    void runNext()
    {
        const Next n = *next;
        next.reset();
        if (n.delay)
            QTest::qWait(int(*n.delay * 1000));
        Autopilot::Chain::steps().at(n.number - 1).run(n.handover);
    }
    bool pictureWritten(const QString &name) const
    {
        return QFileInfo(folder.filePath(name + QStringLiteral(".png"))).size() > 0;
    }
};
