// The preset browser in the editor's title bar: the current preset's name between the "previous" and
// "next" arrows, and the menu arrow. A left click on an arrow steps through the library in browse order
// (answering 1, so the arrow shows pressed until the button goes up); a left click on the menu arrow or
// a right click anywhere opens the preset menu at the pointer. Renaming opens a text field over the name.
#pragma once

#include "gui/Control.h"

#include <string>

class CEditorPresets;

namespace Mirda {
class CBitmap;
class COptionMenu;
class Mirda_TextEdit;
} // namespace Mirda

class CPresetBrowser : public Mirda::CControl {
public:
    enum Area { kPrevious, kName, kNext, kMenu, kNone };

    // The arrows are drawn centred in square areas as tall as the control; `scale` sizes the name's font.
    CPresetBrowser(const Mirda::CRect& size, CEditorPresets& presets, double scale, Mirda::CBitmap* previous,
                   Mirda::CBitmap* next, Mirda::CBitmap* menu);

    Mirda::CRect areaRect(Area area) const;
    Area areaAt(const Mirda::CPoint& where) const;
    bool isPressed(Area area) const { return area == m_pressed && area != kNone; }

    // Opens the preset menu, built afresh, at a point in frame coordinates; false without a window.
    bool openMenu(const Mirda::CPoint& framePoint);
    // Opens the text field over the name; Return renames, Escape or a click elsewhere cancels.
    void startRename();

    void draw(Mirda::CDrawContext* context) override;
    int32_t onMouseDown(Mirda::CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(Mirda::CPoint& where, int32_t buttons) override;
    // Shows a name that changed elsewhere (host chunk, load) and takes down a finished rename field.
    void applyPendingChanges() override;
    bool removed(Mirda::CView* parent) override;

    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "CPresetBrowser"; }

protected:
    ~CPresetBrowser() override;

private:
    void renameEnded(int32_t flag);
    void closeRenameField();
    void letGoOfRenameField();
    void drawArrow(Mirda::CDrawContext* context, Area area, Mirda::CBitmap* bitmap);

    CEditorPresets& m_presets;
    double m_scale;
    Mirda::CBitmap* m_arrows[3] = {};
    Area m_pressed = kNone;
    std::string m_shownName;
    Mirda::Mirda_TextEdit* m_renameField = nullptr;
    bool m_renameFinished = false;
};
