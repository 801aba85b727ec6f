#include "platform/ProcessTree.h"

#include <QByteArray>
#include <QFile>

namespace ProcessTree {

qint64 parentOf(qint64 pid)
{
    if (pid <= 0)
        return 0;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // "pid (name) state ppid …": the name may hold blanks and brackets, so read after the last ')'.
    const QByteArray line = stat.read(4096);
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return 0;
    const QList<QByteArray> fields = line.mid(close + 1).simplified().split(' ');
    if (fields.size() < 2)
        return 0;
    bool ok = false;
    const qint64 parent = fields.at(1).toLongLong(&ok);
    return ok ? parent : 0;
}

bool descendsFrom(qint64 pid, qint64 ancestor)
{
    if (pid <= 0 || ancestor <= 0)
        return false;
    // A chain longer than this is a loop read while processes came and went.
    for (int depth = 0; depth < 64 && pid > 1; ++depth) {
        if (pid == ancestor)
            return true;
        pid = parentOf(pid);
    }
    return pid == ancestor;
}

} // namespace ProcessTree
