#include "WelcomeModel.h"

#include "MeltPictures.h"
#include "settings/ShortcutCaps.h"

namespace {
template<class T>
bool assign(T &field, const T &value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

bool sameStatus(const HotKeyCenter::Status &a, const HotKeyCenter::Status &b)
{
    return a.kind == b.kind && (a.kind != HotKeyCenter::Status::system || a.name == b.name);
}

void call(const std::function<void()> &action)
{
    if (action)
        action();
}
} // namespace

WelcomeModel::WelcomeModel(QObject *parent) : QObject(parent), m_quill(MeltPictures::all()) {}

std::optional<WelcomeModel::Step> WelcomeModel::stepFromRaw(int raw)
{
    if (raw < 0 || raw >= stepCount)
        return std::nullopt;
    return Step(raw);
}

void WelcomeModel::setReasons(const QString &screen, const QString &access)
{
    if (assign(m_screenReason, screen))
        emit screenReasonChanged();
    if (assign(m_accessReason, access))
        emit accessReasonChanged();
}

void WelcomeModel::changeSteps(const std::function<void()> &change)
{
    const QList<bool> before = ticks();
    const std::optional<Step> openBefore = openStep();
    change();
    if (ticks() != before)
        emit stepsChanged();
    if (openStep() != openBefore)
        emit openStepChanged();
}

void WelcomeModel::setCaptured(bool value)
{
    if (m_captured == value)
        return;
    changeSteps([&] { m_captured = value; });
    emit capturedChanged();
}

void WelcomeModel::setRefusal(const std::optional<QString> &value)
{
    if (assign(m_refusal, value))
        emit refusalChanged();
}

void WelcomeModel::setRecording(bool value)
{
    if (assign(m_recording, value))
        emit recordingChanged();
}

void WelcomeModel::setHeld(const QStringList &value)
{
    if (assign(m_held, value))
        emit heldChanged();
}

void WelcomeModel::setChosen(std::optional<Step> step)
{
    if (m_chosen == step)
        return;
    changeSteps([&] { m_chosen = step; });
    emit chosenChanged();
}

void WelcomeModel::setMelt(int stage)
{
    if (stage < 0 || stage > 9)
        return;
    if (assign(m_melt, stage))
        emit meltChanged();
}

void WelcomeModel::setLoginState(bool value)
{
    if (assign(m_login, value))
        emit loginChanged();
}

void WelcomeModel::setStaged(bool value)
{
    if (assign(m_staged, value))
        emit stagedChanged();
}

void WelcomeModel::setHasTray(bool value)
{
    if (assign(m_hasTray, value))
        emit hasTrayChanged();
}

void WelcomeModel::setHeaderInside(bool value)
{
    if (assign(m_headerInside, value))
        emit headerInsideChanged();
}

bool WelcomeModel::done(Step step) const
{
    switch (step) {
    case Step::screen: return m_screen;
    case Step::access: return m_access;
    case Step::shortcut: return m_status.kind == HotKeyCenter::Status::active;
    case Step::tryIt: return m_captured;
    }
    return false;
}

std::optional<WelcomeModel::Step> WelcomeModel::current() const
{
    for (int raw = 0; raw < stepCount; ++raw)
        if (!done(Step(raw)))
            return Step(raw);
    return std::nullopt;
}

QList<bool> WelcomeModel::ticks() const
{
    QList<bool> out;
    for (int raw = 0; raw < stepCount; ++raw)
        out << done(Step(raw));
    return out;
}

std::optional<WelcomeModel::Step> WelcomeModel::openStep() const
{
    return m_chosen ? m_chosen : current();
}

bool WelcomeModel::apply(bool screen, bool access, const std::optional<Shortcut> &shortcut,
                         const HotKeyCenter::Status &status)
{
    const bool sameShortcut = m_shortcut == shortcut;
    const bool sameState = sameStatus(m_status, status);
    if (m_screen == screen && m_access == access && sameShortcut && sameState)
        return false;
    const QList<bool> before = ticks();
    const std::optional<Step> chosenBefore = m_chosen;
    changeSteps([&] {
        m_screen = screen;
        m_access = access;
        m_shortcut = shortcut;
        m_status = status;
        if (ticks() != before)
            m_chosen.reset();
    });
    if (m_chosen != chosenBefore)
        emit chosenChanged();
    if (!sameShortcut)
        emit shortcutChanged();
    if (!sameState)
        emit statusChanged();
    // The permission fields last: a view that reads them sees the steps already moved.
    emit screenChanged();
    emit accessChanged();
    return true;
}

void WelcomeModel::markShotTaken()
{
    setCaptured(true);
    setChosen(std::nullopt);
}

void WelcomeModel::meltOnce()
{
    setMelt((m_melt + 1) % 10);
}

void WelcomeModel::openStepsAtStart()
{
    if (openStep() != Step::screen)
        setChosen(Step::screen);
}

QStringList WelcomeModel::shortcutCaps() const
{
    return m_shortcut ? ShortcutCaps::caps(*m_shortcut) : QStringList();
}

QString WelcomeModel::shortcutText() const
{
    return m_shortcut ? m_shortcut->displayText() : QString();
}

QString WelcomeModel::statusKind() const
{
    switch (m_status.kind) {
    case HotKeyCenter::Status::system: return QStringLiteral("system");
    case HotKeyCenter::Status::unassigned: return QStringLiteral("unassigned");
    case HotKeyCenter::Status::active: return QStringLiteral("active");
    case HotKeyCenter::Status::takenByApp: return QStringLiteral("takenByApp");
    }
    return QStringLiteral("unassigned");
}

int WelcomeModel::currentIndex() const
{
    const auto step = current();
    return step ? int(*step) : -1;
}

int WelcomeModel::openIndex() const
{
    const auto step = openStep();
    return step ? int(*step) : -1;
}

QVariantList WelcomeModel::ticksForView() const
{
    QVariantList out;
    for (bool tick : ticks())
        out << tick;
    return out;
}

bool WelcomeModel::isDone(int step) const
{
    const auto s = stepFromRaw(step);
    return s && done(*s);
}

void WelcomeModel::choose(int step)
{
    if (const auto s = stepFromRaw(step))
        setChosen(s);
}

void WelcomeModel::reportHeight(double height)
{
    m_height = height;
    if (actions.heightChanged)
        actions.heightChanged(height);
}

void WelcomeModel::allowScreen() { call(actions.allowScreen); }
void WelcomeModel::allowAccess() { call(actions.allowAccess); }
void WelcomeModel::takeShortcut() { call(actions.takeShortcut); }
void WelcomeModel::toggleRecording() { call(actions.toggleRecording); }
void WelcomeModel::takeShot() { call(actions.takeShot); }
void WelcomeModel::finish() { call(actions.finish); }

void WelcomeModel::setLogin(bool on)
{
    if (actions.setLogin)
        actions.setLogin(on);
}

void WelcomeModel::openLegal(const QString &path)
{
    if (actions.openLegal)
        actions.openLegal(path);
}

void WelcomeModel::headerClick(double x, double y)
{
    if (actions.headerClicked)
        actions.headerClicked(x, y);
}
