#pragma once

#include "update/CSimpleHTTPDownloader.h"

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace Pellu {

/**
 * The name a download is stored under: the last component of the address's path (query and fragment
 * cut off, %XX escapes decoded), every character other than letters, digits, blanks, ".", "-" and "_"
 * turned into "_", leading dots and blanks and trailing blanks dropped, at most 100 bytes; `fallback` when
 * nothing is left.
 */
std::string sanitizedFileName(std::string_view urlPath, std::string_view fallback);

/** "name", then "name (2).ext", "name (3).ext", ... for the numbers after the first. */
std::string numberedFileName(const std::string& name, int number);
/** How many numbered names a download tries before it gives up. */
inline constexpr int kMaxInstallerNameAttempts = 100;

/**
 * A download on its way into a folder. The bytes go to a hidden temporary file; commit() links it in
 * under the name, or "name (2)", "name (3)", ... when that is taken, so an existing file is never
 * replaced. The file is not executable. An uncommitted file is removed.
 */
class InstallerFile : public IHttpBodySink {
public:
    using Progress = std::function<void(std::uint64_t received, std::uint64_t total)>;

    InstallerFile(std::string folder, std::string name, Progress progress);
    ~InstallerFile() override;
    InstallerFile(const InstallerFile&) = delete;
    InstallerFile& operator=(const InstallerFile&) = delete;

    bool open();
    bool write(const char* data, std::size_t size) override;
    void progress(std::uint64_t received, std::uint64_t total) override;
    /** The path the download now has; empty when it could not be stored. */
    std::string commit();

private:
    std::string folder_;
    std::string name_;
    Progress progress_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
};

} // namespace Pellu
