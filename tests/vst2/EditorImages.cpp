#include "vst2/EditorImages.h"

#include "gui/Bitmap.h"
#include "gui/PngWriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace vst2;

void editorSize(kavren::host::VstPluginHost& host, int& width, int& height) {
    ERect* rect = nullptr;
    width = height = 0;
    if (!host.dispatch(effEditGetRect, 0, 0, &rect) || !rect) return;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
}

Image editorSnapshot(kavren::host::VstPluginHost& host) {
    Image image;
    editorSize(host, image.width, image.height);
    image.pixels.assign(size_t(image.width) * size_t(image.height) * 4, 0);
    Tessu::EditorPixels out{image.pixels.data(), image.width, image.height, image.width * 4};
    if (!host.dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Snap"), &out)) return {};
    return image;
}

bool writeImage(const Image& image, const std::string& path) {
    Image copy = image;
    return Mirda::writePNGFile({copy.pixels.data(), copy.width, copy.height, copy.width * 4}, path);
}

Image readImage(const std::string& path) {
    auto* bitmap = new Mirda::CBitmap();
    Mirda::PNGFileStream stream(path);
    Image image;
    if (bitmap->loadFromStream(&stream)) {
        const Mirda::CPixelBuffer pixels = bitmap->getPixelBuffer();
        image.width = pixels.width;
        image.height = pixels.height;
        image.pixels.resize(size_t(pixels.width) * size_t(pixels.height) * 4);
        for (int y = 0; y < pixels.height; ++y)
            std::memcpy(image.pixels.data() + size_t(y) * size_t(pixels.width) * 4, pixels.row(y),
                        size_t(pixels.width) * 4);
    }
    bitmap->release();
    return image;
}

ImageDifference compareImages(const Image& a, const Image& b) {
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

ImageDifference compareWithReference(const Image& image, const std::string& reference) {
    if (std::getenv("MIRDA_UPDATE_REFERENCES")) writeImage(image, reference);
    return compareImages(image, readImage(reference));
}
