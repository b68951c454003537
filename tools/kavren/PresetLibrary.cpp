#include "kavren/PresetLibrary.h"

#include "core/CResourceStore.h"
#include "core/FileSystem.h"
#include "core/ResourceFormat.h"
#include "presets/CFileFormat.h"
#include "presets/CPresetChunk.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace kavren {

namespace {

constexpr const char* kPresetFolder = "presets/";
constexpr const char* kPresetExtension = ".fxp";

// Plug-in libraries with debugging information run to tens of megabytes; preset files stay far smaller.
constexpr size_t kMaxLibraryBytes = 512 * 1024 * 1024;
constexpr size_t kMaxPresetFileBytes = Tessu::kMaxPresetFileSize + Tessu::CPresetFormatFXP::kHeaderSize;

// Never blocks on a FIFO or device given as a file: anything but a regular file is refused.
std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) {
    std::vector<uint8_t> bytes;
    if (!Core::readFileBounded(path, maxBytes, bytes)) throw std::runtime_error("cannot read '" + path + "'");
    return bytes;
}

bool isPresetEntry(const std::string& name) {
    return name.rfind(kPresetFolder, 0) == 0 && name.ends_with(kPresetExtension);
}

bool holdsPresets(const Core::CResourceStore& store) {
    for (int32_t i = 0; i < store.count(); ++i)
        if (isPresetEntry(store.entryAt(i)->name)) return true;
    return false;
}

// Opens the store beginning at offset in a private reader.
bool opensAsStore(Core::CResourceStore& store, const std::vector<uint8_t>& bytes, size_t offset) {
    store.close();
    return store.open(bytes.data() + offset, bytes.size() - offset) && store.count() > 0;
}

// As the effect names its state chunks.
constexpr const char* kChunkIdentifier = "QMX-kavren-Preset";

// The effect ignores a chunk it cannot read and keeps its state; the tool says so instead.
void parseStateChunk(std::vector<uint8_t> chunk, Tessu::CPresetChunk& parsed, const std::string& what) {
    parsed.setIdentifier(kChunkIdentifier);
    if (parsed.parse(chunk.data(), int32_t(chunk.size())) == Tessu::CPresetChunk::kRejected)
        throw std::runtime_error(what + " holds the state of another plug-in");
    void* parameters = nullptr;
    if (parsed.findBlock("Parameters", &parameters) <= 0)
        throw std::runtime_error(what + " holds a state this plug-in cannot read");
}

std::vector<uint8_t> chunkOfFile(const std::vector<uint8_t>& file, const std::string& what) {
    std::span<const uint8_t> decoded = Tessu::fxpFormat().decode(file);
    if (decoded.empty()) throw std::runtime_error(what + " is not a preset of this plug-in");
    std::vector<uint8_t> chunk(decoded.begin(), decoded.end());
    Tessu::CPresetChunk parsed;
    parseStateChunk(chunk, parsed, what);
    return chunk;
}

} // namespace

PresetLibrary::PresetLibrary(const std::string& pluginPath)
    : library_(readFile(pluginPath, kMaxLibraryBytes)) {
    const char* marker = Core::ResourceFormat::kMarker;
    const size_t markerLength = std::strlen(marker) + 1;
    Core::CResourceStore store;
    for (auto at = library_.begin();; ++at) {
        at = std::search(at, library_.end(), marker, marker + markerLength);
        if (at == library_.end()) throw std::runtime_error("'" + pluginPath + "' carries no presets");
        storeOffset_ = size_t(at - library_.begin());
        // A library may carry other stores (the high-resolution artwork) before the one with the presets.
        if (opensAsStore(store, library_, storeOffset_) && holdsPresets(store)) return;
    }
}

std::vector<std::string> PresetLibrary::names() const {
    Core::CResourceStore store;
    opensAsStore(store, library_, storeOffset_);
    std::vector<std::string> result;
    for (int32_t i = 0; i < store.count(); ++i) {
        std::string name = store.entryAt(i)->name;
        if (!isPresetEntry(name)) continue;
        result.push_back(name.substr(std::strlen(kPresetFolder), name.size() - std::strlen(kPresetFolder) -
                                                                     std::strlen(kPresetExtension)));
    }
    return result;
}

std::vector<uint8_t> PresetLibrary::chunk(const std::string& nameOrFile) const {
    if (std::filesystem::is_regular_file(nameOrFile))
        return chunkOfFile(readFile(nameOrFile, kMaxPresetFileBytes), "'" + nameOrFile + "'");
    Core::CResourceStore store;
    opensAsStore(store, library_, storeOffset_);
    int32_t size = 0;
    const std::string entry = kPresetFolder + nameOrFile + kPresetExtension;
    uint8_t* data = store.read(entry.c_str(), size);
    if (!data)
        throw std::runtime_error("no preset '" + nameOrFile + "' (see 'kavren presets') and no such file");
    std::vector<uint8_t> file(data, data + size);
    store.release(data);
    return chunkOfFile(file, "preset '" + nameOrFile + "'");
}

std::vector<uint8_t> presetFileChunk(const std::vector<uint8_t>& hostChunk) {
    Tessu::CPresetChunk parsed;
    parseStateChunk(hostChunk, parsed, "the plug-in's state");
    void* parameters = nullptr;
    const int32_t size = parsed.findBlock("Parameters", &parameters);
    Tessu::CPresetChunk written;
    written.setIdentifier(kChunkIdentifier);
    written.setPresetName(parsed.getPresetName());
    written.addBlock("Parameters", parameters, size);
    written.addString("isNewFilterPreset", "TRUE");
    void* data = nullptr;
    const int32_t length = written.serialize(&data);
    return std::vector<uint8_t>(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + length);
}

void savePresetFile(const std::string& path, const std::vector<uint8_t>& chunk) {
    std::vector<uint8_t> file = Tessu::fxpFormat().encode(path.c_str(), chunk.data(), int32_t(chunk.size()));
    if (file.empty()) throw std::runtime_error("the plug-in's state is empty");
    if (!Core::writeFileAtomically(path, file.data(), file.size()))
        throw std::runtime_error("cannot write '" + path +
                                 "': " + Core::fileErrorText(Core::lastFileError()));
}

} // namespace kavren
