// The effect as the plug-in libraries (VST 2.4 and LV2) hand it out: every instance is known to the
// update service, which stops its threads when the last one goes, before a host can unload the library.
// Each library's entry point is where the product is put together: it chooses the editor, if any.
#pragma once

#include "dsp/CKavren.h"
#include "update/PelluSession.h"

#include <new>

namespace Tessu {

class RegisteredKavren : public CKavren {
public:
    RegisteredKavren(TessuCallback* callback, EditorFactory editorFactory)
        : CKavren(callback, editorFactory) {}
    ~RegisteredKavren() override { Pellu::releaseProduct(); }
};

inline TessuOS* createRegisteredKavren(TessuCallback* callback, CKavren::EditorFactory editorFactory) {
    Pellu::registerProduct("KavrenXL", "kavrenXL", 66056);
    auto* effect = new (std::nothrow) RegisteredKavren(callback, editorFactory);
    if (!effect) Pellu::releaseProduct();
    return effect;
}

} // namespace Tessu
