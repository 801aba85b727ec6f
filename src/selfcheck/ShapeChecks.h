#pragma once
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class CaptureSession;

namespace Autopilot {

struct Handover;

// One shot of the shape stages: the area chosen on the staged screen (points, origin top left),
// the style size its canvas opens at, and whether its comment goes above it (else beside).
struct Shape
{
    QString name; // "wide", "ordinary" or "tall"
    QRect area;
    int size = 2;
    bool above = false;
};

// The three shapes on a screen of that size, in order: wide, ordinary, tall.
QList<Shape> shapesFor(QSize screen);

// The comment typed on every shape.
extern const QString shapeComment;

// Step 21, on the wide canvas the comment checks opened (handover.session): its comment's box
// goes above the shot, centred, and its lines grow upwards clear of the shot. Writes
// "14-note-above", closes the canvas and calls step 22. comment: the text typed, twice.
void wideShotChecks(const Handover &handover, const QString &comment);
// Step 22: opens the first shape at style size 0 and schedules step 23 for it.
void shapeStage(const Handover &handover);
// Step 23, once per shape (handover.shape, its canvas handover.session): where the comment
// goes, and that the export holds it on that side only. Writes "15-shape-NAME" and
// "15-shape-NAME-export", closes the canvas and opens the next shape, or after the last hands on
// to step 24.
void shapeChecks(const Handover &handover);

} // namespace Autopilot
