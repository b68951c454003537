#pragma once

#include "core/ResourceBlock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tessu {

/** The effect as the preset library sees it. */
class IPresetTarget {
public:
    virtual ~IPresetTarget() = default;
    /** The effect's state chunk; the effect keeps ownership of the buffer. */
    virtual std::int32_t getPresetChunk(void** data) = 0;
    virtual void setPresetChunk(void* data, std::int32_t size) = 0;
    virtual std::string getPresetName() = 0;
    virtual void setPresetName(const char* name) = 0;
    /** 1 in normal operation; 0 while a preset file is written, so files never carry the limiter switch. */
    virtual void setGlobalLimiterMode(std::int32_t mode) = 0;
};

/** A question put to the user before a destructive step. */
struct PresetQuestion {
    enum Kind : int { kOkStop = 0, kOkCancel = 1, kYesNo = 2 };
    Kind kind;
    std::string caption;
    std::string text;
};

/**
 * Puts questions to the user: the editor's modal dialog, or an injected answerer without an editor.
 * `answer(true)` for Yes / OK; it may run later (the asking code continues in it), and must not run
 * after the library is gone.
 */
class IQuestionAnswerer {
public:
    virtual ~IQuestionAnswerer() = default;
    virtual void ask(const PresetQuestion& question, std::function<void(bool)> answer) = 0;
};

struct PresetEntry {
    std::string path;          ///< folder, subfolder and file name
    std::string displayName;   ///< file name without folder and extension
    std::string subfolderName; ///< empty for files directly in the folder
};

/**
 * The preset library: FXP files in one folder and one level of subfolders, the current preset, and the
 * factory presets restored from the embedded store. GUI thread only.
 *
 * The current preset is known by its path, so that files saved, deleted or renamed elsewhere never move
 * it to a neighbour; it may have left the folder since. Every file operation that fails says so through
 * the answerer (an OK box) and leaves the files, the current preset and the effect's name as they were.
 */
class CPresetInterface {
public:
    /** `presetFolder` gets a trailing "/" when it lacks one. */
    CPresetInterface(std::string presetFolder, IPresetTarget* target, IQuestionAnswerer* answerer);
    virtual ~CPresetInterface() = default;

    /** "PresetFolder" from the settings, else the documents folder + "Quillmark/kavren XL/Presets/". */
    static std::string defaultPresetFolder();

    const std::string& getPresetFolder() const { return presetFolder_; }
    /** The store that factory presets are restored from; the library's linked store when none is set. */
    void setFactoryStore(Core::ResourceBlock block) { factoryStore_ = block; }

    void scan();
    std::int32_t getEntryCount() const { return static_cast<std::int32_t>(entries_.size()); }
    const PresetEntry* getEntry(std::int32_t index) const;
    /** Empty without a current preset. */
    const std::string& getCurrentPath() const { return currentPath_; }
    /** The current preset's place in the last scan; -1 when there is none or it is not listed. */
    std::int32_t getCurrentIndex() const { return indexOf(currentPath_); }

    /**
     * Hands the file's chunk to the effect, names the effect after the file and makes it current. A file
     * that cannot be read (gone, not a regular file) is reported and nothing changes; one that is not a
     * preset of this effect loads nothing but becomes current.
     */
    bool loadPreset(const std::string& path);
    /** Rescans and makes the entry with that path (ignoring case) current; null: no current preset. */
    void selectByPath(const char* pathOrName, bool isName);
    /** Asks before overwriting an existing file. A name is first made a safe file name in the folder. */
    void savePreset(const char* pathOrName, bool isName);
    /** Asks before deleting the current preset, then loads the one before it in the list. */
    void deleteCurrentPreset();
    /**
     * Saves the current preset under a new name beside the old file and removes the old file once the
     * new one is written. Asks before replacing another preset; refuses names that are no file name.
     */
    void renameCurrentPreset(const std::string& newName);
    /** Asks, then restores. */
    void askToRestoreFactoryPresets();
    /**
     * Writes every "presets/" file of the factory store into the folder, replacing same-named files;
     * reports how many it wrote when it could not write them all. Answers whether it wrote them all.
     */
    bool restoreFactoryPresets();
    void openPresetFolder();

    /** Why `name` cannot name a preset file ("" when it can). */
    static std::string nameProblem(const std::string& name);
    /** A preset name made into a file name that stays in its folder: separators and control characters
     * become "-", leading dots and spaces go, the length fits the file system. */
    static std::string confinedName(const std::string& name);

    static PresetQuestion overwriteQuestion(const std::string& displayName, const std::string& path);
    static PresetQuestion deleteQuestion(const std::string& displayName, const std::string& path);
    static PresetQuestion restoreQuestion();

private:
    std::string buildPath(const char* pathOrName, bool isName) const;
    void addFolderFiles(const std::string& subfolder);
    bool writePreset(const std::string& path, const std::string& name);
    void ask(const PresetQuestion& question, std::function<void()> onYes);
    void report(const std::string& text, const char* caption = "Error");
    std::int32_t indexOf(const std::string& path) const;

    std::string presetFolder_;
    IPresetTarget* target_;
    IQuestionAnswerer* answerer_;
    Core::ResourceBlock factoryStore_;
    std::vector<PresetEntry> entries_;
    std::string currentPath_;
    bool folderProblemReported_ = false;
};

} // namespace Tessu
