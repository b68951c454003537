// Binds a control to an effect parameter without listening to it. Hosts set parameters on their own
// threads (the audio thread among them), and a parameter's listener list is not guarded against a
// registration racing a notification; so the editor compares values at its idle pass instead
// (CMirdanelEditor::pollParameter) and the control never appears in the list.
#pragma once

#include "gui/Control.h"

template <class Base> class PolledControl : public Base {
public:
    using Base::Base;

    void bindParameter(Tessu::ParameterProperty* parameter) override {
        this->m_parameter = parameter;
        if (parameter) this->onParameterChanged();
    }

protected:
    // Keeps the base destructor from touching the parameter's listener list.
    ~PolledControl() override { this->m_parameter = nullptr; }
};
