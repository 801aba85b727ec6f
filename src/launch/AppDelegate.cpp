#include "AppDelegate.h"

#include "launch/DispatchSupport.h"
#include "launch/MenuTracking.h"
#include "launch/Menus.h"
#include "launch/StatusMenu.h"
#include "launch/TalkWiring.h"
#include "launch/TermSignal.h"

#include "app/ActivityLog.h"
#include "app/FrontBeforeCapture.h"
#include "app/HotKeyCenter.h"
#include "app/KeyTap.h"
#include "app/MeltIcon.h"
#include "app/PreferenceReaders.h"
#include "app/Shortcut.h"
#include "app/ShortcutTakeover.h"
#include "app/Toast.h"
#include "app/Updates.h"
#include "canvas/CanvasController.h"
#include "capture/CaptureSession.h"
#include "capture/EdgeResizer.h"
#include "capture/OverlayPool.h"
#include "capture/OverlayWindow.h"
#include "capture/ScreenFreezer.h"
#include "capture/SessionCanvas.h"
#include "export/ExportScene.h"
#include "export/SamplePicture.h"
#include "export/Destinations.h"
#include "export/SendButton.h"
#include "history/PageWriter.h"
#include "history/Recents.h"
#include "platform/BuildInfo.h"
#include "platform/FrontApplication.h"
#include "platform/KeySynth.h"
#include "platform/Preferences.h"
#include "platform/ScreenSource.h"
#include "reports/Reports.h"
#include "onboarding/OnboardingWindowController.h"
#include "reports/UsageStatistics.h"
#include "selfcheck/Autopilot.h"
#include "selfcheck/BenchPages.h"
#include "selfcheck/TalkCheck.h"
#include "settings/SettingsWindowController.h"
#include "settings/ShortcutRecorder.h"

#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QSystemTrayIcon>
#include <QWindow>
#include <QPointer>
#include <QFuture>
#include <QGuiApplication>
#include <QHash>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>


QPointer<QMenu> AppDelegate::trackedMenu;
std::function<bool(int, quint64)> AppDelegate::shortcutKeyHook;
std::function<void(CaptureSession *)> AppDelegate::captureIntoCanvasHook;

namespace {
// The application in front before the capture that is being sent now.
std::optional<RunningApp> &sendPrevious()
{
    static std::optional<RunningApp> app;
    return app;
}
} // namespace


AppDelegate::AppDelegate(const QStringList &arguments, std::shared_ptr<ScreenSource> screens,
                         QObject *parent)
    : QObject(parent)
    , m_arguments(arguments)
    , m_options(LaunchOptions::parse(arguments, false))
    , m_demo(arguments.contains(QStringLiteral("--demo")))
    , m_freezer(new ScreenFreezer(std::move(screens), this))
    , m_hotKeys(new HotKeyCenter(this))
    , m_updates(new Updates(this))
    , m_lastItem(new QAction(QStringLiteral("No capture yet"), this))
{
    m_lastItem->setEnabled(false);
    screenCaptureAllowed = [] { return QGuiApplication::primaryScreen() != nullptr; };
    samplePicture = [](int width, int height, int variant) { return ::samplePicture(width, height, variant); };
    trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    keysCanBeSynthesized = [] { return KeySynth::shared().trusted(); };
    showWelcome = [this] { openWelcome(); };
    clipboardPicture = [] { return Importer::canRead(QGuiApplication::clipboard()->mimeData()); };
    showAlert = [](const QString &informative) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Quillet™"),
                        QStringLiteral("Quillet™ could not capture the screen"), QMessageBox::Ok);
        box.setInformativeText(informative);
        box.exec();
    };
}

AppDelegate::~AppDelegate()
{
    shortcutKeyHook = nullptr;
    SendButton::shortcutKeyHook = nullptr;
    captureIntoCanvasHook = nullptr;
    CaptureSession::windowCapture = nullptr;
    CaptureSession::openPictures = nullptr;
}

// Under Wayland the X server we talk to shows only the X11 programs: every capture would be
// black or partial. Say so instead of making wrong pictures silently.
void AppDelegate::warnOfWaylandSession()
{
    const QString type = qEnvironmentVariable("XDG_SESSION_TYPE");
    if (type != QLatin1String("wayland") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return;
    activityLog(QStringLiteral("launch: this is a Wayland session (XDG_SESSION_TYPE=%1, WAYLAND_DISPLAY=%2); "
                               "captures see only X11 windows")
                    .arg(type, qEnvironmentVariable("WAYLAND_DISPLAY")));
    toast(QStringLiteral("Quillet™ captures X11 sessions only: in this Wayland session its pictures would be "
                         "black or incomplete"),
          6);
}

void AppDelegate::notInThisBuild(const QString &what) const
{
    activityLog(QStringLiteral("launch: %1 is not in this build").arg(what));
}

bool AppDelegate::runSelfCheck()
{
    using Check = LaunchOptions::SelfCheck;
    // The self-check and the benchmark run on the canvas services alone: no tray, shortcuts, key
    // tap, updates, reports or statistics, and nothing that pastes into or grabs other windows.
    if (m_options.selfCheck == Check::autopilot) {
        installCanvasServices();
        Autopilot::run(m_options.selfCheckValue);
        return true;
    }
    if (m_options.selfCheck == Check::benchPages) {
        installCanvasServices();
        Autopilot::benchPages(m_options.benchPages, m_options.arguments);
        return true;
    }
    if (m_options.selfCheck == Check::reportSendTest) {
        Reports::sendTest();
        return true;
    }
    if (m_options.selfCheck == Check::reportCheck) {
        QCoreApplication::exit(Reports::selfCheck(m_options.selfCheckValue));
        return true;
    }
    if (m_options.selfCheck == Check::statsSendTest) {
        Stats::sendTest(m_options.selfCheckValue, [](int code) { QCoreApplication::exit(code); });
        return true;
    }
    if (m_options.selfCheck == Check::talkCheck) {
        Autopilot::talkCheck(m_options.selfCheckValue);
        return true;
    }
    return false;
}

void AppDelegate::applicationDidFinishLaunching()
{
    // 1–3: the command line, without the self-check options in a build with an update feed.
    m_options = LaunchOptions::parse(m_arguments, !BuildInfo::feedUrl().isEmpty());
    if (runSelfCheck())
        return;
    warnOfWaylandSession();

    // 4: SIGTERM (and SIGINT, SIGHUP) becomes a clean quit on the main thread.
    m_termination = new TermSignal(this);
    connect(m_termination, &TermSignal::terminateRequested, this, [this](const QString &name) {
        activityLog(QStringLiteral("quit: ") + name);
        cleanUpForQuit();
        QCoreApplication::exit(0);
    });

    // 5–7: the update agent, the reports bookkeeping and the crash test.
    m_updates->captureSessionExists = [] { return CaptureSession::currentSession() != nullptr; };
    m_updates->start();
    Reports::start(m_updates);
    Recents::sweepLeftovers();
    if (m_options.crashTest)
        Reports::armCrashTest(3.0);

    // 8–10: menus, icon stage, taskbar policy.
    buildMenus();
    new MenuTracking(trackedMenu, this);
    if (!trayAvailable())
        sayThereIsNoTray();
    refreshMeltIcon(false);
    CaptureSession::updateDockIcon();

    // The application the user was in before a capture is the last one in front that is not
    // Quillet itself: follow the front from the start.
    FrontBeforeCapture::startWatching();

    // 11: the global shortcuts.
    QPointer<AppDelegate> self(this);
    m_hotKeys->onFire = [self](CaptureAction action) {
        if (self)
            self->capture(action);
    };
    m_hotKeys->onChange = [self] {
        if (!self)
            return;
        if (self->m_menus)
            self->m_menus->refreshItems();
        if (self->m_settings)
            self->m_settings->refresh();
        if (self->m_welcome)
            self->m_welcome->refresh();
    };
    m_hotKeys->registerAll();

    // 12–15: the key tap and the shortcut hook.
    KeyTap &tap = KeyTap::shared();
    tap.handle = [self](qint64 keyCode, Shortcut::Modifiers modifiers, bool isRepeat) {
        return self ? self->m_hotKeys->handleKey(keyCode, modifiers, isRepeat) : false;
    };
    shortcutKeyHook = [self](int keyCode, quint64 flags) {
        if (!self)
            return false;
        const Shortcut::Modifiers mods = Shortcut::modifiersFromEventFlags(flags);
        for (CaptureAction action : CaptureActions::all) {
            if (self->m_hotKeys->status(action).kind != HotKeyCenter::Status::active)
                continue;
            const auto s = self->m_hotKeys->shortcut(action);
            if (s && s->keyCode == keyCode && s->modifiers == mods) {
                self->capture(action);
                return true;
            }
        }
        return false;
    };
    // The send menu offers its keys to the capture shortcuts first, as the status menu does.
    SendButton::shortcutKeyHook = [](int keyCode, quint64 flags) {
        return shortcutKeyHook && shortcutKeyHook(keyCode, flags);
    };
    tap.escape = [] {
        CaptureSession *session = CaptureSession::currentSession();
        return session ? session->cancelSelection() : false;
    };
    tap.start();

    // 16: display changes refresh the freezer's display list.
    auto refreshDisplays = [self] {
        if (self)
            self->m_freezer->refresh();
    };
    // A screen plugged in later is watched from then on like the ones there at launch.
    connect(qApp, &QGuiApplication::screenAdded, this, [this, refreshDisplays](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, this, refreshDisplays);
        refreshDisplays();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, refreshDisplays);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, refreshDisplays);
    for (QScreen *screen : QGuiApplication::screens())
        connect(screen, &QScreen::geometryChanged, this, refreshDisplays);

    // A clicked window is grabbed on its own (through the compositor where one runs), so a
    // window partly covered by another still comes out whole.
    QPointer<ScreenFreezer> freezer = m_freezer;
    CaptureSession::windowCapture = [freezer](quint32 windowId) {
        if (!freezer)
            return QtFuture::makeReadyFuture(std::optional<WindowPicture>());
        return freezer->captureWindow(windowId);
    };

    // 17–18: the hooks through which the capture calls back up.
    installCanvasServices();
    // The canvas window resizes from its edges.
    OverlayWindow::makeEdges = [] { return std::make_unique<EdgeResizer>(); };
    // Ctrl+Return pastes into the destination's application. The session resolves the target
    // with the application that was in front before the capture just before it pastes; the paste
    // gets that application too, to bring back the very window the user was in.
    CaptureSession::sendTarget = [](const std::optional<RunningApp> &previous) {
        sendPrevious() = previous;
        return Destination::current().bundleID(previous);
    };
    CaptureSession::pasteInto = [](const QString &target) { Destinations::pasteInto(target, sendPrevious()); };

    // 19: reopen the newest capture.
    if (m_options.reopen)
        reopenNewest();
    // Pictures named on the command line (the file manager's "Open With").
    if (const QStringList files = LaunchOptions::files(m_options.arguments); !files.isEmpty())
        openFiles(files);

    // 20: the rest of a normal start.
    if (m_demo)
        return;
    Stats::startSchedule();
    loadSpeechModelAhead();
    if (screenCaptureAllowed())
        m_freezer->refresh();
    if (m_options.welcome) {
        stageWelcome(*m_options.welcome);
        return;
    }
    if (!m_options.settingsSections().isEmpty()) {
        stageSettings(m_options.settingsSections(), m_options.unseen);
        return;
    }
    if (welcomeIsDue())
        showWelcome();
}

void AppDelegate::installCanvasServices()
{
    // Opened and reopened pictures come up as a canvas at once.
    // A reopened capture is the page of its history entry: saved there again, not listed again.
    CaptureSession::openPictures = [](CaptureSession &, OverlayView *view, const Markup &markup,
                                      const ShotImages &images, const std::optional<QString> &historyId) {
        if (!view)
            return;
        view->openPicturesCanvas(markup, images);
        SessionCanvas *canvas = historyId && CaptureSession::canvasOf ? CaptureSession::canvasOf(view) : nullptr;
        if (canvas)
            canvas->setPageHistory(0, historyId, Recents::created(*historyId));
    };
    QPointer<AppDelegate> self(this);
    captureIntoCanvasHook = [self](CaptureSession *session) {
        if (self)
            self->captureIntoCanvas(session, CaptureAction::areaToCanvas);
    };
    installOnboardingHooks();
    // History writes and saved files of the canvas.
    PageWriter::install();
    CaptureSession::savePicture = [](const QImage &picture, const QString &folder, double scale, QString *error) {
        return ExportScene::save(picture, folder, scale, error);
    };
    CanvasController::install();
    installTalk();
    CanvasController::addShotHook = captureIntoCanvasHook;
}

void AppDelegate::reopenNewest()
{
    const QList<Recents::Entry> entries = Recents::list();
    if (!entries.isEmpty())
        reopen(entries.first().id);
}

bool AppDelegate::hasVisibleWindows()
{
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        const Qt::WindowType type = window->type();
        if (window->isVisible() && (type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet))
            return true;
    }
    return false;
}

void AppDelegate::handleArguments(const QStringList &arguments)
{
    activityLog(QStringLiteral("launch: a second start handed over %1").arg(arguments.mid(1).join(QLatin1Char(' '))));
    if (const QStringList files = LaunchOptions::files(arguments); !files.isEmpty()) {
        openFiles(files);
        return;
    }
    if (arguments.contains(QStringLiteral("--reopen"))) {
        reopenNewest();
        return;
    }
    if (!CaptureSession::currentSession()) {
        if (hasVisibleWindows())
            return; // the user is in one of our windows already
        if (!trayAvailable() && m_menus) {
            m_menus->statusMenu().menu()->popup(QCursor::pos());
            return;
        }
    }
    openApp();
}

void AppDelegate::openApp()
{
    if (CaptureSession *session = CaptureSession::currentSession()) {
        if (!session->child())
            session->bringForward();
        return;
    }
    if (!Recents::list().isEmpty()) {
        reopenNewest();
        return;
    }
    const QString key = HotKeyCenter::preferenceKey(CaptureAction::areaToCanvas);
    const QJsonValue stored = Prefs::store().value(key);
    std::optional<Shortcut> shortcut;
    if (stored.isUndefined())
        shortcut = HotKeyCenter::defaultShortcut(CaptureAction::areaToCanvas);
    else
        shortcut = Shortcut::fromJson(stored);
    if (shortcut)
        toast(QStringLiteral("Nothing captured yet. Press ") + shortcut->displayText()
              + QStringLiteral(" to take a shot."));
    else
        toast(QStringLiteral("Nothing captured yet. Capture an area to start."));
}

void AppDelegate::cleanUpForQuit()
{
    if (m_cleanedUp)
        return;
    m_cleanedUp = true;
    if (quitStarts)
        quitStarts();
    OverlayPool::shared().clear();
    ShortcutRecorder::stopAll();
    HotKeyMode::restore();
    if (CaptureSession *session = CaptureSession::currentSession())
        session->autosave(true);
    Recents::queue().sync([] {});
    Reports::keepUnanswered();
    Reports::noteCleanQuit();
}
