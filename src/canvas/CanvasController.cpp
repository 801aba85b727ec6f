// Construction and teardown of the canvas controller, the toolbar's actions, and the hooks
// through which the capture library reaches the canvas editor.
#include "canvas/CanvasController.h"

#include "app/PreferenceReaders.h"
#include "app/Toast.h"
#include "canvas/CanvasChrome.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/CommandSidebar.h"
#include "canvas/DisplayImages.h"
#include "canvas/DocumentView.h"
#include "canvas/ShapeLayers.h"
#include "canvas/Talk.h"
#include "canvas/TextItemView.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "export/DestinationChanges.h"
#include "history/Recents.h"
#include "platform/Preferences.h"
#include "rail/RailEdge.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QThreadPool>
#include <QTimer>
#include <QWindow>

#include <algorithm>

std::function<void(CaptureSession *)> CanvasController::addShotHook;
std::function<std::unique_ptr<Talk>(CanvasController &)> Talk::make;

namespace {
constexpr double documentSpan = 7;
constexpr double leftMargin = 24;
constexpr int agoSeconds = 60;
const QString defaultFont = QStringLiteral("Menlo-Bold");

// The largest attached screen by area (the first of equals).
QSizeF largestScreen()
{
    QSizeF best;
    for (const QScreen *s : QGuiApplication::screens()) {
        const QSizeF size = s->geometry().size();
        if (size.width() * size.height() > best.width() * best.height())
            best = size;
    }
    return best;
}

// The document's base size: per axis the largest of the screen's, the host's and the first
// shot's picture's size.
QSizeF baseSize(const QWidget *host, const Markup &markup)
{
    QSizeF screen;
    const QWindow *window = host && host->window() ? host->window()->windowHandle() : nullptr;
    if (window && window->screen())
        screen = window->screen()->geometry().size();
    else
        screen = largestScreen();
    const QSizeF bounds = host ? QSizeF(host->size()) : QSizeF();
    const QSizeF picture = markup.shotImageSize();
    return {std::max({screen.width(), bounds.width(), picture.width()}),
            std::max({screen.height(), bounds.height(), picture.height()})};
}

} // namespace

Scheduler *&CanvasController::scheduler()
{
    static Scheduler *s = &Scheduler::system();
    return s;
}

CanvasController::CanvasController(const ShotImages &images_, const Markup &markup_, QWidget *host_,
                                   const QRectF &shotFrame)
{
    // 1: the toolbar, the hint line, the rail and its edge, the command sidebar.
    toolbar = new Toolbar;
    hint = new QLabel;
    rail = new PageRail;
    rail->setGeometry(0, 0, int(oneColumnRail), 400);
    rail->hide();
    commands = new CommandSidebar(QRect(0, 0, int(sidebarWidth), 400));
    railEdge = new RailEdge;
    railEdge->hide();
    // 2–3: the rail's size from the preferences.
    railAsked = Prefs::railWidth();
    railThumb = Prefs::railThumb();
    // 4: the display-image cache.
    display = std::make_unique<DisplayImages>();
    // 5: the arguments and the text style.
    images = images_;
    markup = markup_;
    host = host_;
    if (Prefs::remembersStyle()) {
        size = Prefs::styleSizeIndex();
        font = Prefs::store().stringValue(QStringLiteral("style.font")).value_or(defaultFont);
    } else {
        size = 2;
        font = defaultFont;
    }
    color = 0;

    // 6–8: the document, its scroll view, grown to take in the shots.
    docView = new DocumentView(baseSize(host_, markup), documentSpan);
    const QRect bounds = host_ ? host_->rect() : QRect();
    scrollView = new CanvasScrollView(bounds, docView, host_);
    docView->include(markup.shotsBounds());
    // 9: the chrome over it.
    chrome = new CanvasChrome(bounds, host_);

    // 10: the document's controller and its four containers, bottom to top.
    docView->controller = this;
    shotsLayer = new LayerItem;
    redactionLayer = new LayerItem;
    shapesLayer = new LayerItem;
    platesLayer = new LayerItem;
    int z = 0;
    for (LayerItem *layer : {shotsLayer, redactionLayer, shapesLayer, platesLayer}) {
        layer->setZValue(z++);
        docView->addItem(layer);
    }

    // 11: the host's views, bottom to top.
    QFont hintFont = hint->font();
    hintFont.setPointSizeF(11.5 * 72.0 / std::max(1, hint->logicalDpiY()));
    hint->setFont(hintFont);
    QPalette hintPalette = hint->palette();
    hintPalette.setColor(QPalette::WindowText, QColor(60, 60, 67, 153));
    hint->setPalette(hintPalette);
    hint->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (QWidget *w : {static_cast<QWidget *>(hint), static_cast<QWidget *>(toolbar), static_cast<QWidget *>(rail),
                       static_cast<QWidget *>(railEdge), static_cast<QWidget *>(commands)}) {
        const bool visible = w != rail && w != railEdge;
        w->setParent(host_);
        w->setVisible(visible && host_);
    }
    scrollView->show();
    chrome->show();

    // 12: the command sidebar.
    QPointer<CanvasController> self(this);
    commands->previous = [self]() -> std::optional<RunningApp> {
        if (!self || !self->session)
            return std::nullopt;
        return self->session->previousApp();
    };
    commands->onCopy = [self] {
        if (self)
            self->perform(ToolbarAction::plain(ToolbarAction::copy));
    };
    commands->onSend = [self] {
        if (!self)
            return;
        self->endEditing();
        if (self->session)
            self->session->send();
    };

    // 13: the rail's size: columns, the edge grip, pinching.
    rail->onColumns = [self](int n) {
        if (self)
            self->setRailColumns(n);
    };
    railEdge->onWidth = [self](double width, bool done) {
        if (self)
            self->setRailWidth(width, done);
    };
    rail->onPinch = [self](bool ended, double factor) {
        if (self)
            self->scaleRailThumbnails(factor, ended);
    };
    railEdge->onMenu = [self]() -> QMenu * {
        auto *menu = new QMenu;
        if (self)
            self->rail->addColumnItems(menu);
        return menu;
    };

    // 14: the first page.
    Page first;
    first.markup = markup;
    first.images = images;
    first.created = QDateTime::currentDateTime();
    pages = {first};

    // 15: picking in the rail, and files dropped from it.
    rail->onPick = [self] {
        if (!self)
            return;
        self->endEditing();
        self->selection.clear();
        self->selectedShot.reset();
        self->refresh(false);
        self->focusDocument();
        self->railFocused = true;
    };
    wirePageRail();
    rail->onDropped = [](int files) {
        toast(files == 1 ? QStringLiteral("Dropped") : QStringLiteral("%1 shots dropped").arg(files), 0.9);
    };

    // 17: a destination chosen anywhere (the send button, the sidebar's menu) rewrites the hint
    // line, and with it the sidebar's send row.
    connect(&DestinationChanges::shared(), &DestinationChanges::changed, this, &CanvasController::updateHint);

    // 18: the hint line.
    updateHint();

    // 19: relative dates in the rail move on every minute, while the canvas is there.
    agoTimer = new QTimer(this);
    agoTimer->setInterval(agoSeconds * 1000);
    connect(agoTimer, &QTimer::timeout, this, [this] {
        const QWidget *w = scrollView ? scrollView->window() : nullptr;
        if ((!w || !w->isVisible()) && !session) {
            agoTimer->stop();
            return;
        }
        if (rail && rail->isVisible())
            refreshRail(false);
    });
    agoTimer->start();

    // 20: layout, then the rail's first rows.
    layout();
    refreshRail(false);

    // 21: the first shot where the area was chosen, at least 24 pt in from the left when the
    // view has room for that.
    if (!markup.shots.isEmpty()) {
        QRectF target = shotFrame.translated(-QPointF(scrollView->pos()));
        const double width = scrollView->width();
        if (target.left() < leftMargin)
            target.moveLeft(target.width() > width ? 0 : std::min((width - target.width()) / 2, leftMargin));
        const QRectF shot = markup.shots.first().rect;
        if (shot.width() > 0)
            scrollView->showDocumentRect(shot, target);
    }

    // 22: the toolbar and its drag-out handle.
    wireToolbar();

    // 23: the chrome and the toolbar follow every move of the view.
    connect(scrollView, &CanvasScrollView::viewChanged, this, [this] {
        updateChrome();
        updateToolbar();
    });

    // 24: the first refresh.
    refresh(true);
    // 25: colour samplers of the shots' pictures, made off the main thread.
    buildSamplers();
    // 26–27: display copies of the pictures.
    display->onReady = [self](const QUuid &shot) {
        if (self)
            self->onDisplayImageReady(shot);
    };
    warmDisplayImages();
    // 28: the talk controller watches its key from the start.
    talkController();
}

// Releases what the controller owns. Work still queued elsewhere (samplers, the thumbnail, display
// copies) holds the controller weakly and finds it gone.
CanvasController::~CanvasController()
{
    stopGlide();
    if (thumbnailWork)
        scheduler()->cancel(thumbnailWork);
    talk.reset();
    shapes.clear();
    // The views live in the host; without it they have gone with it.
    if (host) {
        delete scrollView;
        delete chrome;
        delete toolbar;
        delete hint;
        delete rail;
        delete railEdge;
        delete commands;
    }
    delete docView;
    display.reset();
}

void CanvasController::buildSamplers()
{
    QPointer<CanvasController> self(this);
    for (const Shot &shot : std::as_const(markup.shots)) {
        if (samplers.contains(shot.id) || !images.contains(shot.id))
            continue;
        QImage picture = images.value(shot.id).image;
        if (picture.format() != QImage::Format_ARGB32_Premultiplied && picture.format() != QImage::Format_RGB32)
            picture = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QUuid id = shot.id;
        QThreadPool::globalInstance()->start([self, id, picture] {
            const PixelView view{picture.width(), picture.height(), picture.bytesPerLine(), picture.constBits(),
                                 PixelView::bgra};
            std::shared_ptr<const PixelSampler> sampler = PixelSampler::make(view, 1280);
            QMetaObject::invokeMethod(qApp, [self, id, sampler] {
                if (!self || !sampler)
                    return;
                self->samplers.insert(id, sampler);
                self->refresh(true);
            });
        });
    }
}

bool CanvasController::samplersReady() const
{
    for (const Shot &shot : markup.shots) {
        if (images.contains(shot.id) && !samplers.contains(shot.id))
            return false;
    }
    return true;
}

Talk *CanvasController::talkController()
{
    if (!talk && Talk::make)
        talk = Talk::make(*this);
    return talk.get();
}

QWidget *CanvasController::documentWidget() const
{
    return scrollView;
}

// ---- toolbar actions ----

void CanvasController::perform(const ToolbarAction &action)
{
    // Copy, save and add-shot may end the session and with it this canvas.
    const QPointer<CanvasController> self(this);
    switch (action.kind) {
    case ToolbarAction::tool:
        endEditing();
        if (action.toolValue == Tool::arrow || armed == action.toolValue)
            armed.reset();
        else
            armed = action.toolValue;
        updateToolbar();
        break;
    case ToolbarAction::color: {
        const int index = action.colorIndex;
        color = index;
        Prefs::store().setValue(QStringLiteral("style.color"), index);
        restyle([index](Item &item) { item.color = index; });
        break;
    }
    case ToolbarAction::font:
        fontPanelChanged(action.fontName);
        break;
    case ToolbarAction::copy:
        if (session)
            session->copy();
        break;
    case ToolbarAction::save:
        if (session)
            session->save();
        break;
    case ToolbarAction::addShot:
        if (session && addShotHook)
            addShotHook(session);
        break;
    case ToolbarAction::otherFont:
        showFontPanel();
        break;
    case ToolbarAction::smaller:
        stepSize(-1);
        break;
    case ToolbarAction::larger:
        stepSize(1);
        break;
    case ToolbarAction::undo:
        undo();
        break;
    case ToolbarAction::redo:
        redo();
        break;
    case ToolbarAction::fit:
        zoomToFit();
        break;
    }
    // The keyboard goes back to the canvas.
    if (!self)
        return;
    if (editing)
        editing->setFocus();
    else if (scrollView)
        scrollView->setFocus(Qt::OtherFocusReason);
}

// ---- hooks ----

void CanvasController::install()
{
    OverlayCanvas::make = [](OverlayView &view, const ShotImages &images, const Markup &markup,
                             const QRectF &shotFrame) -> std::unique_ptr<OverlayCanvas> {
        auto controller = std::make_unique<CanvasController>(images, markup, &view, shotFrame);
        controller->session = dynamic_cast<CaptureSession *>(view.session());
        return controller;
    };
    OverlayCanvas::historyHasEntry = [] { return !Recents::list().isEmpty(); };
    CaptureSession::canvasOf = [](OverlayView *view) -> SessionCanvas * {
        return view ? dynamic_cast<CanvasController *>(view->canvas()) : nullptr;
    };
}
