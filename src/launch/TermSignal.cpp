#include "TermSignal.h"

#include "app/ActivityLog.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int pipeFds[2] = {-1, -1};

struct Handled {
    int number;
    const char *name;
};
constexpr Handled handled[] = {{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}};

extern "C" void onTerm(int number)
{
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
    errno = saved;
}

QString nameOf(int number)
{
    for (const Handled &h : handled)
        if (h.number == number)
            return QString::fromLatin1(h.name);
    return QStringLiteral("SIGTERM");
}
} // namespace

TermSignal::TermSignal(QObject *parent)
    : QObject(parent)
{
    if (pipeFds[0] < 0 && ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        activityLog(QStringLiteral("launch: no pipe for SIGTERM"));
        return;
    }
    struct sigaction action = {};
    action.sa_handler = onTerm;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const Handled &h : handled) {
        if (::sigaction(h.number, &action, nullptr) != 0)
            activityLog(QStringLiteral("launch: cannot handle %1").arg(QString::fromLatin1(h.name)));
    }
    m_notifier = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        // Several signals may wait in the pipe; the first one names the quit.
        char buffer[16];
        int first = 0;
        ssize_t n;
        while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
            if (!first)
                first = buffer[0];
        if (first)
            emit terminateRequested(nameOf(first));
    });
}

TermSignal::~TermSignal()
{
    if (m_notifier)
        for (const Handled &h : handled)
            ::signal(h.number, SIG_DFL);
}
