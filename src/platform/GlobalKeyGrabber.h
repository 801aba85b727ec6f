#pragma once
#include <QHash>
#include <QObject>

#include <functional>

// Global key combinations taken for the whole desktop, and the key presses the application sees
// first. Keys are key codes of KeyTable, modifiers EventFlag bits (Caps Lock and Num Lock never
// count). One shared grabber serves the process; it lives on the main thread.
class GlobalKeyGrabber : public QObject
{
    Q_OBJECT
public:
    // Status of a refused grab: the X error code, or one of these.
    static constexpr int BadAccess = 10;   // another client holds the combination
    static constexpr int NoSuchKey = -1;   // the keyboard has no key for the key code
    static constexpr int Unavailable = -2; // no X server

    ~GlobalKeyGrabber() override;

    // The X11 grabber on an X display, an unavailable one elsewhere (decided on the first call,
    // which must come after the application object exists); setShared replaces it (tests;
    // nullptr brings back the default).
    static GlobalKeyGrabber &shared();
    static void setShared(GlobalKeyGrabber *grabber);

    // Whether the display offers global grabs and key events.
    virtual bool isAvailable() const = 0;

    // Takes the combination under id: 0 on success, else the status of the refusal.
    int grab(quint32 id, int keyCode, quint64 flags);
    void ungrab(quint32 id);

    // While suspended the combinations are released to the desktop (so that a shortcut can be
    // recorded) but kept; resume takes them again and asks for a new registration.
    void suspend();
    void resume();
    bool isSuspended() const { return m_suspended; }

    // Offered every key press first (key code, modifiers, auto-repeat); true swallows the key.
    void setKeyFilter(std::function<bool(int, quint64, bool)> filter) { m_filter = std::move(filter); }
    bool hasKeyFilter() const { return bool(m_filter); }

signals:
    // A grabbed combination was pressed; never sent for auto-repeats of a held key.
    void hotKeyPressed(quint32 id);
    // The keyboard mapping or the grabs changed under us: registrations must be made again.
    void registrationNeeded();

protected:
    explicit GlobalKeyGrabber(QObject *parent = nullptr) : QObject(parent) {}

    virtual int grabKey(int keyCode, quint64 flags) = 0;
    virtual void ungrabKey(int keyCode, quint64 flags) = 0;

    // A key press seen by the implementation: the filter first, then the grabs. Returns true
    // when the key is swallowed or is one of the grabbed combinations.
    bool keyPressed(int keyCode, quint64 flags, bool repeat);
    bool isGrabbed(int keyCode, quint64 flags) const;

private:
    struct Combination {
        int keyCode;
        quint64 flags;
    };
    QHash<quint32, Combination> m_grabs;
    std::function<bool(int, quint64, bool)> m_filter;
    bool m_suspended = false;
};
