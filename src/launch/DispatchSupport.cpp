#include "DispatchSupport.h"

#include "capture/FreezeError.h"
#include "app/FrontBeforeCapture.h"

#include <QElapsedTimer>

namespace DispatchSupport {

double mediaTime()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return double(clock.nsecsElapsed()) / 1e9;
}

std::optional<RunningApp> frontmostApp()
{
    return FrontBeforeCapture::now();
}

QString describe(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const FreezeError &e) {
        return e.description();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace DispatchSupport
