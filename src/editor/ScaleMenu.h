// The editor's size choice: a right click on the panel where no control takes it opens a menu with
// "Automatic" (the host's or the screen's scale) and the three sizes; the choice is the user's setting.
// In a host that cannot resize the editor's window, the menu says that a new size shows from the next
// opening.
#pragma once

#include "gui/OptionMenu.h"

class CMirdanelEditor;

class CScaleMenu : public Mirda::Mirda_ContextMenu {
public:
    // Covers `size` (the whole editor); add it first so every control lies above it.
    CScaleMenu(const Mirda::CRect& size, CMirdanelEditor& editor);

    int32_t onMouseDown(Mirda::CPoint& where, int32_t buttons) override;
    // The setting value of a menu entry ("auto", "100", "150", "200").
    static const char* settingAt(int32_t index);
    static constexpr const char* kFixedSizeNote =
        "A new size shows when the editor is next opened (this host keeps the window size)";
    const char* getClassName() const override { return "CScaleMenu"; }

protected:
    ~CScaleMenu() override = default;

private:
    void buildEntries();
    CMirdanelEditor& m_editor;
};
