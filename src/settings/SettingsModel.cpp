#include "SettingsModel.h"

#include "ShortcutCaps.h"

namespace {
QString statusKind(HotKeyCenter::Status::Kind kind)
{
    switch (kind) {
    case HotKeyCenter::Status::system: return QStringLiteral("system");
    case HotKeyCenter::Status::unassigned: return QStringLiteral("unassigned");
    case HotKeyCenter::Status::active: return QStringLiteral("active");
    case HotKeyCenter::Status::takenByApp: return QStringLiteral("takenByApp");
    }
    return {};
}

QString trimmed(const QString &text)
{
    return text.trimmed();
}

template<class F, class... Args>
void call(const F &action, Args &&...args)
{
    if (action)
        action(std::forward<Args>(args)...);
}
} // namespace

SettingsModel::SettingsModel(QObject *parent) : QObject(parent) {}

template<class T>
bool SettingsModel::assign(T &field, const T &value, void (SettingsModel::*changed)())
{
    if (field == value)
        return false;
    field = value;
    emit(this->*changed)();
    return true;
}

void SettingsModel::setSection(SettingsSection v) { assign(m_section, v, &SettingsModel::sectionChanged); }
void SettingsModel::setShortcuts(const std::map<CaptureAction, Shortcut> &v) { assign(m_shortcuts, v, &SettingsModel::shortcutsChanged); }
void SettingsModel::setStatuses(const std::map<CaptureAction, HotKeyCenter::Status> &v) { assign(m_statuses, v, &SettingsModel::statusesChanged); }
void SettingsModel::setRecording(std::optional<CaptureAction> v) { assign(m_recording, v, &SettingsModel::recordingChanged); }
void SettingsModel::setHeld(const QStringList &v) { assign(m_held, v, &SettingsModel::heldChanged); }
void SettingsModel::setRefusals(const std::map<CaptureAction, QString> &v) { assign(m_refusals, v, &SettingsModel::refusalsChanged); }
void SettingsModel::setCanGiveBack(bool v) { assign(m_canGiveBack, v, &SettingsModel::canGiveBackChanged); }
void SettingsModel::setSaveFolder(const QString &v) { assign(m_saveFolder, v, &SettingsModel::saveFolderChanged); }
void SettingsModel::publishLogin(bool v) { assign(m_login, v, &SettingsModel::loginChanged); }
void SettingsModel::publishHideFromDock(bool v) { assign(m_hideFromDock, v, &SettingsModel::hideFromDockChanged); }
void SettingsModel::setScreen(const Facility &v) { assign(m_screen, v, &SettingsModel::screenChanged); }
void SettingsModel::setAccess(const Facility &v) { assign(m_access, v, &SettingsModel::accessChanged); }
void SettingsModel::setMicrophone(const Facility &v) { assign(m_microphone, v, &SettingsModel::microphoneChanged); }
void SettingsModel::setTalkLanguages(const QList<TalkLanguage> &v) { assign(m_talkLanguages, v, &SettingsModel::talkLanguagesChanged); }
void SettingsModel::setSidebarMelt(int v) { assign(m_sidebarMelt, v, &SettingsModel::sidebarMeltChanged); }
void SettingsModel::setAboutMelt(int v) { assign(m_aboutMelt, v, &SettingsModel::aboutMeltChanged); }
void SettingsModel::setUpdatesAvailable(bool v) { assign(m_updatesAvailable, v, &SettingsModel::updatesAvailableChanged); }
void SettingsModel::setInstallOpening(bool v) { assign(m_installOpening, v, &SettingsModel::installOpeningChanged); }
void SettingsModel::setInstallProblem(const std::optional<QString> &v) { assign(m_installProblem, v, &SettingsModel::installProblemChanged); }
void SettingsModel::setInstallDone(const QString &v) { assign(m_installDone, v, &SettingsModel::installDoneChanged); }
void SettingsModel::setStaged(bool v) { assign(m_staged, v, &SettingsModel::stagedChanged); }
void SettingsModel::setUnavailable(const QStringList &v) { assign(m_unavailable, v, &SettingsModel::unavailableChanged); }

void SettingsModel::setContactEmail(const QString &v)
{
    if (assign(m_contactEmail, v, &SettingsModel::contactEmailChanged))
        updateCanSend();
}

void SettingsModel::setContactMessage(const QString &v)
{
    if (assign(m_contactMessage, v, &SettingsModel::contactMessageChanged))
        updateCanSend();
}

void SettingsModel::setContactState(ContactState v)
{
    if (assign(m_contactState, v, &SettingsModel::contactStateChanged))
        updateCanSend();
}

void SettingsModel::updateCanSend()
{
    assign(m_canSend, canSend(), &SettingsModel::canSendChanged);
}

bool SettingsModel::canSend() const
{
    return m_contactState != ContactState::sending && looksLikeEmail(trimmed(m_contactEmail))
           && !trimmed(m_contactMessage).isEmpty();
}

bool SettingsModel::looksLikeEmail(const QString &text)
{
    const QStringList pieces = text.split(QLatin1Char('@'));
    if (pieces.size() != 2 || pieces.at(0).isEmpty())
        return false;
    const QString &domain = pieces.at(1);
    if (!domain.contains(QLatin1Char('.')) || domain.startsWith(QLatin1Char('.'))
        || domain.endsWith(QLatin1Char('.')))
        return false;
    return !text.contains(QLatin1Char(' '));
}

QVariantMap SettingsModel::shortcutsForView() const
{
    QVariantMap out;
    for (const auto &[action, shortcut] : m_shortcuts) {
        out.insert(CaptureActions::rawValue(action),
                   QVariantMap{{QStringLiteral("text"), shortcut.displayText()},
                               {QStringLiteral("caps"), ShortcutCaps::caps(shortcut)}});
    }
    return out;
}

QVariantMap SettingsModel::statusesForView() const
{
    QVariantMap out;
    for (const auto &[action, status] : m_statuses) {
        out.insert(CaptureActions::rawValue(action),
                   QVariantMap{{QStringLiteral("kind"), statusKind(status.kind)},
                               {QStringLiteral("name"), status.name}});
    }
    return out;
}

QString SettingsModel::recordingName() const
{
    return m_recording ? CaptureActions::rawValue(*m_recording) : QString();
}

QVariantMap SettingsModel::refusalsForView() const
{
    QVariantMap out;
    for (const auto &[action, text] : m_refusals)
        out.insert(CaptureActions::rawValue(action), text);
    return out;
}

QVariantList SettingsModel::talkLanguagesForView() const
{
    QVariantList out;
    for (const TalkLanguage &language : m_talkLanguages)
        out.append(QVariantMap{{QStringLiteral("code"), language.code},
                               {QStringLiteral("name"), language.name}});
    return out;
}

void SettingsModel::select(int section)
{
    for (SettingsSection s : SettingsSections::all)
        if (int(s) == section)
            call(actions.select, s);
}

void SettingsModel::toggleRecording(const QString &action)
{
    if (const auto a = CaptureActions::fromRawValue(action))
        call(actions.toggleRecording, *a);
}

void SettingsModel::takeOver(const QString &action)
{
    if (const auto a = CaptureActions::fromRawValue(action))
        call(actions.takeOver, *a);
}

void SettingsModel::restoreDefaults() { call(actions.restoreDefaults); }
void SettingsModel::giveBack() { call(actions.giveBack); }
void SettingsModel::chooseFolder() { call(actions.chooseFolder); }
void SettingsModel::setLogin(bool on) { call(actions.setLogin, on); }
void SettingsModel::setHideFromDock(bool hidden) { call(actions.setHideFromDock, hidden); }
void SettingsModel::allowScreen() { call(actions.allowScreen); }
void SettingsModel::allowAccess() { call(actions.allowAccess); }
void SettingsModel::allowMicrophone() { call(actions.allowMicrophone); }
void SettingsModel::openOnboarding() { call(actions.openOnboarding); }
void SettingsModel::reportProblem() { call(actions.reportProblem); }
void SettingsModel::sendContact() { call(actions.sendContact); }
void SettingsModel::checkForUpdates() { call(actions.checkForUpdates); }
void SettingsModel::showReleaseNotes() { call(actions.showReleaseNotes); }
void SettingsModel::showInstallWindow() { call(actions.showInstallWindow); }
void SettingsModel::showMenu(qreal x, qreal y) { call(actions.showMenu, QPoint(qRound(x), qRound(y))); }
