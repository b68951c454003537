// The computer as Windows describes it: the version from the system itself, the processor from the
// registry's hardware description, memory, and the user with their administrator membership.
#include "support/SystemFacts.h"

#include "core/platform/win32/ModulePath.h"
#include "core/platform/win32/WideText.h"

#include <windows.h>

namespace Support {
namespace {

std::string registryText(HKEY root, const wchar_t* path, const wchar_t* name) {
    wchar_t buffer[256] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    if (RegGetValueW(root, path, name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS) return {};
    return Core::narrowed(buffer);
}

/** The version the system reports of itself; GetVersionEx answers what the program's manifest claims. */
std::string windowsBuild() {
    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto getVersion =
        ntdll
            ? reinterpret_cast<RtlGetVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!getVersion || getVersion(&version) != 0) return {};
    return std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) + "." +
           std::to_string(version.dwBuildNumber);
}

bool isAdministrator() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                  0, 0, 0, 0, &administrators))
        return false;
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    FreeSid(administrators);
    return member;
}

} // namespace

std::string hostExecutablePath() {
    return Core::modulePath(nullptr);
}

SystemFacts gatherSystemFacts() {
    SystemFacts facts;
    const std::time_t now = std::time(nullptr);
    localtime_s(&facts.localTime, &now);

    const wchar_t* const versionKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    facts.osName = registryText(HKEY_LOCAL_MACHINE, versionKey, L"ProductName");
    if (facts.osName.empty()) facts.osName = "Windows";
    facts.build = windowsBuild();
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    facts.is64Bit = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                    system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;

    const wchar_t* const processorKey = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
    facts.processorName = registryText(HKEY_LOCAL_MACHINE, processorKey, L"ProcessorNameString");
    facts.processorIdentifier = registryText(HKEY_LOCAL_MACHINE, processorKey, L"Identifier");
    facts.processorVendor = registryText(HKEY_LOCAL_MACHINE, processorKey, L"VendorIdentifier");

    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof(memory);
    if (GlobalMemoryStatusEx(&memory)) facts.memoryBytes = memory.ullTotalPhys;

    wchar_t user[257] = {};
    DWORD length = 257;
    if (GetUserNameW(user, &length)) facts.user = Core::narrowed(user);
    facts.admin = isAdministrator();
    return facts;
}

} // namespace Support
