#include "MeltPictures.h"

#include <QFile>

static void initWelcomeResources()
{
    Q_INIT_RESOURCE(onboarding);
    Q_INIT_RESOURCE(WelcomeQuill);
}

namespace MeltPictures {

QStringList all()
{
    static const QStringList pictures = [] {
        initWelcomeResources();
        QStringList found;
        for (int stage = 0; stage < 10; ++stage) {
            const QString path = QStringLiteral(":/WelcomeQuill/melt-%1.png").arg(stage);
            if (QFile::exists(path))
                found << QStringLiteral("qrc") + path;
        }
        return found;
    }();
    return pictures;
}

} // namespace MeltPictures
