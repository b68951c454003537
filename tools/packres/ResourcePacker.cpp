#include "ResourcePacker.h"

#include "core/FileSystem.h"
#include "core/ResourceFormat.h"

#include <set>
#include <zlib.h>

namespace Packres {

using namespace Core::ResourceFormat;

namespace {

bool compressInto(const std::vector<std::uint8_t>& input, std::vector<std::uint8_t>& output) {
    uLongf size = compressBound(static_cast<uLong>(input.size()));
    output.resize(size);
    if (compress2(output.data(), &size, input.data(), static_cast<uLong>(input.size()), 9) != Z_OK)
        return false;
    output.resize(size);
    return true;
}

void appendU32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    bytes.resize(bytes.size() + 4);
    writeU32(bytes.data() + bytes.size() - 4, value);
}

bool checkEntries(const std::vector<PackEntry>& entries, std::string& error) {
    if (entries.size() > kMaxEntries) {
        error = "too many entries";
        return false;
    }
    std::set<std::string> seen;
    for (const PackEntry& entry : entries) {
        if (entry.name.empty() || entry.name.size() >= kNameSize ||
            entry.name.find('\0') != std::string::npos) {
            error = "unusable entry name '" + entry.name + "'";
            return false;
        }
        if (!seen.insert(entry.name).second) {
            error = "entry '" + entry.name + "' given twice";
            return false;
        }
        if (entry.content.size() > static_cast<std::size_t>(kMaxEntrySize)) {
            error = "entry '" + entry.name + "' is larger than the store allows";
            return false;
        }
    }
    return true;
}

} // namespace

bool packStore(const std::vector<PackEntry>& entries, std::size_t compressAbove,
               std::vector<std::uint8_t>& store, std::string& error) {
    if (!checkEntries(entries, error)) return false;

    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> directory;
    for (const PackEntry& entry : entries) {
        std::vector<std::uint8_t> packed;
        const bool compress = entry.content.size() >= compressAbove && compressInto(entry.content, packed) &&
                              packed.size() < entry.content.size();
        const std::size_t offset = data.size();
        if (compress) {
            data.insert(data.end(), packed.begin(), packed.end());
        } else {
            data.insert(data.end(), entry.content.begin(), entry.content.end());
            applyStoredEntryMask(data.data() + offset, entry.content.size());
        }
        if (data.size() > 0x7FFFFFFF) {
            error = "store larger than 2 GB";
            return false;
        }
        const std::size_t record = directory.size();
        directory.resize(record + kNameSize);
        std::memcpy(directory.data() + record, entry.name.data(), entry.name.size());
        appendU32(directory, static_cast<std::uint32_t>(entry.content.size()));
        appendU32(directory,
                  compress ? static_cast<std::uint32_t>(packed.size()) : static_cast<std::uint32_t>(kStored));
        appendU32(directory, static_cast<std::uint32_t>(offset));
    }

    std::vector<std::uint8_t> packedDirectory;
    if (!compressInto(directory, packedDirectory)) {
        error = "cannot compress the directory";
        return false;
    }
    store.assign(kDirectoryOffset, 0);
    std::memcpy(store.data(), kMarker, sizeof kMarker - 1);
    writeU32(store.data() + kMarkerFieldSize, kDirectoryOffset);
    appendU32(store, static_cast<std::uint32_t>(kEntrySize));
    appendU32(store, static_cast<std::uint32_t>(kDirectoryHeaderSize + packedDirectory.size()));
    appendU32(store, static_cast<std::uint32_t>(directory.size()));
    appendU32(store, static_cast<std::uint32_t>(packedDirectory.size()));
    appendU32(store, static_cast<std::uint32_t>(entries.size()));
    store.insert(store.end(), packedDirectory.begin(), packedDirectory.end());
    store.insert(store.end(), data.begin(), data.end());
    return true;
}

bool readEntryList(const std::string& listFile, const std::string& baseFolder,
                   std::vector<PackEntry>& entries, std::string& error) {
    std::string text;
    if (!Core::readFileBounded(listFile, Core::kMaxFileSize, text)) {
        error = "cannot read the list " + listFile;
        return false;
    }
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            error = "list line without '=': " + line;
            return false;
        }
        PackEntry entry{line.substr(0, equals), {}};
        std::string path = line.substr(equals + 1);
        if (!path.empty() && path[0] != '/') path = baseFolder + "/" + path;
        if (!Core::readFileBounded(path, static_cast<std::size_t>(kMaxEntrySize), entry.content)) {
            error = "cannot read " + path + " for entry '" + entry.name + "'";
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

} // namespace Packres
