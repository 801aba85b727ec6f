#include "ClashAlert.h"

#include "HotKeyCenter.h"
#include "SystemShortcuts.h"
#include "Toast.h"
#include "platform/PlatformText.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

bool offerTakeOver(CaptureAction action, HotKeyCenter &center)
{
    const auto keys = center.shortcut(action);
    if (!keys)
        return true;
    const auto clash = SystemShortcuts::entry(*keys, SystemShortcuts::entries(center.systemStore()));
    if (!clash)
        return true;

    const QString shown = keys->displayText();
    QString place = center.systemStore().settingsPlace();
    if (place.isEmpty())
        place = QStringLiteral("your desktop’s keyboard shortcut settings");
    QMessageBox box;
    box.setIcon(QMessageBox::Information);
    box.setText(PlatformText::words(QStringLiteral("macOS already uses ") + shown));
    // "that macOS shortcut" would read "that the system shortcut".
    box.setInformativeText(PlatformText::words(
        shown + QStringLiteral(" is macOS’s shortcut for “") + clash->name
        + QStringLiteral("”, and macOS gets it first, so it can’t open Vellum yet.\n\n"
                         "Vellum can switch that system shortcut off so ")
        + shown
        + QStringLiteral(" is Vellum’s. You can give it back any time in Vellum’s Settings, "
                         "or in ")
        + place + QStringLiteral(".")));
    QPushButton *use = box.addButton(QStringLiteral("Use ") + shown + QStringLiteral(" for Quillet™"),
                                     QMessageBox::AcceptRole);
    box.addButton(PlatformText::words(QStringLiteral("Keep It for macOS")), QMessageBox::RejectRole);
    box.setDefaultButton(use);
    box.show();
    box.raise();
    box.activateWindow();
    box.exec();
    if (box.clickedButton() != use)
        return false;

    const bool works = center.takeFromSystem(action);
    toast(works ? shown + QStringLiteral(" now opens Quillet™")
                : PlatformText::words(QStringLiteral("macOS still has ") + shown
                                      + QStringLiteral(". Try ") + place + QStringLiteral(".")),
          0.9);
    return works;
}

void offerTakeOverForAll(HotKeyCenter &center)
{
    for (CaptureAction action : CaptureActions::all) {
        const auto keys = center.shortcut(action);
        if (!keys)
            continue;
        if (SystemShortcuts::entry(*keys, SystemShortcuts::entries(center.systemStore())))
            offerTakeOver(action, center);
    }
}
