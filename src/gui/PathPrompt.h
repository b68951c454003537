#pragma once
// CPathPrompt: the in-editor question for a file or folder name when no dialog program exists. A modal
// view with a title, an edit field and OK / Cancel buttons; Return confirms, Escape cancels. While it is in
// the frame it holds the window's keyboard focus (as an open text edit does) and every key; it answers
// once through its callback (the text, empty when cancelled) and removes itself from the frame.

#include "gui/TextField.h"
#include "gui/ViewContainer.h"

#include <functional>
#include <string>

namespace Mirda {

class CPathPrompt : public CViewContainer, public ITextEditCallback {
public:
    using Answer = std::function<void(bool confirmed, const std::string& text)>;

    CPathPrompt(const CRect& frameSize, const std::string& title, const std::string& text, Answer answer);

    bool attached(CView* parent) override;
    bool removed(CView* parent) override;
    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    // Keys go to the edit field while the prompt is open.
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    void textEditEnded(int32_t flag, const std::string& text) override;
    CTextField* getField() const { return m_field; }

    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "CPathPrompt"; }

private:
    void finish(bool confirmed);

    CTextField* m_field = nullptr;
    Answer m_answer;
};

} // namespace Mirda
