// The toolbar's font pull-down: recent and suggested fonts, "Other Fonts…", and the capture
// shortcuts answered while it is open.
#include "app/MenuKeyEquivalents.h"
#include "app/PreferenceReaders.h"
#include "canvas/Toolbar.h"
#include "export/SendButton.h"
#include "platform/KeyTable.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QSet>

namespace {
// The face a name loads as, so that two names of one face are offered once.
QString faceOf(const QFont &f)
{
    const QFontInfo info(f);
    return info.family() + u'/' + info.styleName() + u'/' + QString::number(info.weight()) + u'/'
        + QString::number(int(info.style()));
}
} // namespace

const QStringList &Toolbar::moreFonts()
{
    static const QStringList names{
        QStringLiteral("Menlo-Bold"),       QStringLiteral("SFMono-Bold"),     QStringLiteral("HelveticaNeue-Bold"),
        QStringLiteral("AvenirNext-Bold"),  QStringLiteral("Georgia-Bold"),    QStringLiteral("MarkerFelt-Wide"),
        QStringLiteral("ChalkboardSE-Bold"), QStringLiteral("DejaVuSans-Bold"), QStringLiteral("DejaVuSerif-Bold"),
    };
    return names;
}

void Toolbar::rebuildFontMenu()
{
    m_fontMenu->clear();
    QSet<QString> faces;
    const auto offered = [&](const QString &name) -> std::optional<QFont> {
        const std::optional<QFont> f = Prefs::loadFont(name, 13);
        if (!f || faces.contains(faceOf(*f)))
            return std::nullopt;
        faces.insert(faceOf(*f));
        return f;
    };
    const auto section = [&](const QString &title, const QStringList &names) {
        QList<std::pair<QString, QFont>> items;
        for (const QString &name : names)
            if (const auto f = offered(name))
                items.append({name, *f});
        if (items.isEmpty())
            return;
        // A header: a disabled item, which every style shows (not all draw section titles).
        m_fontMenu->addAction(title)->setEnabled(false);
        for (const auto &[name, face] : std::as_const(items)) {
            const QFontInfo info(face);
            const QString style = info.styleName();
            QAction *item = m_fontMenu->addAction(style.isEmpty() ? info.family() : info.family() + u' ' + style);
            item->setFont(face);
            item->setData(name);
            const QString picked = name;
            connect(item, &QAction::triggered, this, [this, picked] { fire(ToolbarAction::pickFont(picked)); });
        }
    };
    const QStringList recent = Prefs::recentFonts();
    section(QStringLiteral("Recent"), recent);
    QStringList more;
    for (const QString &name : moreFonts())
        if (!recent.contains(name) && Prefs::loadFont(name, 12))
            more.append(name);
    section(QStringLiteral("More"), more);
    m_fontMenu->addSeparator();
    m_fontMenu->addAction(QStringLiteral("Other Fonts…"), this,
                          [this] { fire(ToolbarAction::plain(ToolbarAction::otherFont)); });
}

bool Toolbar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_fontMenu || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    // A capture shortcut still works while the menu has the keyboard.
    const auto *key = static_cast<QKeyEvent *>(event);
    const std::optional<int> code = KeyTable::fromQtKey(key->key(), key->modifiers());
    if (!code || key->key() == Qt::Key_Control || key->key() == Qt::Key_Shift || key->key() == Qt::Key_Alt
        || key->key() == Qt::Key_Meta)
        return false;
    QAction *item = matchKeyEquivalent(m_fontMenu, *code, KeyTable::flagsFromQt(key->modifiers()),
                                       SendButton::shortcutKeyHook);
    if (!item)
        return false;
    m_fontMenu->close();
    item->trigger();
    return true;
}
