#include "presets/CPresetInterface.h"

#include "core/DirectoryIterator.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/Process.h"
#include "core/ResourceStoreAccess.h"
#include "core/Settings.h"
#include "core/SpecialFolders.h"
#include "presets/CFileFormat.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace Tessu {
namespace {

constexpr const char* kFactoryPrefix = "presets/";

/** A preset file: the first ".fxp" in the name ends it (case-sensitive). */
bool isPresetFileName(const std::string& name) {
    const auto found = name.find(".fxp");
    return found != std::string::npos && found + 4 == name.size();
}

/** A relative path without ".." components cannot lead out of the folder. */
bool staysInside(const std::string& relative) {
    if (relative.empty() || relative[0] == '/') return false;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        if (relative.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return true;
}

std::string formatted(const char* format, const std::string& a, const std::string& b) {
    const int length = std::snprintf(nullptr, 0, format, a.c_str(), b.c_str());
    std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
    std::snprintf(text.data(), text.size() + 1, format, a.c_str(), b.c_str());
    return text;
}

} // namespace

CPresetInterface::CPresetInterface(std::string presetFolder, IPresetTarget* target,
                                   IQuestionAnswerer* answerer)
    : presetFolder_(Core::withTrailingSlash(std::move(presetFolder))), target_(target), answerer_(answerer) {}

std::string CPresetInterface::defaultPresetFolder() {
    std::string folder;
    const std::string key = Core::settingsKey(Core::kCompanyKey, Core::kProductKey);
    if (!Core::readSetting(key, "PresetFolder", folder, nullptr) || folder.empty())
        folder = Core::specialFolderPath(Core::kFolderSharedDocuments, "Quillmark") + "/kavren XL/Presets/";
    Core::toForwardSlashes(folder);
    return Core::toNativeSeparators(Core::withTrailingSlash(folder));
}

PresetQuestion CPresetInterface::overwriteQuestion(const std::string& displayName, const std::string& path) {
    return {PresetQuestion::kYesNo, "Preset Exists",
            formatted("File \"%s\" alread Exists, overwrite ?\n(%s)", displayName, path)};
}

PresetQuestion CPresetInterface::deleteQuestion(const std::string& displayName, const std::string& path) {
    return {PresetQuestion::kYesNo, "Warning!",
            formatted("Do you really want to delete \"%s\" ?\n(%s)", displayName, path)};
}

PresetQuestion CPresetInterface::restoreQuestion() {
    return {PresetQuestion::kOkCancel, "Warning",
            "This will overwrite all presets with the same name! Are you sure?"};
}

void CPresetInterface::ask(const PresetQuestion& question, std::function<void()> onYes) {
    if (!answerer_) return; // nobody to ask: destructive steps do not happen unasked
    answerer_->ask(question, [onYes = std::move(onYes)](bool yes) {
        if (yes) onYes();
    });
}

void CPresetInterface::addFolderFiles(const std::string& subfolder) {
    const std::string folder = presetFolder_ + (subfolder.empty() ? "" : subfolder + "/");
    // Listed in name order, ignoring case, whatever order the file system keeps: the menu and the
    // stepping order follow the list.
    std::vector<std::string> names;
    Core::DirectoryIterator iterator(folder + "*");
    for (std::string name; iterator.next(name);) names.push_back(name);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
    });
    for (const std::string& name : names) {
        if (name.empty() || name == "/." || name == "/..") continue;
        if (name[0] == '/') {
            if (subfolder.empty()) addFolderFiles(name.substr(1));
            continue;
        }
        if (isPresetFileName(name)) entries_.push_back({folder + name, Core::fileStem(name), subfolder});
    }
}

// There is no installer: the first scan that finds no preset folder makes one and fills it with the
// factory presets. A folder that exists is never touched, however empty.
void CPresetInterface::scan() {
    entries_.clear();
    if (!Core::folderExists(presetFolder_) && Core::createFolders(presetFolder_)) restoreFactoryPresets();
    addFolderFiles("");
}

const PresetEntry* CPresetInterface::getEntry(std::int32_t index) const {
    if (index < 0 || index >= getEntryCount()) return nullptr;
    return &entries_[static_cast<std::size_t>(index)];
}

std::string CPresetInterface::buildPath(const char* pathOrName, bool isName) const {
    std::string path = isName ? presetFolder_ + pathOrName + ".fxp" : std::string(pathOrName);
    Core::toForwardSlashes(path);
    return Core::toNativeSeparators(path);
}

void CPresetInterface::loadPreset(std::int32_t index) {
    const PresetEntry* entry = getEntry(index);
    if (!entry) return;
    currentIndex_ = index;
    const std::string path = buildPath(entry->path.c_str(), false);
    loadFile(path.c_str());
}

void CPresetInterface::loadFile(const char* path) {
    if (!path) return;
    void* data = nullptr;
    std::int32_t size = 0;
    fxpFormat().load(path, &data, &size);
    if (data && target_) target_->setPresetChunk(data, size);
    fxpFormat().freeData(data);
    selectByPath(path, false);
}

void CPresetInterface::selectByPath(const char* pathOrName, bool isName) {
    if (!pathOrName) {
        currentIndex_ = -1;
        return;
    }
    const std::string path = buildPath(pathOrName, isName);
    scan();
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&path](const PresetEntry& entry) {
        return Core::equalsIgnoringCase(entry.path, path);
    });
    if (found != entries_.end()) currentIndex_ = static_cast<std::int32_t>(found - entries_.begin());
}

void CPresetInterface::writePresetFile(const char* pathOrName, bool isName) {
    if (!pathOrName || !target_) return;
    const std::string path = buildPath(pathOrName, isName);
    target_->setGlobalLimiterMode(0);
    void* chunk = nullptr;
    const std::int32_t size = target_->getPresetChunk(&chunk);
    fxpFormat().save(path.c_str(), chunk, size);
    target_->setGlobalLimiterMode(1);
}

void CPresetInterface::savePreset(const char* pathOrName, bool isName) {
    if (!pathOrName) return;
    std::string argument = pathOrName;
    const std::string name = Core::fileStem(argument);
    if (const PresetEntry* current = getEntry(currentIndex_);
        current && Core::equalsIgnoringCase(current->displayName, name)) {
        argument = current->path;
        isName = false;
    }
    const std::string path = buildPath(argument.c_str(), isName);
    auto save = [this, argument, isName, name] {
        if (target_) target_->setPresetName(name.c_str());
        writePresetFile(argument.c_str(), isName);
        selectByPath(argument.c_str(), isName);
    };
    if (Core::fileExists(path))
        ask(overwriteQuestion(name, path), save);
    else
        save();
}

void CPresetInterface::deletePreset(std::int32_t index) {
    const PresetEntry* entry = getEntry(index);
    if (!entry) return;
    const std::string path = entry->path;
    ask(deleteQuestion(entry->displayName, path), [this, path] {
        Core::removeFile(path);
        currentIndex_ = entries_.empty() ? -1 : std::max(0, currentIndex_ - 1);
        scan();
        loadPreset(currentIndex_);
    });
}

void CPresetInterface::saveUnderNewName(const char* newName) {
    const PresetEntry* current = getEntry(currentIndex_);
    if (!current || !newName || !*newName) return;
    const std::string path = Core::folderPart(current->path) + newName + Core::fileExtension(current->path);
    writePresetFile(path.c_str(), false);
    scan();
}

void CPresetInterface::askToRestoreFactoryPresets() {
    ask(restoreQuestion(), [this] { restoreFactoryPresets(); });
}

void CPresetInterface::restoreFactoryPresets() {
    // Copied out first: the store is not held while the files are written.
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    {
        Core::ResourceStoreAccess access(factoryStore_.data ? factoryStore_ : Core::linkedResources());
        Core::CResourceStore& store = access.store();
        const std::size_t prefixLength = std::strlen(kFactoryPrefix);
        for (std::int32_t i = 0; access.isOpen() && i < store.count(); ++i) {
            const std::string name = store.entryAt(i)->name;
            if (name.compare(0, prefixLength, kFactoryPrefix) != 0 || name.size() == prefixLength) continue;
            const std::string relative = name.substr(prefixLength);
            if (staysInside(relative)) files.emplace_back(relative, access.copy(name.c_str()));
        }
    }
    for (const auto& [relative, bytes] : files) {
        if (bytes.empty()) continue;
        const std::string target = Core::withTrailingSlash(presetFolder_) + relative;
        Core::createFolders(Core::folderPart(target));
        Core::writeFileAtomically(target, bytes.data(), bytes.size());
    }
}

void CPresetInterface::openPresetFolder() {
    Core::openFolderInFileBrowser(presetFolder_);
}

} // namespace Tessu
