#include "kavren/Support.h"

#include "frame/TessuOS.h"
#include "support/SupportFile.h"
#include "vsthost/VstPluginHost.h"

#include <cstdio>
#include <stdexcept>

namespace kavren {
namespace {

// The effect sees this tool exactly as it sees it when the tool loads the plug-in.
class ToolAsHost : public Tessu::TessuCallback {
public:
    bool getHostVendorString(char* text) override { return copy(text, host::kHostVendor); }
    bool getHostProductString(char* text) override { return copy(text, host::kHostProduct); }
    int32_t getHostVendorVersion() override { return host::kHostVendorVersion; }
    int32_t getWrapperType() override { return Tessu::kWrapperVst2; }

private:
    static bool copy(char* text, const char* value) {
        std::snprintf(text, 64, "%s", value);
        return true;
    }
};

class PrintedMessage : public Core::IMessagePresenter {
public:
    explicit PrintedMessage(std::ostream& out) : out_(out) {}
    void show(const Core::MessageBoxRequest& request, std::function<void(int)> answer) override {
        out_ << request.caption << ": " << request.text;
        answer(0);
    }

private:
    std::ostream& out_;
};

} // namespace

int runSupport(std::ostream& out) {
    ToolAsHost host;
    Tessu::TessuOS effect(&host);
    effect.setSampleRate(44100.0f);
    effect.setBlockSize(512);
    PrintedMessage message(out);
    const std::string path = Support::requestSupportFile(effect, message);
    if (path.empty()) throw std::runtime_error("the support report could not be written to the desktop");
    out << "Wrote " << path << "\n";
    return 0;
}

} // namespace kavren
