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
    std::int32_t getCurrentIndex() const { return currentIndex_; }

    void loadPreset(std::int32_t index);
    void loadFile(const char* path);
    /** Rescans and makes the entry with that path (ignoring case) current; null: no current preset. */
    void selectByPath(const char* pathOrName, bool isName);
    /** Asks before overwriting an existing file. */
    void savePreset(const char* pathOrName, bool isName);
    void writePresetFile(const char* pathOrName, bool isName);
    /** Asks before deleting. */
    void deletePreset(std::int32_t index);
    void saveUnderNewName(const char* newName);
    /** Asks, then restores. */
    void askToRestoreFactoryPresets();
    /** Writes every "presets/" file of the factory store into the folder, replacing same-named files. */
    void restoreFactoryPresets();
    void openPresetFolder();

    static PresetQuestion overwriteQuestion(const std::string& displayName, const std::string& path);
    static PresetQuestion deleteQuestion(const std::string& displayName, const std::string& path);
    static PresetQuestion restoreQuestion();

private:
    std::string buildPath(const char* pathOrName, bool isName) const;
    void addFolderFiles(const std::string& subfolder);
    void ask(const PresetQuestion& question, std::function<void()> onYes);

    std::string presetFolder_;
    IPresetTarget* target_;
    IQuestionAnswerer* answerer_;
    Core::ResourceBlock factoryStore_;
    std::vector<PresetEntry> entries_;
    std::int32_t currentIndex_ = -1;
};

} // namespace Tessu
