// Host services as the effect sees them, whatever the plug-in format. A format adapter implements it;
// the defaults describe "no host".
#pragma once

#include <cstdint>

namespace Tessu {

enum WrapperType : int32_t { kWrapperNone = 0, kWrapperVst2 = 1 };

class TessuCallback {
public:
    virtual ~TessuCallback() = default;
    virtual void idle() {}
    virtual int32_t reservedQuery(int32_t) { return 0; }
    virtual bool getHostVendorString(char* text) { return text[0] = 0, false; }
    virtual bool getHostProductString(char* text) { return text[0] = 0, false; }
    virtual int32_t getHostVendorVersion() { return -1; }
    virtual void updateDisplay() {}
    virtual void ioChanged() {}
    virtual void setNumInputs(int32_t) {}
    virtual void setNumOutputs(int32_t) {}
    virtual void setLatency(int32_t) {}
    virtual int32_t beginEdit(int32_t) { return 0; }
    virtual int32_t endEdit(int32_t) { return 0; }
    virtual void automate(int32_t, float) {}
    virtual float getTempo() { return 10.0f; }
    virtual int32_t getWrapperType() { return kWrapperNone; }
    // Asks the host to resize the editor's window; false when it declines.
    virtual bool sizeWindow(int32_t, int32_t) { return false; }
    // Whether the host resizes the editor's window when asked (sizeWindow); false: it keeps its size.
    virtual bool canResizeWindow() { return false; }
    virtual void refreshHost() {
        updateDisplay();
        ioChanged();
    }
};

} // namespace Tessu
