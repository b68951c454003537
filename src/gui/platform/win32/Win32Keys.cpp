#include "gui/platform/win32/Win32Keys.h"

#include <windows.h>

namespace Mirda {

uint8_t virtualKeyFromWin32(unsigned int windowsKey) {
    if (windowsKey >= VK_NUMPAD0 && windowsKey <= VK_NUMPAD9)
        return static_cast<uint8_t>(VKEY_NUMPAD0 + (windowsKey - VK_NUMPAD0));
    if (windowsKey >= VK_F1 && windowsKey <= VK_F12)
        return static_cast<uint8_t>(VKEY_F1 + (windowsKey - VK_F1));
    switch (windowsKey) {
    case VK_BACK:
        return VKEY_BACK;
    case VK_TAB:
        return VKEY_TAB;
    case VK_CLEAR:
        return VKEY_CLEAR;
    case VK_RETURN:
        return VKEY_RETURN;
    case VK_PAUSE:
        return VKEY_PAUSE;
    case VK_ESCAPE:
        return VKEY_ESCAPE;
    case VK_SPACE:
        return VKEY_SPACE;
    case VK_END:
        return VKEY_END;
    case VK_HOME:
        return VKEY_HOME;
    case VK_LEFT:
        return VKEY_LEFT;
    case VK_UP:
        return VKEY_UP;
    case VK_RIGHT:
        return VKEY_RIGHT;
    case VK_DOWN:
        return VKEY_DOWN;
    case VK_PRIOR:
        return VKEY_PAGEUP;
    case VK_NEXT:
        return VKEY_PAGEDOWN;
    case VK_SELECT:
        return VKEY_SELECT;
    case VK_PRINT:
        return VKEY_PRINT;
    case VK_SNAPSHOT:
        return VKEY_SNAPSHOT;
    case VK_INSERT:
        return VKEY_INSERT;
    case VK_DELETE:
        return VKEY_DELETE;
    case VK_HELP:
        return VKEY_HELP;
    case VK_MULTIPLY:
        return VKEY_MULTIPLY;
    case VK_ADD:
        return VKEY_ADD;
    case VK_SEPARATOR:
        return VKEY_SEPARATOR;
    case VK_SUBTRACT:
        return VKEY_SUBTRACT;
    case VK_DECIMAL:
        return VKEY_DECIMAL;
    case VK_DIVIDE:
        return VKEY_DIVIDE;
    case VK_NUMLOCK:
        return VKEY_NUMLOCK;
    case VK_SCROLL:
        return VKEY_SCROLL;
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VKEY_SHIFT;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VKEY_CONTROL;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
        return VKEY_ALT;
    case '9':
        return VKEY_DIGIT9;
    default:
        return 0;
    }
}

bool typesCharacter(unsigned int windowsKey) {
    return windowsKey == VK_SPACE || windowsKey == '9' ||
           (windowsKey >= VK_NUMPAD0 && windowsKey <= VK_DIVIDE);
}

uint8_t heldModifiers() {
    uint8_t modifier = 0;
    if (GetKeyState(VK_SHIFT) < 0) modifier |= MODIFIER_SHIFT;
    if (GetKeyState(VK_MENU) < 0) modifier |= MODIFIER_ALTERNATE;
    if (GetKeyState(VK_CONTROL) < 0) modifier |= MODIFIER_CONTROL;
    return modifier;
}

} // namespace Mirda
