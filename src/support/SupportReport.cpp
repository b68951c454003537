#include "support/SupportReport.h"

#include <cstdarg>
#include <cstdio>

namespace Support {
namespace {

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* pattern, ...) {
    va_list arguments;
    va_start(arguments, pattern);
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, pattern, copy);
    va_end(copy);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, pattern, arguments);
    va_end(arguments);
    return text;
}

} // namespace

std::string formatSettingsBlock(const SettingsFacts& facts) {
    std::string block = "-\n- Kavren Settings\n-\n\n";
    block += "version: " + facts.version + "\n";
    block += "content root: " + facts.contentRoot + "\n";
    block += "hosted plugin type: " + facts.wrapperName + "\n";
    block += "\n";
    if (block.size() > kMaxSettingsBlockBytes) block.resize(kMaxSettingsBlockBytes);
    return block;
}

std::string formatSystemBlock(const SystemFacts& facts) {
    const std::tm& t = facts.localTime;
    std::string block = format("%04d-%02d-%02d %02d:%02d:%02d\n\n", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                               t.tm_hour, t.tm_min, t.tm_sec);
    block += "-\n- System\n-\n\n";
    block += facts.osName + "\nBuild " + facts.build + "\n\n";
    block += std::string("System type: ") + (facts.is64Bit ? "64" : "32") + "-bit Operating System\n";
    block += "Processor  : " + facts.processorName + "\n";
    block += "Identifier : " + facts.processorIdentifier + "\n";
    block += "Vendor     : " + facts.processorVendor + "\n\n";
    block +=
        format("Installed memory (RAM): %.2f GB\n", static_cast<double>(facts.memoryBytes) / 1073741824.0);
    block += "\nUser       : " + facts.user + "\n";
    block += std::string("Admin      : ") + (facts.admin ? "yes" : "no") + "\n";
    return block;
}

std::string formatHostBlock(const HostFacts& facts) {
    std::string block = "\n-\n- Host\n-\n\n";
    block += "Executable : " + facts.executable + "\n\n";
    block += "VERSIONINFO\n";
    if (facts.hasVersionInfo)
        block += "Name       : " + facts.name + "\nVendor     : " + facts.vendor +
                 "\nVersion    : " + facts.version + "\n";
    else
        block += "not available!\n\n";
    block += format("MaxBufSize : %i\nSamplerate : %.0f\nInterface  : %s\n\n", facts.maxBufSize,
                    facts.sampleRate, facts.interfaceName.c_str());
    return block;
}

std::string formatSupportReport(const SettingsFacts& settings, const SystemFacts& system,
                                const HostFacts& host) {
    return formatSettingsBlock(settings) + formatSystemBlock(system) + formatHostBlock(host);
}

} // namespace Support
