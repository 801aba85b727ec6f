#include "ContactMessage.h"
#include "SettingsWindowController.h"
#include "ShortcutRecorder.h"
#include "app/ActivityLog.h"
#include "app/HotKeyCenter.h"
#include "app/PreferenceReaders.h"
#include "platform/Dialogs.h"
#include "platform/HttpPoster.h"
#include "platform/LoginItem.h"
#include "platform/PlatformText.h"
#include "platform/Preferences.h"

// The panes' actions other than recording.

void SettingsWindowController::askGiveBack()
{
    stopAllRecorders();
    Dialogs::Alert alert;
    alert.message = PlatformText::words(QStringLiteral("Give macOS its shortcuts back?"));
    alert.informative = PlatformText::words(QStringLiteral(
        "The macOS shortcuts Quillet™ switched off come back on, and Quillet™’s shortcuts on the "
        "same keys stop working until you pick others."));
    alert.accept = QStringLiteral("Give Back");
    alert.reject = QStringLiteral("Cancel");
    if (!Dialogs::shared().confirm(alert))
        return;
    m_center.giveBackToSystem();
    refresh();
}

void SettingsWindowController::chooseFolder()
{
    const auto folder = Dialogs::shared().chooseFolder(Prefs::exportFolder(), QStringLiteral("Choose"));
    if (!folder || folder->isEmpty())
        return;
    Prefs::store().setValue(QStringLiteral("export.folder"), *folder);
    refresh();
}

void SettingsWindowController::setLogin(bool on)
{
    LoginItem &item = LoginItem::shared();
    if (const auto problem = item.setEnabled(on)) {
        activityLog(QStringLiteral("settings: login item not changed: ") + *problem);
        if (toastHook)
            toastHook(QStringLiteral("Could not change: ") + *problem, 0.9);
    }
    m_model->publishLogin(item.isEnabled());
}

void SettingsWindowController::setHideFromDockAction(bool hidden)
{
    if (setHideFromDock)
        setHideFromDock(hidden);
    refresh();
}

void SettingsWindowController::allow(const QString &what)
{
    // An X11 session grants everything there is; what is missing cannot be asked for.
    activityLog(QStringLiteral("settings: nothing to allow for ") + what
                + QStringLiteral(" on this desktop"));
    refresh();
}

void SettingsWindowController::sendContact()
{
    const QString email = m_model->contactEmail().trimmed();
    const QString message = m_model->contactMessage().trimmed();
    if (!m_model->canSend())
        return;
    const auto endpoint = ContactMessage::endpoint();
    if (!endpoint) {
        activityLog(QStringLiteral("contact: not sent, this build has no contact address"));
        return;
    }
    Prefs::store().setValue(QStringLiteral("reports.contact"), email);
    m_model->setContactState(SettingsModel::ContactState::sending);
    QPointer<SettingsWindowController> self(this);
    HttpPoster::shared().post(
        *endpoint, ContactMessage::body(email, message),
        {{QByteArrayLiteral("content-type"), QByteArrayLiteral("application/json")}},
        ContactMessage::timeoutSeconds, [self](const HttpPoster::Reply &reply) {
            if (!self)
                return;
            if (reply.succeeded()) {
                self->m_model->setContactMessage(QString());
                self->m_model->setContactState(SettingsModel::ContactState::sent);
                return;
            }
            activityLog(QStringLiteral("contact: not sent, ")
                        + QString::number(reply.error ? reply.error : reply.status));
            self->m_model->setContactState(SettingsModel::ContactState::failed);
        });
}

void SettingsWindowController::showInstallWindow()
{
    if (m_model->installOpening() || !installWindowHook)
        return;
    m_model->setInstallOpening(true);
    m_model->setInstallProblem(std::nullopt);
    m_model->setInstallDone(QString());
    QPointer<SettingsWindowController> self(this);
    installWindowHook([self](std::optional<QString> problem, QString done) {
        if (!self)
            return;
        self->m_model->setInstallOpening(false);
        self->m_model->setInstallProblem(problem);
        self->m_model->setInstallDone(problem ? QString() : done);
    });
}
