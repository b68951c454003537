#pragma once
// CUpdateMessageBox: the editor's modal message box: a heading, a text wrapped to the box's width and
// one button per label. It answers once through its callback with the index of the chosen button
// (Return: the first, Escape: the last) and removes itself from the frame.

#include "core/MessageBox.h"
#include "gui/ViewContainer.h"

#include <functional>
#include <string>
#include <vector>

namespace Pellu {

class CUpdateMessageBox : public Mirda::CViewContainer {
public:
    using Answer = std::function<void(int button)>;

    /** Centred in `frameSize`. */
    CUpdateMessageBox(const Mirda::CRect& frameSize, Core::MessageBoxRequest request, Answer answer);

    const Core::MessageBoxRequest& getRequest() const { return m_request; }
    /** The rect of button `index` in the box's parent coordinates. */
    Mirda::CRect getButtonRect(int index) const;
    /** Chooses a button, as a click on it does. */
    void choose(int button);

    int32_t onMouseDown(Mirda::CPoint& where, int32_t buttons) override;
    int32_t onKeyDown(Mirda::VstKeyCode& keyCode) override;

    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "CUpdateMessageBox"; }

    /** Greedy word wrap of each of the text's lines to `width`, measured by `measure`. */
    static std::vector<std::string> wrapText(const std::string& text, double width,
                                             const std::function<double(const std::string&)>& measure);

private:
    Mirda::CRect localButtonRect(int index) const;

    Core::MessageBoxRequest m_request;
    std::vector<std::string> m_labels;
    Answer m_answer;
};

} // namespace Pellu
