#include "RecentMenu.h"

#include "MenuActions.h"
#include "MenuItems.h"
#include "ThumbnailMenuStyle.h"
#include "app/PreferenceReaders.h"
#include "history/Recents.h"
#include "platform/Preferences.h"
#include "platform/RegularFile.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QRegularExpression>
#include <QTimer>

namespace {
constexpr int openDelayMs = 150;

// The entry's thumb.png scaled to 54 points high (aspect kept); a null icon when unreadable.
QIcon thumbnail(const QString &folder)
{
    const QImage picture = RegularFile::readImage(QDir(folder).filePath(QStringLiteral("thumb.png")),
                                                  RegularFile::Links::refuse);
    if (picture.isNull() || picture.height() <= 0)
        return {};
    const qreal scale = qMax<qreal>(1.0, qApp ? qApp->devicePixelRatio() : 1.0);
    QImage shown = picture.scaledToHeight(qRound(ThumbnailMenuStyle::thumbHeight * scale),
                                          Qt::SmoothTransformation);
    QPixmap pixmap = QPixmap::fromImage(shown);
    pixmap.setDevicePixelRatio(scale);
    return QIcon(pixmap);
}

// The date in the locale's medium style: its long style without the weekday (and the separators
// that go with it) and with the month's short name ("Mar 3, 2026", "3. März 2026").
QString mediumDate(const QDate &date, const QLocale &locale)
{
    static const QRegularExpression weekday(
        QStringLiteral("^[^dMy]*dddd[^dMy]*|[^dMy]*dddd[^dMy]*$"));
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.remove(weekday);
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return locale.toString(date, format.trimmed());
}
} // namespace

namespace RecentMenu {

QMenu *create(QWidget *parent)
{
    auto *menu = MenuItems::withTooltips(new QMenu(QStringLiteral("Recent"), parent));
    auto *style = new ThumbnailMenuStyle;
    style->setParent(menu);
    menu->setStyle(style);
    return menu;
}

QString title(const QDateTime &date, const QDateTime &now, const QLocale &locale)
{
    const QString time = locale.toString(date.time(), QLocale::ShortFormat);
    const QDate day = date.date();
    if (day == now.date())
        return time;
    if (day == now.date().addDays(-1))
        return QStringLiteral("Yesterday, ") + time;
    return mediumDate(day, locale) + QStringLiteral(", ") + time;
}

void fill(QMenu *menu, bool numbered, const MenuActions &actions, QObject *context)
{
    menu->clear();
    // An entry whose document cannot be read could only say "That capture is gone": it stays on
    // disk (reported once) but is not offered.
    QList<Recents::Entry> entries = Recents::list();
    entries.removeIf([](const Recents::Entry &e) { return !Recents::isReadable(e.id); });
    const bool paused = Prefs::store().boolValue(QStringLiteral("history.paused")).value_or(false);
    if (entries.isEmpty()) {
        MenuItems::info(menu, paused ? QStringLiteral("History is paused")
                                     : QStringLiteral("No captures yet"));
    }
    const QDateTime now = QDateTime::currentDateTime();
    const std::function<void(const QString &)> reopen = actions.reopen;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Recents::Entry &entry = entries.at(i);
        QAction *item = menu->addAction(title(entry.date.toLocalTime(), now));
        item->setData(entry.id);
        item->setIcon(thumbnail(entry.folder));
        if (numbered && i < 9)
            item->setShortcut(MenuItems::ctrl(Qt::Key(Qt::Key_1 + i)));
        item->setEnabled(bool(reopen));
        QObject::connect(item, &QAction::triggered, context, [item, reopen, context] {
            const QVariant id = item->data();
            if (id.typeId() != QMetaType::QString)
                return;
            QTimer::singleShot(openDelayMs, context, [reopen, id = id.toString()] { reopen(id); });
        });
    }
    menu->addSeparator();
    MenuItems::toggle(menu, QStringLiteral("Pause History"), {}, QStringLiteral("history.paused"),
                      actions.togglePause);
    MenuItems::command(menu, QStringLiteral("Clear History…"), actions.clearHistory);
    MenuItems::command(menu, QStringLiteral("Show in Finder"), actions.showHistoryFolder);
}

} // namespace RecentMenu
