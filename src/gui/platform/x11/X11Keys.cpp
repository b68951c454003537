#include "gui/platform/x11/X11Keys.h"

#include "gui/KeyCodes.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace Mirda {

uint8_t virtualKeyFromKeysym(unsigned long keysym) {
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return static_cast<uint8_t>(VKEY_NUMPAD0 + (keysym - XK_KP_0));
    if (keysym >= XK_F1 && keysym <= XK_F12) return static_cast<uint8_t>(VKEY_F1 + (keysym - XK_F1));
    switch (keysym) {
    case XK_BackSpace:
        return VKEY_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        return VKEY_TAB;
    case XK_Clear:
        return VKEY_CLEAR;
    case XK_Return:
    case XK_KP_Enter:
        return VKEY_RETURN;
    case XK_Pause:
        return VKEY_PAUSE;
    case XK_Escape:
        return VKEY_ESCAPE;
    case XK_space:
        return VKEY_SPACE;
    case XK_End:
    case XK_KP_End:
        return VKEY_END;
    case XK_Home:
    case XK_KP_Home:
        return VKEY_HOME;
    case XK_Left:
    case XK_KP_Left:
        return VKEY_LEFT;
    case XK_Up:
    case XK_KP_Up:
        return VKEY_UP;
    case XK_Right:
    case XK_KP_Right:
        return VKEY_RIGHT;
    case XK_Down:
    case XK_KP_Down:
        return VKEY_DOWN;
    case XK_Page_Up:
    case XK_KP_Page_Up:
        return VKEY_PAGEUP;
    case XK_Page_Down:
    case XK_KP_Page_Down:
        return VKEY_PAGEDOWN;
    case XK_Select:
        return VKEY_SELECT;
    case XK_Print:
        return VKEY_PRINT;
    case XK_Insert:
    case XK_KP_Insert:
        return VKEY_INSERT;
    case XK_Delete:
    case XK_KP_Delete:
        return VKEY_DELETE;
    case XK_Help:
        return VKEY_HELP;
    case XK_KP_Multiply:
        return VKEY_MULTIPLY;
    case XK_KP_Add:
        return VKEY_ADD;
    case XK_KP_Separator:
        return VKEY_SEPARATOR;
    case XK_KP_Subtract:
        return VKEY_SUBTRACT;
    case XK_KP_Decimal:
        return VKEY_DECIMAL;
    case XK_KP_Divide:
        return VKEY_DIVIDE;
    case XK_Num_Lock:
        return VKEY_NUMLOCK;
    case XK_Scroll_Lock:
        return VKEY_SCROLL;
    case XK_Shift_L:
    case XK_Shift_R:
        return VKEY_SHIFT;
    case XK_Control_L:
    case XK_Control_R:
        return VKEY_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
        return VKEY_ALT;
    case XK_9:
        return VKEY_DIGIT9;
    default:
        return 0;
    }
}

bool keyCodeFromEvent(XEvent& event, VstKeyCode& key) {
    char text[16] = {};
    KeySym keysym = 0;
    const int length = XLookupString(&event.xkey, text, sizeof text - 1, &keysym, nullptr);
    key = VstKeyCode{};
    key.virt = virtualKeyFromKeysym(keysym);
    if (length == 1 && static_cast<unsigned char>(text[0]) >= 0x20 && text[0] != 0x7F)
        key.character = static_cast<unsigned char>(text[0]);
    else if (keysym >= 0x20 && keysym <= 0x7E)
        key.character = static_cast<int32_t>(keysym);
    else if ((keysym & 0xFF000000) == 0x01000000)
        key.character = static_cast<int32_t>(keysym & 0x00FFFFFF); // Unicode keysyms
    else if (keysym >= 0xA0 && keysym <= 0xFF)
        key.character = static_cast<int32_t>(keysym); // Latin-1
    if (key.virt == 0 && key.character == 0) return false;
    if (event.xkey.state & ShiftMask) key.modifier |= MODIFIER_SHIFT;
    if (event.xkey.state & Mod1Mask) key.modifier |= MODIFIER_ALTERNATE;
    if (event.xkey.state & ControlMask) key.modifier |= MODIFIER_CONTROL;
    return true;
}

} // namespace Mirda
