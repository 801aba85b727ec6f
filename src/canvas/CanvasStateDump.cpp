// The text dump of the canvas state that the self-check and the tests read.
#include "canvas/CanvasController.h"

#include "canvas/CanvasScrollView.h"
#include "canvas/ShapeLayers.h"
#include "canvas/TextItemView.h"

namespace {
QString number(double v)
{
    return QString::number(v, 'f', 0);
}

QString rectText(const QRectF &r)
{
    return number(r.x()) + QLatin1Char(',') + number(r.y()) + QLatin1Char(' ') + number(r.width()) + QLatin1Char('x')
        + number(r.height());
}

QString pointText(QPointF p)
{
    return number(p.x()) + QLatin1Char(',') + number(p.y());
}

QString colourWord(const std::optional<RGB> &colour)
{
    if (!colour)
        return QStringLiteral("none");
    return *colour == RGB::white() ? QStringLiteral("white") : QStringLiteral("dark");
}
} // namespace

QString CanvasController::stateDump() const
{
    QStringList lines;
    const QRectF shot = markup.shots.isEmpty() ? QRectF(0, 0, 0, 0) : markup.shots.first().rect;
    lines << QStringLiteral("shot %1 zoom %2 unit %3")
                 .arg(rectText(shot))
                 .arg(scrollView ? scrollView->magnification() : 1.0, 0, 'f', 2)
                 .arg(markup.unit, 0, 'f', 2);
    for (const Item &item : markup.items) {
        switch (item.kind) {
        case ItemKind::box:
        case ItemKind::redaction:
            lines << (item.kind == ItemKind::box ? QStringLiteral("box ") : QStringLiteral("redaction "))
                    + rectText(item.rect);
            break;
        case ItemKind::text: {
            const TextItemView *view = texts.value(item.id);
            const auto plate = plates.constFind(item.id);
            const QString words = QString(item.string).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
            lines << QStringLiteral("text \"%1\" at %2 plate=%3 linked=%4")
                         .arg(words, rectText(view ? view->sceneBoundingRect() : QRectF()),
                              plate == plates.constEnd() ? QStringLiteral("none") : colourWord(plate->color),
                              item.arrowID ? QStringLiteral("yes") : QStringLiteral("no"));
            break;
        }
        case ItemKind::arrow: {
            const auto drawn = shapes.find(item.id);
            const std::optional<RGB> outline = drawn != shapes.end() && drawn->second ? drawn->second->outline : std::nullopt;
            const bool onShot = !markup.shots.isEmpty() && markup.shots.first().rect.contains(item.head);
            lines << QStringLiteral("arrow tail %1 head %2 headOnShot=%3 outline=%4 colour=%5")
                         .arg(pointText(item.tail), pointText(item.head), onShot ? QStringLiteral("yes") : QStringLiteral("no"),
                              colourWord(outline))
                         .arg(item.color);
            break;
        }
        }
    }
    return lines.join(QLatin1Char('\n'));
}
