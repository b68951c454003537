// The editor's pixels as a host's tools see them: drawn offscreen through the plug-in's vendor-specific
// snapshot request, compared with reference images with room for anti-aliasing differences.
#pragma once

#include "frame/PluginEditor.h"
#include "utilities/ReferenceImages.h"
#include "vsthost/VstPluginHost.h"

using KavrenTest::compareImages;
using KavrenTest::compareWithReference;
using KavrenTest::Image;
using KavrenTest::ImageDifference;

// The editor's current size from effEditGetRect (0 x 0 when there is none).
inline void editorSize(kavren::host::VstPluginHost& host, int& width, int& height) {
    vst2::ERect* rect = nullptr;
    width = height = 0;
    if (!host.dispatch(vst2::effEditGetRect, 0, 0, &rect) || !rect) return;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
}

// What the editor shows, drawn offscreen at the editor's current size; empty when the plug-in declines.
inline Image editorSnapshot(kavren::host::VstPluginHost& host) {
    Image image;
    editorSize(host, image.width, image.height);
    image.pixels.assign(size_t(image.width) * size_t(image.height) * 4, 0);
    Tessu::EditorPixels out{image.pixels.data(), image.width, image.height, image.width * 4};
    if (!host.dispatch(vst2::effVendorSpecific, vst2::fourCC("KvED"), vst2::fourCC("Snap"), &out)) return {};
    return image;
}
