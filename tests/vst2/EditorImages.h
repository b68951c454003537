// The editor's pixels as a host's tools see them: drawn offscreen through the plug-in's vendor-specific
// snapshot request, compared with reference images with room for anti-aliasing differences.
#pragma once

#include "frame/PluginEditor.h"
#include "vsthost/VstPluginHost.h"

#include <cstdint>
#include <string>
#include <vector>

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // premultiplied BGRA, rows width * 4 bytes apart

    const uint8_t* at(int x, int y) const {
        return pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
    }
};

// The editor's current size from effEditGetRect (0 x 0 when there is none).
void editorSize(kavren::host::VstPluginHost& host, int& width, int& height);
// What the editor shows, drawn offscreen at the editor's current size; empty when the plug-in declines.
Image editorSnapshot(kavren::host::VstPluginHost& host);
bool writeImage(const Image& image, const std::string& path);
Image readImage(const std::string& path);

struct ImageDifference {
    double meanPerChannel = 0; // mean absolute difference of all channels, 0..255
    int pixelsOff = 0;         // pixels with a channel more than 48 apart
};
ImageDifference compareImages(const Image& a, const Image& b);
// Compares with `reference`, first rewriting it when MIRDA_UPDATE_REFERENCES is set.
ImageDifference compareWithReference(const Image& image, const std::string& reference);
