#include "presets/CPresetInterface.h"

#include "core/CString.h"
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

/** Longest name whose file ("name.fxp") still fits a file system's 255-byte limit for one component. */
constexpr std::size_t kMaxNameBytes = 255 - 4;

bool isControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
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

void CPresetInterface::report(const std::string& text, const char* caption) {
    if (answerer_) answerer_->ask({PresetQuestion::kOkStop, caption, text}, [](bool) {});
}

std::string CPresetInterface::nameProblem(const std::string& name) {
    if (name.empty()) return "A preset name cannot be empty.";
    if (std::any_of(name.begin(), name.end(), isSeparator))
        return "A preset name cannot contain \"/\" or \"\\\".";
    if (std::any_of(name.begin(), name.end(), isControl))
        return "A preset name cannot contain control characters.";
    if (name[0] == '.') return "A preset name cannot begin with \".\": the file would be hidden.";
    if (name.size() > kMaxNameBytes) return "This preset name is too long for a file name.";
    return {};
}

std::string CPresetInterface::confinedName(const std::string& name) {
    std::string safe = name;
    std::replace_if(
        safe.begin(), safe.end(), [](char c) { return isSeparator(c) || isControl(c); }, '-');
    safe.erase(0, safe.find_first_not_of(". "));
    safe.resize(static_cast<std::size_t>(
        Core::utf8TruncatedLength(safe.c_str(), static_cast<std::int32_t>(kMaxNameBytes))));
    return safe.empty() ? "Unnamed" : safe;
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
    if (!Core::folderExists(presetFolder_)) {
        const int error = Core::createFolders(presetFolder_) ? 0 : Core::lastFileError();
        if (!error) {
            restoreFactoryPresets();
        } else if (!folderProblemReported_) { // once: every menu and arrow click scans
            folderProblemReported_ = true;
            report("Could not create the preset folder:\n" + Core::fileErrorText(error) + "\n(" +
                   presetFolder_ + ")");
        }
    }
    addFolderFiles("");
}

const PresetEntry* CPresetInterface::getEntry(std::int32_t index) const {
    if (index < 0 || index >= getEntryCount()) return nullptr;
    return &entries_[static_cast<std::size_t>(index)];
}

std::int32_t CPresetInterface::indexOf(const std::string& path) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&path](const PresetEntry& entry) { return entry.path == path; });
    return path.empty() || found == entries_.end() ? -1 : std::int32_t(found - entries_.begin());
}

// Names come from chunks and files as well as from the user: confined, they cannot leave the folder.
std::string CPresetInterface::buildPath(const char* pathOrName, bool isName) const {
    std::string path = isName ? presetFolder_ + confinedName(pathOrName) + ".fxp" : std::string(pathOrName);
    Core::toForwardSlashes(path);
    return Core::toNativeSeparators(path);
}

bool CPresetInterface::loadPreset(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (!Core::readFileBounded(path, kMaxPresetFileSize + CPresetFormatFXP::kHeaderSize, bytes)) {
        report("The preset \"" + Core::fileStem(path) + "\" could not be read; it may have been moved or " +
               "deleted.\n(" + path + ")");
        return false;
    }
    const auto chunk = fxpFormat().decode(bytes);
    std::vector<std::uint8_t> copy(chunk.begin(), chunk.end());
    if (!copy.empty() && target_) {
        target_->setPresetChunk(copy.data(), static_cast<std::int32_t>(copy.size()));
        target_->setPresetName(Core::fileStem(path).c_str());
    }
    currentPath_ = path;
    return true;
}

void CPresetInterface::selectByPath(const char* pathOrName, bool isName) {
    if (!pathOrName) {
        currentPath_.clear();
        return;
    }
    const std::string path = buildPath(pathOrName, isName);
    scan();
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&path](const PresetEntry& entry) {
        return Core::equalsIgnoringCase(entry.path, path);
    });
    if (found != entries_.end()) currentPath_ = found->path;
}

// The chunk carries the effect's name, so the name is set first and put back when the file is not written.
bool CPresetInterface::writePreset(const std::string& path, const std::string& name) {
    if (!target_) return false;
    const std::string previousName = target_->getPresetName();
    target_->setPresetName(name.c_str());
    target_->setGlobalLimiterMode(0);
    void* chunk = nullptr;
    const std::int32_t size = target_->getPresetChunk(&chunk);
    const bool saved = fxpFormat().save(path.c_str(), chunk, size);
    const int error = Core::lastFileError();
    target_->setGlobalLimiterMode(1);
    if (saved) return true;
    target_->setPresetName(previousName.c_str());
    report("Could not save \"" + name + "\":\n" + Core::fileErrorText(error) + "\n(" + path + ")");
    return false;
}

void CPresetInterface::savePreset(const char* pathOrName, bool isName) {
    if (!pathOrName) return;
    std::string path = buildPath(pathOrName, isName);
    const std::string name = Core::fileStem(path);
    if (!currentPath_.empty() && Core::equalsIgnoringCase(Core::fileStem(currentPath_), name))
        path = currentPath_;
    auto save = [this, path, name] {
        if (!writePreset(path, name)) return;
        currentPath_ = path;
        scan();
    };
    if (Core::fileExists(path))
        ask(overwriteQuestion(name, path), save);
    else
        save();
}

void CPresetInterface::deleteCurrentPreset() {
    if (currentPath_.empty()) return;
    const std::string path = currentPath_;
    ask(deleteQuestion(Core::fileStem(path), path), [this, path] {
        scan();
        const std::int32_t position = indexOf(path);
        if (!Core::removeFile(path)) {
            const int error = Core::lastFileError();
            report("Could not delete \"" + Core::fileStem(path) + "\":\n" + Core::fileErrorText(error) +
                   "\n(" + path + ")");
            return;
        }
        scan();
        if (currentPath_ != path) return; // another preset became current while the question was open
        currentPath_.clear();
        if (const PresetEntry* neighbour = getEntry(std::max(0, position - 1))) loadPreset(neighbour->path);
    });
}

void CPresetInterface::renameCurrentPreset(const std::string& newName) {
    if (currentPath_.empty()) return;
    if (const std::string problem = nameProblem(newName); !problem.empty()) {
        report(problem, "Rename Preset");
        return;
    }
    const std::string oldPath = currentPath_;
    const std::string newPath = Core::folderPart(oldPath) + newName + Core::fileExtension(oldPath);
    if (newPath == oldPath) return;
    auto rename = [this, oldPath, newPath, newName] {
        if (!writePreset(newPath, newName)) return;
        currentPath_ = newPath;
        // On a file system that ignores case the new file may be the old one.
        if (!Core::isSameFile(oldPath, newPath) && !Core::removeFile(oldPath))
            report("Saved \"" + newName + "\", but could not remove the old file:\n" +
                   Core::fileErrorText(Core::lastFileError()) + "\n(" + oldPath + ")");
        scan();
    };
    if (Core::fileExists(newPath) && !Core::isSameFile(oldPath, newPath))
        ask(overwriteQuestion(newName, newPath), rename);
    else
        rename();
}

void CPresetInterface::askToRestoreFactoryPresets() {
    ask(restoreQuestion(), [this] { restoreFactoryPresets(); });
}

bool CPresetInterface::restoreFactoryPresets() {
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
    // Not flushed to the disk one by one (3 ms each on ext4, which froze the editor for 0.4 s and more):
    // the factory presets can always be restored again, and the rename still replaces each file whole.
    std::size_t written = 0, total = 0;
    int firstError = 0;
    for (const auto& [relative, bytes] : files) {
        if (bytes.empty()) continue;
        ++total;
        const std::string target = Core::withTrailingSlash(presetFolder_) + relative;
        if (Core::createFolders(Core::folderPart(target)) &&
            Core::writeFileAtomically(target, bytes.data(), bytes.size(), Core::Durability::kRecreatable))
            ++written;
        else if (!firstError)
            firstError = Core::lastFileError();
    }
    if (written == total) return true;
    report("Could not restore all factory presets: wrote " + std::to_string(written) + " of " +
           std::to_string(total) + ".\n" + Core::fileErrorText(firstError) + "\n(" + presetFolder_ + ")");
    return false;
}

void CPresetInterface::openPresetFolder() {
    if (!Core::openFolderInFileBrowser(presetFolder_))
        report("Could not open the preset folder: no file browser could be started (xdg-open).\n(" +
               presetFolder_ + ")");
}

} // namespace Tessu
