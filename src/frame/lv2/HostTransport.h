// The host's transport as the LV2 time extension reports it: time:Position objects arrive on the control
// port whenever the position, tempo or play state changes, and between them the position moves on by
// the frames processed while the transport rolls.
#pragma once

#include "frame/AudioBuses.h"

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

namespace Tessu::lv2 {

class HostTransport {
public:
    // Without a URID map no position can be read: the transport stays stopped at 120 BPM.
    explicit HostTransport(LV2_URID_Map* map);

    // Takes the fields of a time:Position object; other atoms are ignored.
    void read(const LV2_Atom* atom);
    void advance(int32_t frames, double sampleRate);
    // Fills the transport fields of the context the way the VST 2.4 adapter does from VstTimeInfo.
    void fill(ProcessContext& context, double sampleRate);

private:
    struct Urids {
        LV2_URID object, blank, position, frame, speed, beatsPerMinute, bar, barBeat, beatsPerBar, beatUnit;
        LV2_URID atomInt, atomLong, atomFloat, atomDouble;
    } urid_{};

    // The number an Int, Long, Float or Double atom holds; false for anything else or a non-finite value.
    bool numberOf(const LV2_Atom* atom, double& value) const;
    double frame_ = 0.0;
    double speed_ = 0.0;
    double beatsPerMinute_ = 120.0;
    // Musical position in quarter notes, and where the current bar started.
    double quarters_ = 0.0;
    double barStart_ = 0.0;
    bool changed_ = false;
};

} // namespace Tessu::lv2
