// Pictures compared with reference PNG files, with room for anti-aliasing and font rounding differences.
#pragma once

#include "gui/Bitmap.h"
#include "gui/PngWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace KavrenTest {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // premultiplied BGRA, rows width * 4 bytes apart

    const uint8_t* at(int x, int y) const {
        return pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
    }
};

inline Image imageOf(const Mirda::CPixelBuffer& buffer) {
    Image image{buffer.width, buffer.height, {}};
    image.pixels.resize(size_t(buffer.width) * size_t(buffer.height) * 4);
    for (int y = 0; y < buffer.height; ++y)
        std::memcpy(image.pixels.data() + size_t(y) * size_t(buffer.width) * 4, buffer.row(y),
                    size_t(buffer.width) * 4);
    return image;
}

inline bool writeImage(const Image& image, const std::string& path) {
    Image copy = image;
    return Mirda::writePNGFile({copy.pixels.data(), copy.width, copy.height, copy.width * 4}, path);
}

// The picture in a PNG file; empty when it cannot be read.
inline Image readImage(const std::string& path) {
    auto* bitmap = new Mirda::CBitmap();
    Mirda::PNGFileStream stream(path);
    const Image image = bitmap->loadFromStream(&stream) ? imageOf(bitmap->getPixelBuffer()) : Image{};
    bitmap->release();
    return image;
}

struct ImageDifference {
    double meanPerChannel = 0; // mean absolute difference of all channels, 0..255
    int pixelsOff = 0;         // pixels with a channel more than 48 apart
};

// Pictures of different sizes, or an empty one, differ completely.
inline ImageDifference compareImages(const Image& a, const Image& b) {
    ImageDifference difference;
    if (a.width != b.width || a.height != b.height || a.pixels.empty()) {
        difference.meanPerChannel = 255;
        difference.pixelsOff = std::max(a.width * a.height, b.width * b.height);
        return difference;
    }
    double total = 0;
    for (size_t i = 0; i < a.pixels.size(); i += 4) {
        int worst = 0;
        for (size_t k = 0; k < 4; ++k) {
            const int d = std::abs(int(a.pixels[i + k]) - int(b.pixels[i + k]));
            total += d;
            worst = std::max(worst, d);
        }
        if (worst > 48) ++difference.pixelsOff;
    }
    difference.meanPerChannel = total / double(a.pixels.size());
    return difference;
}

// Compares with `reference`, first rewriting it when MIRDA_UPDATE_REFERENCES is set.
inline ImageDifference compareWithReference(const Image& image, const std::string& reference) {
    if (std::getenv("MIRDA_UPDATE_REFERENCES")) writeImage(image, reference);
    return compareImages(image, readImage(reference));
}

} // namespace KavrenTest
