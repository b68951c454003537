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
    // The value of a parameter port the host moved since the last run(), NaN for an unmoved port.
    float movedPortValue(int32_t i) const;
    void applyPortValue(int32_t i, float value);
    void restoreAppliedPorts(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);
    void readTransport();
    void processPiece(uint32_t offset, int32_t frames);

    std::unique_ptr<TessuOS> effect_;
    LV2_URID chunkUrid_;
    LV2_URID appliedPortsUrid_;
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
    // the effect set itself (linked cut-offs, the cut-offs a filter-mode switch exchanges, a restored
    // state) stays until the host moves that port. Saved with the state: after a restore, a port that
    // differs from them was moved after the plug-in last applied it (a host may save before the next run)
    // and is applied, while one that equals them defers to the chunk. Written by run() and restore(), read
    // by a save() that may run beside run().
    std::array<std::atomic<float>, kParameterPorts> lastPortValues_{};
    float lastEnabled_ = 1.0f;
    // Set by restoring a state without the applied port values (a factory preset): the ports the host sets
    // with it describe the parameters its chunk has just set, so the next run() takes them as applied.
    std::atomic<bool> adoptPorts_{false};

    CNChannelBuffer inputBuffer_;
    CNChannelBuffer outputBuffer_;
    ProcessContext context_;
};

} // namespace Tessu::lv2
