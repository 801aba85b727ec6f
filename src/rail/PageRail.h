#pragma once
#include "document/RailGrid.h"
#include "rail/RailDragOut.h"
#include "rail/RailRow.h"
#include "rail/RailThumb.h"

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <functional>
#include <limits>
#include <memory>
#include <optional>

class QMenu;
class QNativeGestureEvent;
class QScrollArea;
class QWheelEvent;
class RailAnimator;
class RailDocument;
class Scheduler;

// The thumbnail sidebar at the left of a canvas window: the canvas's pages and, below them,
// earlier captures, in one or more columns. A passive view: the canvas hands it rows, its shape
// and the widest width the window allows, and reacts to its callbacks.
class PageRail : public QWidget
{
    Q_OBJECT
public:
    using Row = RailRow;
    using Key = QString;

    // An earlier capture as the canvas hands it over.
    struct Recent {
        QString id;    // its history id
        Key key;       // the identity of its thumbnail across rebuilds
        QImage picture; // null: none
        QDateTime date; // when it was taken
    };

    explicit PageRail(QWidget *parent = nullptr);
    // A rail whose animations and pinch timing run on `scheduler` (tests drive a fake one).
    PageRail(Scheduler &scheduler, QWidget *parent = nullptr);
    ~PageRail() override;

    // Callbacks (unset ones are skipped).
    std::function<void(int page)> onSelect;
    std::function<void(const QString &id)> onOpenRecent;
    std::function<void(const QList<Row> &rows)> onDelete;
    std::function<void()> onPick;
    std::function<void(int columns)> onColumns;
    std::function<void(bool ended, double factor)> onPinch;
    std::function<std::optional<RailDragOut::File>(const Row &row)> fileFor;
    std::function<void(int files)> onDropped;

    // Set by the canvas's window layout; after a change of shape it calls layoutThumbs.
    RailGrid::Shape shape;
    double widest = std::numeric_limits<double>::max();

    // The number of canvas pages given to the last rebuild.
    int count() const { return m_count; }

    // Rebuilds the thumbnails. `pictures` holds one picture per page (its length is the page
    // count), `keys` the thumbnail key of each page (a page past its end uses its index),
    // `current` the page being edited, `done` the pages already copied, saved or sent, and `rows`
    // the display order (when absent: every page, then every recent).
    void reload(const QList<QImage> &pictures, const QList<Key> &keys, int current,
                const QList<Recent> &recents, const QSet<int> &done,
                const std::optional<QList<Row>> &rows = std::nullopt);

    // Places the thumbnails on the grid of `shape`; may glide them to their new places, fade the
    // `fresh` ones in, and keep the thumbnail under a pinch (or at the top of the view) in place.
    void layoutThumbs(bool animated, bool keepAnchor, const QSet<RailThumb *> &fresh = {});

    // Picking (mouse and keys).
    void pressThumb(RailThumb *thumb, QPointF windowPos, Qt::KeyboardModifiers modifiers);
    void dragThumb(RailThumb *thumb, QPointF windowPos);
    void releaseThumb(RailThumb *thumb);
    void clearPicks();
    bool moveLead(RailGrid::Move move);
    QList<Row> pickedRows() const;
    QSet<Key> picked() const { return m_picked; }
    std::optional<Key> anchorKey() const { return m_anchorKey; }
    std::optional<Key> leadKey() const { return m_leadKey; }

    // Menus.
    void addColumnItems(QMenu *menu);
    QMenu *menuFor(RailThumb *thumb); // a new menu, owned by the caller

    // Pinch: the factor is never below 0.2; `at` is in the rail's parent's coordinates.
    void pinch(bool ended, double factor, QPointF at);
    // Ctrl+wheel over `widget` (the rail's grip) pinches too; a grip beside the rail in its parent
    // is taken whenever the rail is shown.
    void takePinchesFrom(QWidget *widget);
    // The wheel turned over `over` (the rail or any part of it): with Ctrl a step of a pinch, else
    // it scrolls the rail. Each part hands its wheel here itself: a wheel event that was sent on
    // (as the canvas window does with its events) does not travel up to the scroller.
    void wheel(QWheelEvent *event, QWidget *over);

    // Starts dragging out from a press on `thumb`: the picked thumbnails when it is one of them,
    // else it alone.
    void dragOut(RailThumb *thumb);
    // The files of a drag-out from `thumb` as it would start now, on their way into a new folder
    // (paths in rail order); none when no file could be made. Used by dragOut.
    std::optional<RailDragOut::Pending> startDragFiles(RailThumb *thumb);
    // The same, waiting until they are written.
    QStringList writeDragFiles(RailThumb *thumb);
    // The thumbnails a drag from `thumb` takes, in rail order.
    QList<RailThumb *> dragThumbs(RailThumb *thumb) const;

    // `path` itself when no file is there; else the base name, a blank, the first free number
    // from 2 and ".png". Paths in `taken` count as existing files.
    static QString uniqueFileURL(const QString &path, const QSet<QString> &taken = {});

    // Relative date of a capture for its badge.
    static QString agoText(const QDateTime &date, const QDateTime &now);

    // Read-outs for the self-check and tests.
    QList<double> thumbHeights() const;
    QList<QRectF> thumbFrames() const;
    std::optional<QPointF> pageThumbCenter(int page) const;
    QPointF centerOfThumb(const RailThumb *thumb) const;
    int glidingCount() const;
    void scrollTo(double y);
    QList<RailThumb *> order() const { return m_order; }
    RailThumb *thumbFor(const Key &key) const { return m_thumbs.value(key); }
    double docHeight() const { return m_docHeight; }
    bool laidOut() const { return m_laidOut; }
    int glides() const { return m_glides; }
    RailDocument *document() const { return m_doc; }
    QScrollArea *scrollArea() const { return m_scroll; }
    double visibleTop() const;
    std::optional<double> ratioFor(const Key &key) const;
    RailDragOut &dragSource() { return m_dragSource; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class RailDocument;

    struct Entry {
        Key key;
        Row row;
        RailThumb::Look look;
        double ratio = 0.62;
    };
    struct Press {
        QPointer<RailThumb> thumb;
        QPointF at;
        bool collapse = false;
        bool dragged = false;
    };
    struct Anchor {
        RailThumb *thumb = nullptr;
        double fraction = 0;
        double offset = 0;
    };

    double shapeRatio(const Key &key, const QImage &picture);
    void restyle();
    void picksChanged();
    void activate(const Row &row);
    std::optional<Key> currentKey() const;
    QList<Key> entryKeys() const;
    void scrollIntoView(RailThumb *thumb);
    std::optional<Anchor> takeAnchor() const;
    void restoreAnchor(const Anchor &anchor);
    void resizeDocument();
    bool canAnimate() const;
    void removeLeaving(RailThumb *thumb, bool animate);
    void nativeGesture(QNativeGestureEvent *event);
    void wheelPinch(QWheelEvent *event, QWidget *over);
    void pinchAtDoc(bool ended, double factor, std::optional<QPointF> docPoint);

    Scheduler &m_scheduler;
    std::unique_ptr<RailAnimator> m_animator;
    int m_count = 0;
    QScrollArea *m_scroll = nullptr;
    RailDocument *m_doc = nullptr;
    RailDragOut m_dragSource;
    QHash<Key, double> m_shapes;
    QList<Entry> m_entries;
    QList<RailThumb *> m_order;
    QHash<Key, RailThumb *> m_thumbs;
    QList<RailThumb *> m_pageThumbs;
    bool m_laidOut = false;
    double m_docHeight = 0;
    std::optional<QPointF> m_pinchAt;
    int m_glides = 0;
    QSet<Key> m_picked;
    std::optional<Key> m_anchorKey;
    std::optional<Key> m_leadKey;
    std::optional<Press> m_press;
    quint64 m_wheelEnd = 0; // pending end of a Ctrl+wheel pinch
};
