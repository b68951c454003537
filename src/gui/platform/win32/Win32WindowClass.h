#pragma once
// The window classes of Mirda's windows. Each is registered by the module that contains this code under
// a name that includes the module's address, so that two builds of a plug-in loaded into one host never
// share (and never replace) each other's class; it is unregistered when its last window has gone, so a
// module unloaded by the host leaves no class behind that points into it.

#include <windows.h>

#include <string>

namespace Mirda {

class CWin32WindowClass {
public:
    // Registers the class `role` with `procedure` for as long as one holder lives.
    CWin32WindowClass(const wchar_t* role, WNDPROC procedure, UINT style);
    ~CWin32WindowClass();
    CWin32WindowClass(const CWin32WindowClass&) = delete;
    CWin32WindowClass& operator=(const CWin32WindowClass&) = delete;

    const wchar_t* name() const { return m_name.c_str(); }
    // The module (DLL or program) this code belongs to.
    static HINSTANCE module();

private:
    std::wstring m_name;
};

} // namespace Mirda
