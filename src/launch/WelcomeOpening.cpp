#include "AppDelegate.h"

#include "app/HotKeyCenter.h"
#include "app/PreferenceReaders.h"
#include "capture/CaptureSession.h"
#include "onboarding/InstallWindow.h"
#include "onboarding/Legal.h"
#include "onboarding/OnboardingWindowController.h"
#include "platform/Preferences.h"
#include "settings/PanePreferences.h"
#include "settings/SettingsWindowController.h"

#include <QQuickView>
#include <QTimer>

// The welcome window, and the settings' install and legal hooks that the onboarding fills.

OnboardingWindowController *AppDelegate::welcomeWindow()
{
    if (!m_welcome) {
        QPointer<AppDelegate> self(this);
        OnboardingWindowController::trayAvailable = [self] { return self && self->trayAvailable && self->trayAvailable(); };
        m_welcome = new OnboardingWindowController(*m_hotKeys, Scheduler::system(), this);
        giveMainMenu(m_welcome->window());
    }
    return m_welcome;
}

void AppDelegate::openWelcome()
{
    OnboardingWindowController *welcome = welcomeWindow();
    // The settings window steps aside while the welcome window is open.
    if (m_settings && m_settings->window()->isVisible() && !welcome->isVisible()) {
        m_settings->window()->hide();
        QPointer<AppDelegate> self(this);
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = connect(welcome, &OnboardingWindowController::closed, this, [self, connection] {
            QObject::disconnect(*connection);
            QTimer::singleShot(0, self, [self] {
                if (self && self->m_settings)
                    self->m_settings->show();
            });
        });
    }
    welcome->show();
}

void AppDelegate::stageWelcome(const QString &value)
{
    showWelcome();
    if (m_welcome)
        m_welcome->stage(value);
}

bool AppDelegate::welcomeIsDue()
{
    Preferences &prefs = Prefs::store();
    if (!prefs.boolValue(QStringLiteral("onboarding.done")).value_or(false) || !screenCaptureAllowed()
        || !keysCanBeSynthesized())
        return true;
    // Until the window has been seen once, both facilities are asked again.
    if (!prefs.boolValue(QStringLiteral("onboarding.permissionsSeen")).value_or(false))
        return !screenCaptureAllowed() || !keysCanBeSynthesized();
    return false;
}

void AppDelegate::sessionEnded()
{
    if (!m_welcome || !m_welcome->isVisible())
        return;
    m_welcome->markShotTaken();
    m_welcome->refresh();
    m_welcome->show();
}

void AppDelegate::installOnboardingHooks()
{
    QPointer<AppDelegate> self(this);
    CaptureSession::sessionEndedHook = [self] {
        if (self)
            self->sessionEnded();
    };
    SettingsWindowController::installWindowHook = [](std::function<void(std::optional<QString>, QString)> done) {
        InstallWindow::open([done = std::move(done)](std::optional<QString> problem) {
            done(problem, problem ? QString() : InstallWindow::installedText(InstallWindow::places()));
        });
    };
    PanePreferences::legalDocumentsHook = [] { return Legal::forViews(); };
    PanePreferences::siteRootHook = [] { return Legal::siteRoot(); };
    PanePreferences::openLegalHook = [](const QString &path) { Legal::open(path); };
}
