#include "support/SupportFile.h"

#include "core/FileSystem.h"
#include "core/SpecialFolders.h"
#include "frame/TessuOS.h"
#include "presets/CPresetInterface.h"
#include "support/SystemFacts.h"

namespace Support {
namespace {

constexpr const char* kVersionText = "1.2.8";
// Host texts are at most 64 bytes in the plug-in interface; the rest is headroom for careless hosts.
constexpr int kHostTextBytes = 256;

/** The host's answer, or empty when it gave none. */
template <typename Ask> std::string hostText(Ask ask) {
    char text[kHostTextBytes] = {};
    const bool answered = ask(text);
    text[kHostTextBytes - 1] = 0;
    return answered ? std::string(text) : std::string();
}

} // namespace

SettingsFacts gatherSettingsFacts(Tessu::TessuOS& effect) {
    return {kVersionText, Tessu::CPresetInterface::defaultPresetFolder(), effect.getWrapperName()};
}

HostFacts gatherHostFacts(Tessu::TessuOS& effect) {
    HostFacts facts;
    facts.executable = hostExecutablePath();
    if (Tessu::TessuCallback* host = effect.getCallback()) {
        facts.name = hostText([host](char* text) { return host->getHostProductString(text); });
        facts.vendor = hostText([host](char* text) { return host->getHostVendorString(text); });
        const std::int32_t version = host->getHostVendorVersion();
        if (version > 0) facts.version = std::to_string(version);
    }
    facts.hasVersionInfo = !facts.name.empty() || !facts.vendor.empty() || !facts.version.empty();
    for (std::string* text : {&facts.name, &facts.vendor, &facts.version})
        if (text->empty()) *text = "unknown";
    facts.maxBufSize = effect.getBlockSize();
    facts.sampleRate = effect.getSampleRate();
    facts.interfaceName = effect.getWrapperName();
    return facts;
}

std::string writeSupportFile(const std::string& report) {
    const std::string desktop = Core::specialFolderPath(Core::kFolderDesktop);
    if (desktop.empty()) return {};
    const std::string path = desktop + kSupportFileName;
    return Core::writeFileAtomically(path, report.data(), report.size()) ? path : std::string();
}

Core::MessageBoxRequest supportConfirmation() {
    return {"Support Request", "A support file (kavrenXL Support.txt) has been created on your desktop.\n",
            "Thank you"};
}

Core::MessageBoxRequest supportFailure() {
    const std::string desktop = Core::specialFolderPath(Core::kFolderDesktop);
    return {"Support Request",
            "The support file (kavrenXL Support.txt) could not be written to your desktop" +
                (desktop.empty() ? std::string(".") : ":\n" + desktop) +
                "\nPlease check that the folder exists and that you may write to it.",
            "OK"};
}

std::string requestSupportFile(Tessu::TessuOS& effect, Core::IMessagePresenter& presenter) {
    const std::string report =
        formatSupportReport(gatherSettingsFacts(effect), gatherSystemFacts(), gatherHostFacts(effect));
    const std::string path = writeSupportFile(report);
    presenter.show(path.empty() ? supportFailure() : supportConfirmation(), [](int) {});
    return path;
}

} // namespace Support
