// Writes count keys "<prefix>.<n>" to the preferences, one change at a time.
#include "platform/Preferences.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const int count = args.at(2).toInt();
    for (int i = 0; i < count; ++i)
        if (!Preferences::shared().setValue(args.at(1) + QLatin1Char('.') + QString::number(i), i))
            return 1;
    return 0;
}
