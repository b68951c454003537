#pragma once
// CModalMessagePresenter: shows the program's messages and questions (support confirmation, update
// question, ...) as CUpdateMessageBox in an editor's frame. A message waits while another modal view is
// open; the editor's timer calls pump() to show it when the frame is free.

#include "core/MessageBox.h"

#include <deque>
#include <functional>
#include <memory>

namespace Mirda {
class CFrame;
}

namespace Pellu {

class CModalMessagePresenter : public Core::IMessagePresenter {
public:
    /** The frame is not owned; detach() before it goes. */
    explicit CModalMessagePresenter(Mirda::CFrame* frame) : m_frame(frame) {}
    ~CModalMessagePresenter() override { detach(); }

    void show(const Core::MessageBoxRequest& request, std::function<void(int)> answer) override;
    /** Shows the next waiting message when the frame has no modal view. */
    void pump();
    /** The editor closes: waiting messages are dropped unanswered, boxes already shown cannot answer. */
    void detach();
    std::size_t waiting() const { return m_waiting.size(); }

private:
    struct Waiting {
        Core::MessageBoxRequest request;
        std::function<void(int)> answer;
    };

    Mirda::CFrame* m_frame;
    std::deque<Waiting> m_waiting;
    // Shared with the answers of shown boxes, which must not call back once the presenter is detached.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace Pellu
