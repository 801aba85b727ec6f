#include "SettingsWindowController.h"
#include "ShortcutCaps.h"
#include "ShortcutRecorder.h"
#include "app/HotKeyCenter.h"

#include <cmath>

// Recording a shortcut for one action: the panes draw the wells, the recorders do the work.

void SettingsWindowController::toggleRecording(CaptureAction action)
{
    ShortcutRecorder *recorder = m_engines[action];
    if (recorder->isRecording()) {
        recorder->stopRecording();
        return;
    }
    // The click on a well that ended its own recording arrives after that end: it must not
    // start the recording again.
    if (m_ended && m_ended->first == action
        && std::abs(m_ended->second - m_lastPress) < toggleGuardSeconds) {
        m_ended.reset();
        return;
    }
    recorder->startRecording();
}

void SettingsWindowController::recordingStarted(CaptureAction action)
{
    for (auto &[other, recorder] : m_engines)
        if (other != action)
            recorder->stopRecording();
    // Our own shortcuts must not fire while a combination is typed.
    m_center.releaseAll();
    auto refusals = m_model->refusals();
    refusals.erase(action);
    m_model->setRefusals(refusals);
    m_model->setHeld({});
    m_model->setRecording(action);
}

void SettingsWindowController::heldChanged(CaptureAction action)
{
    ShortcutRecorder *recorder = m_engines[action];
    if (!recorder->isRecording())
        return;
    m_model->setHeld(ShortcutCaps::modifierNames(recorder->heldModifiers()));
}

void SettingsWindowController::recordingRefused(CaptureAction action, const QString &text)
{
    auto refusals = m_model->refusals();
    refusals[action] = text;
    m_model->setRefusals(refusals);
}

void SettingsWindowController::recordingEnded(CaptureAction action)
{
    if (m_model->recording() == action)
        m_model->setRecording(std::nullopt);
    m_model->setHeld({});
    auto refusals = m_model->refusals();
    refusals.erase(action);
    m_model->setRefusals(refusals);
    m_ended = std::make_pair(action, m_scheduler.now());
    m_center.registerAll();
}

void SettingsWindowController::recorded(CaptureAction action, const std::optional<Shortcut> &shortcut)
{
    m_center.setShortcut(shortcut, action);
    refresh();
    if (m_center.status(action).kind != HotKeyCenter::Status::system)
        return;
    QPointer<SettingsWindowController> self(this);
    m_scheduler.after(0, [self, action] {
        if (!self)
            return;
        if (offerTakeOverHook)
            offerTakeOverHook(action, self->m_center);
        self->refresh();
    });
}

void SettingsWindowController::takeOver(CaptureAction action)
{
    if (offerTakeOverHook)
        offerTakeOverHook(action, m_center);
    refresh();
}

void SettingsWindowController::restoreDefaults()
{
    stopAllRecorders();
    m_center.restoreDefaults();
    refresh();
}
