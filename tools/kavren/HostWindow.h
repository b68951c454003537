// A top-level window of the command-line host that the plug-in's editor opens inside, as a DAW gives
// one. One implementation per window system, in the platform folders.
#pragma once

#include <memory>
#include <string>

namespace kavren {

class HostWindow {
public:
    // A window of `width` x `height` pixels that the user cannot resize; null without a window system.
    static std::unique_ptr<HostWindow> open(const std::string& title, int width, int height);
    virtual ~HostWindow() = default;

    // The native handle the editor opens inside (an X11 Window id, a Win32 HWND).
    virtual void* handle() const = 0;
    // Follows the editor's new size (its scale changed).
    virtual void resize(int width, int height) = 0;
    // Handles the window's pending events; false once the user has closed it.
    virtual bool pump() = 0;
};

} // namespace kavren
