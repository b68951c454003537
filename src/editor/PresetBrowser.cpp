#include "editor/PresetBrowser.h"

#include "editor/EditorPresets.h"
#include "gui/Bitmap.h"
#include "gui/DrawContext.h"
#include "gui/Font.h"
#include "gui/Frame.h"
#include "gui/OptionMenu.h"
#include "gui/TextEdit.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

using namespace Mirda;

namespace {

constexpr CColor kNameColor{226, 230, 236, 255};
constexpr CColor kPressedFill{255, 255, 255, 36};

// Which command each entry of each (sub)menu stands for; -1 for separators and submenu titles.
using CommandTable = std::vector<std::pair<COptionMenu*, std::vector<int32_t>>>;

COptionMenu* buildMenu(const std::vector<Tessu::PresetMenuItem>& items, CommandTable& table) {
    auto* menu = new Mirda_ContextMenu(CRect());
    std::vector<int32_t> commands;
    for (const Tessu::PresetMenuItem& item : items) {
        CMenuItem* entry = nullptr;
        if (item.submenu.empty()) {
            entry = menu->addEntry(item.title);
        } else {
            COptionMenu* submenu = buildMenu(item.submenu, table);
            entry = menu->addEntry(item.title, submenu);
            submenu->release(); // the entry holds it
        }
        entry->setEnabled(item.enabled);
        entry->setChecked(item.checked);
        // The menu opens with the current preset (or the submenu that holds it) selected.
        if (item.checked) menu->setCurrent(menu->getNbEntries() - 1);
        commands.push_back(item.submenu.empty() ? item.command : -1);
    }
    table.emplace_back(menu, std::move(commands));
    return menu;
}

} // namespace

CPresetBrowser::CPresetBrowser(const CRect& size, CEditorPresets& presets, double scale, CBitmap* previous,
                               CBitmap* next, CBitmap* menu)
    : CControl(size, nullptr, 0), m_presets(presets), m_scale(scale), m_shownName(presets.presetName()) {
    swapReference(m_arrows[0], previous);
    swapReference(m_arrows[1], next);
    swapReference(m_arrows[2], menu);
    m_presets.setBrowser(this);
}

CPresetBrowser::~CPresetBrowser() {
    letGoOfRenameField();
    for (CBitmap*& arrow : m_arrows) swapReference<CBitmap>(arrow, nullptr);
    m_presets.setBrowser(nullptr);
}

CRect CPresetBrowser::areaRect(Area area) const {
    const double side = m_size.height();
    switch (area) {
    case kPrevious:
        return CRect(m_size.left, m_size.top, m_size.left + side, m_size.bottom);
    case kName:
        return CRect(m_size.left + side, m_size.top, m_size.right - 2 * side, m_size.bottom);
    case kNext:
        return CRect(m_size.right - 2 * side, m_size.top, m_size.right - side, m_size.bottom);
    case kMenu:
        return CRect(m_size.right - side, m_size.top, m_size.right, m_size.bottom);
    case kNone:
        break;
    }
    return CRect();
}

CPresetBrowser::Area CPresetBrowser::areaAt(const CPoint& where) const {
    for (Area area : {kPrevious, kName, kNext, kMenu}) {
        const CRect r = areaRect(area);
        // Half-open, so that neighbouring areas do not share their common edge.
        if (where.x >= r.left && where.x < r.right && where.y >= r.top && where.y < r.bottom) return area;
    }
    return kNone;
}

void CPresetBrowser::drawArrow(CDrawContext* context, Area area, CBitmap* bitmap) {
    const CRect r = areaRect(area);
    if (isPressed(area)) {
        context->setFillColor(kPressedFill);
        context->drawRoundRect(CRect(r).inset(1, 1), 3 * m_scale, kDrawFilled);
    }
    if (!bitmap) return;
    // A pressed arrow sinks by a pixel.
    const double shift = isPressed(area) ? std::round(m_scale) : 0;
    const double left = std::round(r.left + (r.width() - bitmap->getWidth()) / 2) + shift;
    const double top = std::round(r.top + (r.height() - bitmap->getHeight()) / 2) + shift;
    bitmap->drawAlphaBlend(context, CRect::fromSize(left, top, bitmap->getWidth(), bitmap->getHeight()),
                           CPoint(), 255);
}

void CPresetBrowser::draw(CDrawContext* context) {
    drawArrow(context, kPrevious, m_arrows[0]);
    drawArrow(context, kNext, m_arrows[1]);
    drawArrow(context, kMenu, m_arrows[2]);
    if (!m_renameField) {
        const CRect name = areaRect(kName);
        const CRect oldClip = context->getClipRect();
        CRect clip = name;
        clip.bound(oldClip);
        context->setClipRect(clip);
        auto* font = new CFontDesc("Arial", 12 * m_scale, kBoldFace);
        context->setFont(font);
        font->release();
        context->setFontColor(kNameColor);
        context->drawString(m_shownName.c_str(), name, kCenterText);
        context->setClipRect(oldClip);
    }
    setDirty(false);
}

int32_t CPresetBrowser::onMouseDown(CPoint& where, int32_t buttons) {
    const Area area = areaAt(where);
    if ((buttons & kRButton) || ((buttons & kLButton) && area == kMenu)) {
        openMenu(parentToFrame(where));
        return kMouseHandledNoFollow;
    }
    if (!(buttons & kLButton) || (area != kPrevious && area != kNext)) return kMouseNotHandled;
    m_pressed = area;
    m_presets.run([&] { m_presets.model().step(area == kNext); });
    setDirty(true);
    return kMouseHandled;
}

int32_t CPresetBrowser::onMouseUp(CPoint&, int32_t) {
    m_pressed = kNone;
    setDirty(true);
    return kMouseHandled;
}

bool CPresetBrowser::openMenu(const CPoint& framePoint) {
    IFrame* platform = m_frame ? m_frame->getPlatformFrame() : nullptr;
    if (!platform) return false;
    auto table = std::make_shared<CommandTable>();
    COptionMenu* menu = buildMenu(m_presets.model().buildMenu(), *table);
    // The choice goes to the library object, which outlives this view and its window.
    CEditorPresets* presets = &m_presets;
    menu->setChoiceCallback([presets, table](COptionMenu* chosen, int32_t index) {
        for (const auto& [owner, commands] : *table) {
            if (owner != chosen || index < 0 || index >= static_cast<int32_t>(commands.size())) continue;
            const int32_t command = commands[static_cast<size_t>(index)];
            if (command >= 0) presets->run([&] { presets->model().runCommand(command); });
        }
    });
    const bool shown = platform->showPopupMenu(menu, framePoint);
    menu->release(); // the popup holds it while it is open
    return shown;
}

void CPresetBrowser::startRename() {
    if (m_renameField || !m_frame || !m_parent || !m_parent->isTypeOf("CViewContainer")) return;
    m_renameFinished = false;
    m_renameField = new Mirda_TextEdit(areaRect(kName), nullptr, 0, m_shownName);
    auto* font = new CFontDesc("Arial", 12 * m_scale, kBoldFace);
    m_renameField->setFont(font);
    font->release();
    m_renameField->setFontColor(kNameColor);
    m_renameField->setEndCallback([this](Mirda_TextEdit*, int32_t flag) { renameEnded(flag); });
    m_renameField->addRef(); // held here as well as by the container
    static_cast<CViewContainer*>(m_parent)->addView(m_renameField);
    m_renameField->takeFocus();
    setDirty(true);
}

// Only Return renames (the library refuses, with a message, names that cannot be file names); Escape and
// a focus change (a click elsewhere, Tab) leave the preset as it was.
void CPresetBrowser::renameEnded(int32_t flag) {
    if (m_renameFinished || !m_renameField) return;
    m_renameFinished = true;
    if (flag == CTextField::kConfirmed)
        m_presets.renamed(m_renameField->getText());
    else
        m_presets.model().cancelRename();
    // The field is still inside its own key or focus handling: it leaves the tree at the next pass.
    setDirty(true);
}

void CPresetBrowser::closeRenameField() {
    if (!m_renameField) return;
    if (CView* parent = m_renameField->getParentView(); parent && parent->isTypeOf("CViewContainer"))
        static_cast<CViewContainer*>(parent)->removeView(m_renameField, true);
    letGoOfRenameField();
    setDirty(true);
}

void CPresetBrowser::applyPendingChanges() {
    CControl::applyPendingChanges();
    if (m_renameFinished) {
        m_renameFinished = false;
        closeRenameField();
    }
    const std::string name = m_presets.presetName();
    if (name == m_shownName) return;
    m_shownName = name;
    setDirty(true);
}

bool CPresetBrowser::removed(CView* parent) {
    // A rename still open when the window closes saves nothing; the container takes the field down.
    if (m_renameField && !m_renameFinished) m_presets.model().cancelRename();
    letGoOfRenameField();
    return CControl::removed(parent);
}

void CPresetBrowser::letGoOfRenameField() {
    Mirda_TextEdit* field = std::exchange(m_renameField, nullptr);
    if (!field) return;
    field->setEndCallback(nullptr);
    field->release();
}

bool CPresetBrowser::isTypeOf(const char* className) const {
    return std::strcmp(className, "CPresetBrowser") == 0 || CControl::isTypeOf(className);
}
