#pragma once
#include "capture/Importer.h"

#include <QImage>
#include <QList>
#include <QRectF>

// What a capture session asks of the canvas that its chosen overlay turned into. The canvas
// controller implements it; the session finds it through CaptureSession::canvasOf.
class SessionCanvas
{
public:
    virtual ~SessionCanvas() = default;
    // Ends in-place text editing.
    virtual void endEditing() = 0;
    // Writes the live state of the canvas back into its current page.
    virtual void saveCurrentPage() = 0;
    // Gives the keyboard to the document view.
    virtual void focusDocument() = 0;
    // Ticks the current page as done; true when the canvas has two or more pages (it stays open).
    virtual bool markCurrentPageDone() = 0;
    // Adds a shot as a new page: a picture, its pixels per point and the part of it to show.
    virtual void addShotPage(const QImage &image, double pixelScale, const QRectF &rect) = 0;
    // Adds opened pictures as pages: with open, above the first page with the first of them shown
    // ready for typing; else after the last page, the current page kept.
    virtual void addPictures(const QList<Importer::Picture> &pictures, bool open)
    {
        Q_UNUSED(pictures);
        Q_UNUSED(open);
    }
};
