#include "TermSignal.h"

#include "app/ActivityLog.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int pipeFds[2] = {-1, -1};

extern "C" void onTerm(int)
{
    const int saved = errno;
    const char byte = 't';
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
    errno = saved;
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
    if (::sigaction(SIGTERM, &action, nullptr) != 0) {
        activityLog(QStringLiteral("launch: cannot handle SIGTERM"));
        return;
    }
    m_notifier = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(pipeFds[0], buffer, sizeof buffer) > 0) {
        }
        emit terminateRequested();
    });
}

TermSignal::~TermSignal()
{
    if (m_notifier)
        ::signal(SIGTERM, SIG_DFL);
}
