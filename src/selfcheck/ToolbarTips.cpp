#include "ToolbarTips.h"

#include "Autopilot.h"
#include "Detail.h"

#include "canvas/CanvasController.h"
#include "canvas/HoverTips.h"
#include "canvas/Toolbar.h"

#include <QStringList>
#include <QWidget>

namespace Autopilot {
namespace {
constexpr int fewestControls = 19;
constexpr double windowInset = 4;

// What is wrong with the tip shown after resting on a control whose tip is text; empty when
// nothing is.
QString tipProblem(const Toolbar *toolbar, QWidget *view, const QString &text)
{
    const auto shown = toolbar->shownTip();
    if (!shown || shown->first != text)
        return QStringLiteral("not shown: ") + text;
    QWidget *bubbleParent = toolbar->parentWidget();
    const QRectF frame(QRect(bubbleParent->mapTo(view, shown->second.topLeft()), shown->second.size()));
    const QRectF bar(QRect(bubbleParent->mapTo(view, toolbar->geometry().topLeft()), toolbar->size()));
    const QRectF room = QRectF(view->rect()).adjusted(windowInset, windowInset, -windowInset, -windowInset);
    if (room.contains(frame) && !frame.intersects(bar))
        return {};
    return QStringLiteral("placed ") + Detail::text(frame) + QStringLiteral(": ") + text;
}
} // namespace

void tipChecks(CanvasController *controller, QWidget *view)
{
    Toolbar *toolbar = controller->toolbar;
    const QList<QWidget *> controls = toolbar->controls();
    QStringList texts;
    int without = 0;
    for (QWidget *control : controls) {
        const QString text = toolbar->tips()->textFor(control).value_or(QString());
        texts.append(text);
        if (text.isEmpty())
            ++without;
    }
    check(QStringLiteral("every toolbar control has a tip"), controls.size() >= fewestControls && without == 0, [&] {
        return QStringLiteral("%1 controls, %2 without").arg(controls.size()).arg(without);
    });

    QStringList problems;
    for (qsizetype i = 0; i < controls.size(); ++i) {
        toolbar->hoverNow(controls.at(i));
        const QString problem = tipProblem(toolbar, view, texts.at(i));
        if (!problem.isEmpty())
            problems.append(problem);
    }
    check(QStringLiteral("resting on a control shows its tip above the bar, inside the window"), problems.isEmpty(),
          [&] { return problems.join(QStringLiteral("; ")); });

    if (!controls.isEmpty()) {
        toolbar->hoverNow(controls.last());
        writePicture(view, QStringLiteral("7t-tip"));
    }
    toolbar->updateTip(std::nullopt);
    check(QStringLiteral("the tip goes when the pointer leaves"), !toolbar->shownTip().has_value());
}

} // namespace Autopilot
