#include "frame/lv2/HostTransport.h"

#include <lv2/atom/util.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace Tessu::lv2 {

HostTransport::HostTransport(LV2_URID_Map* map) {
    if (!map) return;
    auto uri = [map](const char* text) { return map->map(map->handle, text); };
    urid_ = {uri(LV2_ATOM__Object),   uri(LV2_ATOM__Blank),   uri(LV2_TIME__Position),
             uri(LV2_TIME__frame),    uri(LV2_TIME__speed),   uri(LV2_TIME__beatsPerMinute),
             uri(LV2_TIME__bar),      uri(LV2_TIME__barBeat), uri(LV2_TIME__beatsPerBar),
             uri(LV2_TIME__beatUnit), uri(LV2_ATOM__Int),     uri(LV2_ATOM__Long),
             uri(LV2_ATOM__Float),    uri(LV2_ATOM__Double)};
}

bool HostTransport::numberOf(const LV2_Atom* atom, double& value) const {
    if (!atom) return false;
    if (atom->type == urid_.atomInt && atom->size >= sizeof(int32_t))
        value = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
    else if (atom->type == urid_.atomLong && atom->size >= sizeof(int64_t))
        value = double(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
    else if (atom->type == urid_.atomFloat && atom->size >= sizeof(float))
        value = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
    else if (atom->type == urid_.atomDouble && atom->size >= sizeof(double))
        value = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
    else
        return false;
    return std::isfinite(value);
}

// The properties are walked with every size checked against the object's own, so a malformed object is
// read only as far as it is whole.
void HostTransport::read(const LV2_Atom* atom) {
    if (!urid_.position || atom->size < sizeof(LV2_Atom_Object_Body)) return;
    if (atom->type != urid_.object && atom->type != urid_.blank) return;
    const auto* object = reinterpret_cast<const LV2_Atom_Object*>(atom);
    if (object->body.otype != urid_.position) return;
    const LV2_Atom *frame = nullptr, *speed = nullptr, *bpm = nullptr, *bar = nullptr, *barBeat = nullptr,
                   *beatsPerBar = nullptr, *beatUnit = nullptr;
    const std::pair<LV2_URID, const LV2_Atom**> wanted[] = {
        {urid_.frame, &frame},      {urid_.speed, &speed},     {urid_.beatsPerMinute, &bpm},
        {urid_.bar, &bar},          {urid_.barBeat, &barBeat}, {urid_.beatsPerBar, &beatsPerBar},
        {urid_.beatUnit, &beatUnit}};
    const auto* at = reinterpret_cast<const uint8_t*>(&object->body + 1);
    uint32_t remaining = atom->size - uint32_t(sizeof(LV2_Atom_Object_Body));
    while (remaining >= sizeof(LV2_Atom_Property_Body)) {
        const auto* property = reinterpret_cast<const LV2_Atom_Property_Body*>(at);
        if (property->value.size > remaining - sizeof(LV2_Atom_Property_Body)) break;
        for (const auto& [key, slot] : wanted)
            if (property->key == key) *slot = &property->value;
        const uint32_t step =
            lv2_atom_pad_size(uint32_t(sizeof(LV2_Atom_Property_Body)) + property->value.size);
        if (step >= remaining) break;
        at += step;
        remaining -= step;
    }
    double value = 0.0;
    if (numberOf(frame, value)) frame_ = value;
    if (numberOf(speed, value)) {
        changed_ = changed_ || (value != 0.0) != (speed_ != 0.0);
        speed_ = value;
    }
    if (numberOf(bpm, value) && value > 0.0) beatsPerMinute_ = value;
    // Beats count in the time signature's unit; the context counts quarter notes.
    double perBar = 4.0, unit = 4.0, barIndex = 0.0, beat = 0.0;
    if (!numberOf(beatsPerBar, perBar) || perBar <= 0.0) perBar = 4.0;
    if (!numberOf(beatUnit, unit) || unit <= 0.0) unit = 4.0;
    if (numberOf(bar, barIndex) && numberOf(barBeat, beat)) {
        const double quartersPerBeat = 4.0 / unit;
        barStart_ = barIndex * perBar * quartersPerBeat;
        quarters_ = barStart_ + beat * quartersPerBeat;
    }
}

void HostTransport::advance(int32_t frames, double sampleRate) {
    if (speed_ == 0.0) return;
    frame_ += frames * speed_;
    quarters_ += frames * speed_ * beatsPerMinute_ / (60.0 * sampleRate);
}

void HostTransport::fill(ProcessContext& context, double sampleRate) {
    context.samplePos = frame_;
    context.ppqPos = quarters_;
    context.barStartPos = barStart_;
    context.tempo = float(beatsPerMinute_);
    // Frames to the next quarter-note boundary.
    const auto framesPerQuarter = int64_t((60.0 / std::max(beatsPerMinute_, 10.0)) * sampleRate);
    context.samplesToNextBeat =
        framesPerQuarter > 0
            ? int32_t(framesPerQuarter - (int64_t(double(framesPerQuarter) * quarters_) % framesPerQuarter))
            : 0;
    context.transportChanged = changed_;
    context.playing = speed_ != 0.0;
    changed_ = false;
}

} // namespace Tessu::lv2
