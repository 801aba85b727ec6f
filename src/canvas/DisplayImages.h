#pragma once
#include "capture/ShotImage.h"

#include <QColorSpace>
#include <QImage>
#include <QList>
#include <QUuid>

#include <functional>
#include <optional>
#include <utility>

// Copies of a canvas's shot pictures made ready for the display: a full copy in the display's
// colour space and a reduced stand-in, per shot. Requests name the shots wanted now; onReady
// reports, on the main thread, each shot whose full copy has been stored.
class DisplayImages
{
public:
    using Job = std::pair<QUuid, ShotImage>;
    struct Found
    {
        QImage image;
        bool full = false;
    };

    DisplayImages();
    ~DisplayImages();

    std::function<void(const QUuid &)> onReady;

    // The colour space of the screen the canvas is on.
    void setSpace(const QColorSpace &space);
    // urgent: the shots to copy first (the pages nearest the current one); all: every shot.
    void update(const QList<Job> &urgent, const QList<Job> &all);
    // The copy to show for a shot (the full copy when there is one, else the stand-in).
    std::optional<Found> lookup(const QUuid &shot);
    // The full copy only.
    std::optional<QImage> fullCopy(const QUuid &shot) const;

private:
    QColorSpace m_space;
};
