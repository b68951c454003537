#include "frame/TessuOS.h"

#include "params/ParameterProperty.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

namespace Tessu {

namespace {

// One setting for the whole process, shared by every instance.
std::atomic<int32_t> changeQuantize{TessuOS::kQuantizeOff};

const char* const kWrapperNames[] = {"-", "VST2", "VST3", "RTAS", "AU", "AAX", "Tessu"};

// Note-division codes of the quantisation setting: 1/32, 1/16, 1/8.
int32_t divisionOfSetting(int32_t setting) {
    return TessuOS::kThirtySecond - setting;
}

float plainFromNormalized(const ParameterProperty& p, float v) {
    float c = p.getCurve();
    float f = c >= 0.0f ? 1.0f - ((c + 1.0f) * (1.0f - v)) / (c * (1.0f - v) + 1.0f)
                        : ((1.0f - c) * v) / (-c * v + 1.0f);
    return p.getMinimum() + (p.getMaximum() - p.getMinimum()) * f;
}

} // namespace

TessuOS::TessuOS(TessuCallback* hostCallback) : callback(hostCallback) {}

TessuOS::~TessuOS() {
    delete editor;
}

bool TessuOS::getProgramName(char* name) {
    name[0] = 0;
    return false;
}

int32_t TessuOS::indexOfHostParameter(ParameterProperty* parameter) {
    if (!parameter) return -1;
    for (int32_t i = 0; i < getHostParameterCount(); ++i) {
        ParameterProperty* candidate = getHostParameter(i);
        if (candidate && candidate->getId() == parameter->getId()) return i;
    }
    return -1;
}

void TessuOS::setLatency(int32_t samples) {
    latency = samples;
    if (callback) callback->setLatency(samples);
}

void TessuOS::reset() {
    deactivate();
    activate();
}

void TessuOS::beginEdit(ParameterProperty* parameter) {
    if (parameter && parameter->isAutomatable() && callback) callback->beginEdit(parameter->getHostIndex());
}

void TessuOS::beginEdit(int32_t index) {
    if (callback) callback->beginEdit(index);
}

void TessuOS::endEdit(ParameterProperty* parameter) {
    if (parameter && parameter->isAutomatable() && callback) callback->endEdit(parameter->getHostIndex());
}

void TessuOS::endEdit(int32_t index) {
    if (callback) callback->endEdit(index);
}

void TessuOS::automate(ParameterProperty* parameter) {
    if (parameter && parameter->isAutomatable() && callback)
        callback->automate(parameter->getHostIndex(), parameter->getNormalizedValue());
}

void TessuOS::automate(int32_t index, float value) {
    if (callback) callback->automate(index, value);
}

void TessuOS::setBypass(bool bypass) {
    bypassed.store(bypass, std::memory_order_relaxed);
    if (bypass)
        deactivate();
    else
        activate();
}

void TessuOS::setNumInputPairs(int32_t pairs) {
    inputPairs = pairs;
    if (callback) callback->setNumInputs(pairs);
}

void TessuOS::setNumOutputPairs(int32_t pairs) {
    outputPairs = pairs;
    if (callback) callback->setNumOutputs(pairs);
}

void TessuOS::idle() {
    if (callback) callback->idle();
}

float TessuOS::getTempo() {
    return callback ? callback->getTempo() : 10.0f;
}

const char* TessuOS::getWrapperName() {
    if (!callback) return "NO_CALLBACK";
    int32_t type = callback->getWrapperType();
    return type >= 0 && type <= 6 ? kWrapperNames[type] : "";
}

void TessuOS::setChangeQuantize(int32_t division) {
    changeQuantize.store(division, std::memory_order_relaxed);
}

int32_t TessuOS::getChangeQuantize() {
    return changeQuantize.load(std::memory_order_relaxed);
}

void TessuOS::processMidiEvents(std::vector<MidiEventRecord>& events) {
    for (size_t i = 0; i < events.size(); ++i) {
        MidiEventRecord& e = events[i];
        e.channel = e.status & 0x0F;
        switch (e.status & 0xF0) {
        case 0x90:
        case 0x80:
            e.kind = e.status & 0xF0;
            e.note = e.data1 & 0x7F;
            e.velocity = float(e.data2 & 0x7F) / 127.0f;
            if (e.kind == MidiEventRecord::kNoteOn && e.velocity == 0.0f) {
                e.kind = MidiEventRecord::kNoteOff;
                e.status = 0x80;
            }
            break;
        case 0xE0: {
            int32_t raw = int32_t(e.data1) + 128 * int32_t(e.data2) - 8192;
            if (raw > -2 && raw < 2) raw = 0;
            e.value = raw <= 0 ? float(raw) * (1.0f / 8192.0f) : float(raw) / 8152.0f;
            break;
        }
        case 0xB0:
            e.kind = MidiEventRecord::kController;
            e.controller = e.data1 & 0x7F;
            e.value = float(e.data2 & 0x7F) / 127.0f;
            if (e.controller == 123) e.kind = MidiEventRecord::kAllNotesOff;
            if (e.controller == 120) e.kind = MidiEventRecord::kAllSoundOff;
            break;
        default:
            break;
        }
        // An all-notes-off takes effect before the other events of its frame.
        if (e.kind == MidiEventRecord::kAllNotesOff) {
            for (size_t j = 0; j < i; ++j)
                if (events[j].deltaFrames == e.deltaFrames) std::swap(events[j], events[i]);
        }
    }
    for (auto& e : events) handleMidiEvent(&e);
}

bool TessuOS::queueParameterChange(ParameterProperty* parameter, float normalizedValue, int32_t delay) {
    if (getChangeQuantize() == kQuantizeOff) return false;
    return pendingChanges.queue(parameter, normalizedValue, delay);
}

int32_t TessuOS::framesToNextBoundary(double position, double tempo, double rate, int32_t division) {
    static constexpr double kMultiplier[] = {4.0, 2.0, 1.0, 0.5, 0.25, 0.125};
    double period = (60.0 / tempo) * rate * kMultiplier[std::clamp(division, 0, 5)];
    double x = position / period;
    if (x == std::floor(x)) return 0;
    // (1 - frac(x)) * period, measured from the boundary so that exact positions stay exact.
    return int32_t(std::ceil(x) * period - position + 1e-9);
}

void TessuOS::prepareBlock(ProcessContext& context, int32_t frames) {
    const int32_t setting = getChangeQuantize();
    if (setting == kQuantizeOff) return;
    int32_t due = 0;
    if (context.playing && context.tempo > 0.0f) {
        due = framesToNextBoundary(context.samplePos, context.tempo, sampleRate, divisionOfSetting(setting));
        if (due >= frames) due = 0;
    }
    pendingChanges.setAllDelays(due);
}

// A change due later in this sub-block ends it there; one due now does not shorten it.
void TessuOS::applyDueChanges(int32_t& subBlockFrames) {
    pendingChanges.applyDue(subBlockFrames, [this](ParameterProperty* parameter, float normalized) {
        if (!applyParameterChange(parameter->getHostIndex(), normalized))
            parameter->setValue(plainFromNormalized(*parameter, normalized));
    });
}

} // namespace Tessu
