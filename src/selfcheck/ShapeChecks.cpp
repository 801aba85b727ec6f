#include "ShapeChecks.h"

#include "Autopilot.h"
#include "CanvasSessions.h"
#include "Chain.h"
#include "Detail.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/TextItemView.h"
#include "capture/CaptureSession.h"
#include "capture/ClipboardPicture.h"
#include "capture/OverlayView.h"
#include "export/ExportScene.h"
#include "export/TextLayout.h"
#include "platform/Preferences.h"

#include <cmath>

namespace Autopilot {
namespace {
constexpr int wideStep = 21;
constexpr int shapeStep = 22;
constexpr int checksStep = 23;

// The whole number nearest to x, halves away from zero.
int nearest(double x)
{
    return int(std::round(x));
}

void setStyleSize(int size)
{
    Prefs::store().setValue(QStringLiteral("style.size"), size);
}

// What the checks measure on a canvas, in host coordinates.
struct Measures
{
    QRectF area; // the scroll view's frame
    QRectF shot;
    QRectF box;  // the editing box; null when nothing is edited
};

Measures measure(const CanvasController *c)
{
    return {QRectF(c->scrollView->geometry()), c->toHost(c->markup.shotRect()), c->editingBoxFrame()};
}

// The text frame of a comment in host coordinates; the null rectangle without one.
QRectF textOf(const CanvasController *c, const std::optional<QUuid> &id)
{
    const auto frame = id ? c->textFrame(*id) : std::nullopt;
    return frame ? c->toHost(*frame) : QRectF();
}

std::optional<QUuid> edited(const CanvasController *c)
{
    return c->editing ? std::optional(c->editing->itemID()) : std::nullopt;
}

// How many lines the text frame holds: its height over the line the comment was laid out with
// (at 72 dpi, rounded up) times the magnification.
int linesOf(const CanvasController *c, const std::optional<QUuid> &id, const QRectF &text)
{
    Item item = id ? c->markup.item(*id).value_or(Item()) : Item();
    if (item.font.isEmpty())
        item.font = c->font;
    const double step = Item::sizeScales[std::size_t(std::clamp(c->size, 0, 3))];
    const double line = TextLayout::lineHeight(TextLayout::font(item, step * c->markup.unit))
                        * c->scrollView->magnification();
    return line > 0 ? nearest(text.height() / line) : 0;
}

QString placementDetail(const Measures &m, const QRectF &text, int lines)
{
    return QStringLiteral("shot ") + Detail::text(m.shot) + QStringLiteral(" box ") + Detail::text(m.box)
           + QStringLiteral(" text ") + Detail::text(text) + QStringLiteral(" lines ") + Detail::text(lines)
           + QStringLiteral(" area ") + Detail::text(m.area);
}

bool centred(const Measures &m)
{
    return std::abs(m.shot.center().x() - m.area.center().x()) < 2;
}

void checkPlacement(const Shape &shape, const Measures &m, const QRectF &text, int lines, double step)
{
    if (shape.above) {
        check(QStringLiteral("a ") + shape.name + QStringLiteral(" shot is centred with its comment above it, across it in a few lines"),
              centred(m) && m.box.bottom() <= m.shot.top() + 1 && m.area.contains(m.box) && lines <= 3
                  && text.bottom() <= m.shot.top() + 1 && m.area.contains(text),
              [&] { return placementDetail(m, text, lines); });
        return;
    }
    const QString article = shape.name == QStringLiteral("ordinary") ? QStringLiteral("an") : QStringLiteral("a");
    check(article + QLatin1Char(' ') + shape.name + QStringLiteral(" shot has its comment beside it, in a good column"),
          m.box.left() >= m.shot.right() && m.box.width() >= 340 * step - 1 && m.area.contains(m.box)
              && m.area.contains(text) && std::abs(text.top() - m.shot.top()) < 2,
          [&] { return placementDetail(m, text, lines); });
}

// Renders the canvas's export and checks its size against the shot's in pixels; writes the
// export's picture.
void checkExport(const Shape &shape, CanvasController *c)
{
    c->endEditing();
    const double scale = c->exportScale();
    const QSizeF shot = c->markup.shotRect().size() * scale;
    c->endEditing();
    const bool half = ExportScene::halfSizePreferred();
    const QImage picture = c->exportScene().render(half, std::nullopt, 16);
    if (picture.isNull()) {
        check(QStringLiteral("the ") + shape.name + QStringLiteral(" shot exports"), false);
        return;
    }
    const int w = picture.width(), h = picture.height();
    const bool ok = shape.above ? w >= shot.width() + 15 && w <= shot.width() + 18 && h > shot.height() + 20
                                : w > shot.width() + 100 && std::abs(h - shot.height()) <= 2;
    check(QStringLiteral("the ") + shape.name + QStringLiteral(" shot's export holds its comment on that side only"), ok,
          [&] {
              return QStringLiteral("export %1 x %2, shot %3 x %4")
                  .arg(w)
                  .arg(h)
                  .arg(QString::number(shot.width(), 'f', 1), QString::number(shot.height(), 'f', 1));
          });
    writePicture(ClipboardPicture::pngData(picture, ExportScene::clipboardScale(scale, half)),
                 QStringLiteral("15-shape-") + shape.name + QStringLiteral("-export"));
}
} // namespace

const QString shapeComment = QStringLiteral(
    "a screenshot this wide should have text above, not on the right... ensure ratios and positions are reviewed "
    "fixed and improved");

QList<Shape> shapesFor(QSize screen)
{
    const double W = screen.width(), H = screen.height();
    const int wideWidth = nearest(W * 0.747);
    const int ordinaryWidth = nearest(W * 0.5);
    const int tallHeight = nearest(H * 0.8);
    return {
        {QStringLiteral("wide"), QRect(nearest(W * 0.088), nearest(H * 0.57), wideWidth, nearest(wideWidth / 8.8)), 0, true},
        {QStringLiteral("ordinary"), QRect(nearest(W * 0.3), nearest(H * 0.2), ordinaryWidth, nearest(ordinaryWidth / 1.6)), 2, false},
        {QStringLiteral("tall"), QRect(nearest(W * 0.6), nearest(H * 0.1), nearest(tallHeight / 3.0), tallHeight), 2, false},
    };
}

void wideShotChecks(const Handover &handover, const QString &comment)
{
    CanvasController *c = canvasOf(handover.session);
    QWidget *host = canvasHost(c);
    if (!c || !host) {
        stageFailed(QStringLiteral("canvas for the wide shot"));
        return;
    }
    const Measures m = measure(c);
    check(QStringLiteral("a wide shot is centred with its comment's box above it, inside the window"),
          centred(m) && m.box.bottom() <= m.shot.top() && m.area.contains(m.box) && std::abs(m.box.left() - m.shot.left()) < 20,
          [&] {
              return QStringLiteral("shot ") + Detail::text(m.shot) + QStringLiteral(" box ") + Detail::text(m.box)
                     + QStringLiteral(" area ") + Detail::text(m.area);
          });

    const std::optional<QUuid> id = edited(c);
    type(c, comment + QLatin1Char(' ') + comment);
    const QRectF text = textOf(c, id);
    check(QStringLiteral("its lines grow upwards, clear of the shot, and stay in view"),
          text.height() > 50 && text.bottom() <= m.shot.top() + 1 && m.area.contains(text), [&] {
              return QStringLiteral("text ") + Detail::text(text) + QStringLiteral(" shot ")
                     + Detail::text(c->toHost(c->markup.shotRect()));
          });
    writePicture(host, QStringLiteral("14-note-above"));

    closeCanvas(handover.session);
    Chain::next(wideStep, handover);
}

void shapeStage(const Handover &handover)
{
    const QList<Shape> shapes = shapesFor(handover.screen);
    setStyleSize(shapes.first().size);
    Handover on = handover;
    on.shape = 0;
    on.session = openCanvas(stagedScreen(handover.screen, handover.picture), handover.picture, shapes.first().area);
    Chain::next(shapeStep, on);
}

void shapeChecks(const Handover &handover)
{
    const QList<Shape> shapes = shapesFor(handover.screen);
    const Shape &shape = shapes.at(std::clamp(handover.shape, 0, int(shapes.size()) - 1));
    CanvasController *c = canvasOf(handover.session);
    QWidget *host = canvasHost(c);
    if (!c || !host) {
        stageFailed(QStringLiteral("canvas for the ") + shape.name + QStringLiteral(" shot"));
        return;
    }
    const Measures m = measure(c);
    const double step = Item::sizeScales[std::size_t(std::clamp(c->size, 0, 3))];
    const std::optional<QUuid> id = edited(c);
    if (id)
        type(c, shapeComment);
    const QRectF text = textOf(c, id);
    checkPlacement(shape, m, text, linesOf(c, id, text), step);
    writePicture(host, QStringLiteral("15-shape-") + shape.name);

    checkExport(shape, c);
    closeCanvas(handover.session);

    Handover on = handover;
    const int following = handover.shape + 1;
    if (following < shapes.size()) {
        setStyleSize(shapes.at(following).size);
        on.session = openCanvas(stagedScreen(handover.screen, handover.picture), handover.picture,
                                shapes.at(following).area);
    } else {
        setStyleSize(2);
        Prefs::store().setValue(QStringLiteral("history.paused"), false);
    }
    Chain::next(checksStep, on);
}

} // namespace Autopilot
