#include "dsp/lib/FloatBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(FloatBuffer, AllocatesZeroedAlignedData) {
    DSP::MEMORY::CFloatBuffer buffer;
    EXPECT_EQ(buffer.size(), 0u);
    for (std::size_t n : {1u, 3u, 17u, 1000u}) {
        buffer.allocate(n);
        ASSERT_EQ(buffer.size(), n);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.data()) % 16, 0u);
        for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(buffer[i], 0.0f);
        buffer[n - 1] = 5.0f;
    }
    buffer.clear();
    EXPECT_EQ(buffer[999], 0.0f);
}

class Tracked : public DSP::CReferencedObject {
public:
    explicit Tracked(bool& deleted) : deleted(deleted) {}
    ~Tracked() override { deleted = true; }

private:
    bool& deleted;
};

TEST(ReferencedObject, LastReleaseDeletes) {
    bool deleted = false;
    auto* object = new Tracked(deleted);
    EXPECT_EQ(object->referenceCount(), 1);
    object->addRef();
    EXPECT_FALSE(object->release());
    EXPECT_FALSE(deleted);
    EXPECT_TRUE(object->release());
    EXPECT_TRUE(deleted);
}

} // namespace
