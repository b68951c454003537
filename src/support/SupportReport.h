// The support report: what the maker's support needs to know about the effect, the computer and the
// host, as plain text in three blocks (settings, system, host).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace Support {

struct SettingsFacts {
    std::string version;
    std::string contentRoot; ///< the preset folder
    std::string wrapperName; ///< the plug-in format the effect runs under
};

struct SystemFacts {
    std::tm localTime{};
    std::string osName; ///< the distribution's own name for itself
    std::string build;  ///< the kernel release
    bool is64Bit = false;
    std::string processorName;
    std::string processorIdentifier;
    std::string processorVendor;
    std::uint64_t memoryBytes = 0;
    std::string user;
    bool admin = false;
};

struct HostFacts {
    std::string executable;
    /** False when the host tells nothing about itself; the three texts below are then not shown. */
    bool hasVersionInfo = false;
    std::string name;
    std::string vendor;
    std::string version;
    std::int32_t maxBufSize = 0;
    double sampleRate = 0.0;
    std::string interfaceName;
};

/** The settings block is cut to this many bytes. */
inline constexpr std::size_t kMaxSettingsBlockBytes = 32000;

std::string formatSettingsBlock(const SettingsFacts& facts);
std::string formatSystemBlock(const SystemFacts& facts);
std::string formatHostBlock(const HostFacts& facts);
/** The whole report in file order: settings, system, host. */
std::string formatSupportReport(const SettingsFacts& settings, const SystemFacts& system,
                                const HostFacts& host);

} // namespace Support
