#include "support/SystemFacts.h"

#include "core/FileSystem.h"

#include <array>
#include <climits>
#include <grp.h>
#include <pwd.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

namespace Support {
namespace {

constexpr std::size_t kMaxSystemFileBytes = 4 * 1024 * 1024;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

/** Calls `visit(name, value)` for every "name<separator>value" line until it answers false. */
template <typename Visit> void forEachField(std::string_view text, char separator, Visit visit) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const auto at = line.find(separator);
        if (at == std::string_view::npos) {
            if (!visit(trimmed(line), std::string_view(), false)) return;
            continue;
        }
        if (!visit(trimmed(line.substr(0, at)), trimmed(line.substr(at + 1)), true)) return;
    }
}

std::string unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

bool isAdministrator(uid_t uid, const passwd* account) {
    if (uid == 0) return true;
    if (!account || !account->pw_name) return false;
    std::vector<gid_t> groups(64);
    int count = static_cast<int>(groups.size());
    if (getgrouplist(account->pw_name, account->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (getgrouplist(account->pw_name, account->pw_gid, groups.data(), &count) < 0) return false;
    }
    groups.resize(static_cast<std::size_t>(count));
    for (const char* administrators : {"sudo", "wheel", "admin"}) {
        const group* entry = getgrnam(administrators);
        if (!entry) continue;
        for (gid_t id : groups)
            if (id == entry->gr_gid) return true;
    }
    return false;
}

} // namespace

std::string osNameFromOsRelease(std::string_view osRelease) {
    std::string pretty, name;
    forEachField(osRelease, '=', [&](std::string_view key, std::string_view value, bool) {
        if (key == "PRETTY_NAME" && pretty.empty()) pretty = unquoted(value);
        if (key == "NAME" && name.empty()) name = unquoted(value);
        return true;
    });
    if (!pretty.empty()) return pretty;
    return name.empty() ? "Linux" : name;
}

ProcessorFacts processorFromCpuInfo(std::string_view cpuInfo, const std::string& machine) {
    ProcessorFacts facts;
    std::string family, model, stepping;
    bool seenProcessor = false;
    forEachField(cpuInfo, ':', [&](std::string_view key, std::string_view value, bool hasValue) {
        if (!hasValue && key.empty()) return !seenProcessor; // a blank line ends the first processor
        if (key == "processor") seenProcessor = true;
        if (key == "model name" && facts.name.empty()) facts.name = value;
        if (key == "vendor_id" && facts.vendor.empty()) facts.vendor = value;
        if (key == "cpu family" && family.empty()) family = value;
        if (key == "model" && model.empty()) model = value;
        if (key == "stepping" && stepping.empty()) stepping = value;
        return true;
    });
    facts.identifier = machine;
    for (const auto& [label, value] :
         {std::pair{" Family ", &family}, std::pair{" Model ", &model}, std::pair{" Stepping ", &stepping}})
        if (!value->empty()) facts.identifier += label + *value;
    return facts;
}

std::string hostExecutablePath() {
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

bool isMachine64Bit(const std::string& machine) {
    return machine.find("64") != std::string::npos || machine == "s390x";
}

SystemFacts gatherSystemFacts() {
    SystemFacts facts;
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &facts.localTime);

    std::string text;
    if (!Core::readFileBounded("/etc/os-release", kMaxSystemFileBytes, text))
        Core::readFileBounded("/usr/lib/os-release", kMaxSystemFileBytes, text);
    facts.osName = osNameFromOsRelease(text);

    std::string machine;
    if (utsname system{}; uname(&system) == 0) {
        facts.build = system.release;
        machine = system.machine;
    }
    facts.is64Bit = isMachine64Bit(machine);

    std::string cpuInfo;
    Core::readFileBounded("/proc/cpuinfo", kMaxSystemFileBytes, cpuInfo);
    const ProcessorFacts processor = processorFromCpuInfo(cpuInfo, machine);
    facts.processorName = processor.name;
    facts.processorIdentifier = processor.identifier;
    facts.processorVendor = processor.vendor;

    if (struct sysinfo memory{}; sysinfo(&memory) == 0)
        facts.memoryBytes = static_cast<std::uint64_t>(memory.totalram) * memory.mem_unit;

    const uid_t uid = geteuid();
    const passwd* account = getpwuid(uid);
    if (account && account->pw_name) facts.user = account->pw_name;
    facts.admin = isAdministrator(uid, account);
    return facts;
}

} // namespace Support
