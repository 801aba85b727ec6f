#include "OnboardingWindowController.h"

#include "Legal.h"
#include "WelcomeStaging.h"
#include "app/ActivityLog.h"
#include "app/ClashAlert.h"
#include "app/HotKeyCenter.h"
#include "app/Toast.h"
#include "platform/LoginItem.h"
#include "platform/Permissions.h"
#include "app/PreferenceReaders.h"
#include "platform/Preferences.h"
#include "platform/WindowFrame.h"
#include "settings/HeaderWindow.h"
#include "settings/SettingsQml.h"
#include "settings/ShortcutCaps.h"
#include "settings/ShortcutRecorder.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>
#include <QSurfaceFormat>
#include <QSystemTrayIcon>
#include <QVariantAnimation>

std::function<bool(CaptureAction, HotKeyCenter &)> OnboardingWindowController::offerTakeOverHook =
    [](CaptureAction action, HotKeyCenter &center) { return offerTakeOver(action, center); };
std::function<void(const QString &, double)> OnboardingWindowController::toastHook =
    [](const QString &text, double seconds) { toast(text, seconds); };
std::function<bool()> OnboardingWindowController::trayAvailable = [] {
    return QSystemTrayIcon::isSystemTrayAvailable();
};
std::function<void(const QString &)> OnboardingWindowController::openLegalHook =
    [](const QString &path) { Legal::open(path); };

OnboardingWindowController::OnboardingWindowController(HotKeyCenter &center, Scheduler &scheduler,
                                                       QObject *parent)
    : QObject(parent), m_center(center), m_scheduler(scheduler), m_model(new WelcomeModel(this))
    , m_recorder(new ShortcutRecorder(this))
{
    SettingsQml::prepare();
    m_window = new QQuickView(SettingsQml::engine(), nullptr);
    m_window->setTitle(QStringLiteral("Welcome to Quillet™"));
    // A normal window of the desktop: the window manager's title bar moves and closes it.
    m_window->setColor(QColor(0x1F, 0x1F, 0x23));
    m_window->setResizeMode(QQuickView::SizeRootObjectToView);
    m_window->resize(windowWidth, initialHeight);
    m_window->setMinimumWidth(windowWidth);
    m_window->setMaximumWidth(windowWidth);
    // Closed by its button or the window manager; a capture hides it for a moment without
    // closing it.
    m_window->installEventFilter(this);
    buildContent();
    refresh();
    fitHeight(false);
}

bool OnboardingWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Close && m_open)
        windowClosed();
    return false;
}

OnboardingWindowController::~OnboardingWindowController()
{
    m_window->removeEventFilter(this);
    stopPoll();
    m_recorder->onStart = nullptr;
    m_recorder->onEnd = nullptr;
    m_recorder->onRecord = nullptr;
    m_recorder->onRefuse = nullptr;
    m_recorder->stopRecording();
    delete m_header;
    delete m_window;
}

void OnboardingWindowController::buildContent()
{
    m_model->recorder = m_recorder;
    installActions();
    m_model->setLoginState(LoginItem::shared().isEnabled());
    wireRecorder();
    m_recorder->setShortcut(m_center.shortcut(CaptureAction::areaToCanvas));

    m_window->setInitialProperties({{QStringLiteral("welcome"), QVariant::fromValue(m_model)}});
    m_window->setSource(QUrl(QStringLiteral("qrc:/qt/qml/Quillet/Welcome/WelcomeSteps.qml")));
    m_recorder->setWindow(m_window);

    m_header = new HeaderWindow(SettingsQml::engine(), m_window, QSize(headerWidth, headerHeight),
                                (windowWidth - headerWidth) / 2, headerRise);
    m_header->setTitle(QStringLiteral("Quillet™ mascot"));
    QSurfaceFormat format = m_header->format();
    format.setAlphaBufferSize(8);
    m_header->setFormat(format);
    m_header->setInitialProperties({{QStringLiteral("welcome"), QVariant::fromValue(m_model)}});
    m_header->setSource(QUrl(QStringLiteral("qrc:/qt/qml/Quillet/Welcome/WelcomeHeader.qml")));
    QPointer<OnboardingWindowController> self(this);
    m_header->onClick = [self] {
        if (self && self->m_header)
            self->headerClicked(self->m_header->pressPosition());
    };
}

void OnboardingWindowController::installActions()
{
    QPointer<OnboardingWindowController> self(this);
    WelcomeModel::Actions &a = m_model->actions;
    a.allowScreen = [self] { if (self) self->allow(QStringLiteral("screen capture")); };
    a.allowAccess = [self] { if (self) self->allow(QStringLiteral("pasting into other apps")); };
    a.takeShortcut = [self] { if (self) self->takeOver(); };
    a.toggleRecording = [self] {
        if (!self)
            return;
        if (self->m_recorder->isRecording())
            self->m_recorder->stopRecording();
        else
            self->m_recorder->startRecording();
    };
    a.takeShot = [self] {
        if (self && self->m_center.onFire)
            self->m_center.onFire(CaptureAction::areaToCanvas);
    };
    a.setLogin = [self](bool wanted) { if (self) self->setLogin(wanted); };
    a.finish = [self] { if (self) self->m_window->close(); };
    a.heightChanged = [self](double) { if (self) self->fitHeight(true); };
    a.openLegal = [](const QString &path) { if (openLegalHook) openLegalHook(path); };
    a.headerClicked = [self](double x, double y) { if (self) self->headerClicked(QPointF(x, y)); };
}

void OnboardingWindowController::wireRecorder()
{
    QPointer<OnboardingWindowController> self(this);
    m_recorder->onStart = [self] {
        if (!self)
            return;
        self->m_model->setRefusal(std::nullopt);
        self->m_model->setHeld({});
        self->m_model->setRecording(true);
        // Our own shortcuts must not fire while a combination is typed.
        self->m_center.releaseAll();
    };
    m_recorder->onEnd = [self] {
        if (!self)
            return;
        self->m_model->setRecording(false);
        self->m_model->setHeld({});
        self->m_center.registerAll();
    };
    m_recorder->onRecord = [self](std::optional<Shortcut> shortcut) {
        if (self)
            self->recorded(shortcut);
    };
    m_recorder->onRefuse = [self](const QString &text) {
        if (self)
            self->m_model->setRefusal(text);
    };
    connect(m_recorder, &ShortcutRecorder::titleChanged, this, &OnboardingWindowController::titleChanged);
}

void OnboardingWindowController::titleChanged()
{
    if (!m_recorder->isRecording())
        return;
    m_model->setHeld(ShortcutCaps::modifierNames(m_recorder->heldModifiers()));
}

std::pair<bool, bool> OnboardingWindowController::askPermissions(QString *screenReason,
                                                                 QString *accessReason) const
{
    Permissions &permissions = Permissions::shared();
    const Permissions::Answer screen = permissions.screen();
    const Permissions::Answer access = permissions.access();
    if (screenReason)
        *screenReason = screen.reason;
    if (accessReason)
        *accessReason = access.reason;
    return {screen.allowed, access.allowed};
}

void OnboardingWindowController::refresh()
{
    bool screen = false, access = false;
    QString screenReason, accessReason;
    if (m_accessForTest) {
        std::tie(screen, access) = *m_accessForTest;
        screenReason = screen ? QString() : Permissions::waylandReason();
        accessReason = access ? QString() : Permissions::noXTestReason();
    } else {
        std::tie(screen, access) = askPermissions(&screenReason, &accessReason);
    }
    const std::optional<Shortcut> shortcut = m_center.shortcut(CaptureAction::areaToCanvas);
    const HotKeyCenter::Status status = m_center.status(CaptureAction::areaToCanvas);
    m_recorder->setShortcut(shortcut);
    m_model->setReasons(screenReason, accessReason);
    m_model->apply(screen, access, shortcut, status);
}

void OnboardingWindowController::setAccessForTest(bool screen, bool access)
{
    m_accessForTest = std::make_pair(screen, access);
    refresh();
    fitHeight(false);
}

void OnboardingWindowController::stage(const QString &value)
{
    const WelcomeStaging staging = WelcomeStaging::parse(value);
    m_accessForTest = std::make_pair(staging.screen, staging.access);
    m_model->setStaged(true);
    m_model->setCaptured(staging.captured);
    refresh();
    m_model->setChosen(staging.chosen);
    m_model->setRecording(staging.recording);
    if (staging.melt)
        m_model->setMelt(*staging.melt);
    fitHeight(false);
}

bool OnboardingWindowController::isVisible() const
{
    return m_open;
}

void OnboardingWindowController::show()
{
    m_center.registerAll();
    refresh();
    if (!m_window->isVisible()) {
        fitHeight(false);
        QScreen *screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect visible = screen->availableGeometry();
            QRect frame(QPoint(), m_window->size());
            frame.moveCenter(visible.center());
            // The header rises above the window and its title bar: keep room for both under
            // the visible top.
            const int room = topRoom + qRound(WindowFrame::titleBarHeight(screen));
            if (frame.top() < visible.top() + room)
                frame.moveTop(visible.top() + room);
            m_window->setPosition(frame.topLeft());
        }
    }
    // Under the window manager's title bar a header peeking over the top edge would cover the
    // title and cut the quill: it is drawn inside the window, whole.
    m_model->setHeaderInside(true);
    m_model->setHasTray(!trayAvailable || trayAvailable());
    m_open = true;
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
    attachHeader();
    startPoll();
}

void OnboardingWindowController::attachHeader()
{
    if (!m_header)
        return;
    if (m_model->headerInside()) {
        m_header->hide();
        return;
    }
    m_header->place();
    m_header->raise();
}

void OnboardingWindowController::startPoll()
{
    stopPoll();
    QPointer<OnboardingWindowController> self(this);
    m_timer = m_scheduler.after(pollSeconds, [self] {
        if (!self)
            return;
        self->m_timer = 0;
        self->pollPermissions();
        if (self && self->m_open)
            self->startPoll();
    });
}

void OnboardingWindowController::stopPoll()
{
    m_scheduler.cancel(m_timer);
    m_timer = 0;
}

void OnboardingWindowController::pollPermissions()
{
    if (m_recorder->isRecording())
        return;
    const auto [screen, access] = askPermissions(nullptr, nullptr);
    if (!m_lastAccess) {
        m_lastAccess = std::make_pair(screen, access);
        refresh();
        return;
    }
    const auto [lastScreen, lastAccess] = *m_lastAccess;
    m_lastAccess = std::make_pair(screen, access);
    refresh();
    // A facility that has just come (a session that can now capture, XTEST now there)
    // brings the window forward.
    if ((screen && !lastScreen) || (access && !lastAccess))
        show();
}

namespace {
// Brings the layouts' sizes up to date now rather than at the next frame, innermost first.
void polishTree(QQuickItem *item)
{
    for (QQuickItem *child : item->childItems())
        polishTree(child);
    item->ensurePolished();
}
} // namespace

double OnboardingWindowController::contentHeight() const
{
    QQuickItem *root = m_window ? m_window->rootObject() : nullptr;
    if (!root)
        return 0;
    polishTree(root);
    return root->implicitHeight();
}

void OnboardingWindowController::fitHeight(bool animated)
{
    if (!m_window)
        return;
    const double wanted = animated && m_model->height() > 0 ? m_model->height() : contentHeight();
    if (wanted <= 0)
        return;
    const int target = qRound(wanted);
    const int from = m_resize && m_resize->state() == QAbstractAnimation::Running
                         ? m_resize->endValue().toInt()
                         : m_window->height();
    if (std::abs(wanted - from) <= 0.5)
        return;
    if (m_resize)
        m_resize->stop();
    // The top edge stays where it is: only the bottom moves.
    if (!animated || !m_window->isVisible()) {
        m_window->resize(windowWidth, target);
        return;
    }
    if (!m_resize) {
        m_resize = new QVariantAnimation(this);
        m_resize->setDuration(resizeMilliseconds);
        m_resize->setEasingCurve(QEasingCurve::InOutQuad);
        connect(m_resize, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
            m_window->resize(windowWidth, value.toInt());
        });
    }
    m_resize->setStartValue(m_window->height());
    m_resize->setEndValue(target);
    m_resize->start();
}

void OnboardingWindowController::markShotTaken()
{
    if (!m_model->captured())
        activityLog(QStringLiteral("welcome: the first shot is taken"));
    m_model->markShotTaken();
}

OnboardingWindowController::HeaderRegion OnboardingWindowController::headerRegion(QPointF p)
{
    const double midX = headerWidth / 2.0;
    if (p.x() >= midX - 200 && p.x() < midX + 200 && p.y() >= 0 && p.y() < 260)
        return HeaderRegion::mascot;
    if (p.y() > headerRise + 230 && p.y() <= headerHeight)
        return HeaderRegion::steps;
    return HeaderRegion::none;
}

void OnboardingWindowController::headerClicked(QPointF p)
{
    switch (headerRegion(p)) {
    case HeaderRegion::mascot: m_model->meltOnce(); break;
    case HeaderRegion::steps: m_model->openStepsAtStart(); break;
    case HeaderRegion::none: break;
    }
}

void OnboardingWindowController::allow(const QString &what)
{
    // Nothing on an X11 desktop needs allowing; what is missing cannot be asked for.
    activityLog(QStringLiteral("welcome: nothing to allow for ") + what + QStringLiteral(" on this desktop"));
    refresh();
}

void OnboardingWindowController::takeOver()
{
    if (offerTakeOverHook)
        offerTakeOverHook(CaptureAction::areaToCanvas, m_center);
    refresh();
}

void OnboardingWindowController::recorded(const std::optional<Shortcut> &shortcut)
{
    m_model->setRefusal(std::nullopt);
    m_center.setShortcut(shortcut, CaptureAction::areaToCanvas);
    refresh();
    if (m_center.status(CaptureAction::areaToCanvas).kind != HotKeyCenter::Status::system)
        return;
    // The take-over question follows the recording at once.
    QPointer<OnboardingWindowController> self(this);
    m_scheduler.after(0, [self] {
        if (self)
            self->takeOver();
    });
}

void OnboardingWindowController::setLogin(bool wanted)
{
    LoginItem &item = LoginItem::shared();
    if (const auto problem = item.setEnabled(wanted)) {
        activityLog(QStringLiteral("welcome: login item not changed: ") + *problem);
        if (toastHook)
            toastHook(QStringLiteral("Could not change: ") + *problem, 0.9);
    }
    m_model->setLoginState(item.isEnabled());
}

void OnboardingWindowController::windowClosed()
{
    m_open = false;
    m_recorder->stopRecording();
    stopPoll();
    Preferences &prefs = Prefs::store();
    prefs.setValue(QStringLiteral("onboarding.done"), true);
    prefs.setValue(QStringLiteral("onboarding.permissionsSeen"), true);
    emit closed();
}
