// The hint line under the canvas, the toolbar's wiring to the canvas, and the files the drag-out
// handle drags.
#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "canvas/CommandSidebar.h"
#include "canvas/FontPanel.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayWindow.h"
#include "export/Destinations.h"
#include "export/ExportScene.h"
#include "export/SendButton.h"
#include "platform/PlatformText.h"

#include <QLabel>
#include <QWindow>

namespace {
constexpr double dragMargin = 16;
constexpr double scratchAge = 3600;
constexpr double dimmed = 0.12;
} // namespace

QString CanvasController::hintText(bool talkOn, TalkKey talkKey, int pageCount, bool sidebar,
                                   const QString &sendTitle)
{
    QString text = QStringLiteral("Drag: arrow    Click: text");
    if (talkOn)
        text += QStringLiteral("    Hold ") + PlatformText::talkKeyInSentence(talkKey) + QStringLiteral(": talk");
    text += QStringLiteral("    ⌘-drag: box    ⌥-drag: redact    ⌘N: another shot");
    if (pageCount > 1)
        text += QStringLiteral("    ⌘↑↓: shots");
    text += QStringLiteral("    ⌘V: paste");
    if (!sidebar)
        text += QStringLiteral("    Return: copy    ⌘Return: ") + sendTitle;
    text += QStringLiteral("    ⌘S: save    Esc: close");
    return PlatformText::words(text);
}

void CanvasController::updateHint()
{
    if (!hint)
        return;
    const bool sidebar = host && host->width() - sidebarWidth - oneColumnRail >= canvasRoom;
    const std::optional<RunningApp> previous = session ? session->previousApp() : std::nullopt;
    hint->setText(hintText(Prefs::talkEnabled(), Prefs::talkKey(), int(pages.size()), sidebar,
                           Destinations::actionTitle(previous)));
    hint->adjustSize();
    if (toolbar)
        toolbar->send()->refresh();
    if (commands)
        commands->refreshSendRow();
    layout();
}

void CanvasController::wireToolbar()
{
    QPointer<CanvasController> self(this);
    toolbar->onAction = [self](const ToolbarAction &action) {
        if (self)
            self->perform(action);
    };
    toolbar->send()->previous = [self]() -> std::optional<RunningApp> {
        return self && self->session ? self->session->previousApp() : std::nullopt;
    };
    toolbar->send()->onSend = [self] {
        if (self && self->session)
            self->session->send();
    };
    DragOutView *handle = toolbar->dragOut();
    handle->makeFile = [self]() -> std::optional<QUrl> { return self ? self->makeDragFile() : std::nullopt; };
    handle->onDragStart = [self] {
        if (self)
            self->dragOutStarted();
    };
    handle->onDragEnd = [self](bool dropped) {
        if (self)
            self->dragOutEnded(dropped);
    };
    toolbar->send()->refresh();
}

std::optional<QString> CanvasController::writeDragFile(const QImage &picture, double exportScale, bool halfSize,
                                                       const QString &folder)
{
    if (picture.isNull() || folder.isEmpty())
        return std::nullopt;
    ExportScene::pruneFolder(folder, scratchAge);
    activityLog(QStringLiteral("export: file %1x%2").arg(picture.width()).arg(picture.height()));
    const double scale = ExportScene::clipboardScale(exportScale > 0 ? exportScale : 1, halfSize);
    QString error;
    const QString path = ExportScene::save(picture, folder, scale, &error);
    if (path.isEmpty()) {
        activityLog(QStringLiteral("export: the dragged file could not be written: ") + error);
        return std::nullopt;
    }
    return path;
}

std::optional<QUrl> CanvasController::makeDragFile()
{
    endEditing();
    const bool half = ExportScene::halfSizePreferred();
    const RenderedPage page = renderCurrentPage(half);
    if (page.picture.isNull())
        return std::nullopt;
    // Only a private folder of ours: a shared one could hold another user's link.
    const QString folder = ExportScene::scratchFolder();
    if (folder.isEmpty())
        return std::nullopt;
    const std::optional<QString> path = writeDragFile(page.picture, page.scale, half, folder);
    if (!path)
        return std::nullopt;
    return QUrl::fromLocalFile(*path);
}

void CanvasController::dragOutStarted()
{
    if (!session)
        return;
    // An empty input shape lets the drop reach the window below; setting the widget's window
    // flags instead would unmap the window.
    for (OverlayWindow *w : session->windows()) {
        if (!w)
            continue;
        if (QWindow *window = w->windowHandle())
            window->setFlag(Qt::WindowTransparentForInput, true);
        w->setWindowOpacity(dimmed);
    }
}

void CanvasController::dragOutEnded(bool dropped)
{
    if (session)
        session->dragOutFinished(dropped);
}

void CanvasController::fontPanelChanged(const QString &name)
{
    font = name;
    Prefs::rememberFont(name);
    restyle([name](Item &item) {
        if (item.kind == ItemKind::text)
            item.font = name;
    });
}

void CanvasController::showFontPanel()
{
    QPointer<CanvasController> self(this);
    FontPanel::shared().show(host ? host->window() : nullptr, Prefs::textFont(font, 1), [self](const QString &name) {
        if (self)
            self->fontPanelChanged(name);
    });
}
