#pragma once
#include "capture/ShotImage.h"
#include "document/Markup.h"

#include <QImage>
#include <QString>

// A page as it comes back from the history when a canvas is reopened: the entry's id, its
// document and shot pictures, and a picture to show as the page's thumbnail until a new one is
// rendered (a null image when there is none).
struct SavedPage {
    QString id;
    Markup markup;
    ShotImages images;
    QImage picture;
};
