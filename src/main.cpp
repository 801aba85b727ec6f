#include <QApplication>

#ifdef QUILLET_HAS_LAUNCH
#include "app/Updates.h"
#include "launch/LaunchOptions.h"
#include "launch/QuillApplication.h"

#include <cstdio>

namespace {
// --help, --version and an unknown option are answered here, before a running copy could be
// handed the arguments and before the toolkit connects to the display.
std::optional<int> answeredAlone(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const auto answer = LaunchOptions::answerAlone(args, Updates::feedURL().has_value(), Updates::versionLine());
    if (!answer)
        return std::nullopt;
    std::fputs(answer->out.toLocal8Bit().constData(), stdout);
    std::fputs(answer->err.toLocal8Bit().constData(), stderr);
    return answer->status;
}
} // namespace
#endif

int main(int argc, char **argv)
{
#ifdef QUILLET_HAS_LAUNCH
    if (const auto status = answeredAlone(argc, argv))
        return *status;
    return QuillApplication::runMain(argc, argv);
#else
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setQuitOnLastWindowClosed(false);
    return app.exec();
#endif
}
