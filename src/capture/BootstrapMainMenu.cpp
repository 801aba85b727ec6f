#include "capture/BootstrapMainMenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace {
// Hides the application: its visible windows go to the taskbar, from where they come back.
void hideApplication()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w->isVisible() && !(w->windowFlags() & Qt::FramelessWindowHint))
            w->showMinimized();
    }
}
} // namespace

QMenuBar *bootstrapMainMenu()
{
    auto *bar = new QMenuBar;
    QAction *item = bar->addAction(QString());
    auto *menu = new QMenu(QStringLiteral("Quillet"), bar);
    item->setMenu(menu);
    QAction *hide = menu->addAction(QStringLiteral("Hide Quillet™"), QKeySequence(QStringLiteral("Ctrl+H")));
    QObject::connect(hide, &QAction::triggered, hide, &hideApplication);
    QAction *quit = menu->addAction(QStringLiteral("Quit Quillet™"), QKeySequence(QStringLiteral("Ctrl+Q")));
    // exit, not quit: quit() asks the windows to close first, and an open canvas refuses.
    QObject::connect(quit, &QAction::triggered, quit, [] { QCoreApplication::exit(0); });
    for (QAction *action : {hide, quit})
        action->setShortcutContext(Qt::ApplicationShortcut);
    return bar;
}
