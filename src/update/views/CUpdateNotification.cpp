#include "update/views/CUpdateNotification.h"

#include "gui/Frame.h"
#include "update/views/CProgressMeter.h"
#include "update/views/CUpdateInfoIcon.h"
#include "update/views/CUpdateMessageBox.h"

#include <cstring>

namespace Pellu {

using namespace Mirda;
using Phase = CUpdateNotifier::Phase;

CUpdateNotification::CUpdateNotification(const CRect& size, CSession& session, bool showAsIcon,
                                         Core::IMessagePresenter* questionPresenter)
    : CViewContainer(size), m_notifier(session, showAsIcon, questionPresenter) {
    setTransparency(true);
    const CRect local(0, 0, size.width(), size.height());
    m_icon = new CUpdateInfoIcon(local, [this] {
        m_notifier.iconClicked();
        onTimer();
    });
    m_meter = new CProgressMeter(CRect(0, local.height() / 2 - 5, local.width(), local.height() / 2 + 5));
    m_icon->setVisible(false);
    m_meter->setVisible(false);
    addView(m_icon);
    addView(m_meter);
}

void CUpdateNotification::onTimer() {
    m_notifier.tick();
    const Phase phase = m_notifier.phase();
    if (m_icon->isVisible() != (phase == Phase::kIcon)) m_icon->setVisible(phase == Phase::kIcon);
    if (m_meter->isVisible() != (phase == Phase::kDownloading))
        m_meter->setVisible(phase == Phase::kDownloading);
    m_meter->setProgress(m_notifier.progress());
    if ((phase == Phase::kQuestion || phase == Phase::kFinished || phase == Phase::kFailed) && !m_box)
        showMessageBox();
}

void CUpdateNotification::showMessageBox() {
    if (!m_frame || m_frame->getModalView()) return; // another box is open: try again at the next tick
    auto* box = new CUpdateMessageBox(m_frame->getViewSize(), m_notifier.messageBox(),
                                      [this](int button) { messageBoxAnswered(button); });
    if (!m_frame->setModalView(box)) {
        box->release();
        return;
    }
    m_box = box;
}

void CUpdateNotification::messageBoxAnswered(int button) {
    m_box = nullptr;
    if (m_notifier.phase() == Phase::kQuestion)
        m_notifier.answerQuestion(button == 0);
    else
        m_notifier.finishedAcknowledged();
    onTimer();
}

bool CUpdateNotification::removed(CView* parent) {
    // The frame is closing: its modal box goes with it and can no longer answer into this view.
    if (m_box && m_frame && m_frame->getModalView() == m_box) m_frame->setModalView(nullptr);
    m_box = nullptr;
    return CViewContainer::removed(parent);
}

bool CUpdateNotification::isTypeOf(const char* className) const {
    return std::strcmp(className, "CUpdateNotification") == 0 || CViewContainer::isTypeOf(className);
}

} // namespace Pellu
