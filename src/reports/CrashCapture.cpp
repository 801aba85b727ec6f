#include "CrashCapture.h"

#include "platform/PrivateFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace CrashCapture {
namespace {
constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP};
constexpr int maxFrames = 128;
constexpr size_t altStackSize = 256 * 1024;

// Everything the handler needs, prepared outside it.
struct State {
    char pendingPath[4096] = {};
    char recordPath[4096] = {};
    char facts[8192] = {};
    size_t factsLength = 0;
    std::atomic<long> owner{0};
    std::atomic<int> terminateCount{-1};
    void *terminateFrames[maxFrames] = {};
    volatile sig_atomic_t crashingSignal = 0;
    struct sigaction previous[NSIG] = {};
    bool installed = false;
};
State state;

thread_local void *threadAltStack = nullptr;

// A small buffer of text built without allocation.
struct Line {
    char text[256];
    size_t length = 0;
    void add(const char *s)
    {
        while (*s && length < sizeof text)
            text[length++] = *s++;
    }
    void addUnsigned(unsigned long long v, unsigned base)
    {
        char digits[32];
        int n = 0;
        do {
            const unsigned d = unsigned(v % base);
            digits[n++] = char(d < 10 ? '0' + d : 'a' + d - 10);
            v /= base;
        } while (v && n < 32);
        while (n && length < sizeof text)
            text[length++] = digits[--n];
    }
    void addSigned(long long v)
    {
        if (v < 0) {
            add("-");
            addUnsigned((unsigned long long)(-(v + 1)) + 1, 10);
        } else {
            addUnsigned((unsigned long long)v, 10);
        }
    }
    void addHex(unsigned long long v)
    {
        add("0x");
        addUnsigned(v, 16);
    }
};

void writeAll(int fd, const char *data, size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        length -= size_t(n);
    }
}

void writeLine(int fd, Line &line)
{
    line.add("\n");
    writeAll(fd, line.text, line.length);
}

void copyFile(int fd, const char *path)
{
    const int in = ::open(path, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        writeAll(fd, buffer, size_t(n));
    }
    ::close(in);
}

unsigned long long contextPc(void *context)
{
    const auto *uc = static_cast<const ucontext_t *>(context);
    if (!uc)
        return 0;
#if defined(__x86_64__)
    return (unsigned long long)uc->uc_mcontext.gregs[REG_RIP];
#elif defined(__i386__)
    return (unsigned long long)uc->uc_mcontext.gregs[REG_EIP];
#elif defined(__aarch64__)
    return (unsigned long long)uc->uc_mcontext.pc;
#else
    return 0;
#endif
}

// Ends the process by sig with its default action: pending while the handler runs, delivered
// when it returns (a fault re-executes and faults again without a handler).
void endBySignal(int sig)
{
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(sig, &dfl, nullptr);
    raise(sig);
}

// The unwinder took too long: end the process by the crashing signal all the same.
void onAlarm(int)
{
    const int sig = state.crashingSignal ? state.crashingSignal : SIGABRT;
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(sig, &dfl, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
}

void writeFrames(int fd, unsigned long long pc)
{
    Line head;
    head.add("frames");
    writeLine(fd, head);
    void *frames[maxFrames];
    int count = 0;
    int first = 0;
    const int fromTerminate = state.terminateCount.load();
    if (fromTerminate >= 0) {
        count = fromTerminate;
        for (int i = 0; i < count; ++i)
            frames[i] = state.terminateFrames[i];
    } else {
        count = backtrace(frames, maxFrames);
        // Start where the thread stood when the signal came: skip this handler's own frames.
        first = count;
        for (int i = 0; i < count; ++i) {
            if ((unsigned long long)frames[i] == pc) {
                first = i;
                break;
            }
        }
        if (first == count) {
            Line line;
            line.addHex(pc);
            writeLine(fd, line);
            first = count > 2 ? 2 : count;
        }
    }
    for (int i = first; i < count; ++i) {
        Line line;
        line.addHex((unsigned long long)frames[i]);
        writeLine(fd, line);
    }
}

void handler(int sig, siginfo_t *info, void *context)
{
    const long tid = syscall(SYS_gettid);
    long expected = 0;
    if (!state.owner.compare_exchange_strong(expected, tid)) {
        if (expected == tid) { // a fault while writing the record
            endBySignal(sig);
            return;
        }
        for (;;) // the first crashing thread ends the process
            pause();
    }
    state.crashingSignal = sig;
    struct sigaction alarmAction {};
    alarmAction.sa_handler = onAlarm;
    sigemptyset(&alarmAction.sa_mask);
    sigaction(SIGALRM, &alarmAction, nullptr);
    alarm(2);

    const int fd = ::open(state.pendingPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        writeAll(fd, state.facts, state.factsLength);
        const unsigned long long pc = contextPc(context);
        struct timespec now {};
        clock_gettime(CLOCK_REALTIME, &now);
        Line line;
        line.add("signal ");
        line.addSigned(sig);
        line.add("\ncode ");
        line.addSigned(info ? info->si_code : 0);
        line.add("\naddress ");
        line.addHex(info ? (unsigned long long)info->si_addr : 0);
        line.add("\npc ");
        line.addHex(pc);
        line.add("\ntime ");
        line.addSigned((long long)now.tv_sec);
        line.add(" ");
        line.addSigned((long long)now.tv_nsec);
        line.add("\ntid ");
        line.addSigned(tid);
        writeLine(fd, line);
        writeFrames(fd, pc);
        Line maps;
        maps.add("maps");
        writeLine(fd, maps);
        copyFile(fd, "/proc/self/maps");
        // When the record was complete (it starts at the signal's "time").
        clock_gettime(CLOCK_REALTIME, &now);
        Line done;
        done.add("written ");
        done.addSigned((long long)now.tv_sec);
        done.add(" ");
        done.addSigned((long long)now.tv_nsec);
        writeLine(fd, done);
        ::close(fd);
        ::rename(state.pendingPath, state.recordPath);
    }
    alarm(0);
    endBySignal(sig);
}

int noteBuildId(struct dl_phdr_info *info, size_t, void *data)
{
    // The main program comes first, with an empty name.
    auto *out = static_cast<QString *>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr) &ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_NOTE)
            continue;
        const char *p = reinterpret_cast<const char *>(info->dlpi_addr + ph.p_vaddr);
        const char *end = p + ph.p_memsz;
        while (p + sizeof(ElfW(Nhdr)) <= end) {
            const auto *note = reinterpret_cast<const ElfW(Nhdr) *>(p);
            const char *name = p + sizeof(ElfW(Nhdr));
            const char *desc = name + ((note->n_namesz + 3) & ~3u);
            if (note->n_type == NT_GNU_BUILD_ID && note->n_namesz == 4 && std::memcmp(name, "GNU", 4) == 0) {
                *out = QString::fromLatin1(QByteArray(desc, int(note->n_descsz)).toHex());
                return 1;
            }
            p = desc + ((note->n_descsz + 3) & ~3u);
        }
    }
    return 1;
}

QByteArray factLine(const char *key, const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QByteArray(key) + ' ' + v.toUtf8() + '\n';
}

void copyInto(char *target, size_t size, const QByteArray &text)
{
    const size_t n = qMin(size - 1, size_t(text.size()));
    std::memcpy(target, text.constData(), n);
    target[n] = '\0';
}
} // namespace

QString ownBuildId()
{
    static const QString id = [] {
        QString found;
        dl_iterate_phdr(noteBuildId, &found);
        return found;
    }();
    return id;
}

bool install(const QString &folder, const Facts &facts)
{
    if (!PrivateFiles::makeFolder(folder))
        return false;
    // Loads the unwinder's library now: the first call may allocate, which the handler must not.
    void *warmUp[4];
    backtrace(warmUp, 4);

    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = QDir(folder).filePath(QStringLiteral("quillet-%1-%2.crash").arg(stamp).arg(getpid()));
    copyInto(state.recordPath, sizeof state.recordPath, QFile::encodeName(base));
    copyInto(state.pendingPath, sizeof state.pendingPath, QFile::encodeName(base + QStringLiteral(".part")));

    QByteArray text = "quillet crash record 1\n";
    text += factLine("version", facts.version);
    text += factLine("build", facts.build);
    text += factLine("commit", facts.commit);
    text += factLine("bundle", facts.bundleID);
    text += factLine("exe", QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
    text += factLine("buildid", ownBuildId());
    text += factLine("pid", QString::number(getpid()));
    copyInto(state.facts, sizeof state.facts, text);
    state.factsLength = std::strlen(state.facts);

    protectThisThread();
    if (!state.installed) {
        for (int sig : crashSignals) {
            struct sigaction action {};
            action.sa_sigaction = handler;
            action.sa_flags = SA_SIGINFO | SA_ONSTACK;
            sigemptyset(&action.sa_mask);
            sigaction(sig, &action, &state.previous[sig]);
        }
        state.installed = true;
    }
    return true;
}

void uninstall()
{
    if (!state.installed)
        return;
    for (int sig : crashSignals)
        sigaction(sig, &state.previous[sig], nullptr);
    state.installed = false;
}

void protectThisThread()
{
    if (threadAltStack)
        return;
    void *stack = mmap(nullptr, altStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (stack == MAP_FAILED)
        return;
    stack_t ss {};
    ss.ss_sp = stack;
    ss.ss_size = altStackSize;
    if (sigaltstack(&ss, nullptr) != 0) {
        munmap(stack, altStackSize);
        return;
    }
    threadAltStack = stack;
}

void releaseThisThread()
{
    if (!threadAltStack)
        return;
    stack_t ss {};
    ss.ss_flags = SS_DISABLE;
    sigaltstack(&ss, nullptr);
    munmap(threadAltStack, altStackSize);
    threadAltStack = nullptr;
}

void noteTerminateFrames(void *const *frames, int count)
{
    const int n = count < maxFrames ? count : maxFrames;
    for (int i = 0; i < n; ++i)
        state.terminateFrames[i] = frames[i];
    state.terminateCount.store(n);
}

QString pendingPath() { return QFile::decodeName(state.pendingPath); }
QString recordPath() { return QFile::decodeName(state.recordPath); }

} // namespace CrashCapture
