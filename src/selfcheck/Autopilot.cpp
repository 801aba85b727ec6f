#include "Autopilot.h"

#include "Chain.h"
#include "RunFolder.h"

#include "app/ChromeViews.h"
#include "app/PreferenceReaders.h"
#include "app/SelfCheckFlag.h"
#include "export/SamplePicture.h"
#include "history/Recents.h"
#include "platform/Preferences.h"

#include <QDir>
#include <QFile>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

namespace Autopilot {
namespace {
QString runFolder;
int failed = 0;

void writeOut(const QString &line)
{
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

// Ends the process with the status the summary printed. The history's queue is drained first
// (its writes are the run's history); the canvases that are still open are not torn down, so a
// fault in a teardown cannot turn a passed run into a death by a signal.
void leave(int status)
{
    Recents::queue().sync([] {});
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(status);
}
} // namespace

bool isRunning() { return SelfCheckFlag::isSet(); }
QString folder() { return runFolder; }
int failures() { return failed; }

QList<QPointer<QObject>> &keepAlive()
{
    static QList<QPointer<QObject>> kept;
    return kept;
}

std::function<void(const QString &)> &sink()
{
    static std::function<void(const QString &)> out = writeOut;
    return out;
}

std::function<void(int)> &exitProcess()
{
    static std::function<void(int)> out = leave;
    return out;
}

std::function<QImage()> &stagedPicture()
{
    static std::function<QImage()> draw = [] { return samplePicture(2880, 1800, 0); };
    return draw;
}

void say(const QString &line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}

void resetForTesting()
{
    failed = 0;
    runFolder.clear();
}

void setFolderForTesting(const QString &path)
{
    runFolder = path;
}

void check(const QString &sentence, bool ok, const std::function<QString()> &detail)
{
    if (ok) {
        sink()(QStringLiteral("ok   ") + sentence);
        return;
    }
    ++failed;
    sink()(QStringLiteral("FAIL ") + sentence + QStringLiteral("  ") + (detail ? detail() : QString()));
}

void stageFailed(const QString &sentence, const QString &detail)
{
    check(sentence, false, [&detail] { return detail; });
    finish();
}

void finish()
{
    const int status = failed == 0 ? 0 : 1;
    sink()(failed == 0 ? QStringLiteral("all checks passed") : QStringLiteral("%1 checks FAILED").arg(failed));
    exitProcess()(status);
}

void notInThisBuild(const QString &name)
{
    sink()(QStringLiteral("     not in this build: ") + name);
}

void writePicture(const QByteArray &png, const QString &name)
{
    writePicture(png, name, runFolder);
}

void writePicture(QWidget *view, const QString &name, const QString &folder)
{
    writePicture(view ? pngSnapshot(view) : QByteArray(), name, folder);
}

void writePicture(const QByteArray &png, const QString &name, const QString &folder)
{
    const QString file = name + QStringLiteral(".png");
    if (png.isEmpty()) {
        sink()(QStringLiteral("could not make ") + file);
        return;
    }
    QFile out(QDir(folder).filePath(file));
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(png);
}

void writePicture(QWidget *view, const QString &name)
{
    writePicture(view ? pngSnapshot(view) : QByteArray(), name);
}

void run(const QString &path)
{
    SelfCheckFlag::set(true);
    runFolder = path;
    // Every line reaches the reader as it is printed, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // The run's preferences live in memory: nothing it writes reaches the user's file.
    if (!Preferences::shared().inMemoryScope())
        Preferences::shared().useMemoryScope();

    const QImage staged = stagedPicture()();
    if (staged.isNull()) {
        say(QStringLiteral("self-check: the staged picture of 2880 × 1800 pixels could not be drawn"));
        exitProcess()(1);
        return;
    }
    if (!RunFolder::prepare(path)) {
        say(QStringLiteral("self-check: %1 was not made by a self-check; choose another folder").arg(path));
        exitProcess()(1);
        return;
    }
    // Every history read and write of the process goes to the folder's own history, emptied
    // first; a failure to delete it is ignored.
    const QString history = QDir(path).absoluteFilePath(QStringLiteral("history"));
    Recents::setFolderOverride(history);
    Recents::removeAll();

    Preferences &prefs = Prefs::store();
    prefs.setValue(QStringLiteral("history.paused"), false);
    prefs.setValue(QStringLiteral("style.color"), 0);
    prefs.setValue(QStringLiteral("style.size"), 2);
    Prefs::rememberFont(QStringLiteral("Menlo-Bold"));

    Handover start;
    start.picture = staged;
    start.folder = path;
    Chain::go(1, start);
}

} // namespace Autopilot
