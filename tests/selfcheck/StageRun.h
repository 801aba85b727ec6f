#pragma once
#include "SelfCheckOutput.h"

#include "canvas/CanvasController.h"
#include "canvas/CommandSidebar.h"
#include "canvas/HoverTips.h"
#include "canvas/Toolbar.h"
#include "platform/fake/FakeScheduler.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

// One stage run alone in a test: its lines caught, its pictures written into a folder of its
// own, and the canvas's clocks (thumbnails, tips, row flashes) on a fake scheduler that never
// fires by itself.
struct StageRun : SelfCheckOutput
{
    FakeScheduler clock;
    QTemporaryDir folder;

    StageRun()
    {
        Autopilot::setFolderForTesting(folder.path());
        CanvasController::scheduler() = &clock;
        HoverTips::scheduler() = &clock;
        CommandRow::scheduler() = &clock;
    }
    ~StageRun()
    {
        CanvasController::scheduler() = &Scheduler::system();
        HoverTips::scheduler() = &Scheduler::system();
        CommandRow::scheduler() = &Scheduler::system();
    }
    // Waits until the canvas's toolbar, hint line and sidebar have faded in, as they have by the
    // time a stage of a run looks at them.
    static void revealed(const CanvasController *c)
    {
        QTRY_VERIFY(!c->toolbar->graphicsEffect() && !c->commands->graphicsEffect() && !c->hint->graphicsEffect());
    }
    QImage picture(const QString &name) const { return QImage(folder.filePath(name + QStringLiteral(".png"))); }
};
