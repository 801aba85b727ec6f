#include "QuillApplication.h"

#include "launch/AppDelegate.h"
#include "launch/LaunchOptions.h"
#include "launch/SingleInstance.h"

#include "app/ActivityLog.h"
#include "reports/Reports.h"

#include <QDir>
#include <QTimer>

#include <exception>

QuillApplication::QuillApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Quillet"));
    setOrganizationName(QStringLiteral("Quillet"));
    setQuitOnLastWindowClosed(false);
}

bool QuillApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // Logged and kept for the next problem report; the event loop goes on.
        Reports::recordCurrentException(false);
    }
    return false;
}

int QuillApplication::runMain(int argc, char **argv)
{
    QuillApplication app(argc, argv);

    SingleInstance instance;
    bool delivered = false;
    // The running instance has a working folder of its own: relative paths are made absolute here.
    const QStringList arguments =
        LaunchOptions::withAbsolutePaths(QCoreApplication::arguments(), QDir::currentPath());
    if (!instance.claim(arguments, &delivered)) {
        activityLog(delivered ? QStringLiteral("launch: handed over to the running instance")
                              : QStringLiteral("launch: the running instance did not answer"));
        return delivered ? 0 : 1;
    }

    AppDelegate delegate(QCoreApplication::arguments());
    QObject::connect(&instance, &SingleInstance::argumentsReceived, &delegate,
                     &AppDelegate::handleArguments);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::cleanUpForQuit);
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    activityLog(QStringLiteral("launch: started"));
    return app.exec();
}
