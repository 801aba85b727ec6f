#include "SettingsWindowController.h"

#include "ContactMessage.h"
#include "HeaderWindow.h"
#include "PanePreferences.h"
#include "SettingsQml.h"
#include "ShortcutCaps.h"
#include "ShortcutRecorder.h"
#include "app/ClashAlert.h"
#include "app/HotKeyCenter.h"
#include "app/PreferenceReaders.h"
#include "app/Toast.h"
#include "platform/LoginItem.h"
#include "platform/Permissions.h"
#include "platform/Preferences.h"
#include "platform/WindowFrame.h"

#include <QDir>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>

namespace {
const QString sectionKey = QStringLiteral("settings.section");
const QString contactKey = QStringLiteral("reports.contact");
} // namespace

std::function<void(std::function<void(QList<TalkLanguage>)>)>
    SettingsWindowController::supportedLanguages =
        [](std::function<void(QList<TalkLanguage>)> done) { done({}); };
std::function<void()> SettingsWindowController::reportProblemHook;
std::function<void(std::function<void(std::optional<QString>, QString)>)>
    SettingsWindowController::installWindowHook;
std::function<void(QPoint)> SettingsWindowController::showMenuHook;
std::function<bool(CaptureAction, HotKeyCenter &)> SettingsWindowController::offerTakeOverHook =
    [](CaptureAction action, HotKeyCenter &center) { return offerTakeOver(action, center); };
std::function<void(const QString &, double)> SettingsWindowController::toastHook =
    [](const QString &text, double seconds) { toast(text, seconds); };

SettingsWindowController::SettingsWindowController(HotKeyCenter &center, Scheduler &scheduler,
                                                   QObject *parent)
    : QObject(parent), m_center(center), m_scheduler(scheduler), m_model(new SettingsModel(this))
    , m_prefs(new PanePreferences(this))
{
    setHideFromDock = [](bool hidden) {
        Prefs::store().setValue(QStringLiteral("dock.hidden"), hidden);
    };
    m_model->setSection(SettingsSections::fromRawValue(Prefs::store().stringValue(sectionKey).value_or(QString()))
                            .value_or(SettingsSection::shortcuts));
    m_model->setContactEmail(Prefs::store().stringValue(contactKey).value_or(QString()));
    installActions();
    for (CaptureAction action : CaptureActions::all)
        makeRecorder(action);
    // Every left click in the application, for telling a click that ended a recording from
    // one that starts it.
    qApp->installEventFilter(this);
    makeWindow();
    refresh();
}

SettingsWindowController::~SettingsWindowController()
{
    qApp->removeEventFilter(this);
    stopRefreshTimer();
    for (auto &[action, recorder] : m_engines) {
        recorder->onStart = nullptr;
        recorder->onEnd = nullptr;
        recorder->onRecord = nullptr;
        recorder->onRefuse = nullptr;
        recorder->stopRecording();
    }
    delete m_quill;
    delete m_window;
}

ShortcutRecorder *SettingsWindowController::recorder(CaptureAction action) const
{
    const auto it = m_engines.find(action);
    return it == m_engines.end() ? nullptr : it->second;
}

void SettingsWindowController::installActions()
{
    QPointer<SettingsWindowController> self(this);
    auto weak = [self](auto method) {
        return [self, method](auto &&...args) {
            if (self)
                (self.data()->*method)(std::forward<decltype(args)>(args)...);
        };
    };
    SettingsModel::Actions &a = m_model->actions;
    a.select = weak(&SettingsWindowController::select);
    a.toggleRecording = weak(&SettingsWindowController::toggleRecording);
    a.takeOver = weak(&SettingsWindowController::takeOver);
    a.restoreDefaults = weak(&SettingsWindowController::restoreDefaults);
    a.giveBack = weak(&SettingsWindowController::askGiveBack);
    a.chooseFolder = weak(&SettingsWindowController::chooseFolder);
    a.setLogin = weak(&SettingsWindowController::setLogin);
    a.setHideFromDock = weak(&SettingsWindowController::setHideFromDockAction);
    a.allowScreen = [self] { if (self) self->allow(QStringLiteral("screen capture")); };
    a.allowAccess = [self] { if (self) self->allow(QStringLiteral("pasting into other apps")); };
    a.allowMicrophone = [self] { if (self) self->allow(QStringLiteral("the microphone")); };
    a.openOnboarding = [self] { if (self && self->openOnboarding) self->openOnboarding(); };
    a.reportProblem = [] { if (reportProblemHook) reportProblemHook(); };
    a.sendContact = weak(&SettingsWindowController::sendContact);
    a.checkForUpdates = [self] { if (self && self->checkForUpdates) self->checkForUpdates(); };
    a.showReleaseNotes = [self] { if (self && self->showReleaseNotes) self->showReleaseNotes(); };
    a.showInstallWindow = weak(&SettingsWindowController::showInstallWindow);
    a.showMenu = [](QPoint at) { if (showMenuHook) showMenuHook(at); };
}

void SettingsWindowController::makeRecorder(CaptureAction action)
{
    auto *recorder = new ShortcutRecorder(this);
    recorder->setShortcut(m_center.shortcut(action));
    QPointer<SettingsWindowController> self(this);
    recorder->onStart = [self, action] { if (self) self->recordingStarted(action); };
    recorder->onEnd = [self, action] { if (self) self->recordingEnded(action); };
    recorder->onRecord = [self, action](std::optional<Shortcut> shortcut) {
        if (self)
            self->recorded(action, shortcut);
    };
    recorder->onRefuse = [self, action](const QString &text) {
        if (self)
            self->recordingRefused(action, text);
    };
    connect(recorder, &ShortcutRecorder::titleChanged, this, [this, action] { heldChanged(action); });
    m_engines[action] = recorder;
}

void SettingsWindowController::makeWindow()
{
    SettingsQml::prepare();
    m_window = new QQuickView(SettingsQml::engine(), nullptr);
    m_window->setTitle(QStringLiteral("Quillet™ Settings"));
    m_window->setColor(QColor(0x1F, 0x1F, 0x23));
    m_window->setResizeMode(QQuickView::SizeRootObjectToView);
    m_window->resize(windowWidth, windowHeight);
    m_window->setMinimumSize(QSize(windowWidth, windowHeight));
    m_window->setInitialProperties({{QStringLiteral("settings"), QVariant::fromValue(m_model)},
                                    {QStringLiteral("prefs"), QVariant::fromValue(m_prefs)}});
    m_window->setSource(QUrl(QStringLiteral("qrc:/qt/qml/Quillet/Settings/SettingsRoot.qml")));
    for (auto &[action, recorder] : m_engines)
        recorder->setWindow(m_window);

    connect(m_window, &QWindow::activeChanged, this, [this] {
        if (m_window->isActive())
            windowActivated();
    });
    connect(m_window, &QWindow::visibleChanged, this, [this](bool visible) {
        if (!visible)
            windowClosed();
    });

    m_quill = new HeaderWindow(SettingsQml::engine(), m_window, QSize(mascotWidth, mascotHeight), mascotInset, mascotRise);
    m_quill->setInitialProperties({{QStringLiteral("settings"), QVariant::fromValue(m_model)}});
    m_quill->setSource(QUrl(QStringLiteral("qrc:/qt/qml/Quillet/Settings/SettingsQuill.qml")));
    m_quill->onClick = [this] { meltMascot(); };
}

bool SettingsWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && watched->isWindowType()
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        m_lastPress = m_scheduler.now();
    return false;
}

void SettingsWindowController::show(std::optional<SettingsSection> section)
{
    if (section)
        select(*section);
    m_center.registerAll();
    refresh();
    if (!m_window->isVisible()) {
        QScreen *screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect visible = screen->availableGeometry();
            QRect frame(QPoint(), m_window->size());
            frame.moveCenter(visible.center());
            // The mascot rides above the window: keep its top inside the visible frame.
            const int top = visible.top() + mascotRise + mascotInset + qRound(WindowFrame::titleBarHeight(screen));
            if (frame.top() < top)
                frame.moveTop(top);
            m_window->setPosition(frame.topLeft());
        }
        m_shownBefore = true;
    }
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
    placeMascot();
    startRefreshTimer();
}

void SettingsWindowController::select(SettingsSection section)
{
    stopAllRecorders();
    m_model->setSection(section);
    Prefs::store().setValue(sectionKey, SettingsSections::rawValue(section));
}

void SettingsWindowController::placeMascot()
{
    if (m_quill && m_window->isVisible())
        m_quill->place();
}

void SettingsWindowController::startRefreshTimer()
{
    stopRefreshTimer();
    QPointer<SettingsWindowController> self(this);
    m_timer = m_scheduler.after(refreshSeconds, [self] {
        if (!self)
            return;
        self->m_timer = 0;
        if (!self->m_model->recording())
            self->refresh();
        self->startRefreshTimer();
    });
}

void SettingsWindowController::stopRefreshTimer()
{
    m_scheduler.cancel(m_timer);
    m_timer = 0;
}

void SettingsWindowController::meltMascot()
{
    m_model->setSidebarMelt((m_model->sidebarMelt() + 1) % 7);
}

void SettingsWindowController::stopAllRecorders()
{
    for (auto &[action, recorder] : m_engines)
        recorder->stopRecording();
}

void SettingsWindowController::windowActivated()
{
    // Window managers activate a window when it is mapped: a staged window keeps its values.
    if (m_model->staged())
        return;
    m_center.registerAll();
    refresh();
}

void SettingsWindowController::windowClosed()
{
    stopAllRecorders();
    stopRefreshTimer();
}

QStringList SettingsWindowController::unavailableActions() const
{
    QStringList names;
    if (!openOnboarding)
        names << QStringLiteral("openOnboarding");
    if (!checkForUpdates)
        names << QStringLiteral("checkForUpdates");
    if (!showReleaseNotes)
        names << QStringLiteral("showReleaseNotes");
    if (!reportProblemHook)
        names << QStringLiteral("reportProblem");
    if (!installWindowHook)
        names << QStringLiteral("showInstallWindow");
    if (!ContactMessage::endpoint())
        names << QStringLiteral("sendContact");
    if (!showMenuHook)
        names << QStringLiteral("showMenu");
    return names;
}

void SettingsWindowController::refresh()
{
    std::map<CaptureAction, Shortcut> shortcuts;
    std::map<CaptureAction, HotKeyCenter::Status> statuses;
    for (CaptureAction action : CaptureActions::all) {
        const auto shortcut = m_center.shortcut(action);
        if (shortcut)
            shortcuts[action] = *shortcut;
        m_engines[action]->setShortcut(shortcut);
        statuses[action] = m_center.status(action);
    }
    m_model->setShortcuts(shortcuts);
    m_model->setStatuses(statuses);
    m_model->setCanGiveBack(!Prefs::takenFromSystem().isEmpty());
    const QString folder = Prefs::exportFolder();
    const QString name = QDir(folder).dirName();
    m_model->setSaveFolder(name.isEmpty() ? folder : name);
    m_model->publishLogin(LoginItem::shared().isEnabled());
    m_model->publishHideFromDock(Prefs::store().boolValue(QStringLiteral("dock.hidden")).value_or(false));
    if (m_stagedAccess) {
        m_model->setScreen({m_stagedAccess->first, m_stagedAccess->first ? QString() : Permissions::waylandReason()});
        m_model->setAccess({m_stagedAccess->second, m_stagedAccess->second ? QString() : Permissions::noXTestReason()});
        m_model->setMicrophone({false, Permissions::noMicrophoneReason()});
    } else {
        Permissions &permissions = Permissions::shared();
        const auto screen = permissions.screen();
        const auto access = permissions.access();
        const auto microphone = permissions.microphone();
        m_model->setScreen({screen.allowed, screen.reason});
        m_model->setAccess({access.allowed, access.reason});
        m_model->setMicrophone({microphone.allowed, microphone.reason});
    }
    m_model->setUpdatesAvailable(updatesAvailable);
    m_model->setUnavailable(unavailableActions());
    if (m_model->talkLanguages().isEmpty() && !m_loadingLanguages) {
        m_loadingLanguages = true;
        if (supportedLanguages) {
            QPointer<SettingsWindowController> self(this);
            // Answered later on the main thread, or at once by a source that knows.
            supportedLanguages([self](QList<TalkLanguage> languages) {
                if (self)
                    self->m_model->setTalkLanguages(languages);
            });
        }
    }
}
