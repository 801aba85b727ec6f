#include "QuillApplication.h"

#include "launch/AppDelegate.h"
#include "launch/LaunchOptions.h"
#include "launch/SingleInstance.h"

#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "platform/BuildInfo.h"
#include "platform/Preferences.h"
#include "reports/Reports.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <exception>
#include <optional>

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

namespace {
// A later start ends once another instance has its arguments (or did not answer): the exit status.
std::optional<int> laterStartEnds(SingleInstance::Claim claim)
{
    if (claim == SingleInstance::Claim::handedOver) {
        activityLog(QStringLiteral("launch: handed over to the running instance"));
        return 0;
    }
    if (claim == SingleInstance::Claim::notAnswered) {
        activityLog(QStringLiteral("launch: the running instance did not answer"));
        return 1;
    }
    return std::nullopt;
}

// The self-check, the benchmark or the talk check the command line runs, if any: such a process
// never hands its arguments to a running Quillet and never takes over its place.
std::optional<LaunchOptions::SelfCheck> selfCheckRun(const QStringList &arguments)
{
    using Check = LaunchOptions::SelfCheck;
    const Check check = LaunchOptions::parse(arguments, !BuildInfo::feedUrl().isEmpty()).selfCheck;
    if (check == Check::autopilot || check == Check::benchPages || check == Check::talkCheck)
        return check;
    return std::nullopt;
}

bool platformGiven(const QStringList &arguments)
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || arguments.contains(QStringLiteral("-platform"))
           || arguments.contains(QStringLiteral("--platform"));
}

// The staged screen of a self-check without a display of its own: one 1440 × 900 screen of the
// offscreen platform, described in a file the platform reads as the application starts.
QString writeStagedScreen()
{
    const QString path = QDir::temp().filePath(
        QStringLiteral("quillet-selfcheck-screen-%1.json").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(R"({"screens": [{"name": "Staged", "x": 0, "y": 0, "width": 1440, "height": 900,
                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    return file.error() == QFile::NoError ? path : QString();
}

// The self-check and the benchmark: in-memory preferences, the staged screen unless a platform
// was asked for, Qt Quick drawn in software; no single-instance claim, no normal launch. The talk
// check writes no preference and reads the user's talk settings (its key and language).
int runSelfCheckProcess(int argc, char **argv, const QStringList &arguments, LaunchOptions::SelfCheck check)
{
    if (check != LaunchOptions::SelfCheck::talkCheck)
        Preferences::shared().useMemoryScope();
    QString screenFile;
    if (!platformGiven(arguments)) {
        screenFile = writeStagedScreen();
        qputenv("QT_QPA_PLATFORM", screenFile.isEmpty() ? QByteArray("offscreen")
                                                        : "offscreen:configfile=" + QFile::encodeName(screenFile));
    }
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    QuillApplication app(argc, argv);
    if (!screenFile.isEmpty())
        QFile::remove(screenFile);
    AppDelegate delegate(QCoreApplication::arguments());
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });
    return app.exec();
}
} // namespace

int QuillApplication::runMain(int argc, char **argv)
{
    // A later start hands its arguments to the running instance before it sets up an application
    // of its own (connecting to the display and loading its plugins cost most of its time). The
    // running instance has a working folder of its own: relative paths are made absolute here.
    QStringList given;
    for (int i = 0; i < argc; ++i)
        given.append(QString::fromLocal8Bit(argv[i]));
    if (const auto check = selfCheckRun(given))
        return runSelfCheckProcess(argc, argv, given, *check);
    if (const auto code = laterStartEnds(
            SingleInstance::handOverEarly(LaunchOptions::withAbsolutePaths(given, QDir::currentPath()))))
        return *code;

    QuillApplication app(argc, argv);
    // From here on preference problems go to the activity log, with any met before.
    Prefs::store();

    SingleInstance instance;
    const QStringList arguments =
        LaunchOptions::withAbsolutePaths(QCoreApplication::arguments(), QDir::currentPath());
    const SingleInstance::Claim claim = instance.claim(arguments);
    if (const auto code = laterStartEnds(claim))
        return *code;
    if (claim == SingleInstance::Claim::impossible) {
        // Without the socket a second copy could run beside this one unnoticed: not starting is
        // the lesser harm, and the user is told why.
        const QString line = QStringLiteral("Quillet™ cannot make sure that only one copy runs, so it does not start. ")
            + instance.problem();
        activityLog(QStringLiteral("launch: ") + line);
        std::fprintf(stderr, "%s\n", qPrintable(line));
        return 1;
    }

    AppDelegate delegate(QCoreApplication::arguments());
    // A start during the quit must not hand its arguments to this process.
    delegate.quitStarts = [&instance] { instance.stop(); };
    QObject::connect(&instance, &SingleInstance::argumentsReceived, &delegate,
                     &AppDelegate::handleArguments);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::cleanUpForQuit);
    // "started" once the launch sequence has run: the signal handlers and shortcuts are in place.
    QTimer::singleShot(0, &delegate, [&delegate] {
        delegate.applicationDidFinishLaunching();
        activityLog(QStringLiteral("launch: started"));
        // What the first capture needs is made and written now, not at its shortcut.
        QTimer::singleShot(0, &delegate, [&delegate] { delegate.warmCapture(); });
    });
    return app.exec();
}
