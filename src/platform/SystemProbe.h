#pragma once
#include <QList>
#include <QString>

// Facts about the machine that reports carry. The system's own probe reads them fresh on every
// call; tests put a fake in its place.
class SystemProbe
{
public:
    struct Screen {
        double width = 0;  // logical pixels
        double height = 0;
        double scale = 1;  // device pixels per logical pixel
    };

    virtual ~SystemProbe() = default;
    // The distribution's name and version, then the kernel.
    virtual QString os() const = 0;
    // The machine's model from the firmware (DMI) or the device tree; "unknown" without either.
    virtual QString model() const = 0;
    // The processor architecture the process runs on ("x86_64", "arm64", ...).
    virtual QString arch() const = 0;
    virtual QString locale() const = 0; // "en_US"
    virtual qint64 memoryBytes() const = 0;
    virtual QList<Screen> screens() const = 0; // in the system's order

    static SystemProbe &system();
    // Replaces the process-wide probe (tests); null puts the system's own back.
    static void setCurrent(SystemProbe *probe);
    static SystemProbe &current();
};
