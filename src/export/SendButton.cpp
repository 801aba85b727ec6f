#include "export/SendButton.h"

#include "app/MenuKeyEquivalents.h"
#include "export/AppChooser.h"
#include "export/DestinationChanges.h"
#include "export/Destinations.h"
#include "platform/AppRegistry.h"
#include "platform/KeyTable.h"
#include "platform/PlatformText.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPointer>

std::function<bool(int, quint64)> SendButton::shortcutKeyHook;

SendButton::SendButton(QWidget *parent) : QToolButton(parent), m_menu(new QMenu(this))
{
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    QFont face = font();
    face.setPixelSize(12);
    face.setWeight(QFont::Medium);
    setFont(face);
    setIconSize(QSize(16, 16));
    setMenu(m_menu);
    m_menu->installEventFilter(this);
    connect(m_menu, &QMenu::aboutToShow, this, &SendButton::rebuildMenu);
    refresh();
    connect(&DestinationChanges::shared(), &DestinationChanges::changed, this, &SendButton::refresh);
}

std::optional<RunningApp> SendButton::previousApp() const
{
    return previous ? previous() : std::nullopt;
}

void SendButton::refresh()
{
    const std::optional<RunningApp> before = previousApp();
    setText(PlatformText::keys(QStringLiteral("⌘↩")));
    setIcon(Destinations::icon(Destination::current(), before));
    m_tip = PlatformText::keys(QStringLiteral("⌘↩")) + QStringLiteral(": ") + Destinations::actionTitle(before)
        + QStringLiteral(". Click to choose where it goes");
    // The toolbar's tip bubble shows the tip; a tool tip as well would put a second one beside it.
    setAccessibleDescription(m_tip);
    adjustSize();
}

void SendButton::rebuildMenu()
{
    const std::optional<RunningApp> before = previousApp();
    const Destination current = Destination::current();
    m_menu->clear();

    QAction *send = m_menu->addAction(QStringLiteral("Send Now"), this, &SendButton::sendNow);
    send->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    send->setShortcutContext(Qt::WidgetShortcut); // answered by eventFilter while the menu is open
    m_menu->addSeparator();
    // A header: a disabled item, which every style shows (not all draw section titles).
    m_menu->addAction(PlatformText::words(QStringLiteral("⌘Return sends to")))->setEnabled(false);

    const auto addChoice = [&](const QString &title, const QIcon &icon, const QString &stored, bool marked) {
        QAction *item = m_menu->addAction(icon, title);
        item->setData(stored);
        item->setCheckable(true);
        item->setChecked(marked);
        // Styles that draw the icon in place of the check mark show the mark faintly: the chosen
        // item is in bold as well.
        if (marked) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        connect(item, &QAction::triggered, this, [this, item] { pick(item); });
    };
    addChoice(QStringLiteral("Clipboard only"), Destinations::icon(Destination::clipboard(), before),
              QStringLiteral("clipboard"), current.kind() == Destination::Kind::Clipboard);
    addChoice(Destinations::menuTitle(Destination::previous(), before), Destinations::icon(Destination::previous(), before),
              QStringLiteral("previous"), current.kind() == Destination::Kind::Previous);

    const QStringList apps = Destinations::listedApps();
    if (!apps.isEmpty()) {
        m_menu->addSeparator();
        for (const QString &id : apps) {
            QString title = Destinations::displayName(id, before);
            if (Destinations::isTerminal(id))
                title += QStringLiteral("  (pastes with ") + Destinations::chordText(true) + u')';
            addChoice(title, Destinations::appIcon(id), id,
                      current.kind() == Destination::Kind::App && current.appId() == id);
        }
    }
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Other App…"), this, &SendButton::otherApp);
}

void SendButton::sendNow()
{
    if (onSend)
        onSend();
}

void SendButton::pick(QAction *item)
{
    if (!item || !item->data().canConvert<QString>() || item->data().toString().isEmpty())
        return;
    Destinations::choose(Destination(item->data().toString()));
}

void SendButton::otherApp()
{
    auto *chooser = new AppChooser(window());
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setWindowModality(window() ? Qt::WindowModal : Qt::ApplicationModal);
    QPointer<SendButton> self(this);
    chooser->onChoose = [self](const QString &id) {
        if (self)
            self->otherAppChosen(id);
    };
    chooser->open();
}

void SendButton::otherAppChosen(const QString &id)
{
    if (AppRegistry::shared().find(id))
        Destinations::chooseOther(id);
}

bool SendButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_menu || event->type() != QEvent::KeyPress)
        return QToolButton::eventFilter(watched, event);
    const auto key = MenuKeyEquivalents::ofEvent(static_cast<QKeyEvent *>(event));
    if (!key)
        return false;
    QAction *item = matchKeyEquivalent(m_menu, key->keyCode, key->eventFlags, shortcutKeyHook);
    if (!item)
        return false;
    m_menu->close();
    item->trigger();
    return true;
}
