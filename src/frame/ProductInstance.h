// The effect as the plug-in libraries (VST 2.4 and LV2) hand it out: every instance is known to the
// update service, which stops its threads when the last one goes, before a host can unload the library.
#pragma once

#include "dsp/CKavren.h"
#include "update/PelluSession.h"

#include <new>

namespace Tessu {

class RegisteredKavren : public CKavren {
public:
    explicit RegisteredKavren(TessuCallback* callback) : CKavren(callback) {}
    ~RegisteredKavren() override { Pellu::releaseProduct(); }
};

inline TessuOS* createRegisteredKavren(TessuCallback* callback) {
    Pellu::registerProduct("KavrenXL", "kavrenXL", 66056);
    auto* effect = new (std::nothrow) RegisteredKavren(callback);
    if (!effect) Pellu::releaseProduct();
    return effect;
}

} // namespace Tessu
