#include "editor/ScaleMenu.h"

#include "editor/CMirdanelEditor.h"
#include "editor/EditorScale.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Choice {
    const char* title;
    const char* setting;
};

constexpr std::array<Choice, 4> kChoices{{{"Editor size: Automatic", "auto"},
                                          {"Editor size: 100 %", "100"},
                                          {"Editor size: 150 %", "150"},
                                          {"Editor size: 200 %", "200"}}};

} // namespace

CScaleMenu::CScaleMenu(const Mirda::CRect& size, CMirdanelEditor& editor)
    : Mirda_ContextMenu(size, nullptr, 0, nullptr, kCheckStyle), m_editor(editor) {
    setChoiceCallback([this](Mirda::COptionMenu*, int32_t index) {
        if (const char* setting = settingAt(index)) m_editor.requestScale(setting);
    });
}

const char* CScaleMenu::settingAt(int32_t index) {
    return index >= 0 && index < static_cast<int32_t>(kChoices.size())
               ? kChoices[static_cast<size_t>(index)].setting
               : nullptr;
}

void CScaleMenu::buildEntries() {
    removeAllEntries();
    const std::string setting = EditorScale::readSetting();
    const int percent = std::atoi(setting.c_str());
    for (const Choice& choice : kChoices)
        addEntry(choice.title)
            ->setChecked(percent > 0 ? std::atoi(choice.setting) == percent
                                     : !std::strcmp(choice.setting, "auto"));
    if (m_editor.hostCanResize()) return;
    // The window stays as the host made it: a new size waits for the next opening.
    addSeparator();
    addEntry(kFixedSizeNote)->setEnabled(false);
}

int32_t CScaleMenu::onMouseDown(Mirda::CPoint& where, int32_t buttons) {
    if (!(buttons & Mirda::kRButton)) return Mirda::kMouseNotHandled;
    buildEntries();
    return Mirda_ContextMenu::onMouseDown(where, buttons);
}
