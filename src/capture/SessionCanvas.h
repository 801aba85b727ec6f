#pragma once
#include "capture/Importer.h"
#include "capture/SessionPage.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <optional>

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

    // The number of pages.
    virtual int pageCount() const { return 1; }
    // The number of shots in the current page's markup.
    virtual int shotCount() const { return 1; }
    // The current page rendered as the exported picture (exact, margin 16 output pixels, at
    // half density under halfSize), with its export density.
    virtual RenderedPage renderCurrentPage(bool halfSize) { return {}; }
    // The pages as they stand, the current one with its live state, for the autosave.
    virtual QList<SessionPage> pagesForSaving() const { return {}; }
    // Gives page index its history entry id and, when a date is given, its creation date; an
    // index outside the pages does nothing.
    virtual void setPageHistory(int index, const std::optional<QString> &id, const std::optional<QDateTime> &created) { }
    // Flashes the command sidebar's copy row with the text.
    virtual void flashCopyRow(const QString &text) { }
};
