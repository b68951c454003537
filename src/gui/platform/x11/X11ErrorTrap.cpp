#include "gui/platform/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>

namespace Mirda {
namespace {
// The traps of the GUI thread, innermost first.
CX11ErrorTrap* g_innermost = nullptr;
} // namespace

int trapXError(Display* display, XErrorEvent* error) {
    CX11ErrorTrap* outermost = nullptr;
    for (CX11ErrorTrap* trap = g_innermost; trap; trap = trap->m_outer) {
        if (trap->m_display == display) {
            trap->m_error = true;
            return 0;
        }
        outermost = trap;
    }
    if (outermost && outermost->m_previous) return outermost->m_previous(display, error);
    return 0;
}

int trapXIOError(Display* display) {
    CX11ErrorTrap* outermost = nullptr;
    for (CX11ErrorTrap* trap = g_innermost; trap; trap = trap->m_outer) {
        if (trap->m_display == display) return 0; // the connection's exit handler takes over
        outermost = trap;
    }
    return outermost && outermost->m_previousIO ? outermost->m_previousIO(display) : 0;
}

void CX11ErrorTrap::keepAliveOnLoss(Display* display, bool* lost) {
    XSetIOErrorExitHandler(
        display, [](Display*, void* flag) { *static_cast<bool*>(flag) = true; }, lost);
}

CX11ErrorTrap::CX11ErrorTrap(Display* display) : m_display(display), m_outer(g_innermost) {
    if (!m_outer) {
        m_previous = XSetErrorHandler(trapXError);
        m_previousIO = XSetIOErrorHandler(trapXIOError);
    }
    g_innermost = this;
}

CX11ErrorTrap::~CX11ErrorTrap() {
    // An enclosing trap on the same connection collects the errors later in one round trip.
    bool enclosed = false;
    for (const CX11ErrorTrap* trap = m_outer; trap && !enclosed; trap = trap->m_outer)
        enclosed = trap->m_display == m_display;
    if (!enclosed) XSync(m_display, False);
    // Errors that arrive during the round trip belong to this trap; pass them outwards unseen.
    g_innermost = m_outer;
    if (!m_outer) {
        XSetErrorHandler(m_previous);
        XSetIOErrorHandler(m_previousIO);
    }
}

bool CX11ErrorTrap::failed() {
    XSync(m_display, False);
    const bool error = m_error;
    m_error = false;
    return error;
}

} // namespace Mirda
