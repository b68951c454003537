#include "vsthost/VstPluginHost.h"

#include "vsthost/platform/PluginLibrary.h"

#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace kavren::host {

using namespace vst2;

namespace {

// The plug-in calls back during its entry point, before the host can tag the record as its own.
thread_local VstPluginHost* loadingHost = nullptr;

using EntryPoint = AEffect* (*)(AudioMasterCallback);

} // namespace

VstPluginHost::VstPluginHost(const std::string& libraryPath, const char* entryName) {
    timeInfo_.sampleRate = 44100.0;
    timeInfo_.tempo = 120.0;
    timeInfo_.timeSigNumerator = 4;
    timeInfo_.timeSigDenominator = 4;
    timeInfo_.flags = kVstTempoValid | kVstPpqPosValid | kVstTimeSigValid | kVstBarsValid;

    std::string error;
    library_ = loadPluginLibrary(libraryPath, error);
    if (!library_) throw std::runtime_error("cannot load plug-in '" + libraryPath + "': " + error);
    auto entry = reinterpret_cast<EntryPoint>(findLibraryEntry(library_, entryName));
    if (!entry) {
        unloadPluginLibrary(library_);
        throw std::runtime_error("'" + libraryPath + "' is not a VST 2.4 plug-in (no " + entryName + ")");
    }
    loadingHost = this;
    effect_ = entry(&VstPluginHost::callback);
    loadingHost = nullptr;
    if (!effect_ || effect_->magic != kEffectMagic) {
        unloadPluginLibrary(library_);
        throw std::runtime_error("'" + libraryPath + "' did not create a plug-in instance");
    }
    effect_->user = this;
}

VstPluginHost::~VstPluginHost() {
    if (effect_) {
        dispatch(effMainsChanged, 0, 0);
        dispatch(effClose);
    }
    if (library_) unloadPluginLibrary(library_);
}

VstIntPtr VstPluginHost::dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void VstPluginHost::start(float sampleRate, int32_t blockSize) {
    timeInfo_.sampleRate = sampleRate;
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    resume();
}

std::string VstPluginHost::text(int32_t opcode, int32_t index) {
    char buffer[512] = {};
    dispatch(opcode, index, 0, buffer);
    return std::string(buffer, strnlen(buffer, sizeof(buffer)));
}

int32_t VstPluginHost::canDo(const char* what) {
    return int32_t(dispatch(effCanDo, 0, 0, const_cast<char*>(what)));
}

std::vector<uint8_t> VstPluginHost::getChunk(bool preset) {
    void* data = nullptr;
    auto size = dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
    if (size <= 0 || !data) return {};
    auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

void VstPluginHost::setChunk(const std::vector<uint8_t>& chunk, bool preset) {
    std::vector<uint8_t> copy = chunk;
    dispatch(effSetChunk, preset ? 1 : 0, VstIntPtr(copy.size()), copy.data());
}

void VstPluginHost::setPlaying(bool playing) {
    timeInfo_.flags =
        playing ? (timeInfo_.flags | kVstTransportPlaying) : (timeInfo_.flags & ~kVstTransportPlaying);
}

void VstPluginHost::process(float** inputs, float** outputs, int32_t frames) {
    effect_->processReplacing(effect_, inputs, outputs, frames);
    timeInfo_.flags &= ~kVstTransportChanged;
    if (timeInfo_.flags & kVstTransportPlaying) {
        timeInfo_.samplePos += frames;
        timeInfo_.ppqPos += frames * timeInfo_.tempo / (60.0 * timeInfo_.sampleRate);
    }
}

VstIntPtr VstPluginHost::callback(AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                                  float opt) {
    VstPluginHost* host = effect && effect->user ? static_cast<VstPluginHost*>(effect->user) : loadingHost;
    if (opcode == audioMasterVersion) return 2400;
    return host ? host->answer(opcode, index, value, ptr, opt) : 0;
}

VstIntPtr VstPluginHost::answer(int32_t opcode, int32_t index, VstIntPtr, void* ptr, float opt) {
    switch (opcode) {
    case audioMasterGetTime:
        return providesTime_ ? reinterpret_cast<VstIntPtr>(&timeInfo_) : 0;
    case audioMasterGetSampleRate:
        return VstIntPtr(timeInfo_.sampleRate);
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        edits_.push_back({opcode, index, 0.0f});
        return 1;
    case audioMasterAutomate:
        automation_.push_back({index, opt});
        edits_.push_back({opcode, index, opt});
        if (onAutomate) onAutomate(index, opt);
        return 0;
    case audioMasterIOChanged:
        ++ioChanged_;
        return 1;
    case audioMasterGetVendorString:
        std::strcpy(static_cast<char*>(ptr), kHostVendor);
        return 1;
    case audioMasterGetProductString:
        std::strcpy(static_cast<char*>(ptr), kHostProduct);
        return 1;
    case audioMasterGetVendorVersion:
        return kHostVendorVersion;
    case audioMasterCanDo:
        return ptr && !std::strcmp(static_cast<const char*>(ptr), "receiveVstTimeInfo") ? 1 : 0;
    default:
        return 0;
    }
}

std::string defaultPluginPath() {
    const std::string self = executablePath();
    if (!self.empty()) {
        const auto folder = std::filesystem::path(self).parent_path();
        // Beside the tool in a build tree; under lib/vst of the same prefix once installed.
        for (const auto& candidate :
             {folder / kPluginFileName, folder.parent_path() / "lib" / "vst" / kPluginFileName})
            if (std::filesystem::exists(candidate)) return candidate.string();
    }
    return userPluginFolder() + "/" + kPluginFileName;
}

} // namespace kavren::host
