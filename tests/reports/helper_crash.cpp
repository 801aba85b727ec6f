// Crashes in the way its first argument names, with crash capture installed, so that a test
// can look at the record it leaves. "convert" turns the records into crash reports instead.
#include "reports/CrashCapture.h"
#include "reports/CrashStore.h"
#include "reports/Reports.h"

#include "platform/Paths.h"

#include <QCoreApplication>
#include <QTemporaryFile>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

#define HELPER_FUNCTION extern "C++" __attribute__((noinline, visibility("default")))

HELPER_FUNCTION void crashByNullWrite()
{
    int *volatile target = nullptr;
    *target = 1;
    asm volatile("" ::: "memory");
}

volatile int stopAt = -1; // never reached: the stack runs out first

HELPER_FUNCTION int recurseWithoutEnd(int depth)
{
    volatile char room[512];
    room[0] = char(depth);
    if (depth == stopAt)
        return 0;
    const int below = recurseWithoutEnd(depth + 1);
    return below + room[0];
}

HELPER_FUNCTION void crashByAbort()
{
    std::abort();
    asm volatile("" ::: "memory");
}

HELPER_FUNCTION void throwOutOfRange()
{
    throw std::out_of_range("index 3 past the end of 2");
}

HELPER_FUNCTION int divideByZero(int n)
{
    volatile int zero = 0;
    const int result = n / zero;
    asm volatile("" ::: "memory");
    return result;
}

HELPER_FUNCTION void crashByBusError()
{
    QTemporaryFile file;
    file.open();
    file.resize(4096);
    char *map = static_cast<char *>(mmap(nullptr, 4096, PROT_READ, MAP_SHARED, file.handle(), 0));
    file.resize(0);
    volatile char c = map[0];
    (void)c;
    asm volatile("" ::: "memory");
}

std::atomic<int> ready{0};

HELPER_FUNCTION void crashTogether()
{
    ready.fetch_add(1);
    while (ready.load() < 2) {
    }
    crashByNullWrite();
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLatin1(argv[1]) : QString();
    if (mode == QLatin1String("convert")) {
        for (const QString &path : CrashStore::convertPending())
            std::printf("%s\n", qPrintable(path));
        return 0;
    }
    CrashCapture::install(Paths::crashesDir(), {QStringLiteral("1.2"), QStringLiteral("34"), QStringLiteral("abc"),
                                                QStringLiteral("app.quillet.dev")});
    std::set_terminate(Reports::uncaughtExceptionHandler);

    if (mode == QLatin1String("null"))
        crashByNullWrite();
    else if (mode == QLatin1String("overflow"))
        std::printf("%d\n", recurseWithoutEnd(0));
    else if (mode == QLatin1String("abort"))
        crashByAbort();
    else if (mode == QLatin1String("uncaught"))
        throwOutOfRange();
    else if (mode == QLatin1String("uncaughtThread"))
        std::thread(throwOutOfRange).join();
    else if (mode == QLatin1String("divide"))
        std::printf("%d\n", divideByZero(argc));
    else if (mode == QLatin1String("bus"))
        crashByBusError();
    else if (mode == QLatin1String("twoThreads")) {
        std::thread other(crashTogether);
        crashTogether();
        other.join();
    } else if (mode == QLatin1String("crashTest")) {
        Reports::armCrashTest(0.05);
        return app.exec();
    }
    return 3;
}
