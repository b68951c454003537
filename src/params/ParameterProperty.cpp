#include "params/ParameterProperty.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>

#include "params/SkewCurve.h"
#include "params/ValueParse.h"

namespace Tessu {

namespace {

const char* unitLabelForKind(int32_t unitKind) {
    switch (unitKind) {
    case kUnitMilliseconds:
        return "ms";
    case kUnitPercent:
    case kUnitPercentPlain:
        return "%";
    case kUnitGainFactor:
    case kUnitDecibels:
        return "dB";
    case kUnitHertz:
        return "Hz";
    default:
        return "";
    }
}

} // namespace

float ParameterProperty::clampToRange(float plain) const {
    if (minimum_ <= maximum_) return std::fmin(maximum_, std::fmax(minimum_, plain));
    return std::fmax(maximum_, std::fmin(minimum_, plain));
}

float ParameterProperty::plainFromNormalized(double normalized) const {
    return static_cast<float>(minimum_ +
                              (static_cast<double>(maximum_) - minimum_) * skew(normalized, curve_));
}

float ParameterProperty::toPlain(double normalized) {
    return plainFromNormalized(normalized);
}

float ParameterProperty::toNormalized(double plain) {
    double span = static_cast<double>(maximum_) - minimum_;
    return static_cast<float>(skew((plain - minimum_) / span, -curve_));
}

float ParameterProperty::getNormalizedValue() {
    return toNormalized(getValue());
}

float ParameterProperty::getDefaultNormalizedValue() const {
    double span = static_cast<double>(maximum_) - minimum_;
    return static_cast<float>(skew((defaultValue_ - minimum_) / span, -curve_));
}

void ParameterProperty::setNormalizedValue(double normalized) {
    setNormalizedValue(nullptr, static_cast<float>(normalized));
}

void ParameterProperty::setNormalizedValue(ParameterChangeListener* sender, float normalized) {
    // fmin/fmax also send NaN to an end instead of into the value.
    double x = std::fmin(1.0, std::fmax(0.0, static_cast<double>(normalized)));
    setValue(sender, plainFromNormalized(x));
}

void ParameterProperty::setValue(ParameterChangeListener* sender, float plain) {
    value_.store(clampToRange(plain), std::memory_order_relaxed);
    if (notificationsEnabled()) notifyListeners(sender);
}

void ParameterProperty::resetToDefault() {
    setValue(nullptr, defaultValue_);
}

void ParameterProperty::setValueFromText(const char* text) {
    if (!text) return;
    if (unitKind_ == kUnitText) {
        if (linkedText_ && linkedTextCapacity_ > 0) {
            std::strncpy(linkedText_, text, static_cast<size_t>(linkedTextCapacity_ - 1));
            linkedText_[linkedTextCapacity_ - 1] = '\0';
        }
        setValue(nullptr, 0.0f);
        return;
    }
    setValue(nullptr, parseValueText(text, unitKind_, curve_, maximum_));
}

namespace {

// Adding and removing happen on the GUI thread and while instances are built; one at a time.
std::mutex listenerWriters;

} // namespace

void ParameterProperty::notifyListeners(ParameterChangeListener* sender) {
    notifying_.fetch_add(1, std::memory_order_acq_rel);
    // Marked so that a listener removed from inside this notification does not wait for it to end.
    const std::thread::id self = std::this_thread::get_id();
    int mark = -1;
    for (int i = 0; i < kNotifierMarks && mark < 0; ++i) {
        std::thread::id none;
        if (notifiers_[size_t(i)].compare_exchange_strong(none, self, std::memory_order_acq_rel)) mark = i;
    }
    // Each slot read afresh: a listener removed meanwhile is not called.
    for (int i = listenerEnd_.load(std::memory_order_acquire); i-- > 0;) {
        ParameterChangeListener* listener = listeners_[size_t(i)].load(std::memory_order_acquire);
        if (listener && listener != sender) listener->parameterChanged(this);
    }
    if (mark >= 0) notifiers_[size_t(mark)].store(std::thread::id(), std::memory_order_release);
    notifying_.fetch_sub(1, std::memory_order_acq_rel);
}

void ParameterProperty::addListener(ParameterChangeListener* listener, bool notifyNow) {
    if (!listener) return;
    {
        std::lock_guard lock(listenerWriters);
        const int end = listenerEnd_.load(std::memory_order_relaxed);
        int hole = -1;
        bool known = false;
        for (int i = 0; i < end; ++i) {
            ParameterChangeListener* existing = listeners_[size_t(i)].load(std::memory_order_relaxed);
            known = known || existing == listener;
            if (!existing && hole < 0) hole = i;
        }
        if (!known && end < kMaxListeners) {
            listeners_[size_t(end)].store(listener, std::memory_order_release);
            listenerEnd_.store(end + 1, std::memory_order_release);
        } else if (!known && hole >= 0) {
            listeners_[size_t(hole)].store(listener, std::memory_order_release);
        }
    }
    if (notifyNow) listener->parameterChanged(this);
}

void ParameterProperty::removeListener(ParameterChangeListener* listener) {
    {
        std::lock_guard lock(listenerWriters);
        for (int i = 0; i < listenerEnd_.load(std::memory_order_relaxed); ++i)
            if (listeners_[size_t(i)].load(std::memory_order_relaxed) == listener)
                listeners_[size_t(i)].store(nullptr, std::memory_order_release);
    }
    // Another thread may have read the slot just before it emptied: wait until it is out.
    const std::thread::id self = std::this_thread::get_id();
    auto ownNotifications = [&] {
        int own = 0;
        for (const auto& notifier : notifiers_) own += notifier.load(std::memory_order_acquire) == self;
        return own;
    };
    while (notifying_.load(std::memory_order_acquire) > ownNotifications()) std::this_thread::yield();
}

void ParameterProperty::setMinimum(float minimum) {
    if (minimum == minimum_) return;
    minimum_ = minimum;
    float clamped = clampToRange(getValue());
    if (clamped != getValue()) setValue(nullptr, clamped);
}

void ParameterProperty::setMaximum(float maximum) {
    if (maximum == maximum_) return;
    maximum_ = maximum;
    float clamped = clampToRange(getValue());
    if (clamped != getValue()) setValue(nullptr, clamped);
}

void ParameterProperty::setDefault(float defaultValue) {
    defaultValue_ = clampToRange(defaultValue);
}

void ParameterProperty::setCurve(float curve) {
    curve_ = curve;
    if (notificationsEnabled()) notifyListeners(nullptr);
}

int32_t ParameterProperty::getIntValue() const {
    return wholeNumberOf(getValue());
}

void ParameterProperty::setUnitKind(int32_t unitKind) {
    unitKind_ = unitKind;
    unit_.set(unitLabelForKind(unitKind));
}

void ParameterProperty::getName(char* out) const {
    std::strcpy(out, name_.c_str());
}
void ParameterProperty::getLongName(char* out) const {
    std::strcpy(out, longName_.c_str());
}
void ParameterProperty::getUnit(char* out) const {
    std::strcpy(out, unit_.c_str());
}

void ParameterProperty::setLinkedText(char* buffer, int32_t capacity) {
    linkedText_ = buffer;
    linkedTextCapacity_ = buffer ? capacity : 0;
}

void ParameterProperty::initFromDescriptor(const ParameterDescriptor& descriptor) {
    id_ = descriptor.id;
    key_.set(descriptor.key);
    name_.set(descriptor.name);
    longName_.set(descriptor.longName);
    maximum_ = descriptor.maximum;
    minimum_ = descriptor.minimum;
    setUnitKind(descriptor.unitKind);
    curve_ = descriptor.curve;
    automatable_ = descriptor.automatable;
    defaultValue_ = descriptor.defaultValue;
    setValue(descriptor.initialValue);
}

void ParameterProperty::getDisplayString(double value, Core::CStringBufferBase& out) {
    char text[kValueTextCapacity];
    formatValue(static_cast<float>(value), text, 0);
    out.set(text);
}

} // namespace Tessu
