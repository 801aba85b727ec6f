#include "platform/ScreenInfo.h"

#include <QGuiApplication>
#include <QScreen>

QScreen *ScreenInfo::qscreen() const
{
    const QList<QScreen *> all = QGuiApplication::screens();
    for (QScreen *s : all) {
        if (!name.isEmpty() && s->name() == name)
            return s;
    }
    for (QScreen *s : all) {
        if (s->geometry() == geometry)
            return s;
    }
    return nullptr;
}
