#include "update/views/CModalMessagePresenter.h"

#include "gui/Frame.h"
#include "update/views/CUpdateMessageBox.h"

namespace Pellu {

void CModalMessagePresenter::show(const Core::MessageBoxRequest& request, std::function<void(int)> answer) {
    if (!m_frame) return;
    m_waiting.push_back({request, std::move(answer)});
    pump();
}

void CModalMessagePresenter::pump() {
    if (!m_frame || m_waiting.empty() || m_frame->getModalView()) return;
    Waiting& next = m_waiting.front();
    auto* box = new CUpdateMessageBox(m_frame->getViewSize(), next.request,
                                      [alive = m_alive, answer = next.answer](int button) {
                                          if (*alive && answer) answer(button);
                                      });
    // The frame takes over the box's reference.
    if (!m_frame->setModalView(box)) {
        box->release();
        return;
    }
    m_waiting.pop_front();
}

void CModalMessagePresenter::detach() {
    *m_alive = false;
    m_alive = std::make_shared<bool>(true);
    m_waiting.clear();
    m_frame = nullptr;
}

} // namespace Pellu
