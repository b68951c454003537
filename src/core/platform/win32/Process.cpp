#include "core/Process.h"

#include "core/platform/win32/WideText.h"

// windows.h first: the shell's headers need its declarations.
#include <windows.h>

#include <shellapi.h>

namespace Core {
namespace {

/** One argument quoted so that the C runtime's command-line parser gives it back unchanged. */
std::wstring quotedArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes double only before a quote, which itself is escaped.
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

} // namespace

std::int64_t spawnProcess(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments[0].empty()) return -1;
    std::wstring commandLine;
    for (const std::string& argument : arguments)
        commandLine += (commandLine.empty() ? L"" : L" ") + quotedArgument(widened(argument));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    // The child inherits no handles of the host.
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<std::int64_t>(process.dwProcessId);
}

bool launchProcess(const std::vector<std::string>& arguments) {
    return spawnProcess(arguments) >= 0;
}

bool openFolderInFileBrowser(const std::string& folder) {
    if (folder.empty()) return false;
    std::wstring path = widened(folder);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(
               ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

} // namespace Core
