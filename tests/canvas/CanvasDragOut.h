#pragma once
// The canvas toolbar's symbols found on the screen by their pixels, a real drag out of the
// canvas, and a window of the test that takes dropped files.
#include "CanvasApp.h"

#include "canvas/ToolbarIcons.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

#include <algorithm>
#include <optional>

namespace CanvasApp {

// A window of the test that takes dropped files, or refuses them.
class DropTarget : public QWidget
{
public:
    bool refuses = false;
    QList<QList<QUrl>> drops;

protected:
    void dragEnterEvent(QDragEnterEvent *e) override { answer(e); }
    void dragMoveEvent(QDragMoveEvent *e) override { answer(e); }
    void dropEvent(QDropEvent *e) override
    {
        if (refuses || !e->mimeData()->hasUrls())
            return e->ignore();
        drops << e->mimeData()->urls();
        e->acceptProposedAction();
    }

private:
    void answer(QDropEvent *e)
    {
        if (!refuses && e->mimeData()->hasUrls())
            e->acceptProposedAction();
        else
            e->ignore();
    }
};

// The centre of a toolbar symbol of that size on screen (the drag-out "hand" at 17 points, the
// tool buttons' at 18): where its solid pixels all show in one ink (the toolbar's own, or a
// tool's muted one) and its empty ones do not, in the canvas window's lower part.
inline std::optional<QPoint> symbolOnScreen(const QString &name, const QRect &window, int points = 17)
{
    const QImage symbol = ToolbarIcons::picture(name, Qt::black, points, 1.0).convertToFormat(QImage::Format_ARGB32);
    const QRect lower(window.left(), window.bottom() - 160, window.width(), 160);
    const QImage seen = screenPixels(lower);
    QList<QPoint> solid, empty;
    for (int y = 0; y < symbol.height(); ++y)
        for (int x = 0; x < symbol.width(); ++x) {
            const int alpha = qAlpha(symbol.pixel(x, y));
            if (alpha == 255)
                solid << QPoint(x, y);
            else if (alpha == 0)
                empty << QPoint(x, y);
        }
    if (solid.isEmpty())
        return std::nullopt;
    for (int oy = 0; oy + symbol.height() <= seen.height(); ++oy)
        for (int ox = 0; ox + symbol.width() <= seen.width(); ++ox) {
            const auto at = [&](QPoint p) { return seen.pixel(ox + p.x(), oy + p.y()) & 0xffffff; };
            const QRgb ink = at(solid.first());
            if (std::all_of(solid.begin(), solid.end(), [&](QPoint p) { return at(p) == ink; })
                && std::none_of(empty.begin(), empty.end(), [&](QPoint p) { return at(p) == ink; }))
                return lower.topLeft() + QPoint(ox + symbol.width() / 2, oy + symbol.height() / 2);
        }
    return std::nullopt;
}

// Presses at from, moves there in small steps past the 3 pt the handle waits for, then on to
// to, and lets go; the test's own windows keep answering meanwhile.
inline void dragOut(XTestInput &input, QPoint from, QPoint to)
{
    input.moveTo(from);
    input.buttonDown();
    for (int i = 1; i <= 3; ++i)
        input.moveTo(from + QPoint(0, -2 * i));
    const QPoint start = from + QPoint(0, -6);
    for (int i = 1; i <= 20; ++i)
        input.moveTo(start + (to - start) * i / 20);
    QTest::qWait(300);
    input.moveTo(to);
    input.buttonUp();
}

} // namespace CanvasApp
