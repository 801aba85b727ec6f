#include "HotKeyCenter.h"

#include "PreferenceReaders.h"
#include "SystemShortcuts.h"
#include "platform/GlobalKeyGrabber.h"
#include "platform/Preferences.h"
#include "platform/SystemShortcutStore.h"

#include <QPointer>
#include <QTimer>

HotKeyCenter::HotKeyCenter(QObject *parent)
    : HotKeyCenter(GlobalKeyGrabber::shared(), SystemShortcutStore::shared(), parent)
{
}

HotKeyCenter::HotKeyCenter(GlobalKeyGrabber &grabber, SystemShortcutStore &store, QObject *parent)
    : QObject(parent), m_grabber(grabber), m_store(store)
{
    connect(&grabber, &GlobalKeyGrabber::registrationNeeded, this, &HotKeyCenter::registerAll);
}

HotKeyCenter::~HotKeyCenter() = default;

QString HotKeyCenter::preferenceKey(CaptureAction action)
{
    return QStringLiteral("shortcut.") + CaptureActions::rawValue(action);
}

std::optional<Shortcut> HotKeyCenter::defaultShortcut(CaptureAction action)
{
    switch (action) {
    case CaptureAction::areaToCanvas:
        return Shortcut{19, Shortcut::Command | Shortcut::Shift, QStringLiteral("2")};
    case CaptureAction::areaToClipboard:
        return Shortcut{19, Shortcut::Command | Shortcut::Shift | Shortcut::Control,
                        QStringLiteral("2")};
    default:
        return std::nullopt;
    }
}

std::optional<Shortcut> HotKeyCenter::shortcut(CaptureAction action) const
{
    const QJsonValue stored = Prefs::store().value(preferenceKey(action));
    if (stored.isUndefined())
        return defaultShortcut(action);
    // A cleared shortcut is stored as empty text; anything that does not decode counts as none.
    return Shortcut::fromJson(stored);
}

void HotKeyCenter::setShortcut(const std::optional<Shortcut> &shortcut, CaptureAction action)
{
    Preferences &prefs = Prefs::store();
    if (shortcut) {
        for (CaptureAction other : CaptureActions::all)
            if (other != action && this->shortcut(other) == shortcut)
                prefs.setValue(preferenceKey(other), QString());
    }
    prefs.setValue(preferenceKey(action), shortcut ? QJsonValue(shortcut->toJson()) : QString());
    registerAll();
}

void HotKeyCenter::restoreDefaults()
{
    for (CaptureAction action : CaptureActions::all)
        Prefs::store().remove(preferenceKey(action));
    registerAll();
}

void HotKeyCenter::registerAll()
{
    // Every old combination is released before any is taken again.
    m_registered.clear();
    const QList<SystemShortcuts::Entry> system = SystemShortcuts::entries(m_store);
    for (CaptureAction action : CaptureActions::all) {
        const auto keys = shortcut(action);
        if (!keys) {
            m_statuses[action] = {Status::unassigned, {}};
            continue;
        }
        if (const auto clash = SystemShortcuts::entry(*keys, system)) {
            m_statuses[action] = Status::systemShortcut(clash->name);
            continue;
        }
        QPointer<HotKeyCenter> self(this);
        try {
            m_registered[action] = std::make_unique<HotKey>(
                m_grabber, keys->keyCode, keys->modifiers, [self, action] {
                    if (self && self->onFire)
                        self->onFire(action);
                });
            m_statuses[action] = {Status::active, {}};
        } catch (const HotKey::Failed &) {
            m_statuses[action] = {Status::takenByApp, {}};
        }
    }
    if (onChange)
        onChange();
}

bool HotKeyCenter::handleKey(qint64 keyCode, Shortcut::Modifiers modifiers, bool isRepeat)
{
    for (const auto &[action, hotKey] : m_registered) {
        const auto keys = shortcut(action);
        if (!keys || keys->keyCode != keyCode || keys->modifiers != modifiers)
            continue;
        if (!isRepeat) {
            QPointer<HotKeyCenter> self(this);
            const CaptureAction fired = action;
            QTimer::singleShot(0, this, [self, fired] {
                if (self && self->onFire)
                    self->onFire(fired);
            });
        }
        return true;
    }
    return false;
}

HotKeyCenter::Status HotKeyCenter::status(CaptureAction action) const
{
    const auto it = m_statuses.find(action);
    return it == m_statuses.end() ? Status{} : it->second;
}
