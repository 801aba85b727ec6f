#pragma once
// The pattern windows the end-to-end tests capture, shown by a separate client: one painted by
// Qt (which writes 0xff into the fourth byte of every pixel), and two by a plain xcb client that
// writes 0x00 there, or garbage varying per row, as X leaves that byte of a depth-24 pixel to
// its clients.
#include "AppUnderTest.h"
#include "../capture/RawPattern.h"

#include <QProcess>
#include <QRect>
#include <QtTest>

#include <memory>

namespace PatternSource {

enum class Kind { qt, rawZero, rawGarbage };

inline const char *name(Kind kind)
{
    return kind == Kind::qt ? "qt" : kind == Kind::rawZero ? "raw 0x00" : "raw garbage";
}

constexpr Kind all[] = {Kind::qt, Kind::rawZero, Kind::rawGarbage};

// A pattern window on screen, gone with this value.
struct Window
{
    std::unique_ptr<QProcess> process;
    QRect inside; // the window's inside on the screen

    ~Window()
    {
        if (process && process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished();
        }
    }
    qint64 pid() const { return process ? process->processId() : 0; }
    // The pattern's pixels of an area of the screen inside the window.
    QImage pixels(const QRect &area) const { return RawPattern::expected(inside, area); }
};

// Shows the pattern with its inside at rect (managed: framed by the window manager, which may
// place it elsewhere; the inside's place is read back). Null when it does not come up.
inline std::unique_ptr<Window> show(Kind kind, const QRect &rect, bool managed = false)
{
    auto w = std::make_unique<Window>();
    w->process = std::make_unique<QProcess>();
    QStringList args{QString::number(rect.x()), QString::number(rect.y()), QString::number(rect.width()),
                     QString::number(rect.height())};
    if (kind == Kind::qt)
        args << QStringLiteral("pattern");
    else
        args << RawPattern::padName(kind == Kind::rawZero ? RawPattern::Pad::zero : RawPattern::Pad::garbage);
    if (managed)
        args << QStringLiteral("managed");
    w->process->start(AppUnderTest::captureHelper(kind == Kind::qt ? QStringLiteral("helper_colorwindow")
                                                                   : QStringLiteral("helper_rawpattern")),
                      args);
    if (!w->process->waitForStarted() || !w->process->waitForReadyRead(10000))
        return nullptr;
    const QList<QByteArray> words = w->process->readAllStandardOutput().trimmed().split(' ');
    if (words.size() != 3 || words[0] != "ready")
        return nullptr;
    w->inside = QRect(words[1].toInt(), words[2].toInt(), rect.width(), rect.height());
    // Let the window manager and a compositor catch up with the new window.
    QTest::qWait(managed ? 300 : 100);
    return w;
}

using RawPattern::firstDifference;

} // namespace PatternSource
