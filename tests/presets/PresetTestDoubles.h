// Stand-ins for the effect and the user around the preset library, and a preset file writer.
#pragma once

#include "presets/CFileFormat.h"
#include "presets/CPresetInterface.h"

#include <filesystem>
#include <string>
#include <vector>

namespace KavrenTest {

/** Stands in for the effect: its "chunk" is its name, so loads and saves can be followed. */
class FakeEffect : public Tessu::IPresetTarget {
public:
    std::int32_t getPresetChunk(void** data) override {
        modeWhileWriting = mode;
        chunk = "chunk:" + name;
        *data = chunk.data();
        return static_cast<std::int32_t>(chunk.size());
    }
    void setPresetChunk(void* data, std::int32_t size) override {
        loaded.emplace_back(static_cast<char*>(data), static_cast<std::size_t>(size));
    }
    std::string getPresetName() override { return name; }
    void setPresetName(const char* newName) override { name = newName; }
    void setGlobalLimiterMode(std::int32_t newMode) override { mode = newMode; }

    std::string name = "Current";
    std::string chunk;
    std::vector<std::string> loaded;
    std::int32_t mode = 1;
    std::int32_t modeWhileWriting = -1;
};

class ScriptedAnswerer : public Tessu::IQuestionAnswerer {
public:
    void ask(const Tessu::PresetQuestion& question, std::function<void(bool)> answer) override {
        asked.push_back(question);
        answer(yes);
    }
    bool yes = true;
    std::vector<Tessu::PresetQuestion> asked;
};

inline void writePreset(const std::string& path, const std::string& chunk) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    Tessu::CPresetFormatFXP().save(path.c_str(), chunk.data(), static_cast<std::int32_t>(chunk.size()));
}

} // namespace KavrenTest
