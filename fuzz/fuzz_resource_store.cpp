// Resource store blocks: open, list and read every entry, give everything back.
#include "core/CResourceStore.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A private copy, so that reads past the block's end are caught by the address sanitizer.
    const std::vector<std::uint8_t> block(data, data + size);
    Core::CResourceStore store;
    store.open(block.data(), block.size());
    for (std::int32_t i = 0; i < store.count(); ++i) {
        std::int32_t entrySize = 0;
        std::uint8_t* bytes = store.read(store.entryAt(i)->name, entrySize);
        if (bytes && entrySize > 0) {
            volatile std::uint8_t sink = bytes[entrySize - 1];
            (void)sink;
        }
        if (i % 2 == 0) store.release(bytes); // the rest are freed by close()
    }
    store.close();
    return 0;
}
