#include "presets/PresetBrowserModel.h"

#include "core/Paths.h"

#include <algorithm>
#include <cctype>
#include <tuple>

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

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The browse order as a sort key: subfolders first, then folder and file name, ignoring case.
std::tuple<bool, std::string, std::string> browseKey(const std::string& folder, const std::string& path) {
    const bool inside = path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0;
    const std::string relative = inside ? path.substr(folder.size()) : Core::fileStem(path);
    const auto slash = relative.find('/');
    const std::string subfolder = slash == std::string::npos ? "" : relative.substr(0, slash);
    return {subfolder.empty(), lowerCase(subfolder), lowerCase(relative.substr(subfolder.size()))};
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
    const auto count = std::int32_t(order.size());
    const std::string& current = library_.getCurrentPath();
    const auto found = std::find(order.begin(), order.end(), library_.getCurrentIndex());
    std::int32_t next = 0;
    if (found != order.end()) {
        next = std::int32_t(found - order.begin()) + (forward ? 1 : -1);
    } else if (!current.empty()) { // gone: the first preset after its place, or the last before it
        const std::string& folder = library_.getPresetFolder();
        const auto key = browseKey(folder, current);
        const auto after = std::find_if(order.begin(), order.end(), [&](std::int32_t index) {
            return browseKey(folder, library_.getEntry(index)->path) > key;
        });
        next = std::int32_t(after - order.begin()) - (forward ? 0 : 1);
    } else {
        next = forward ? 0 : count - 1;
    }
    next = (next % count + count) % count;
    selectPreset(library_.getEntry(order[std::size_t(next)])->path);
}

// The name the browser sets after a load is the preset's own: it must not clear the selection.
void CPresetBrowserModel::selectPreset(const std::string& path) {
    if (library_.loadPreset(path)) selectedName_ = effect_.getPresetName();
}

std::vector<PresetMenuItem> CPresetBrowserModel::buildMenu() {
    library_.scan();
    const bool hasCurrent = library_.getCurrentIndex() >= 0;
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
        commandPresets_.push_back(entry->path);
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
        if (library_.getCurrentIndex() >= 0) library_.deleteCurrentPreset();
        break;
    case kRename:
        if (library_.getCurrentIndex() < 0) break;
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
    if (currentName == selectedName_) return;
    selectedName_.clear();
    library_.selectByPath(nullptr, false);
}

void CPresetBrowserModel::finishRename(const std::string& newName) {
    if (!renaming_) return;
    renaming_ = false;
    library_.renameCurrentPreset(newName);
    selectedName_ = effect_.getPresetName();
}

std::string CPresetBrowserModel::withPresetExtension(const std::string& path) {
    const bool hasExtension =
        path.size() >= 4 && Core::equalsIgnoringCase(path.substr(path.size() - 4), ".fxp");
    return hasExtension ? path : path + ".fxp";
}

} // namespace Tessu
