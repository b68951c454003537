#include "editor/EditorBitmaps.h"

#include "core/CResourceStore.h"
#include "gui/Bitmap.h"

#include <map>
#include <memory>
#include <string>

namespace EditorBitmaps {
namespace {

struct SharedSet {
    int users = 0;
    int loads = 0;
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

Mirda::CBitmap* load(Id id, double scale) {
    SharedSet& set = shared();
    Core::CResourceStore* store = scale == 1.0 ? &Core::resourceStore() : set.highResolution.get();
    if (!store) return nullptr;
    Mirda::PNGResourceStream stream(*store, nameAt(id, scale).c_str());
    if (!stream.isValid()) return nullptr;
    auto* bitmap = new Mirda::CBitmap();
    if (!bitmap->loadFromStream(&stream)) {
        bitmap->release();
        return nullptr;
    }
    ++set.loads;
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

int loadCount() {
    return shared().loads;
}

} // namespace EditorBitmaps
