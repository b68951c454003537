#pragma once

// Hooks through which a sampler host can drive an effect it embeds. Effects that implement it
// forward the calls to an attached sampler-side object and ignore them otherwise.
class ISamplerEffect {
public:
    virtual void samplerNoteOn(int note, int velocity) = 0;
    virtual void samplerNoteOff(int note) = 0;
    virtual void samplerSetParameter(int index, float value) = 0;

protected:
    ~ISamplerEffect() = default;
};
