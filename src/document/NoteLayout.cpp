#include "NoteLayout.h"

#include "Plane.h"

#include <algorithm>
#include <cmath>

namespace NoteLayout {
namespace {

double clampScale(double s)
{
    return std::max(0.02, std::min(1.0, s));
}

struct Scales {
    double above;
    double beside;
    Side side;
};

Scales scalesFor(QSizeF shot, QSizeF visible, double extra, double k)
{
    const double w = shot.width(), h = shot.height();
    const double W = visible.width(), H = visible.height();
    const double kk = std::max(k, 1.0);
    const double vertical = (H - 300 - extra) / std::max(h, 1.0);
    const double above = clampScale(std::min(vertical, (W - 240) / std::max(w, 1.0)));
    const double beside = clampScale(
        std::min(vertical, (W - 104 * kk - narrowestColumn * k - 8) / std::max(w, 1.0)));
    Side side = Side::above;
    if (!isWide(w, h) && beside >= besidePreference * above)
        side = Side::beside;
    return {above, beside, side};
}

} // namespace

bool isWide(double width, double height)
{
    return height > 0 && width >= wideRatio * height;
}

Side side(QSizeF shot, QSizeF visible, double extra, double k)
{
    return scalesFor(shot, visible, extra, k).side;
}

QRectF fit(const QRectF &shot, const QRectF &visible, double extra, double k)
{
    const Scales scales = scalesFor(shot.size(), visible.size(), extra, k);
    const double S = scales.side == Side::above ? scales.above : scales.beside;
    const double w = shot.width(), h = shot.height();
    const double kk = std::max(k, 1.0);
    const double freeW = visible.width() - S * w;
    const double freeH = std::max(visible.height() - extra - S * h, 0.0);
    const double t = shot.center().y() - visible.top() - S * h / 2;

    double x = 0, top = 0;
    if (scales.side == Side::above) {
        x = Plane::roundHalfAway(freeW / 2);
        const double minTop = std::min(0.6 * freeH, roomAboveBelow * k);
        top = std::min(std::max(t, minTop),
                       std::max(minTop, freeH - std::min(0.4 * freeH, roomAboveBelow)));
    } else {
        const double column = std::min(freeW - 104 * kk, widestColumn * k);
        x = std::floor((freeW - gap * kk - column) / 2);
        top = freeH < 520 ? freeH / 2 : std::clamp(t, 260.0, freeH - 260);
    }
    return QRectF(visible.left() + std::max(x, 0.0), Plane::roundHalfAway(top + visible.top()),
                  S * w, S * h);
}

Note place(const QRectF &shot, const QRectF &visible, double k)
{
    const double g = gap * k;
    const double inset = std::min(0.04 * visible.width(), largestInset * k);
    const QRectF v = visible.adjusted(inset, inset, -inset, -inset);

    const double roomAbove = shot.top() - 20 * k - v.top();
    const bool fitsAbove = roomAbove >= 60 * k;
    const double roomRight = v.right() - (shot.right() + g);
    const double roomLeft = shot.left() - g - v.left();
    const double roomBelow = v.bottom() - (shot.bottom() + 20 * k);
    const double besideY = std::min(std::max(v.top(), v.bottom() - 60 * k),
                                    std::max(shot.top(), v.top()));
    const double aboveWidth =
        std::min(v.width(), std::min(widestAbove * k, std::max(shot.width(), narrowestColumn * k)));
    const double aboveX = std::min(v.right() - aboveWidth, std::max(shot.left(), v.left()));
    const Note above{TextSide::aboveLeading, QPointF(aboveX, shot.top() - 20 * k),
                     std::floor(aboveWidth)};

    if (isWide(shot.width(), shot.height()) && fitsAbove)
        return above;
    if (roomRight >= narrowestColumn * k)
        return {TextSide::right, QPointF(shot.right() + g, besideY),
                std::floor(std::min(widestColumn * k, roomRight))};
    if (fitsAbove)
        return above;
    if (roomLeft >= narrowestColumn * k) {
        const double n = std::floor(std::min(widestColumn * k, roomLeft));
        return {TextSide::right, QPointF(shot.left() - g - n, besideY), n};
    }
    if (roomBelow >= 60 * k)
        return {TextSide::right, QPointF(aboveX, shot.bottom() + 20 * k), std::floor(aboveWidth)};

    const QRectF r = Plane::meets(shot, v) ? Plane::intersection(shot, v) : v;
    const double n = std::max(std::min(r.width() - 48 * k, widestColumn * k),
                              std::min(v.width(), narrowestInside * k));
    return {TextSide::right, QPointF(std::min(v.right() - n, r.left() + 24 * k), r.top() + 20 * k),
            std::floor(n)};
}

Column column(double x, double left, double right, double k)
{
    const double e = std::min(right - left, narrowestColumn * k);
    if (right - x >= e)
        return {x, std::floor(std::min(widestColumn * k, right - x))};
    return {std::max(left, right - e), std::floor(e)};
}

} // namespace NoteLayout
