#pragma once
// Menus: CMenuItem entries, COptionMenu (shows its current entry and pops up the list on a click) and
// Mirda_ContextMenu (pops up at the pointer). The popup itself belongs to the platform frame; its
// choice comes back through popupFinished.

#include "gui/ParamDisplay.h"

#include <functional>
#include <string>
#include <vector>

namespace Mirda {

class COptionMenu;

class CMenuItem {
public:
    explicit CMenuItem(const std::string& title, COptionMenu* submenu = nullptr);
    CMenuItem(const CMenuItem& other);
    CMenuItem& operator=(const CMenuItem&) = delete;
    ~CMenuItem();

    const std::string& getTitle() const { return m_title; }
    // "-" makes a separator.
    bool isSeparator() const { return m_title == "-"; }
    COptionMenu* getSubmenu() const { return m_submenu; }
    void setChecked(bool checked) { m_checked = checked; }
    bool isChecked() const { return m_checked; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled && !isSeparator(); }

private:
    std::string m_title;
    COptionMenu* m_submenu = nullptr;
    bool m_checked = false;
    bool m_enabled = true;
};

class COptionMenu : public CParamDisplay {
public:
    enum Style : int32_t { kCheckStyle = 0x100, kPopupAtTopLeft = 0x200 };
    using ChoiceCallback = std::function<void(COptionMenu* menu, int32_t index)>;

    explicit COptionMenu(const CRect& size, CControlListener* listener = nullptr, int32_t tag = 0,
                         CBitmap* background = nullptr, int32_t style = 0);

    CMenuItem* addEntry(const std::string& title, int32_t index = -1);
    CMenuItem* addEntry(const std::string& title, COptionMenu* submenu);
    void addSeparator() { addEntry("-"); }
    void removeAllEntries();
    int32_t getNbEntries() const { return static_cast<int32_t>(m_items.size()); }
    CMenuItem* getEntry(int32_t index) const;
    int32_t getCurrentIndex() const { return m_currentIndex; }
    bool setCurrent(int32_t index);
    int32_t getStyle() const { return m_style; }

    // Shows the popup at the control (bottom-left, or top-left with kPopupAtTopLeft); false without a
    // platform frame.
    bool popup();
    bool popupAt(const CPoint& framePoint);
    // The platform reports the choice: `menu` is this menu or one of its submenus; index -1 = dismissed.
    virtual void popupFinished(COptionMenu* menu, int32_t index);
    // Called after a choice (the preset browser uses it instead of a listener).
    void setChoiceCallback(ChoiceCallback callback) { m_choiceCallback = std::move(callback); }
    // The (menu, index) of the last choice; menu null when the popup was dismissed.
    COptionMenu* getLastMenu() const { return m_lastMenu; }
    int32_t getLastResult() const { return m_lastResult; }

    std::string formatText(float) const override;
    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    void draw(CDrawContext* context) override;

    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "COptionMenu"; }

protected:
    ~COptionMenu() override;

    std::vector<CMenuItem*> m_items;
    int32_t m_currentIndex = -1;
    int32_t m_style;
    COptionMenu* m_lastMenu = nullptr;
    int32_t m_lastResult = -1;
    ChoiceCallback m_choiceCallback;
};

class Mirda_ContextMenu : public COptionMenu {
public:
    using COptionMenu::COptionMenu;
    // Pops up at the pointer on any click inside the control.
    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    void draw(CDrawContext*) override { setDirty(false); }

    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "Mirda_ContextMenu"; }
};

} // namespace Mirda
