#include "gui/Bitmap.h"
#include "gui/Font.h"

#include "core/CResourceStore.h"
#include "mirdaTestImages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace Mirda;

TEST(EmbeddedResources, TheFontStoreHoldsBothFacesByteForByte) {
    Core::CResourceStore& fonts = embeddedFontStore();
    ASSERT_EQ(fonts.count(), 2);
    const struct {
        const char* name;
        const char* file;
    } faces[] = {{"arial.ttf", "LiberationSans-Regular.ttf"}, {"arialbd.ttf", "LiberationSans-Bold.ttf"}};
    for (const auto& face : faces) {
        std::int32_t size = 0;
        std::uint8_t* bytes = fonts.read(face.name, size);
        ASSERT_NE(bytes, nullptr) << face.name;
        const auto expected =
            std::filesystem::file_size(std::string("/usr/share/fonts/truetype/liberation2/") + face.file);
        EXPECT_EQ(static_cast<std::uintmax_t>(size), expected) << face.name;
        const std::uint8_t trueTypeTag[4] = {0, 1, 0, 0};
        EXPECT_EQ(std::memcmp(bytes, trueTypeTag, 4), 0) << face.name;
        fonts.release(bytes);
    }
    EXPECT_STREQ(fontFileForStyle(kBoldFace), "arialbd.ttf");
    EXPECT_EQ(fonts.outstandingBuffers(), 0u);
}

TEST(EmbeddedResources, PngResourceStreamsDecodeStoreEntriesAndGiveTheBufferBack) {
    Core::CResourceStore store;
    ASSERT_TRUE(store.open(mirdaTestImages_block()));
    {
        PNGResourceStream stream(store, "images/two-pixels.png");
        ASSERT_TRUE(stream.isValid());
        EXPECT_EQ(store.outstandingBuffers(), 1u);
        auto* bitmap = new CBitmap();
        ASSERT_TRUE(bitmap->loadFromStream(&stream));
        EXPECT_EQ(bitmap->getWidth(), 2);
        const CPixelBuffer pixels = bitmap->getPixelBuffer();
        EXPECT_EQ(std::vector<uint8_t>(pixels.pixels, pixels.pixels + 8),
                  (std::vector<uint8_t>{49, 99, 199, 255, 0, 0, 0, 0}));
        bitmap->release();
    }
    EXPECT_EQ(store.outstandingBuffers(), 0u);

    PNGResourceStream missing(store, "images/none.png");
    EXPECT_FALSE(missing.isValid());
    auto* empty = new CBitmap();
    EXPECT_FALSE(empty->loadFromStream(&missing));
    EXPECT_FALSE(empty->isLoaded());
    empty->release();
}
