#pragma once

#include <cstdint>

namespace Tessu {

// One MIDI event of the current block: raw bytes from the host, decoded fields filled by the effect.
struct MidiEventRecord {
    enum Kind : int32_t {
        kNoteOff = 0x80,
        kNoteOn = 0x90,
        kController = 0xB0,
        kPitchBend = 0xE0,
        kAllNotesOff = 0xFF01,
        kAllSoundOff = 0xFF02,
    };

    int32_t deltaFrames = 0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    int32_t note = 0;
    int32_t kind = 0;
    float velocity = 0.0f;
    float value = 0.0f;
    int32_t controller = 0;
    uint8_t channel = 0;
};

static_assert(sizeof(MidiEventRecord) == 32);

} // namespace Tessu
