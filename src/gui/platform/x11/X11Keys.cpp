#include "gui/platform/x11/X11Keys.h"

#include "gui/KeyCodes.h"
#include "gui/Utf8.h"

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
    case XK_Print: // the print-screen key
        return VKEY_SNAPSHOT;
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

namespace {

uint8_t modifiersFromState(unsigned int state) {
    uint8_t modifier = 0;
    if (state & ShiftMask) modifier |= MODIFIER_SHIFT;
    if (state & Mod1Mask) modifier |= MODIFIER_ALTERNATE;
    if (state & ControlMask) modifier |= MODIFIER_CONTROL;
    return modifier;
}

bool isPrintable(char32_t c) {
    return c >= 0x20 && c != 0x7F;
}

// Without an input method: Latin-1 text, or the character a keysym stands for.
char32_t characterWithoutInputMethod(XKeyEvent& event, KeySym& keysym) {
    char text[16] = {};
    const int length = XLookupString(&event, text, sizeof text - 1, &keysym, nullptr);
    if (length == 1 && isPrintable(static_cast<unsigned char>(text[0])))
        return static_cast<unsigned char>(text[0]);
    if (keysym >= 0x20 && keysym <= 0x7E) return static_cast<char32_t>(keysym);
    if ((keysym & 0xFF000000) == 0x01000000)
        return static_cast<char32_t>(keysym & 0x00FFFFFF);                      // Unicode keysyms
    if (keysym >= 0xA0 && keysym <= 0xFF) return static_cast<char32_t>(keysym); // Latin-1
    return 0;
}

// Through the input method: any text it composed (nothing while a dead key waits for the next key).
std::u32string textFromInputMethod(XIC ic, XKeyEvent& event, KeySym& keysym) {
    char text[64];
    Status status = 0;
    const int length = Xutf8LookupString(ic, &event, text, sizeof text, &keysym, &status);
    if (status != XLookupKeySym && status != XLookupBoth) keysym = NoSymbol;
    std::u32string result;
    if (status != XLookupChars && status != XLookupBoth) return result;
    const std::string_view utf8(text, static_cast<size_t>(length));
    for (size_t pos = 0; pos < utf8.size();)
        if (const char32_t c = decodeUtf8(utf8, pos); isPrintable(c)) result.push_back(c);
    return result;
}

} // namespace

std::vector<VstKeyCode> keyCodesFromEvent(XEvent& event, XIC ic) {
    KeySym keysym = NoSymbol;
    std::u32string text;
    if (ic && event.type == KeyPress) {
        text = textFromInputMethod(ic, event.xkey, keysym);
    } else if (const char32_t c = characterWithoutInputMethod(event.xkey, keysym)) {
        text.push_back(c);
    }
    std::vector<VstKeyCode> keys;
    VstKeyCode first;
    first.virt = virtualKeyFromKeysym(keysym);
    first.character = text.empty() ? 0 : static_cast<int32_t>(text[0]);
    first.modifier = modifiersFromState(event.xkey.state);
    if (first.virt != 0 || first.character != 0) keys.push_back(first);
    for (size_t i = 1; i < text.size(); ++i) {
        VstKeyCode next;
        next.character = static_cast<int32_t>(text[i]);
        next.modifier = first.modifier;
        keys.push_back(next);
    }
    return keys;
}

bool keyCodeFromEvent(XEvent& event, VstKeyCode& key) {
    const std::vector<VstKeyCode> keys = keyCodesFromEvent(event, nullptr);
    if (keys.empty()) return false;
    key = keys.front();
    return true;
}

} // namespace Mirda
