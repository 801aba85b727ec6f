#pragma once
#include "RGB.h"

#include <QList>

#include <optional>

// Colour arithmetic for outlining marks: OKLab distances, WCAG luminance and contrast, and the
// choice of a white, near-black or no outline against what lies under a mark.
namespace Contrast {

struct Lab {
    double L = 0;
    double a = 0;
    double b = 0;
};

// An sRGB component made linear.
double linear(double c);
Lab oklab(const RGB &c);
// WCAG relative luminance.
double luminance(const RGB &c);
// Euclidean distance in OKLab.
double distance(const RGB &x, const RGB &y);
// WCAG contrast ratio (lighter + 0.05) / (darker + 0.05).
double ratio(const RGB &x, const RGB &y);
// Closer than 0.22 in OKLab; not from 0.3 on; in between when the contrast ratio is below 1.7.
bool tooClose(const RGB &x, const RGB &y);

// The outline of a thin mark (an arrow) over sampled colours: none when fewer than two samples
// are too close to it; else white unless near-black stands out clearly more.
std::optional<RGB> outline(const QList<RGB> &samples, const RGB &mark);
// The outline of an area mark: when the samples are busy or at least 15 % of them are too
// close, white for a dark mark and near-black for a light one; none with fewer than 3 samples.
std::optional<RGB> areaOutline(const QList<RGB> &samples, const RGB &mark);
// The mean OKLab distance of the colours from their mean; 0 for fewer than two.
double busyness(const QList<RGB> &colors);

} // namespace Contrast
