#pragma once
#include "capture/Importer.h"
#include "capture/ShotImage.h"
#include "document/Markup.h"

#include <QCursor>
#include <QList>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>

class OverlayView;
class QKeyEvent;
class QWidget;

// What an overlay view asks of the canvas it hosts once the chosen area has turned into one.
// The canvas controller implements it; the view owns it and drops it with itself.
class OverlayCanvas
{
public:
    virtual ~OverlayCanvas() = default;

    // The view that takes the keyboard on the canvas.
    virtual QWidget *documentWidget() const = 0;
    // A key pressed on the canvas (without and with Ctrl held); true when the canvas took it.
    virtual bool keyDown(QKeyEvent *event) = 0;
    virtual bool keyEquivalent(QKeyEvent *event) = 0;
    // Lays the canvas out again after the host changed size.
    virtual void layout() = 0;
    virtual bool sidebarHidden() const = 0;
    virtual void updateHint() = 0;
    virtual void updateChrome() = 0;
    // Once, right after the overlay turned into the canvas window.
    virtual void reveal() = 0;
    // Places an empty comment beside the newest shot and starts editing it.
    virtual void openNoteForNewShot() = 0;
    // The grey text of the comment being edited, if one is.
    virtual void setEditingPlaceholder(const QString &text) = 0;
    // Adds dropped or pasted pictures as pages (opening the newest when open is set).
    virtual void addPictures(const QList<Importer::Picture> &pictures, bool open) = 0;
    // The cursor over one of the canvas's own views (hit, a descendant of the host), or none when
    // the view is not the canvas's.
    virtual std::optional<QCursor> cursorOver(QWidget *hit) const = 0;

    // How an overlay view makes its canvas: the pictures by shot id, the first document and the
    // frame (in the view's points) where its first shot is to appear. Filled by the canvas editor.
    using Make = std::function<std::unique_ptr<OverlayCanvas>(OverlayView &host, const ShotImages &images,
                                                              const Markup &markup, const QRectF &shotFrame)>;
    static Make make;
    // Whether the capture history holds at least one entry (the rail then takes room beside the
    // shot). Filled by the canvas editor; without it the history counts as empty.
    static std::function<bool()> historyHasEntry;
};
