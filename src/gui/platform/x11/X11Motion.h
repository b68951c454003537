#pragma once
// Pointer motion is compressed to the newest position, but only across motion events that follow each
// other in the queue: a button event in between must keep its place.

#include <X11/Xlib.h>

namespace Mirda {

// Replaces `event` (a MotionNotify) by the last of the motion events queued right behind it for the
// same window.
inline void takeLatestMotion(Display* display, XEvent& event) {
    while (XEventsQueued(display, QueuedAlready) > 0) {
        XEvent next;
        XPeekEvent(display, &next);
        if (next.type != MotionNotify || next.xmotion.window != event.xmotion.window) return;
        XNextEvent(display, &event);
    }
}

} // namespace Mirda
