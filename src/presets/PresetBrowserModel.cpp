#include "presets/PresetBrowserModel.h"

#include "core/Paths.h"

#include <algorithm>

namespace Tessu {

namespace {

PresetMenuItem menuItem(std::string title, std::int32_t command = -1, bool enabled = true,
                        bool checked = false) {
    PresetMenuItem item;
    item.title = std::move(title);
    item.command = command;
    item.enabled = enabled;
    item.checked = checked;
    return item;
}

} // namespace

CPresetBrowserModel::CPresetBrowserModel(CPresetInterface& library, IPresetTarget& effect)
    : library_(library), effect_(effect) {}

std::vector<std::int32_t> CPresetBrowserModel::browseOrder() const {
    std::vector<std::int32_t> order;
    for (bool inSubfolder : {true, false})
        for (std::int32_t i = 0; i < library_.getEntryCount(); ++i)
            if (library_.getEntry(i)->subfolderName.empty() != inSubfolder) order.push_back(i);
    return order;
}

void CPresetBrowserModel::step(bool forward) {
    library_.scan();
    const std::vector<std::int32_t> order = browseOrder();
    if (order.empty()) return;
    const auto found = std::find(order.begin(), order.end(), library_.getCurrentIndex());
    const auto count = std::int32_t(order.size());
    const std::int32_t position = found == order.end() ? -1 : std::int32_t(found - order.begin());
    std::int32_t next = forward ? position + 1 : position - 1;
    if (next < 0) next = count - 1;
    if (next >= count) next = 0;
    selectPreset(order[std::size_t(next)]);
}

// The name the browser sets after a load is the preset's own: it must not clear the selection.
void CPresetBrowserModel::selectPreset(std::int32_t index) {
    library_.loadPreset(index);
    const PresetEntry* entry = library_.getEntry(library_.getCurrentIndex());
    if (!entry) return;
    selectedName_ = entry->displayName;
    effect_.setPresetName(selectedName_.c_str());
}

std::vector<PresetMenuItem> CPresetBrowserModel::buildMenu() {
    library_.scan();
    const bool hasCurrent = library_.getEntry(library_.getCurrentIndex()) != nullptr;
    std::vector<PresetMenuItem> menu = {
        menuItem("Save Preset", kSave),
        menuItem("Save Preset as..", kSaveAs),
        menuItem("-"),
        menuItem("Delete Preset", kDelete, hasCurrent),
        menuItem("Rename Preset", kRename, hasCurrent),
        menuItem("-"),
        menuItem("Go to Preset folder", kGoToFolder),
        menuItem("Restore Factory Presets", kRestoreFactory),
        menuItem("-"),
    };
    commandPresets_.clear();
    auto presetItem = [&](std::int32_t index, int number) {
        const PresetEntry* entry = library_.getEntry(index);
        commandPresets_.push_back(index);
        return menuItem(std::to_string(number) + " - " + entry->displayName,
                        kFirstPreset + std::int32_t(commandPresets_.size()) - 1, true,
                        index == library_.getCurrentIndex());
    };
    std::vector<std::string> folders;
    for (std::int32_t i = 0; i < library_.getEntryCount(); ++i) {
        const std::string& folder = library_.getEntry(i)->subfolderName;
        if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    for (const std::string& folder : folders) {
        PresetMenuItem submenu = menuItem(folder);
        for (std::int32_t i = 0; i < library_.getEntryCount(); ++i) {
            if (library_.getEntry(i)->subfolderName != folder || submenu.submenu.size() >= kMaxSubmenuItems)
                continue;
            submenu.submenu.push_back(presetItem(i, int(submenu.submenu.size()) + 1));
            submenu.checked = submenu.checked || submenu.submenu.back().checked;
        }
        menu.push_back(std::move(submenu));
    }
    int topLevel = 0;
    for (std::int32_t i = 0; i < library_.getEntryCount(); ++i)
        if (library_.getEntry(i)->subfolderName.empty()) menu.push_back(presetItem(i, ++topLevel));
    return menu;
}

void CPresetBrowserModel::runCommand(std::int32_t command) {
    switch (command) {
    case kSave:
        library_.savePreset(currentName_ ? currentName_().c_str() : "Error", true);
        break;
    case kSaveAs:
        if (chooseSaveFile_)
            chooseSaveFile_(library_.getPresetFolder(), [this](const std::string& path) {
                if (!path.empty()) library_.savePreset(withPresetExtension(path).c_str(), false);
            });
        break;
    case kDelete:
        library_.deletePreset(library_.getCurrentIndex());
        break;
    case kRename:
        if (!library_.getEntry(library_.getCurrentIndex())) break;
        renaming_ = true;
        if (startRename_) startRename_();
        break;
    case kGoToFolder:
        library_.openPresetFolder();
        break;
    case kRestoreFactory:
        library_.askToRestoreFactoryPresets();
        break;
    default:
        if (command >= kFirstPreset && command - kFirstPreset < std::int32_t(commandPresets_.size()))
            selectPreset(commandPresets_[std::size_t(command - kFirstPreset)]);
        break;
    }
}

void CPresetBrowserModel::presetNameChanged(const std::string& currentName) {
    if (renaming_) {
        renaming_ = false;
        library_.saveUnderNewName(currentName.c_str());
    } else if (currentName == selectedName_) {
        return;
    }
    selectedName_.clear();
    library_.selectByPath(nullptr, false);
}

std::string CPresetBrowserModel::withPresetExtension(const std::string& path) {
    const bool hasExtension =
        path.size() >= 4 && Core::equalsIgnoringCase(path.substr(path.size() - 4), ".fxp");
    return hasExtension ? path : path + ".fxp";
}

} // namespace Tessu
