// What the preset browser does, apart from drawing it: the browse order and stepping, the menu with its
// commands, enables, numbering and check marks, the rename and the name-change rules. The view supplies
// the save-file chooser and the in-place text field; questions go through the library's answerer.
#pragma once

#include "presets/CPresetInterface.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tessu {

struct PresetMenuItem {
    std::string title; // "-" for a separator
    std::int32_t command = -1;
    bool enabled = true;
    bool checked = false;
    std::vector<PresetMenuItem> submenu;
};

class CPresetBrowserModel {
public:
    enum Command : std::int32_t {
        kSave = 0,
        kSaveAs = 1,
        kDelete = 2,
        kRename = 3,
        kGoToFolder = 4,
        kRestoreFactory = 5,
        kFirstPreset = 6,
    };
    static constexpr int kMaxSubmenuItems = 255;

    // The chooser calls back with the picked path, or not at all when the user cancels.
    using SaveFileChooser = std::function<void(const std::string& folder, std::function<void(std::string)>)>;

    CPresetBrowserModel(CPresetInterface& library, IPresetTarget& effect);

    void setSaveFileChooser(SaveFileChooser chooser) { chooseSaveFile_ = std::move(chooser); }
    // The current preset name (the "PRESETNAME" parameter's text); "Error" without one.
    void setNameSource(std::function<std::string()> source) { currentName_ = std::move(source); }
    // Opens the in-place text field over the name display.
    void setRenameStarter(std::function<void()> start) { startRename_ = std::move(start); }

    // Presets in subfolders first, then those directly in the folder, each in list order.
    std::vector<std::int32_t> browseOrder() const;
    // Rescans, then loads the next (or previous) preset in browse order, wrapping. A current preset that
    // has left the folder steps from the place it had.
    void step(bool forward);

    // Built afresh on each opening; commands kFirstPreset and up load presets.
    std::vector<PresetMenuItem> buildMenu();
    void runCommand(std::int32_t command);

    // The preset name changed (the editor notices it at its idle pass): a name other than the one the
    // browser set itself (brought by a host chunk) clears the current preset.
    void presetNameChanged(const std::string& currentName);
    // The rename field was confirmed: the current preset moves to the new name, or the library says why not.
    void finishRename(const std::string& newName);
    // The text field closed without confirmation: nothing is saved.
    void cancelRename() { renaming_ = false; }
    bool isRenaming() const { return renaming_; }

    // ".fxp" appended unless the name already ends in it, ignoring case.
    static std::string withPresetExtension(const std::string& path);

private:
    void selectPreset(const std::string& path);

    CPresetInterface& library_;
    IPresetTarget& effect_;
    SaveFileChooser chooseSaveFile_;
    std::function<void()> startRename_;
    std::function<std::string()> currentName_;
    std::vector<std::string> commandPresets_; // the paths the menu's preset commands load
    bool renaming_ = false;
    std::string selectedName_;
};

} // namespace Tessu
