// The object an LV2 host talks to: it owns one effect behind TessuOS, reads the control ports at the
// start of every run() and pushes changed values into the parameters, cuts host blocks into the
// effect's sub-blocks exactly as the VST 2.4 adapter does, follows the host transport for the synced
// LFO and carries the effect's state chunk through the state extension.
#pragma once

#include "frame/AudioBuses.h"
#include "frame/TessuOS.h"
#include "frame/lv2/HostTransport.h"
#include "frame/lv2/PortLayout.h"

#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace Tessu::lv2 {

inline constexpr int32_t kParameterPorts = int32_t(kControl - kFirstParameter);

class TessuLV2 : public TessuCallback {
public:
    // The effect is created by the factory with this adapter as its callback. maxBlockLength is the
    // host's announced largest run() (0 when it announces none). Without a URID map (simple hosts and
    // file renderers) the plug-in processes without transport and its state cannot be saved.
    using Factory = TessuOS* (*)(TessuCallback* callback);
    TessuLV2(Factory factory, double sampleRate, LV2_URID_Map* map, int32_t maxBlockLength);
    ~TessuLV2() override;
    TessuLV2(const TessuLV2&) = delete;
    TessuLV2& operator=(const TessuLV2&) = delete;

    bool valid() const { return effect_ != nullptr; }
    void connectPort(uint32_t port, void* data);
    void activate();
    void run(uint32_t frames);

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    TessuOS* getEffect() const { return effect_.get(); }

private:
    void readControlPorts();
    void readTransport();
    void processPiece(uint32_t offset, int32_t frames);

    std::unique_ptr<TessuOS> effect_;
    LV2_URID chunkUrid_;
    LV2_URID chunkType_;
    HostTransport transport_;
    double sampleRate_;
    int32_t blockSize_;

    std::array<const float*, 2> inputs_{};
    std::array<float*, 2> outputs_{};
    const LV2_Atom_Sequence* control_ = nullptr;
    const float* enabled_ = nullptr;
    float* latency_ = nullptr;
    std::array<const float*, kParameterPorts> parameterPorts_{};
    // The port values last pushed into the parameters: only a port the host moved is applied, so a value
    // the effect set itself (linked cut-offs, a restored state) stays until the host moves that port.
    std::array<float, kParameterPorts> lastPortValues_{};
    float lastEnabled_ = 1.0f;
    // Set by a state restore: the ports the host sets with a state describe the parameters that the state's
    // chunk has just set (a filter-mode switch, for one, exchanges cut-offs behind the ports), so the next
    // run() takes them as seen instead of applying them.
    std::atomic<bool> adoptPorts_{false};

    CNChannelBuffer inputBuffer_;
    CNChannelBuffer outputBuffer_;
    ProcessContext context_;
};

} // namespace Tessu::lv2
