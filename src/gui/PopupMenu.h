#pragma once
// CPopupMenuSession: the window-system-neutral part of a popup menu. It lays out a COptionMenu and its
// open submenus as panes in screen coordinates, answers hit tests, follows the pointer and the keys
// (arrows, Return, Escape, Home/End, Page Up/Down, initial letters) and scrolls panes taller than the
// screen so that every item stays reachable. The platform layer shows one window per pane, feeds the
// events in, and calls deliver() once the session is finished (after its windows are gone, because the
// menu's callback may open the next popup).

#include "gui/Geometry.h"
#include "gui/KeyCodes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Mirda {

class CDrawContext;
class CMenuItem;
class COptionMenu;

class CPopupMenuSession {
public:
    using MeasureText = std::function<double(const std::string& utf8)>;

    static constexpr double kRowHeight = 20;
    static constexpr double kSeparatorHeight = 9;
    static constexpr double kArrowHeight = 16;
    static constexpr double kBorder = 1;
    static constexpr double kTextLeft = 24;  // room for the check mark
    static constexpr double kTextRight = 26; // room for the submenu arrow
    static constexpr uint64_t kAutoScrollMs = 50;

    struct Pane {
        COptionMenu* menu = nullptr;
        CRect rect;                   // screen coordinates, border included
        std::vector<double> itemTops; // item i spans [itemTops[i], itemTops[i + 1]) of the content
        double scroll = 0;            // content offset shown at the top of the item area
        bool scrolls = false;         // the content is taller than the pane
        int32_t hot = -1;             // highlighted item
        int32_t parentItem = -1;      // the item of the previous pane that opened this one
        double contentHeight() const { return itemTops.back(); }
    };

    struct Hit {
        enum Part { kNone, kItem, kScrollUp, kScrollDown, kFrame };
        int32_t pane = -1;
        Part part = kNone;
        int32_t item = -1;
    };

    // Opens `menu` (a reference is held until the session ends) with its top-left at `anchor`, inside
    // `screen`. The root pane is at least `minWidth` wide. Without `measure` the default font measures.
    // A pane that does not fit below the anchor opens above, with its bottom at `flipBottom` (the top of
    // the control it belongs to; the anchor itself when not given), so that it never covers its control.
    CPopupMenuSession(COptionMenu* menu, const CPoint& anchor, const CRect& screen, double minWidth = 0,
                      MeasureText measure = {}, std::optional<double> flipBottom = {});
    ~CPopupMenuSession();
    CPopupMenuSession(const CPopupMenuSession&) = delete;
    CPopupMenuSession& operator=(const CPopupMenuSession&) = delete;

    size_t paneCount() const { return m_panes.size(); }
    const Pane& pane(size_t index) const { return m_panes.at(index); }
    // How many of a platform's pane windows (pointers to records with the `menu` and `rect` they show),
    // counted from the first, still show what this session's panes show; the rest are made anew.
    template <class Windows> size_t unchangedPanes(const Windows& windows) const {
        size_t keep = 0;
        while (keep < windows.size() && keep < m_panes.size() && windows[keep]->menu == m_panes[keep].menu &&
               windows[keep]->rect == m_panes[keep].rect)
            ++keep;
        return keep;
    }
    // The visible part of an item in screen coordinates; empty when scrolled out of view.
    CRect itemRect(size_t pane, int32_t item) const;
    // The pane's item area (inside the border and the scroll arrows) in screen coordinates.
    CRect itemArea(size_t pane) const;
    Hit hitTest(const CPoint& screenPoint) const;

    // Pointer and keyboard input; points in screen coordinates.
    void mouseMoved(const CPoint& where);
    void mouseDown(const CPoint& where);
    void mouseUp(const CPoint& where);
    void wheel(const CPoint& where, float distance);
    void key(const VstKeyCode& key);
    // Scrolls while the pointer rests on a scroll arrow; call it from the event pump.
    void tick(uint64_t nowMs);

    bool isFinished() const { return m_finished; }
    COptionMenu* resultMenu() const { return m_resultMenu; }
    int32_t resultIndex() const { return m_resultIndex; }
    // Ends the session without a choice.
    void dismiss() { finish(nullptr, -1); }
    // Reports the outcome to the root menu (COptionMenu::popupFinished); once.
    void deliver();
    // True once after anything visible changed (panes, highlight, scrolling).
    bool takeChanged();

    // Draws pane `index` into a context whose buffer holds exactly that pane (pane-local coordinates).
    void drawPane(size_t index, CDrawContext* context) const;

private:
    static bool isSelectable(const CMenuItem* item);
    Pane layoutPane(COptionMenu* menu, double minWidth) const;
    void openSubmenu(size_t paneIndex, int32_t item, bool selectFirst);
    void closePanesAbove(size_t paneIndex);
    void setHot(size_t paneIndex, int32_t item);
    static int32_t nextSelectable(const Pane& pane, int32_t from, int32_t direction, bool wrap);
    void moveHot(int32_t step, bool wrap);
    void hotToEnd(bool last);
    void jumpToLetter(int32_t character);
    void activate(size_t paneIndex, int32_t item);
    void scrollBy(size_t paneIndex, double pixels);
    void ensureVisible(size_t paneIndex, int32_t item);
    void finish(COptionMenu* menu, int32_t index);

    COptionMenu* m_root;
    CRect m_screen;
    MeasureText m_measure;
    std::vector<Pane> m_panes;
    CPoint m_openPoint;
    CPoint m_pointer;
    bool m_pointerKnown = false;
    bool m_pressSeen = false;
    bool m_moved = false;
    uint64_t m_lastAutoScroll = 0;
    bool m_finished = false;
    bool m_delivered = false;
    bool m_changed = true;
    COptionMenu* m_resultMenu = nullptr;
    int32_t m_resultIndex = -1;
};

// What every window system's popup menu has: the session it shows, which its owner takes back to deliver
// the choice once the popup's windows are gone.
class CNativePopupMenu {
public:
    bool isFinished() const { return m_session->isFinished(); }
    const CPopupMenuSession& session() const { return *m_session; }
    std::unique_ptr<CPopupMenuSession> releaseSession() { return std::move(m_session); }

protected:
    std::unique_ptr<CPopupMenuSession> m_session;
};

} // namespace Mirda
