#pragma once
#include <QString>

#include <xcb/xcb.h>

// A minimal compositing manager for tests: it owns _NET_WM_CM_S0 and has the server redirect
// every top-level window, so each window keeps pixels of its own. It stops being one when it is
// destroyed (its connection closes).
class StandInCompositor
{
public:
    StandInCompositor();
    ~StandInCompositor();
    StandInCompositor(const StandInCompositor &) = delete;
    StandInCompositor &operator=(const StandInCompositor &) = delete;

    // Empty when it runs; else why not (no connection, or the server does not redirect).
    QString problem() const { return m_problem; }

private:
    xcb_connection_t *m_conn = nullptr;
    QString m_problem;
};
