#include "Symbols.h"

#include <QFileInfo>

#include <cstdlib>
#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>

namespace Symbols {
namespace {
struct Found {
    QString image;
    QString function;
    quintptr offset = 0;
};

Found lookUp(const void *address, bool isReturn)
{
    Found found;
    const char *probe = static_cast<const char *>(address) - (isReturn ? 1 : 0);
    Dl_info info{};
    const ElfW(Sym) *symbol = nullptr;
    if (!dladdr1(probe, &info, reinterpret_cast<void **>(const_cast<ElfW(Sym) **>(&symbol)), RTLD_DL_SYMENT))
        return found;
    if (info.dli_fname)
        found.image = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).fileName();
    if (!info.dli_sname || !info.dli_saddr || !symbol)
        return found;
    const char *start = static_cast<const char *>(info.dli_saddr);
    // dladdr names the nearest exported symbol below; only its own range counts.
    if (symbol->st_size > 0 && (probe < start || probe >= start + symbol->st_size))
        return found;
    found.function = demangle(info.dli_sname);
    found.offset = quintptr(static_cast<const char *>(address) - start);
    return found;
}
} // namespace

QString demangle(const char *name)
{
    if (!name)
        return QString();
    int status = 0;
    char *plain = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    if (status != 0 || !plain)
        return QString::fromLatin1(name);
    const QString text = QString::fromLatin1(plain);
    std::free(plain);
    return text;
}

QString functionAt(const void *address, bool isReturn)
{
    return lookUp(address, isReturn).function;
}

QStringList describe(void *const *addresses, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        const Found f = lookUp(addresses[i], i > 0);
        QString line = QStringLiteral("%1 %2 0x%3").arg(i).arg(f.image.isEmpty() ? QStringLiteral("?") : f.image)
                           .arg(quintptr(addresses[i]), 0, 16);
        if (!f.function.isEmpty())
            line += QStringLiteral(" %1 + %2").arg(f.function).arg(f.offset);
        lines << line;
    }
    return lines;
}

QStringList currentStack(int skip, int limit)
{
    void *frames[256];
    const int n = backtrace(frames, 256);
    const int first = qMin(n, skip + 1); // this function's own frame too
    return describe(frames + first, qMin(n - first, limit));
}

} // namespace Symbols
