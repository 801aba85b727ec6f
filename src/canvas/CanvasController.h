#pragma once
#include "canvas/CommentControls.h"
#include "canvas/CursorKind.h"
#include "canvas/Tool.h"
#include "canvas/TextItemView.h"
#include "canvas/Toolbar.h"
#include "capture/OverlayCanvas.h"
#include "capture/SessionCanvas.h"
#include "capture/ShotImage.h"
#include "document/CanvasGeometry.h"
#include "document/CropStop.h"
#include "document/History.h"
#include "document/Item.h"
#include "document/Markup.h"
#include "document/PixelSampler.h"
#include "document/RailGrid.h"
#include "document/RGB.h"
#include "document/Shot.h"
#include "document/TalkKey.h"
#include "document/TextSide.h"
#include "export/ExportScene.h"
#include "history/Recents.h"
#include "history/SavedPage.h"
#include "platform/Scheduler.h"
#include "rail/PageRail.h"

#include <QColorSpace>
#include <QDateTime>
#include <QVariantAnimation>
#include <QHash>
#include <QImage>
#include <QPainterPath>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <variant>

class CanvasChrome;
class CanvasScrollView;
class CaptureSession;
class CommandSidebar;
class DisplayImages;
class DocumentView;
class LayerItem;
class QGraphicsItem;
class QGraphicsPathItem;
class QLabel;
class QMimeData;
class QTimer;
class QVariantAnimation;
class QWidget;
class RailEdge;
class ShapeLayers;
class Talk;
class TextItemView;

// The object behind one canvas window: it owns the document of every page of the canvas, the
// views and layers that show the current page, the page rail, the command sidebar, the toolbar
// and the hint line, and turns what those views report into edits of the current page's
// document. Made by the overlay view that became the canvas, which owns it; it holds its capture
// session and its host view weakly, and every callback it hands out holds it weakly.
//
// Its methods live in files named by concern: CanvasController.cpp (construction, teardown,
// toolbar actions), CanvasLayout.cpp (layout, rail sizing, thumbnails, jolt), CanvasEvents.cpp
// (pointer and key entry), CanvasPages.cpp (pages and the session's calls).
class CanvasController : public QObject, public SessionCanvas, public OverlayCanvas
{
    Q_OBJECT
public:
    // One page of the canvas. The entry of the current page is stale while it is edited: its
    // live state is in images, markup, history and stamps.
    struct PageView
    {
        double zoom = 1;
        QPointF origin;
    };
    struct Page
    {
        Markup markup;
        ShotImages images;
        History<Markup> history;
        std::optional<QString> historyID;
        std::optional<PageView> view;
        std::optional<QRectF> viewArea;
        std::optional<QImage> picture;
        bool pictured = false;
        QDateTime created;
        QList<int> stamps;
        std::optional<Markup> asAdded;
        bool done = false;
    };
    using SavedPage = ::SavedPage;

    struct Grip
    {
        struct Crop
        {
            QUuid shot;
            int handle = 0;
            bool operator==(const Crop &) const = default;
        };
        struct ItemEnd
        {
            QUuid item;
            int index = 0;
            bool operator==(const ItemEnd &) const = default;
        };
        using Target = std::variant<Crop, ItemEnd>;
        Target target;
        QPointF point;
        double radius = 0;
        double reach = 0;
        std::optional<int> frame;
    };

    // The gesture between press and release; the payloads belong to the pointer handling.
    enum class DragKind { pending, arrow, shape, move, arrowEnd, resize, crop, moveShot, moveComment, marquee, pan, none };
    struct Drag
    {
        DragKind kind = DragKind::none;
        QPointF start;
        QPointF last;                     // move, moveShot, moveComment: the previous point; pan: screen
        std::optional<Markup> before;     // the document before the gesture
        std::optional<QUuid> target;      // the item, shot or comment the gesture works on
        bool deselected = false;          // pending: the press deselected something
        std::optional<bool> headAtEnd;    // arrow: the drawn order was kept
        ItemKind shape = ItemKind::box;   // shape: box or redaction
        bool duplicate = false;           // move: copies move, the originals stay
        bool moved = false;               // move, moveShot, moveComment
        std::optional<QUuid> edit;        // move: the text a motionless click opens
        bool head = false;                // arrowEnd: the head is dragged, else the tail
        int handle = 0;                   // resize, crop
        QRectF startRect;                 // resize, crop
        std::optional<std::pair<int, int>> caret; // moveComment: the edited text's selection
        QSet<QUuid> base;                 // marquee: the selection before it
    };

    enum class Shown { own, standIn, full };

    struct Removal
    {
        struct RemovedPage
        {
            Page page;
            int index = 0;
        };
        QList<RemovedPage> pages;
        QStringList recents;
        int clock = 0;
    };
    struct Restored
    {
        QList<QUuid> pages;
        QStringList recents;
        int clock = 0;
    };
    struct SpokenPlace
    {
        QPointer<TextItemView> view;
        int start = 0;
        int length = 0;
        bool made = false;
        std::optional<QUuid> editingAtStart;
        bool pointed = false;
        QString words;
        bool ended = false;
    };
    struct ShotLayer
    {
        QGraphicsItem *clip = nullptr;
        QGraphicsItem *image = nullptr;
    };
    struct Plate
    {
        QGraphicsPathItem *layer = nullptr;
        RGB color;
    };
    struct CropHandle
    {
        QUuid shot;
        int handle = 0;
    };

    // images: the pictures by shot id; markup: the first page's document (normally one shot);
    // host: the view the canvas lives in; shotFrame: where in the host the first shot appears.
    CanvasController(const ShotImages &images, const Markup &markup, QWidget *host, const QRectF &shotFrame);
    ~CanvasController() override;

    // The scheduler of the thumbnail work (tests put a fake one in before constructing).
    static Scheduler *&scheduler();
    // Fills the capture library's hooks with the canvas editor (once, at start-up).
    static void install();
    // Captures a further shot into the canvas of a session (filled at start-up).
    static std::function<void(CaptureSession *)> addShotHook;

    // ---- Fields, in this order ----
    ShotImages images;                                      // 1
    QPointer<CaptureSession> session;                       // 2
    QPointer<QWidget> host;                                 // 3
    DocumentView *docView = nullptr;                        // 4
    CanvasScrollView *scrollView = nullptr;                 // 5
    CanvasChrome *chrome = nullptr;                         // 6
    Toolbar *toolbar = nullptr;                             // 7
    QLabel *hint = nullptr;                                 // 8
    Markup markup;                                          // 9
    History<Markup> history;                                // 10
    bool railFocused = false;                               // 11
    QList<Removal> removed;                                 // 12
    std::optional<Restored> restored;                       // 13
    int clock = 0;                                          // 14
    QList<int> stamps;                                      // 15
    QSet<QString> forgotten;                                // 16
    QList<Page> pages;                                      // 17
    int currentPage = 0;                                    // 18
    PageRail *rail = nullptr;                               // 19
    CommandSidebar *commands = nullptr;                     // 20
    RailEdge *railEdge = nullptr;                           // 21
    double railAsked = 0;                                   // 22
    double railThumb = 0;                                   // 23
    QTimer *railGlide = nullptr;                            // 24
    QSet<QString> picturing;                                // 25
    Scheduler::Ticket thumbnailWork = 0;                    // 26
    bool pictureStale = false;                              // 27
    std::optional<Markup> pictured;                         // 28
    double picturedAt = -1e300;                             // 29 scheduler seconds
    QList<PageRail::Recent> recentShown;                    // 30
    std::unique_ptr<DisplayImages> display;                 // 31
    QHash<QUuid, Shown> shown;                              // 32
    QTimer *agoTimer = nullptr;                             // 33
    QHash<QUuid, std::shared_ptr<const PixelSampler>> samplers; // 34
    int color = 0;                                          // 35
    int size = 2;                                           // 36
    QString font;                                           // 37
    QSet<QUuid> selection;                                  // 38
    std::optional<QUuid> selectedShot;                      // 39
    std::optional<Tool> armed;                              // 40
    bool isPanning = false;                                 // 41
    bool spaceHeld = false;                                 // 42
    LayerItem *shotsLayer = nullptr;                        // 43
    QHash<QUuid, ShotLayer> shotLayers;                     // 44
    LayerItem *redactionLayer = nullptr;                    // 45
    LayerItem *shapesLayer = nullptr;                       // 46
    LayerItem *platesLayer = nullptr;                       // 47
    std::map<QUuid, std::unique_ptr<ShapeLayers>> shapes;   // 48
    QHash<QUuid, TextItemView *> texts;                     // 49
    QHash<QUuid, Plate> plates;                             // 50
    QHash<QUuid, Item> rendered;                            // 51
    QList<Shot> renderedShots;                              // 52
    QPointer<TextItemView> editing;                         // 53
    std::optional<Markup> editBefore;                       // 54
    std::optional<CropHandle> lastCropHandle;               // 55
    QPointF lastPointer;                                    // 56
    std::unique_ptr<Talk> talk;                             // 57
    std::optional<SpokenPlace> spoken;                      // 58
    Drag drag;                                              // 59
    std::optional<Grip::Target> hotGrip;                    // 60
    std::optional<QUuid> hoveredText;                       // 61
    std::optional<QPointF> hoverPoint;                      // 62
    std::optional<QPointF> commentPoint;                    // 63
    std::optional<QUuid> controlsText;                      // 64
    std::optional<CommentControls::Part> controlHot;        // 65
    bool controlsQuiet = false;                             // 66
    std::optional<double> trashedAt;                        // 67
    CursorKind cursor = CursorKind::crosshair;              // 68
    QHash<QString, QImage> recentPictures;                  // 69
    std::optional<double> thumbnailDue;                     // 70 scheduler seconds
    std::optional<CropStop> cropStop;                       // 71
    CropStop::Armed joltArmed;                              // 72
    bool edgePanning = false;                               // 73
    int joltsForTest = 0;                                   // 74

    // ---- Toolbar actions ----
    void perform(const ToolbarAction &action);

    // ---- Layout, rail sizing and thumbnails ----
    static constexpr double sidebarWidth = 228;
    static constexpr double oneColumnRail = 184;
    static constexpr double canvasRoom = 520;
    static constexpr double narrowestRail = 148;
    double railRoom() const;
    bool sidebarShown() const;
    QRectF visibleArea() const;
    void layout() override;
    bool sidebarHidden() const override;
    void setRailSize(double width, double thumbnail);
    void setRailColumns(int n);
    void setRailWidth(double width, bool save);
    void scaleRailThumbnails(double factor, bool save);
    void resetRailSize();
    void refreshRail(bool pagesOnly);
    // The earlier captures the rail shows: the history's entries that are not pages of this
    // canvas and were not removed from its rail, newest first; their pictures load off the main
    // thread and come in as they are read.
    QList<PageRail::Recent> recentsToShow();
    void scheduleThumbnail(bool markStale, int tries, double delay);
    void runThumbnail(int tries);
    bool samplersReady() const;
    void warmDisplayImages();
    // The scroll view's area not covered by the toolbar (scroll-view coordinates).
    QRectF panArea() const;
    // A short shake of the canvas in the pushing direction (dx, dy each -1, 0 or +1).
    void jolt(int dx, int dy);
    // The shake's offset in screen points at a fraction t (0...1) of its run, for an amplitude.
    static double joltOffset(double t);
    // Keeps the canvas content in place when the area left for it moved from oldArea.
    void visibleAreaChanged(const QRectF &oldArea, const QRectF &newArea);

    // ---- Refresh, hint and chrome ----
    void refresh(bool force);
    void updateShotLayers();
    ShotLayer makeShotLayers(const Shot &shot);
    void updateHint() override;
    void updateChrome() override;
    void updateToolbar();
    void updateHover();
    void markPictureStale();
    void makePagePicture();

    // ---- Events from the document view ----
    void mouseDown(Qt::KeyboardModifiers flags, int clickCount, QPointF point);
    void mouseDragged(Qt::KeyboardModifiers flags, QPointF point);
    void mouseUp(Qt::KeyboardModifiers flags, QPointF point);
    bool keyDown(QKeyEvent *event) override;
    bool keyEquivalent(QKeyEvent *event) override;
    void keyUp(QKeyEvent *event);
    void flagsChanged(Qt::KeyboardModifiers flags);
    QPointF edgePanStep(double dx, double dy);
    bool dragIsNone() const { return drag.kind == DragKind::none; }
    void spokenPointed();
    // ---- Keys and commands ----
    void deleteSelection();
    // Moves the selected items (or the selected shot) by the key's step: 1 point, 10 with Shift.
    void nudge(int keyCode, bool shift);
    void stepSize(int delta);
    // Applies a change of colour, size or font to the text being edited or to the selection.
    void restyle(const std::function<void(Item &)> &change);
    void flipArrow();
    void duplicateSelection();
    void selectAll();
    bool hasItem(const QUuid &id) const;
    // The one selected item, when exactly one is selected.
    std::optional<Item> singleSelectedItem() const;
    // The rail's neighbouring row (left, right, up, down); true when it moved.
    bool railStep(int keyCode);

    // ---- Undo, redo and zoom ----
    void recordUndo(const Markup &before);
    void undo();
    void redo();
    void undoRemoval();
    void zoomToFit();
    void zoomToActualSize();
    void zoomBy(double factor);
    // The bounds of an item as drawn on the canvas (null when it has none).
    QRectF itemBounds(const Item &item) const;
    // A key that could not act; the self-check and the tests count them.
    void beep();
    int beepsForTest = 0;

    // Escape's last step: the canvas closes (an added shot's overlays hide and its parent's
    // canvas comes forward; any other session ends, giving the front back).
    void closeCanvas();

    // ---- The overlay's calls ----
    QWidget *documentWidget() const override;
    void reveal() override;
    void openNoteForNewShot() override;
    void setEditingPlaceholder(const QString &text) override;
    void addPictures(const QList<Importer::Picture> &pictures, bool open) override;
    std::optional<QCursor> cursorOver(QWidget *hit) const override;
    // Which cursor the canvas shows over a widget of its window (none: not the canvas's say).
    // Several kinds share one QCursor, so checks compare these.
    std::optional<CursorKind> cursorKindOver(QWidget *hit) const;

    // ---- The session's calls ----
    void endEditing() override;
    void saveCurrentPage() override;
    void focusDocument() override;
    bool markCurrentPageDone() override;
    // A copy that keeps the canvas open shows its words in the sidebar's copy row for a moment.
    void flashCopyRow(const QString &text) override;
    void addShotPage(const QImage &image, double pixelScale, const QRectF &rect) override;
    int shotCount() const override;

    // The talk controller, made on first use (none when talking is not in this build).
    Talk *talkController();

    // ---- Shot and mark layers ----
    // Brings shapes, texts, plates and rendered in line with the document's items: unchanged
    // items are skipped unless forced; redactions are pixelated from mosaicImages.
    void updateItemLayers(bool force, const CanvasGeometry &geometry, const ShotImages &mosaicImages);
    // Shows, moves, recolours or removes the plate behind one comment.
    void updatePlate(const Item &item, TextItemView *view, const CanvasGeometry &geometry);
    ShapeLayers *makeShapeLayers(const Item &item);
    // What lies under each point of the document: the shots' pictures over a white canvas.
    CanvasGeometry canvasGeometry() const;
    // The rectangle an item covers on the canvas (a comment's plate, a text's rect, a mark's drawn
    // bounds), or the null rectangle while it has no drawing.
    QRectF itemFrame(const Item &item) const;
    // The working pictures with each shot's full display copy put in where one is ready.
    ShotImages redactionImages() const;
    // The laid-out text of a text view, in document coordinates.
    static QRectF textRectOf(const TextItemView *view);
    // A text item's laid-out frame in document points; none while the item has no view.
    std::optional<QRectF> textFrame(const QUuid &id) const;
    // Counts item drawings (marks, texts, plates) since construction; tests read it.
    int itemDrawsForTest = 0;

    // ---- Pointer gestures, hit tests and chrome ----
    // The pointer moved over the document view (not during a drag): hover is the point over the
    // canvas surface, comment the point over a comment's text; wake lifts quiet controls.
    void pointerMoved(std::optional<QPointF> hover, std::optional<QPointF> comment, bool wake);
    // The handle numbers a rectangle of this size (host coordinates) shows, in order.
    static QList<int> gripHandles(const QRectF &rect);
    // Every grip on the page in priority order, points in host coordinates.
    QList<Grip> grips() const;
    // The grip a press at that point takes.
    std::optional<Grip> gripAt(QPointF host, QPointF document) const;
    // The item under a document point: texts first, then the marks, topmost first.
    std::optional<QUuid> itemAt(QPointF p) const;
    struct ControlsBox
    {
        QRectF box;
        CommentControls::Layout layout;
    };
    // Where a comment's controls sit (host coordinates); none without a text view.
    std::optional<ControlsBox> commentControlsLayout(const QUuid &id) const;
    struct CommentFrames
    {
        QRectF box;  // the comment's box, as its controls sit under it
        QRectF text; // the laid-out text
    };
    // A comment's box and text frame in host coordinates; none without a text view.
    std::optional<CommentFrames> commentFrames(const QUuid &id) const;
    struct ControlsHit
    {
        QUuid id;
        std::optional<CommentControls::Part> part;
    };
    // Which comment's controls concern a host point, and which control lies there.
    std::optional<ControlsHit> commentControlsAt(QPointF q) const;
    // The bin's action: the comment and its arrow go, in one undo step.
    void deleteComment(const QUuid &id);
    // An arrow key while the rail has the keyboard: the neighbouring row becomes the current
    // page (an earlier capture opens as a page); false at either end or without a current row.
    bool stepRail(RailGrid::Move move);
    // Keeps the content where it was relative to the free area's centre after that area moved.
    void keepContentInView(const QRectF &previousArea);
    // The crop stop of a crop drag: the canvas jolts when an edge is pushed past the picture.
    void checkCropStop(int handle, const QRectF &got, const QRectF &want, QPointF offset);
    // A point snapped to the shot's pixel grid.
    QPointF snapToPixels(QPointF p, const Shot &shot) const;
    // Makes a text (or an arrow's comment) at p and starts editing it; before is the undo state.
    void placeText(TextSide side, std::optional<QUuid> arrowID, QPointF p, Markup before);
    // Starts editing an existing text: caret at the end, or nearest p.
    void editText(const QUuid &id, QPointF p, bool atEnd);
    // Document and host coordinates (the host is the window's content; lengths are screen points).
    QPointF toHost(QPointF document) const;
    QRectF toHost(const QRectF &document) const;
    QPointF fromHost(QPointF host) const;

    // ---- Text editing ----
    // Opens a text view for typing; the undo step of the typing returns to before.
    void beginEditing(TextItemView *view, const Markup &before);
    // The text scale of an item: the document's unit times its size step (the current size
    // for no item or an item not in the document).
    double textScale(const std::optional<QUuid> &item) const;
    // Adds a comment without arrow at p (for side right, p is the text's top-left) and opens it.
    void addComment(TextSide side, const Markup &before, QPointF p, double width);
    // Scrolls the document so that the edited text with its box and some room below is in view.
    void scrollEditingIntoView(TextItemView *view);
    // The box around the comment being edited (its text grown by the box's margins), in host
    // coordinates; the null rectangle while nothing is edited.
    QRectF editingBoxFrame() const;
    // The edited text changed: the item takes the view's string.
    void textChanged();
    // Return, Backspace, Delete, Escape and Tab in the edited text; true when handled here.
    bool textViewCommand(TextItemView::Command command, QKeyEvent *event);
    // Delete in an empty comment of an arrow removes the arrow with it as one undo step.
    bool deleteEmptyComment(QKeyEvent *event);
    // Shift+Return: a line break that continues a numbered or bulleted list.
    void continueList(TextItemView *view);
    // The next list marker for a line's text before the caret: the marker and whether the item
    // has content; none when the line is not a list item.
    struct ListMarker
    {
        QString marker;
        bool hasContent = false;
    };
    static std::optional<ListMarker> listMarker(const QString &line);

    // ---- Toolbar, hint line and drag-out ----
    // The hint line's words: the gestures and keys, the talk key when talking is on, the page
    // keys with two pages or more, and copy and send when the sidebar does not show them.
    // Where the window manager takes Alt+drag, the redaction is offered by its key instead.
    static QString hintText(bool talkOn, TalkKey talkKey, int pageCount, bool sidebar, const QString &sendTitle,
                            bool altDragTaken = false);
    // Connects the toolbar's controls, its send button and its drag-out handle to the canvas.
    void wireToolbar();
    // A new PNG file of the current page for the drag-out handle, in the private scratch folder
    // (older files there pruned after an hour), written on a worker; none when nothing can be
    // rendered or there is no such folder.
    std::optional<DragFile> makeDragFile();
    // Writes a rendered page (its export density, halved but at least 1 under half size) into
    // folder after pruning it; the file's path.
    static std::optional<QString> writeDragFile(const QImage &picture, double exportScale, bool halfSize,
                                                const QString &folder);
    // While a drag runs the session's windows let the pointer through and fade; the session's
    // drag-out ending restores them.
    void dragOutStarted();
    void dragOutEnded(bool dropped);
    // "Other Fonts…": the font chooser over the canvas, preset to the canvas's font.
    void showFontPanel();
    // A face picked in the chooser becomes the canvas's font and that of the edited or selected
    // texts.
    void fontPanelChanged(const QString &name);

    // ---- Pages, pasted pictures and the rail feed ----
    // A new page from a captured picture (pixels per point, its place on the canvas in points)
    // and the frame in the host where its shot is shown first.
    struct MadePage
    {
        Page page;
        QRectF frame;
    };
    MadePage makePage(const QImage &image, double pixelScale, const QRectF &rect);
    // Makes page index current; frame: where in the host its first shot appears (none: its saved
    // view, else fitted); pagesOnly goes to the rail rebuild.
    void showPage(int index, const std::optional<QRectF> &frame = std::nullopt, bool pagesOnly = true);
    void setPageHistory(int index, const std::optional<QString> &id, const std::optional<QDateTime> &created) override;
    QList<SessionPage> pagesForSaving() const override;
    int pageCount() const override { return int(pages.size()); }
    RenderedPage renderCurrentPage(bool halfSize) override;
    // A shot taken for this canvas becomes page 0, shown ready for typing.
    void addShot(const QImage &image, double pixelScale, const QRectF &rect);
    // An earlier capture becomes a page placed by its date and is shown; false when nothing
    // opened (already a page, or unreadable).
    bool openRecent(const QString &id);
    // Ctrl+V: the pictures of the clipboard's data become pages in front ("image"), else its
    // trimmed text a comment in the middle of the view ("text"); with neither it beeps (none).
    std::optional<QString> paste(const QMimeData *data);
    // The desktop's clipboard, or the test pasteboard while one is set.
    static const QMimeData *generalPasteboard();
    // Delete with the rail focused: the rows picked in the rail go, or the current page when
    // none is picked; a removal that cannot happen beeps.
    void deleteRailPicks();
    void selectPage(int index);
    void updateThumbnailNow();
    bool thumbnailPending() const { return thumbnailDue.has_value(); }
    // Turns the saved pages of a reopened canvas into pages and shows the one named id.
    void restorePages(const QList<SavedPage> &saved, const QString &id);
    // Removes the rows picked in the rail (pages and earlier captures); false when nothing went.
    bool removePages(const QList<PageRail::Row> &rows);
    // Undo of the latest removal's history side: trashed entries come back, unforgotten, and the
    // session writes the restored pages again.
    void restoreRemovedEntries(const Removal &removal);
    // Redo of an undone removal: the same pages and earlier captures go again.
    void redoRemoval();

    // The export scene of the canvas as it stands, and the density exports render at.
    ExportScene exportScene();
    double exportScale() const;
    // The rows of the rail in display order: earlier captures between pages by date.
    QList<PageRail::Row> railRows() const;
    QList<PageRail::Recent> recentsForRail();
    void pictureNextRecent();
    void unforgetRecent(const QString &id);
    // The PNG data the rail drags out: a page's exported picture, an earlier capture's.
    static std::optional<QByteArray> pageFileData(const ExportScene &scene, double scale);
    static std::optional<QByteArray> recentFileData(const QString &id);
    // The file the rail drags out for a row.
    std::optional<RailDragOut::File> fileFor(const PageRail::Row &row);

    // Read-outs. stateDump: the first shot, the zoom and unit, then one line per item (a
    // comment's line breaks written as "\n").
    QString stateDump() const;
    QStringList recentShownIDs() const;
    QStringList railRowIDs() const;
    QString pageID(int index) const;

    // ---- Spoken words ----
    // Where the listening badge goes, in the host's coordinates: the box of the comment being
    // spoken into, the pointer, or nowhere.
    using BadgeAnchor = std::variant<std::monostate, QRectF, QPointF>;
    // Talking began: a fresh spoken place replaces any earlier one.
    void talkStarted();
    // The words heard so far go into the spoken place, if there is one.
    void talkHeard(const QString &words);
    // Writes the spoken place's words into its comment (choosing the comment first), and
    // finishes the place once its words have ended.
    void applySpokenWords();
    BadgeAnchor talkBadgeAnchor() const;


private:
    // (private helpers of each concern go below its own heading)
    // -- shot and mark layers --
    // Drops the drawings of items that left the document.
    void removeStaleItems();
    // -- pointer gestures --
    Qt::KeyboardModifiers drawingFlags(Qt::KeyboardModifiers flags);
    double magnification() const;
    // One step of the gesture in drag at a document point.
    void dragStep(Qt::KeyboardModifiers flags, QPointF point);
    bool pressGrip(QPointF hostPoint, QPointF point);
    bool pressShotEdge(QPointF hostPoint, QPointF point);
    void pressItem(Qt::KeyboardModifiers flags, int clickCount, const QUuid &id, QPointF point);
    void finishArrow(const Drag &done);
    void finishMove(const Drag &done, QPointF p);
    // Sets the cursor and shows it at once when the pointer is over the canvas.
    void setCursor(CursorKind kind);
    // The laid-out text of a comment in document coordinates; line: at least one line high.
    static QRectF textFrameOf(const TextItemView *view, bool line);
    const QPainterPath &strokedHitPath(const QUuid &id, const QPainterPath &path, double zoom) const;
    struct StrokedHit
    {
        double zoom = 0;
        QPainterPath source;
        QPainterPath stroked;
    };
    mutable QHash<QUuid, StrokedHit> m_strokedHits; // hit bands of the marks at one zoom
    // -- text editing --
    // -- toolbar and hint --
    bool m_hintHasPages = false; // the hint line was written for two pages or more
    QString m_hintText;          // the hint line's whole text (the label may show it shortened)
    // -- pages --
    void wirePageRail();
    QRectF fittedFrame(const QRectF &rect) const;
    void insertPages(int at, const QList<Page> &added);
    void finishRecentPicture(const QString &id, std::optional<Recents::Loaded> loaded,
                             const ExportScene::Samplers &samplers);
    QSet<QString> m_railReads; // earlier captures whose small picture is being read
    // Shot pictures shrunk once for page pictures, by the picture's cache key: a page picture
    // made again after an edit does not shrink the whole shot again.
    QHash<qint64, ShotImage> m_pictureCopies;
    // -- spoken words --
    // Picks the comment the words go into; false when the words wait or were given up.
    bool chooseSpokenTarget();
    void giveUpSpoken();
    // The edited comment's box grown by its margins, in the host's coordinates.
    QRectF spokenBox(const TextItemView *view) const;

    void buildSamplers();
    void onDisplayImageReady(const QUuid &shot);
    void writeRailPreferences();
    void stopGlide();
    QColorSpace displaySpace() const;

    QPointF m_shake;                   // the jolt's offset of the canvas views now
    QPointer<QVariantAnimation> m_jolt; // the jolt running now
};
