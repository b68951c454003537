#pragma once
// Catches the X errors of our own requests without touching anyone else's. Xlib has one error handler
// per process, and the host installed its own: a trap installs ours only while it lives, answers for
// errors on the trapped connection, hands every other error to the handler it replaced, and restores
// that handler when it ends (after a round trip, so that the errors of our requests have arrived).
// Traps nest; only the outermost one swaps the handler.

#include <X11/Xlib.h>

namespace Mirda {

class CX11ErrorTrap {
public:
    explicit CX11ErrorTrap(Display* display);
    ~CX11ErrorTrap();
    CX11ErrorTrap(const CX11ErrorTrap&) = delete;
    CX11ErrorTrap& operator=(const CX11ErrorTrap&) = delete;

    // Waits for the server to answer every request so far; true when one of them failed since the
    // trap began or since the last call.
    bool failed();

private:
    friend int trapXError(Display*, XErrorEvent*);

    Display* m_display;
    CX11ErrorTrap* m_outer;
    XErrorHandler m_previous = nullptr;
    bool m_error = false;
};

} // namespace Mirda
