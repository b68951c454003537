#include "editor/EditorBitmaps.h"

#include "core/CResourceStore.h"
#include "core/ResourceStoreAccess.h"
#include "gui/Bitmap.h"

#include <map>
#include <memory>
#include <string>

namespace EditorBitmaps {
namespace {

struct SharedSet {
    int users = 0;
    std::map<double, std::array<Mirda::CBitmap*, kCount>> byScale;
    std::unique_ptr<Core::CResourceStore> highResolution;
};

// GUI thread only, like every editor operation.
SharedSet& shared() {
    static SharedSet set;
    return set;
}

std::string nameAt(Id id, double scale) {
    std::string name = kNames[id];
    if (scale == 1.0) return name;
    name.insert(name.size() - 4, scale == 1.5 ? "@1.5x" : "@2x");
    return name;
}

// The 1x artwork lives in the library's shared store, read through an access of its own; the larger
// sizes in a store of the editor's.
std::vector<uint8_t> pngBytes(Id id, double scale) {
    const std::string name = nameAt(id, scale);
    if (scale == 1.0) return Core::readResource(name.c_str());
    Core::CResourceStore* store = shared().highResolution.get();
    if (!store) return {};
    std::int32_t size = 0;
    uint8_t* data = store->read(name.c_str(), size);
    if (!data) return {};
    std::vector<uint8_t> bytes(data, data + size);
    store->release(data);
    return bytes;
}

Mirda::CBitmap* load(Id id, double scale) {
    const std::vector<uint8_t> bytes = pngBytes(id, scale);
    if (bytes.empty()) return nullptr;
    Mirda::PNGMemoryStream stream(bytes.data(), bytes.size());
    auto* bitmap = new Mirda::CBitmap();
    if (!bitmap->loadFromStream(&stream)) {
        bitmap->release();
        return nullptr;
    }
    return bitmap;
}

} // namespace

void registerHighResolutionStore(const Core::ResourceBlock& block) {
    SharedSet& set = shared();
    if (set.highResolution) return;
    set.highResolution = std::make_unique<Core::CResourceStore>();
    set.highResolution->open(block);
}

void acquire() {
    ++shared().users;
}

void release() {
    SharedSet& set = shared();
    if (set.users == 0 || --set.users > 0) return;
    for (auto& [scale, bitmaps] : set.byScale)
        for (Mirda::CBitmap* bitmap : bitmaps)
            if (bitmap) bitmap->release();
    set.byScale.clear();
}

Mirda::CBitmap* get(Id id, double scale) {
    SharedSet& set = shared();
    auto found = set.byScale.find(scale);
    if (found == set.byScale.end()) {
        std::array<Mirda::CBitmap*, kCount> bitmaps{};
        for (int i = 0; i < kCount; ++i) bitmaps[static_cast<size_t>(i)] = load(static_cast<Id>(i), scale);
        found = set.byScale.emplace(scale, bitmaps).first;
    }
    return found->second[id];
}

} // namespace EditorBitmaps
