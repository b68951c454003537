// A small LV2 host over lilv for the black-box tests: it loads the built bundle, runs instances with
// every port connected, and saves and restores their state the way hosts do.
#pragma once

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <cstdint>

#include <map>
#include <string>
#include <vector>

class LilvHost {
public:
    LilvHost();
    ~LilvHost();
    LilvHost(const LilvHost&) = delete;
    LilvHost& operator=(const LilvHost&) = delete;

    const LilvPlugin* plugin() const { return plugin_; }
    LilvWorld* world() const { return world_; }
    LV2_URID_Map* map() { return &map_; }
    LV2_URID_Unmap* unmap() { return &unmap_; }
    const LV2_Feature* const* features() const { return features_; }
    std::vector<std::string> presetUris() const;
    // A preset's state as hosts load it (free it with lilv_state_free), and its port values by symbol.
    LilvState* loadPreset(const std::string& uri);
    static std::map<std::string, float> portValues(const LilvState* state);

private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri);
    static const char* unmapUri(LV2_URID_Unmap_Handle handle, LV2_URID urid);

    LilvWorld* world_;
    const LilvPlugin* plugin_ = nullptr;
    std::vector<std::string> uris_;
    LV2_URID_Map map_{this, mapUri};
    LV2_URID_Unmap unmap_{this, unmapUri};
    LV2_Feature mapFeature_{LV2_URID__map, &map_};
    LV2_Feature unmapFeature_{LV2_URID__unmap, &unmap_};
    const LV2_Feature* features_[3] = {&mapFeature_, &unmapFeature_, nullptr};
};

// One running instance: control ports start at their defaults, audio is stereo silence or what
// the caller writes into input.
class Lv2Instance {
public:
    static constexpr uint32_t kBlock = 256;

    explicit Lv2Instance(LilvHost& host, double rate = 44100.0);
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    void run(uint32_t frames = kBlock) { lilv_instance_run(instance_, frames); }
    // Puts a time:Position object (frame 0, bar 0) at the start of the control port's next sequence.
    void sendPosition(double beatsPerMinute, float speed);
    // Runs the next frames (at most kBlock) and clears the control sequence after them.
    void process(const float* left, const float* right, float* outLeft, float* outRight, uint32_t frames);
    float& control(const std::string& symbol) { return controls_.at(index(symbol)); }
    uint32_t index(const std::string& symbol) const;
    uint32_t portCount() const { return uint32_t(controls_.size()); }
    std::vector<float>& input(int channel) { return audio_[size_t(channel)]; }
    std::vector<float>& output(int channel) { return audio_[size_t(2 + channel)]; }

    // The instance's state as lilv saves it (port values and the plug-in's own properties).
    LilvState* saveState();
    void restore(const LilvState* state);

private:
    static constexpr uint32_t kSequenceBytes = 1024;

    void clearSequence();
    static const void* portValue(const char* symbol, void* self, uint32_t* size, uint32_t* type);
    static void setPortValue(const char* symbol, void* self, const void* value, uint32_t size, uint32_t type);

    LilvHost& host_;
    LilvInstance* instance_;
    std::vector<float> controls_;
    std::vector<std::vector<float>> audio_;
    // The control port's atom sequence: header and room for a few events.
    std::vector<uint64_t> sequence_;
};
