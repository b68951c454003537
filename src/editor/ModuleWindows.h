// The seven module windows of the central display (Envelope, Ring Mod., Freq Mod., LFO, Distortion,
// Limiter, System): where each sits, which parameters its dials edit, and the graphics of the envelope,
// LFO and System windows.
#pragma once

#include "editor/AttachedWindow.h"

#include <functional>
#include <string>
#include <vector>

class CKavren;

namespace Mirda {

class CBitmap;
class CFileSelector;

// What a module window needs from the editor.
struct ModuleWindowContext {
    CKavren* effect = nullptr;
    double scale = 1.0;
    // Binds a control to an effect parameter that the editor's idle pass keeps it in step with.
    std::function<void(CControl*, Tessu::ParameterProperty*)> poll;
    // Writes the support report and confirms it (absent: no "Support" entry).
    std::function<void()> requestSupport;
};

enum class ModuleSide { kLeft, kRight, kSystem };

struct ModuleWindowPlace {
    const char* name;
    ModuleSide side;
    int32_t page;
    CRect window, tab; // in the display's pixels at 100 %
};

inline constexpr ModuleWindowPlace kModuleWindows[] = {
    {"Envelope", ModuleSide::kLeft, 1, {45, 0, 247, 137}, {95, 0, 247, 15}},
    {"Ring Mod.", ModuleSide::kLeft, 2, {7, 77, 126, 157}, {27, 143, 126, 157}},
    {"Freq Mod.", ModuleSide::kLeft, 2, {128, 49, 247, 157}, {128, 143, 247, 157}},
    {"LFO", ModuleSide::kRight, 1, {249, 0, 461, 93}, {249, 0, 401, 15}},
    {"Distortion", ModuleSide::kRight, 2, {250, 49, 369, 157}, {250, 143, 369, 157}},
    {"Limiter", ModuleSide::kRight, 2, {372, 58, 494, 157}, {372, 143, 494, 157}},
    {"System", ModuleSide::kSystem, 1, {27, 0, 471, 157}, {403, 0, 471, 15}},
};

// A module window that follows the effect at each idle pass.
class CModuleWindow : public Mirda_AttachedWindow {
public:
    CModuleWindow(const ModuleWindowPlace& place, Tessu::ParameterProperty* selector,
                  const ModuleWindowContext& context);
    // Idle pass: takes what the window shows from the effect.
    virtual void update() {}

protected:
    // A dial for the effect parameter `key` at (x, y), `width` wide, in editor pixels inside the window.
    CModuleDial* addDial(const char* key, double x, double y, double width);
    CRect local(double x, double y, double width, double height) const;

    ModuleWindowContext m_context;
    ModuleWindowPlace m_place;
};

// Builds the window of one table row.
CModuleWindow* makeModuleWindow(const ModuleWindowPlace& place, Tessu::ParameterProperty* selector,
                                const ModuleWindowContext& context);

// The preset folder as the System window shows it: whole when it fits into `width`, else cut at the
// first character that no longer fits, with "...." from there. `measure` gives a text's width.
std::string fitFolderLine(const std::string& folder, double width,
                          const std::function<double(const std::string&)>& measure);

} // namespace Mirda
