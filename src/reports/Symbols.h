#pragma once
#include <QString>
#include <QStringList>

// Names for code addresses of this process, for exception records and hang samples.
namespace Symbols {
// The demangled name of the function that holds address, or empty. A return address
// (isReturn) is looked up one byte back, inside the call.
QString functionAt(const void *address, bool isReturn);
// One line per address: "<n> <image> 0x<address> <function> + <offset>" (the function and
// offset only when known). The first address is where the thread stood, the rest are returns.
QStringList describe(void *const *addresses, int count);
// The calling thread's stack, without the `skip` innermost frames of the caller's own, as
// described lines; at most `limit` of them.
QStringList currentStack(int skip, int limit);
// "std::out_of_range" from "St12out_of_range"; the text itself when it does not demangle.
QString demangle(const char *name);
} // namespace Symbols
