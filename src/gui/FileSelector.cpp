#include "gui/FileSelector.h"

#include "gui/Frame.h"
#include "gui/PathPrompt.h"

namespace Mirda {
namespace {

constexpr uint32_t kPollIntervalMs = 50;

const char* defaultTitle(FileSelectorStyle style) {
    switch (style) {
    case FileSelectorStyle::kFolder:
        return "Select a folder";
    case FileSelectorStyle::kSave:
        return "Save";
    case FileSelectorStyle::kOpen:
        break;
    }
    return "Open";
}

} // namespace

CFileSelector::CFileSelector(CFrame* frame, FileSelectorStyle style) : m_frame(frame) {
    m_request.style = style;
    m_request.title = defaultTitle(style);
}

CFileSelector::~CFileSelector() {
    CTimerService::instance().unregisterClient(this);
}

bool CFileSelector::run(Callback callback) {
    if (m_running) return false;
    m_callback = std::move(callback);
    IFrame* window = m_frame ? m_frame->getPlatformFrame() : nullptr;
    m_request.owner = window ? window->getPlatformHandle() : nullptr;
    auto dialog = makeNativeFileDialog();
    if (dialog->start(m_request)) {
        m_dialog = std::move(dialog);
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
    auto* prompt = new CPathPrompt(m_frame->getViewSize(), m_request.title, m_request.initialPath,
                                   [this](bool confirmed, const std::string& text) {
                                       answer(confirmed && !text.empty() ? std::vector<std::string>{text}
                                                                         : std::vector<std::string>{});
                                   });
    if (!m_frame->setModalView(prompt)) {
        prompt->release();
        return false;
    }
    return true;
}

void CFileSelector::onTimer(uint32_t) {
    std::vector<std::string> paths;
    if (m_dialog && m_dialog->poll(paths)) answer(paths);
}

bool CFileSelector::waitForDialog(int timeoutMs) {
    return m_dialog && m_dialog->wait(timeoutMs);
}

void CFileSelector::answer(const std::vector<std::string>& paths) {
    if (!m_running) return;
    m_running = false;
    CTimerService::instance().unregisterClient(this);
    m_dialog.reset();
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
