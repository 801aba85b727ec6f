#pragma once
#include "canvas/CanvasController.h"
#include "canvas/Talk.h"
#include "talk/TalkCanvas.h"

#include <QMetaObject>
#include <QPointer>

#include <functional>
#include <memory>

class TalkController;

// Joins one canvas and its talk controller: the canvas sees a Talk, the controller a TalkCanvas.
// The hint line follows the talk settings; the speech model starts loading when talking is on.
class CanvasTalk : public Talk, public TalkCanvas
{
public:
    using MakeController = std::function<std::unique_ptr<TalkController>(TalkCanvas &)>;
    // makeController: the controller over this canvas (a plain TalkController when empty).
    explicit CanvasTalk(CanvasController &canvas, const MakeController &makeController = {});
    ~CanvasTalk() override;

    // Talk
    bool isHolding() const override;
    void placeBadge() override;
    void cancel() override;
    TalkController *controller() override { return m_talk.get(); }

    // TalkCanvas
    bool exists() const override { return bool(m_canvas); }
    QWindow *window() const override;
    QWidget *host() const override;
    bool spaceHeld() const override;
    void talkStarted() override;
    void talkHeard(const QString &words) override;
    void talkEnded(const QString &words) override;
    void dropSpoken() override;
    TalkAnchor talkBadgeAnchor() const override;

protected:
    QPointer<CanvasController> m_canvas;

private:
    std::unique_ptr<TalkController> m_talk;
    QMetaObject::Connection m_hint;
};
