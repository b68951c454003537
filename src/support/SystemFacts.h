#pragma once

#include "support/SupportReport.h"

#include <string>
#include <string_view>

namespace Support {

/** The computer as it is now: time, operating system, processor, memory and the user. */
SystemFacts gatherSystemFacts();

/** The file of the program the effect runs in (the host's executable); empty when the system does not say. */
std::string hostExecutablePath();

/** The PRETTY_NAME of an os-release text (quotes removed), else its NAME, else "Linux". */
std::string osNameFromOsRelease(std::string_view osRelease);

struct ProcessorFacts {
    std::string name;
    std::string identifier; ///< "<machine> Family <f> Model <m> Stepping <s>" as far as known
    std::string vendor;
};
/** The first processor's entry of a /proc/cpuinfo text; fields it lacks stay empty. */
ProcessorFacts processorFromCpuInfo(std::string_view cpuInfo, const std::string& machine);

/** Whether the machine name of uname is a 64-bit architecture. */
bool isMachine64Bit(const std::string& machine);

} // namespace Support
