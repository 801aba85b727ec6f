#pragma once
#include "capture/ShotImage.h"
#include "document/Markup.h"

#include <QDateTime>
#include <QImage>
#include <QString>

#include <optional>

// A canvas page as the canvas hands it to the capture session for saving.
struct SessionPage {
    std::optional<QString> historyId; // none until the page is first written to the history
    Markup markup; // blank comments left out
    ShotImages images;
    QImage picture; // the page's picture; null for none
    QDateTime created;
    std::optional<Markup> asAdded; // the markup right after the page was added from pictures
};

// What a session last wrote to the history under an entry id.
struct WrittenPage {
    Markup markup;
    QImage picture; // compared by identity: the same picture object, or both none
    std::optional<QString> group;
    qint64 order = 0;

    friend bool operator==(const WrittenPage &a, const WrittenPage &b)
    {
        const bool samePicture = a.picture.isNull() ? b.picture.isNull()
                                                    : !b.picture.isNull() && a.picture.cacheKey() == b.picture.cacheKey();
        return samePicture && a.group == b.group && a.order == b.order && a.markup == b.markup;
    }
};

// The current page rendered for export: the picture (null when there is none) and the export
// density it was rendered from (the largest pixel scale of its shots, before any halving).
struct RenderedPage {
    QImage picture;
    double scale = 1;
    bool tooLarge = false; // no picture because it would exceed the size limits
};
