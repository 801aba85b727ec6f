#pragma once
#include <QByteArray>
#include <QList>

#include <xcb/xcb.h>

#include <optional>

// Small helpers over Qt's own X connection: atoms by name and window properties. Every function
// answers nothing (or does nothing) when the application does not run on X11.
namespace X11Props {
xcb_connection_t *connection();
// The root window of the default screen; 0 without X11.
xcb_window_t root();
// The atom of a name (interned once and cached); 0 without X11.
xcb_atom_t atom(const char *name);

// The 32-bit values of a property of the given type (CARDINAL, WINDOW, ATOM, …), or nothing
// when the window has no such property.
std::optional<QList<quint32>> values(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);
std::optional<quint32> value(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);
// The bytes of an 8-bit property of any type.
std::optional<QByteArray> bytes(xcb_window_t window, xcb_atom_t property);

// The X server's time now (a round trip on a private connection); 0 (CurrentTime) when it
// cannot be had.
quint32 serverTime();

// Sends a 32-bit client message about window to the root window, as window managers expect.
void sendToRoot(xcb_window_t window, xcb_atom_t type, const quint32 (&data)[5]);
} // namespace X11Props
