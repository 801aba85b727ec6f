#pragma once
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

// The built-in end-to-end self-check ("--autopilot FOLDER"): it stages a made-up screen, drives
// the application's real windows with scripted input through a fixed chain of stages, prints one
// line per check on standard output, writes pictures of what it saw into the folder and ends the
// process with status 0 when every check passed, else 1. Main thread only.
namespace Autopilot {

// The self-check flag: set by run and by the benchmark, never cleared.
bool isRunning();
// The folder given after "--autopilot", unchanged.
QString folder();
// Failed checks so far.
int failures();
// Windows and views the run keeps to the end of the process.
QList<QPointer<QObject>> &keepAlive();

// The entry: prepares the folder, the history and the preferences, then runs the chain of
// stages. Returns once the chain waits in the event loop; the process ends through finish.
void run(const QString &folder);

// One check line: "ok   SENTENCE", or "FAIL SENTENCE  DETAIL" counted as a failure. The detail
// is asked for only when the check failed; without one a failed line ends in two blanks.
void check(const QString &sentence, bool ok, const std::function<QString()> &detail = {});
// A stage that cannot go on: counts a failure, prints its line and finishes the run.
void stageFailed(const QString &sentence, const QString &detail = {});
// Prints the summary ("all checks passed" or "N checks FAILED") and ends the process with 0 or 1.
// Returns only when a test has replaced the exit.
void finish();

// A stage or script step that this build does not have: says so and goes on.
void notInThisBuild(const QString &name);

// The picture rule: the view as drawn (or given PNG data) written as FOLDER/NAME.png, replacing
// a file of that name; "could not make NAME.png" when there is no PNG data. A write that fails
// is ignored.
void writePicture(QWidget *view, const QString &name);
void writePicture(const QByteArray &png, const QString &name);
// The same into the folder a stage was handed (the run's folder in a run; a stage may run alone).
void writePicture(QWidget *view, const QString &name, const QString &folder);
void writePicture(const QByteArray &png, const QString &name, const QString &folder);

// Where the run's lines go (standard output, flushed per line) and how it ends (the history's
// queue drained, output flushed, the process left at once without tearing down live canvases).
// Tests replace both.
std::function<void(const QString &line)> &sink();
std::function<void(int status)> &exitProcess();
// Draws the staged picture (a made-up screen of 2880 × 1800 pixels); tests replace it.
std::function<QImage()> &stagedPicture();
// One line on standard error.
void say(const QString &line);

// Tests: forgets the failures and the folder of an earlier run in this process.
void resetForTesting();
// Tests: the folder pictures go to, as a run would have set it (nothing else of a run starts).
void setFolderForTesting(const QString &path);

} // namespace Autopilot
