#pragma once
#include <QImage>
#include <QList>
#include <QStringList>

#include <optional>

// The page-switch benchmark ("--bench-pages [N] [--columns C]"): a canvas of N pages on the real
// windows, then the main thread's time to remake a page's thumbnail, to switch along a walk over
// the pages and to open earlier captures from the rail with the down arrow, one line per measured
// step and a summary per series on standard output. Its history and folder are temporary; its
// preferences live in memory. Main thread only.
namespace Autopilot {

// Runs the benchmark and ends the process: status 0 after the last summary, 1 with the reason
// on standard error when it cannot run (a count below 1, no screen, no picture, no canvas).
// arguments: the command line, read for "--columns".
void benchPages(int count, const QStringList &arguments);

// The command-line word after index as a whole decimal number with an optional sign; none when
// there is no such word, it holds anything else, it is a sign alone or it overflows.
std::optional<qint64> parseCount(qsizetype index, const QStringList &arguments);
// The rail width "--columns" asks for: 132 × c + 52 + 18 × (c − 1) for a count c above 1, else
// one column (184).
double benchRailWidth(const QStringList &arguments);
// The pages in the order they are visited: n − 1 down to 0, up to n − 1, down to 0.
QList<int> benchWalk(int n);
// Picture number k: a made-up screenshot of (3400 + 40 k) × 2100 pixels, through PNG and back;
// a null image when a step fails.
QImage benchPicture(int k);

} // namespace Autopilot
