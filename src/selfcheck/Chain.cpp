#include "Chain.h"

#include "AnotherShot.h"
#include "Autopilot.h"
#include "AutosaveStages.h"
#include "CanvasChecks.h"
#include "CommentChecks.h"
#include "HistoryPages.h"
#include "OverlayChecks.h"
#include "PanelAndWelcome.h"
#include "PasteStages.h"
#include "ReopenChecks.h"
#include "SeveralShots.h"
#include "ShapeChecks.h"

#include <QTimer>

namespace Autopilot::Chain {
namespace {
constexpr int lastShape = 2;
} // namespace

const QList<Step> &steps()
{
    // A stage joins the chain by giving its step a function.
    static const QList<Step> all = {
        {1, "overlayChecks", overlayChecks, std::nullopt},
        {2, "selectingStage", selectingStage, 0.8},
        {3, "canvasChecks", canvasChecks, 1.0},
        {4, "reopenChecks", reopenChecks, 0.5},
        {5, "reopenedCanvasChecks", reopenedCanvasChecks, std::nullopt},
        {6, "pausedHistoryAndDensityChecks", pausedHistoryAndDensityChecks, 1.0},
        {7, "historyCountCheck", historyCountCheck, 0.5},
        {8, "importCheck", importCheck, std::nullopt},
        {9, "severalShots", severalShots, 1.0},
        {10, "historyPages", historyPages, 0.6},
        {11, "anotherShot", anotherShot, 0.6},
        {12, "anotherShotChecks", anotherShotChecks, std::nullopt},
        {13, "autosaveStage", autosaveStage, 0.5},
        {14, "autosaveTyping", autosaveTyping, 2.0},
        {15, "autosaveChecks", autosaveChecks, 0.5},
        {16, "autosaveClosedCheck", autosaveClosedCheck, std::nullopt},
        {17, "pasteStage", pasteStage, 0.5},
        {18, "pasteChecks", pasteChecks, std::nullopt},
        {19, "commentStage", commentStage, 0.5},
        {20, "commentChecks", commentChecks, 0.5},
        {21, "wideShotChecks", [](const Handover &h) { wideShotChecks(h, longComment); }, std::nullopt},
        {22, "shapeStage", shapeStage, 0.5},
        {23, "shapeChecks", shapeChecks, 0.5},
        {24, "overlayPanelChecks",
         [](const Handover &h) {
             Handover on = h;
             on.session = overlayPanelChecks(h.screen, h.picture);
             next(24, on);
         },
         0.4},
        {25, "welcomeChecks",
         [](const Handover &h) {
             welcomeChecks(h.session, h.folder);
             next(25, h);
         },
         std::nullopt},
    };
    return all;
}

std::function<void(int, const Handover &, std::optional<double>)> &nextForTesting()
{
    static std::function<void(int, const Handover &, std::optional<double>)> hook;
    return hook;
}

void go(int number, const Handover &handover)
{
    if (number < 1 || number > steps().size()) {
        finish();
        return;
    }
    const Step &step = steps().at(number - 1);
    say(QStringLiteral("self-check: stage %1 %2").arg(number).arg(QLatin1String(step.name)));
    if (!step.run) {
        notInThisBuild(QLatin1String(step.name));
        finish();
        return;
    }
    step.run(handover);
}

void next(int number, const Handover &handover)
{
    if (number < 1 || number > steps().size()) {
        finish();
        return;
    }
    Handover on = handover;
    int following = number + 1;
    // The shape checks run once per shape, each 0.5 s after the one before; the last shape
    // calls the next step at once.
    std::optional<double> delay = steps().at(number - 1).then;
    if (number == 23) {
        if (handover.shape < lastShape) {
            ++on.shape;
            following = number;
        } else {
            delay.reset();
        }
    }
    if (nextForTesting()) {
        nextForTesting()(following, on, delay);
        return;
    }
    if (!delay) {
        go(following, on);
        return;
    }
    QTimer::singleShot(int(*delay * 1000), [following, on] { go(following, on); });
}

} // namespace Autopilot::Chain
