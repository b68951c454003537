#include "gui/FileSelector.h"

#include "gui/Frame.h"
#include "gui/PathPrompt.h"
#include "gui/platform/posix/ChildOutput.h"

#include <cstdlib>
#include <cstring>

namespace Mirda {
namespace {

constexpr uint32_t kPollIntervalMs = 50;

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

} // namespace

CFileSelector::CFileSelector(CFrame* frame, FileSelectorStyle style)
    : m_frame(frame), m_style(style), m_title(style == FileSelectorStyle::kFolder ? "Select a folder"
                                              : style == FileSelectorStyle::kSave ? "Save"
                                                                                  : "Open") {}

CFileSelector::~CFileSelector() {
    CTimerService::instance().unregisterClient(this);
}

std::string CFileSelector::findDialogProgram() {
    // KDE sessions get their own dialog first; everywhere else the GTK one.
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    const bool kde = desktop && std::strstr(desktop, "KDE");
    const char* order[2] = {kde ? "kdialog" : "zenity", kde ? "zenity" : "kdialog"};
    for (const char* name : order)
        if (std::string path = findProgramInPath(name); !path.empty()) return path;
    return {};
}

std::string CFileSelector::filterName(const CFileExtension& extension) {
    return extension.description + " (" + extension.extension + ")";
}

std::string CFileSelector::filterPattern(const CFileExtension& extension) {
    return "*." + extension.extension;
}

std::vector<std::string> CFileSelector::commandLine(const std::string& program) const {
    const std::string name = baseName(program);
    std::vector<std::string> args{name};
    if (name == "kdialog") {
        args.insert(args.end(), {"--title", m_title});
        if (m_style == FileSelectorStyle::kFolder) {
            args.insert(args.end(), {"--getexistingdirectory", m_initialPath.empty() ? "." : m_initialPath});
            return args;
        }
        const bool save = m_style == FileSelectorStyle::kSave;
        if (!save && m_allowMultiple) args.insert(args.end(), {"--multiple", "--separate-output"});
        args.push_back(save ? "--getsavefilename" : "--getopenfilename");
        args.push_back(m_initialPath.empty() ? "." : m_initialPath);
        std::string filter;
        for (const CFileExtension& e : m_extensions)
            filter += (filter.empty() ? "" : "\n") + filterPattern(e) + "|" + filterName(e);
        if (!filter.empty()) args.push_back(filter);
        return args;
    }
    args.insert(args.end(), {"--file-selection", "--title=" + m_title});
    if (m_style == FileSelectorStyle::kFolder) args.push_back("--directory");
    if (m_style == FileSelectorStyle::kSave) args.push_back("--save");
    if (m_style == FileSelectorStyle::kOpen && m_allowMultiple)
        args.insert(args.end(), {"--multiple", "--separator=\n"});
    if (!m_initialPath.empty()) args.push_back("--filename=" + m_initialPath);
    for (const CFileExtension& e : m_extensions)
        args.push_back("--file-filter=" + filterName(e) + " | " + filterPattern(e));
    if (!m_extensions.empty()) args.push_back("--file-filter=All files | *");
    return args;
}

bool CFileSelector::run(Callback callback) {
    if (m_running) return false;
    m_callback = std::move(callback);
    const std::string program = findDialogProgram();
    auto child = std::make_unique<CChildOutput>();
    if (!program.empty() && child->start(program, commandLine(program))) {
        m_child = std::move(child);
        CTimerService::instance().registerClient(this, kPollIntervalMs);
    } else if (!showPrompt()) {
        m_callback = nullptr;
        return false;
    }
    m_running = true;
    addRef(); // alive until it answers
    return true;
}

bool CFileSelector::showPrompt() {
    if (!m_frame || m_frame->getModalView()) return false;
    auto* prompt = new CPathPrompt(
        m_frame->getViewSize(), m_title, m_initialPath, [this](bool confirmed, const std::string& text) {
            answer(confirmed && !text.empty() ? std::vector<std::string>{text} : std::vector<std::string>{});
        });
    if (!m_frame->setModalView(prompt)) {
        prompt->release();
        return false;
    }
    return true;
}

void CFileSelector::onTimer(uint32_t) {
    if (!m_child || !m_child->poll()) return;
    // Zenity and kdialog print the choice and exit with 0; cancelling exits with 1. When the exit code
    // is lost (someone else reaped the child) the output alone decides.
    const bool chosen = m_child->exitCode() == 0 || m_child->exitCode() == -1;
    answer(chosen ? splitLines(m_child->output()) : std::vector<std::string>{});
}

bool CFileSelector::waitForProgram(int timeoutMs) {
    return m_child && m_child->wait(timeoutMs);
}

void CFileSelector::answer(const std::vector<std::string>& paths) {
    if (!m_running) return;
    m_running = false;
    CTimerService::instance().unregisterClient(this);
    m_child.reset();
    Callback callback = std::move(m_callback);
    m_callback = nullptr;
    if (callback) callback(paths);
    release();
}

void CFileSelector::cancel() {
    if (!m_running) return;
    m_callback = nullptr;
    if (m_frame && m_frame->getModalView() && m_frame->getModalView()->isTypeOf("CPathPrompt"))
        m_frame->setModalView(nullptr);
    answer({});
}

} // namespace Mirda
