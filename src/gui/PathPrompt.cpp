#include "gui/PathPrompt.h"

#include "gui/Buttons.h"
#include "gui/Frame.h"
#include "gui/ParamDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Mirda {
namespace {

constexpr double kHeight = 96;
constexpr double kMaxWidth = 380;

} // namespace

CPathPrompt::CPathPrompt(const CRect& frameSize, const std::string& title, const std::string& text,
                         Answer answer)
    : CViewContainer(CRect()), m_answer(std::move(answer)) {
    const double width = std::min(kMaxWidth, frameSize.width() - 20);
    const double left = std::round((frameSize.left + frameSize.right - width) / 2);
    const double top = std::round((frameSize.top + frameSize.bottom - kHeight) / 2);
    m_size = CRect::fromSize(left, top, width, kHeight);
    m_mouseableArea = m_size;
    setBackgroundColor(CColor{34, 36, 40, 255});

    addView(new CTextLabel(CRect(10, 6, width - 10, 26), title));
    m_field = new CTextField(CRect(10, 32, width - 10, 54), text, this);
    addView(m_field);
    // The buttons are drawn by their controls; the prompt takes their clicks itself (see onMouseDown).
    auto* ok = new CXButton(CRect(width - 170, 64, width - 95, 86), "OK");
    auto* cancel = new CXButton(CRect(width - 85, 64, width - 10, 86), "Cancel");
    ok->setMouseEnabled(false);
    cancel->setMouseEnabled(false);
    addView(ok);
    addView(cancel);
}

bool CPathPrompt::attached(CView* parent) {
    if (!CViewContainer::attached(parent)) return false;
    if (!m_frame) return true;
    // Keys reach the frame's focus view first: a view focused before the prompt must not take them.
    m_frame->setFocusView(nullptr);
    if (IFrame* platform = m_frame->getPlatformFrame()) platform->takeKeyboardFocus();
    return true;
}

bool CPathPrompt::removed(CView* parent) {
    IFrame* platform = m_frame ? m_frame->getPlatformFrame() : nullptr;
    if (!CViewContainer::removed(parent)) return false;
    if (platform) platform->releaseKeyboardFocus();
    return true;
}

int32_t CPathPrompt::onMouseDown(CPoint& where, int32_t buttons) {
    const CPoint local = toLocal(where);
    const double width = m_size.width();
    // Answering removes the prompt, so the buttons must not be inside their own handlers when it goes.
    if ((buttons & kLButton) && CRect(width - 170, 64, width - 95, 86).pointInside(local)) {
        finish(true);
        return kMouseHandledNoFollow;
    }
    if ((buttons & kLButton) && CRect(width - 85, 64, width - 10, 86).pointInside(local)) {
        finish(false);
        return kMouseHandledNoFollow;
    }
    return CViewContainer::onMouseDown(where, buttons);
}

int32_t CPathPrompt::onKeyDown(VstKeyCode& keyCode) {
    addRef();
    const int32_t result = m_field ? m_field->onKeyDown(keyCode) : -1;
    release();
    return result == -1 ? 1 : result; // a modal prompt keeps every key
}

void CPathPrompt::textEditEnded(int32_t flag, const std::string&) {
    if (flag == CTextField::kConfirmed) finish(true);
    if (flag == CTextField::kCancelled) finish(false);
}

void CPathPrompt::finish(bool confirmed) {
    if (!m_answer) return;
    Answer answer = std::move(m_answer);
    m_answer = nullptr;
    const std::string text = m_field ? m_field->getText() : std::string();
    addRef();
    if (m_frame && m_frame->getModalView() == this)
        m_frame->setModalView(nullptr);
    else if (m_parent && m_parent->isTypeOf("CViewContainer"))
        static_cast<CViewContainer*>(m_parent)->removeView(this, true);
    answer(confirmed, text);
    release();
}

bool CPathPrompt::isTypeOf(const char* className) const {
    return std::strcmp(className, "CPathPrompt") == 0 || CViewContainer::isTypeOf(className);
}

} // namespace Mirda
