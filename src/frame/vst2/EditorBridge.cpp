#include "frame/vst2/EditorBridge.h"

#include <cstdint>

namespace Tessu {

bool CTessuVST2_Editor::getRect(vst2::ERect** rect) {
    double size[4] = {0.0, 0.0, 100.0, 100.0};
    editor_->getSize(size);
    rect_ = {int16_t(size[1]), int16_t(size[0]), int16_t(size[3]), int16_t(size[2])};
    if (rect) *rect = &rect_;
    return true;
}

bool CTessuVST2_Editor::open(void* parent) {
    if (!parent) return false;
    return editor_->open(parent);
}

void CTessuVST2_Editor::close() {
    if (editor_->isOpen()) editor_->close();
}

} // namespace Tessu
