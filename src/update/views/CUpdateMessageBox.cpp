#include "update/views/CUpdateMessageBox.h"

#include "gui/Buttons.h"
#include "gui/DrawContext.h"
#include "gui/Font.h"
#include "gui/Frame.h"
#include "gui/ParamDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Pellu {

using namespace Mirda;

namespace {

constexpr double kMaxWidth = 420;
constexpr double kHeight = 150;
constexpr double kButtonWidth = 80;
constexpr double kButtonHeight = 22;
constexpr double kMargin = 10;

/** The box's text, wrapped when it is drawn, where the font can be measured. */
class CWrappedText : public CView {
public:
    CWrappedText(const CRect& size, std::string text) : CView(size), m_text(std::move(text)) {
        setMouseEnabled(false);
    }
    void draw(CDrawContext* context) override {
        context->setFont(CFontDesc::getDefaultFont());
        context->setFontColor(kWhiteCColor);
        const auto lines =
            CUpdateMessageBox::wrapText(m_text, m_size.width(), [context](const std::string& line) {
                return context->getStringWidth(line.c_str());
            });
        constexpr double kLineHeight = 16;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const CRect line = CRect::fromSize(m_size.left, m_size.top + static_cast<double>(i) * kLineHeight,
                                               m_size.width(), kLineHeight);
            if (line.bottom > m_size.bottom) break;
            context->drawString(lines[i].c_str(), line, kLeftText);
        }
        setDirty(false);
    }

private:
    std::string m_text;
};

} // namespace

CUpdateMessageBox::CUpdateMessageBox(const CRect& frameSize, Core::MessageBoxRequest request, Answer answer)
    : CViewContainer(CRect()), m_request(std::move(request)), m_labels(Core::buttonLabels(m_request.buttons)),
      m_answer(std::move(answer)) {
    const double width = std::min(kMaxWidth, frameSize.width() - 2 * kMargin);
    const double left = std::round((frameSize.left + frameSize.right - width) / 2);
    const double top = std::round((frameSize.top + frameSize.bottom - kHeight) / 2);
    m_size = CRect::fromSize(left, top, width, kHeight);
    m_mouseableArea = m_size;
    setBackgroundColor(CColor{34, 36, 40, 255});

    addView(new CTextLabel(CRect(kMargin, 6, width - kMargin, 26), m_request.caption));
    addView(new CWrappedText(CRect(kMargin, 34, width - kMargin, kHeight - kButtonHeight - 2 * kMargin),
                             m_request.text));
    // The box takes the buttons' clicks itself (see onMouseDown): answering removes it, which must not
    // happen inside a button's own handler.
    for (std::size_t i = 0; i < m_labels.size(); ++i) {
        auto* button = new CXButton(localButtonRect(static_cast<int>(i)), m_labels[i]);
        button->setMouseEnabled(false);
        addView(button);
    }
}

CRect CUpdateMessageBox::localButtonRect(int index) const {
    const double count = static_cast<double>(m_labels.size());
    const double right = m_size.width() - kMargin - (count - 1 - index) * (kButtonWidth + kMargin);
    return CRect(right - kButtonWidth, kHeight - kMargin - kButtonHeight, right, kHeight - kMargin);
}

CRect CUpdateMessageBox::getButtonRect(int index) const {
    CRect rect = localButtonRect(index);
    rect.offset(m_size.left, m_size.top);
    return rect;
}

int32_t CUpdateMessageBox::onMouseDown(CPoint& where, int32_t buttons) {
    if (buttons & kLButton) {
        for (std::size_t i = 0; i < m_labels.size(); ++i) {
            if (!getButtonRect(static_cast<int>(i)).pointInside(where)) continue;
            choose(static_cast<int>(i));
            return kMouseHandledNoFollow;
        }
    }
    return kMouseHandled; // a modal box keeps every click
}

int32_t CUpdateMessageBox::onKeyDown(VstKeyCode& keyCode) {
    if (keyCode.virt == VKEY_RETURN) choose(0);
    if (keyCode.virt == VKEY_ESCAPE) choose(static_cast<int>(m_labels.size()) - 1);
    return 1; // a modal box keeps every key
}

void CUpdateMessageBox::choose(int button) {
    if (!m_answer) return;
    Answer answer = std::move(m_answer);
    m_answer = nullptr;
    addRef();
    if (m_frame && m_frame->getModalView() == this)
        m_frame->setModalView(nullptr);
    else if (m_parent && m_parent->isTypeOf("CViewContainer"))
        static_cast<CViewContainer*>(m_parent)->removeView(this, true);
    answer(button);
    release();
}

bool CUpdateMessageBox::isTypeOf(const char* className) const {
    return std::strcmp(className, "CUpdateMessageBox") == 0 || CViewContainer::isTypeOf(className);
}

std::vector<std::string>
CUpdateMessageBox::wrapText(const std::string& text, double width,
                            const std::function<double(const std::string&)>& measure) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line;
        std::size_t word = start;
        while (word < end) {
            std::size_t wordEnd = text.find(' ', word);
            if (wordEnd == std::string::npos || wordEnd > end) wordEnd = end;
            const std::string piece = text.substr(word, wordEnd - word);
            const std::string candidate = line.empty() ? piece : line + " " + piece;
            if (!line.empty() && measure(candidate) > width) {
                lines.push_back(line);
                line = piece;
            } else {
                line = candidate;
            }
            word = wordEnd + 1;
        }
        lines.push_back(line);
        start = end + 1;
        if (end == text.size()) break;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

} // namespace Pellu
