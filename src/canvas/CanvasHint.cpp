// The hint line under the canvas and the toolbar's wiring to the canvas.
#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "canvas/CommandSidebar.h"
#include "canvas/FontPanel.h"
#include "capture/CaptureSession.h"
#include "export/Destinations.h"
#include "export/SendButton.h"
#include "platform/AltDrag.h"
#include "platform/PlatformText.h"

#include <QLabel>

QString CanvasController::hintText(bool talkOn, TalkKey talkKey, int pageCount, bool sidebar,
                                   const QString &sendTitle, bool altDragTaken)
{
    QString text = QStringLiteral("Drag: arrow    Click: text");
    if (talkOn)
        text += QStringLiteral("    Hold ") + PlatformText::talkKeyInSentence(talkKey) + QStringLiteral(": talk");
    // Where the window manager moves windows with Alt+drag, the redaction's key is offered.
    text += altDragTaken ? QStringLiteral("    ⌘-drag: box    B: redact    ⌘N: another shot")
                         : QStringLiteral("    ⌘-drag: box    ⌥-drag: redact    ⌘N: another shot");
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
    m_hintHasPages = pages.size() > 1;
    m_hintText = hintText(Prefs::talkEnabled(), Prefs::talkKey(), int(pages.size()), sidebar,
                          Destinations::actionTitle(previous), AltDrag::taken());
    hint->setText(m_hintText);
    hint->adjustSize();
    if (toolbar)
        toolbar->send()->refresh();
    if (commands)
        commands->refreshSendRow();
    // The send button's width follows its target's name: the toolbar fits itself again.
    updateToolbar();
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
    handle->makeFile = [self]() -> std::optional<DragFile> { return self ? self->makeDragFile() : std::nullopt; };
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
