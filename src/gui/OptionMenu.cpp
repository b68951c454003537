#include "gui/OptionMenu.h"

#include "gui/Frame.h"

#include <cstring>

namespace Mirda {

CMenuItem::CMenuItem(const std::string& title, COptionMenu* submenu) : m_title(title) {
    swapReference(m_submenu, submenu);
}

CMenuItem::CMenuItem(const CMenuItem& other)
    : m_title(other.m_title), m_checked(other.m_checked), m_enabled(other.m_enabled) {
    swapReference(m_submenu, other.m_submenu);
}

CMenuItem::~CMenuItem() {
    swapReference<COptionMenu>(m_submenu, nullptr);
}

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                         int32_t style)
    : CParamDisplay(size, background, kLeftText), m_style(style) {
    m_listener = listener;
    m_tag = tag;
    m_mouseEnabled = true;
}

COptionMenu::~COptionMenu() {
    removeAllEntries();
}

CMenuItem* COptionMenu::addEntry(const std::string& title, int32_t index) {
    auto* item = new CMenuItem(title);
    if (index < 0 || index >= getNbEntries())
        m_items.push_back(item);
    else
        m_items.insert(m_items.begin() + index, item);
    return item;
}

CMenuItem* COptionMenu::addEntry(const std::string& title, COptionMenu* submenu) {
    auto* item = new CMenuItem(title, submenu);
    m_items.push_back(item);
    return item;
}

void COptionMenu::removeAllEntries() {
    for (CMenuItem* item : m_items) delete item;
    m_items.clear();
    m_currentIndex = -1;
}

CMenuItem* COptionMenu::getEntry(int32_t index) const {
    if (index < 0 || index >= getNbEntries()) return nullptr;
    return m_items[static_cast<size_t>(index)];
}

bool COptionMenu::setCurrent(int32_t index) {
    if (index < -1 || index >= getNbEntries()) return false;
    m_currentIndex = index;
    if (m_style & kCheckStyle)
        for (int32_t i = 0; i < getNbEntries(); ++i) m_items[static_cast<size_t>(i)]->setChecked(i == index);
    m_value = index;
    setDirty(true);
    return true;
}

bool COptionMenu::popupAt(const CPoint& framePoint) {
    if (!m_frame || !m_frame->getPlatformFrame()) return false;
    return m_frame->getPlatformFrame()->showPopupMenu(this, framePoint);
}

bool COptionMenu::popup() {
    const CRect r = parentToFrame(m_size);
    return popupAt((m_style & kPopupAtTopLeft) ? CPoint(r.left, r.top) : CPoint(r.left, r.bottom));
}

void COptionMenu::popupFinished(COptionMenu* menu, int32_t index) {
    m_lastMenu = index >= 0 ? menu : nullptr;
    m_lastResult = index;
    if (index < 0) return;
    addRef();
    if (menu == this) {
        beginEdit();
        setCurrent(index);
        if (m_parameter) m_parameter->setValue(this, m_parameter->getMinimum() + static_cast<float>(index));
        notifyValueChanged();
        endEdit();
    } else {
        notifyValueChanged();
    }
    if (m_choiceCallback) m_choiceCallback(menu, index);
    release();
}

void COptionMenu::draw(CDrawContext* context) {
    drawText(context, formatText(0));
    setDirty(false);
}

std::string COptionMenu::formatText(float) const {
    const CMenuItem* item = getEntry(m_currentIndex);
    return item ? item->getTitle() : std::string();
}

int32_t COptionMenu::onMouseDown(CPoint&, int32_t buttons) {
    if (!(buttons & kLButton)) return kMouseNotHandled;
    popup();
    return kMouseHandledNoFollow;
}

bool COptionMenu::isTypeOf(const char* className) const {
    return std::strcmp(className, "COptionMenu") == 0 || CParamDisplay::isTypeOf(className);
}

int32_t Mirda_ContextMenu::onMouseDown(CPoint& where, int32_t buttons) {
    if (!(buttons & (kLButton | kRButton))) return kMouseNotHandled;
    popupAt(parentToFrame(where));
    return kMouseHandledNoFollow;
}

bool Mirda_ContextMenu::isTypeOf(const char* className) const {
    return std::strcmp(className, "Mirda_ContextMenu") == 0 || COptionMenu::isTypeOf(className);
}

} // namespace Mirda
