#include <QApplication>

#ifdef QUILLET_HAS_LAUNCH
#include "launch/QuillApplication.h"
#endif

int main(int argc, char **argv)
{
#ifdef QUILLET_HAS_LAUNCH
    return QuillApplication::runMain(argc, argv);
#else
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setQuitOnLastWindowClosed(false);
    return app.exec();
#endif
}
