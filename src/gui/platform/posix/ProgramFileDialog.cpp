#include "gui/platform/posix/ProgramFileDialog.h"

#include <cstdlib>
#include <cstring>

namespace Mirda {
namespace {

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string filterName(const CFileExtension& extension) {
    return extension.description + " (" + extension.extension + ")";
}

std::string filterPattern(const CFileExtension& extension) {
    return "*." + extension.extension;
}

std::vector<std::string> kdialogArguments(const CFileDialogRequest& request) {
    std::vector<std::string> args{"kdialog", "--title", request.title};
    const std::string start = request.initialPath.empty() ? "." : request.initialPath;
    if (request.style == FileSelectorStyle::kFolder) {
        args.insert(args.end(), {"--getexistingdirectory", start});
        return args;
    }
    const bool save = request.style == FileSelectorStyle::kSave;
    if (!save && request.allowMultiple) args.insert(args.end(), {"--multiple", "--separate-output"});
    args.insert(args.end(), {save ? "--getsavefilename" : "--getopenfilename", start});
    std::string filter;
    for (const CFileExtension& e : request.extensions) {
        if (!filter.empty()) filter += '\n';
        filter += filterPattern(e) + "|" + filterName(e);
    }
    if (!filter.empty()) args.push_back(filter);
    return args;
}

std::vector<std::string> zenityArguments(const CFileDialogRequest& request) {
    std::vector<std::string> args{"zenity", "--file-selection", "--title=" + request.title};
    if (request.style == FileSelectorStyle::kFolder) args.push_back("--directory");
    if (request.style == FileSelectorStyle::kSave) args.push_back("--save");
    if (request.style == FileSelectorStyle::kOpen && request.allowMultiple)
        args.insert(args.end(), {"--multiple", "--separator=\n"});
    if (!request.initialPath.empty()) args.push_back("--filename=" + request.initialPath);
    for (const CFileExtension& e : request.extensions)
        args.push_back("--file-filter=" + filterName(e) + " | " + filterPattern(e));
    if (!request.extensions.empty()) args.push_back("--file-filter=All files | *");
    return args;
}

} // namespace

std::unique_ptr<CNativeFileDialog> makeNativeFileDialog() {
    return std::make_unique<CProgramFileDialog>();
}

std::string CProgramFileDialog::findDialogProgram() {
    // KDE sessions get their own dialog first; everywhere else the GTK one.
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    const bool kde = desktop && std::strstr(desktop, "KDE");
    const char* order[2] = {kde ? "kdialog" : "zenity", kde ? "zenity" : "kdialog"};
    for (const char* name : order)
        if (std::string path = findProgramInPath(name); !path.empty()) return path;
    return {};
}

std::vector<std::string> CProgramFileDialog::commandLine(const std::string& program,
                                                         const CFileDialogRequest& request) {
    return baseName(program) == "kdialog" ? kdialogArguments(request) : zenityArguments(request);
}

bool CProgramFileDialog::start(const CFileDialogRequest& request) {
    const std::string program = findDialogProgram();
    return !program.empty() && m_child.start(program, commandLine(program, request));
}

bool CProgramFileDialog::poll(std::vector<std::string>& paths) {
    if (!m_child.poll()) return false;
    // Zenity and kdialog print the choice and exit with 0; cancelling exits with 1. When the exit code
    // is lost (someone else reaped the child) the output alone decides.
    const bool chosen = m_child.exitCode() == 0 || m_child.exitCode() == -1;
    paths = chosen ? splitLines(m_child.output()) : std::vector<std::string>{};
    return true;
}

bool CProgramFileDialog::wait(int timeoutMs) {
    return m_child.wait(timeoutMs);
}

} // namespace Mirda
