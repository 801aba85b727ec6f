#include "CaptureItems.h"

#include "MenuActions.h"
#include "app/MenuKeyEquivalents.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

namespace CaptureItems {

QAction *add(QMenu *menu, CaptureAction action, const MenuActions &actions, QObject *context)
{
    QAction *item = menu->addAction(CaptureActions::title(action));
    item->setData(CaptureActions::rawValue(action));
    const std::function<void(CaptureAction)> capture = actions.capture;
    item->setEnabled(bool(capture));
    QObject::connect(item, &QAction::triggered, context, [item, capture, context] {
        const QVariant raw = item->data();
        const std::optional<CaptureAction> chosen = raw.typeId() == QMetaType::QString
                                                        ? CaptureActions::fromRawValue(raw.toString())
                                                        : std::nullopt;
        if (!chosen)
            return;
        QTimer::singleShot(150, context, [capture, action = *chosen] { capture(action); });
    });
    return item;
}

void apply(QAction *item, CaptureAction action, const std::optional<Shortcut> &shortcut,
           bool active)
{
    const QString title = CaptureActions::title(action);
    item->setShortcut({});
    item->setText(title);
    if (!active || !shortcut)
        return;
    const QKeySequence keys =
        shortcut->key.size() == 1 ? MenuKeyEquivalents::sequence(*shortcut) : QKeySequence();
    if (keys.isEmpty())
        item->setText(title + QStringLiteral("    ") + shortcut->displayText());
    else
        item->setShortcut(keys);
}

QString hotkeyTitle(CaptureAction action, const std::optional<Shortcut> &shortcut, bool active)
{
    QString keys = QStringLiteral("not set");
    if (shortcut)
        keys = active ? shortcut->displayText()
                      : shortcut->displayText() + QStringLiteral(", not working");
    return CaptureActions::title(action) + QStringLiteral(":  ") + keys;
}

QString hotkeyTooltip(CaptureAction action)
{
    switch (action) {
    case CaptureAction::areaToCanvas:
        return QStringLiteral("Select an area, then mark it up.");
    case CaptureAction::fullScreenToCanvas:
        return QStringLiteral("The display under the pointer, then mark it up.");
    case CaptureAction::areaToClipboard:
        return QStringLiteral("Select an area; it goes straight to the clipboard.");
    case CaptureAction::repeatLastArea:
        return QStringLiteral("The same area as last time, then mark it up.");
    case CaptureAction::reopenLast:
        return QStringLiteral("The last canvas, to change it and copy again.");
    case CaptureAction::markUpClipboard:
        return QStringLiteral("The image you copied, on a canvas of its own.");
    }
    return {};
}

int problemCount(const std::map<CaptureAction, HotKeyCenter::Status> &statuses)
{
    int count = 0;
    for (const auto &[action, status] : statuses)
        if (status.kind == HotKeyCenter::Status::takenByApp
            || status.kind == HotKeyCenter::Status::system)
            ++count;
    return count;
}

QString problemTitle(int count)
{
    if (count <= 0)
        return {};
    if (count == 1)
        return QStringLiteral("A shortcut does not work. Fix it…");
    return QString::number(count) + QStringLiteral(" shortcuts do not work. Fix them…");
}

} // namespace CaptureItems
