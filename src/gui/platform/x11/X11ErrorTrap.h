#pragma once
// Catches the X errors of our own requests without touching anyone else's. Xlib has one error handler
// per process, and the host installed its own: a trap installs ours only while it lives, answers for
// errors on the trapped connection, hands every other error to the handler it replaced, and restores
// that handler when it ends (after a round trip, so that the errors of our requests have arrived).
// Traps nest; only the outermost one swaps the handler.
//
// A broken connection (the X server gone) is an IO error, after which Xlib's default ends the process. A
// trap swaps the IO error handler in the same way: for a connection it traps, the error passes quietly,
// and the connection's exit handler (see keepAliveOnLoss) marks it lost instead of ending the process.

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

    // Lets the process live on when the connection breaks: `lost` becomes true, and every later call on
    // the connection returns without waiting. The loss passes quietly only inside a trap.
    static void keepAliveOnLoss(Display* display, bool* lost);

private:
    friend int trapXError(Display*, XErrorEvent*);
    friend int trapXIOError(Display*);

    Display* m_display;
    CX11ErrorTrap* m_outer;
    XErrorHandler m_previous = nullptr;
    XIOErrorHandler m_previousIO = nullptr;
    bool m_error = false;
};

} // namespace Mirda
