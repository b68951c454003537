#pragma once
// CUpdateNotification: the editor's corner for the update check. The editor's timer calls onTimer(),
// which drives the check and shows what it found: the "Update available" icon, the update message box
// (question, then "Download finished" or "Download failed") as a modal view of the frame, and the progress
// meter while the installer arrives.

#include "gui/ViewContainer.h"
#include "update/CUpdateNotifier.h"

namespace Pellu {

class CProgressMeter;
class CUpdateInfoIcon;
class CUpdateMessageBox;

class CUpdateNotification : public Mirda::CViewContainer {
public:
    /**
     * `questionPresenter` asks the immediate question ("Update Available", Yes / No) when `showAsIcon`
     * is false; it must outlive this view.
     */
    CUpdateNotification(const Mirda::CRect& size, CSession& session, bool showAsIcon,
                        Core::IMessagePresenter* questionPresenter);

    void onTimer();
    const CUpdateNotifier& getNotifier() const { return m_notifier; }
    CUpdateInfoIcon* getIcon() const { return m_icon; }
    CProgressMeter* getMeter() const { return m_meter; }

    bool removed(Mirda::CView* parent) override;
    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "CUpdateNotification"; }

private:
    void showMessageBox();
    void messageBoxAnswered(int button);

    CUpdateNotifier m_notifier;
    CUpdateInfoIcon* m_icon;
    CProgressMeter* m_meter;
    CUpdateMessageBox* m_box = nullptr;
};

} // namespace Pellu
