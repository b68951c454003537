#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "core/CStringBufferd.h"
#include "params/IPluginParameter.h"
#include "params/ParameterDescriptor.h"
#include "params/ValueFormat.h"

namespace Tessu {

// How a value is shown and how typed text is read; setUnitKind also stores the matching unit label.
enum UnitKind : int32_t {
    kUnitMilliseconds = 0,  // "ms", plain number
    kUnitPercent = 1,       // "%", percentage of the range end
    kUnitPercentPlain = 2,  // "%", plain number
    kUnitGainFactor = 3,    // "dB", linear factor shown in decibels
    kUnitDecibels = 4,      // "dB", plain number
    kUnitHertz = 5,         // "Hz", plain number
    kUnitSignedPercent = 6, // signed percentage
    kUnitCents = 7,         // semitones and cents
    kUnitOnOff = 8,         // "On" / "Off"
    kUnitPan = 9,           // "Left", "Center", "Right"
    kUnitNumber = 10,       // plain number
    kUnitText = 11,         // plain number; typed text goes to the linked text buffer
    kUnitNote = 12,         // note name and octave
    kUnitInteger = 13,      // whole number
    kUnitRatio = 14,        // " 1 : x"
};

// Flags of formatValue.
enum ValueFormatFlags : int32_t {
    kFormatWithUnit = 1,
    kFormatWithName = 2,
    kFormatLowPrecision = 4,
};

// One setting: a plain value inside [minimum, maximum] (either order), its normalised form through the
// skew curve, its text, and the listeners told about every change.
//
// Every value change, whichever setter starts it, ends in the virtual setValue(sender, plain), so a
// subclass that overrides it sees them all. The value itself is atomic (relaxed) because the host, the
// audio thread and the editor read and write it without a lock; setters do not allocate.
class ParameterProperty : public IPluginParameter {
public:
    using FormatFunction = void (*)(float value, char* text, int32_t withUnit);
    using LinkedFormatFunction = void (*)(ParameterProperty* self, float value, char* text, int32_t withUnit,
                                          ParameterProperty* linked);

    ParameterProperty() = default;
    ParameterProperty(const ParameterProperty&) = delete;
    ParameterProperty& operator=(const ParameterProperty&) = delete;

    // IPluginParameter
    const Core::CStringBufferd<64>& getKeyString() const override { return key_; }
    const Core::CStringBufferd<128>& getNameString() const override { return name_; }
    const Core::CStringBufferd<64>& getUnitString() const override { return unit_; }
    float getNormalizedValue() override;
    void setNormalizedValue(double normalized) override;
    void getDisplayString(double value, Core::CStringBufferBase& out) override;
    void reservedOperation(int32_t) override {}
    float toNormalized(double plain) override;
    float toPlain(double normalized) override;
    float getDefaultNormalizedValue() const override;

    // Texts. The char* getters copy the text with its terminator; out must hold the string's capacity
    // (128 bytes for the name, 64 for the others).
    virtual void setName(const char* name) { name_.set(name); }
    virtual const char* getName() const { return name_.c_str(); }
    virtual void getName(char* out) const;
    virtual void setLongName(const char* longName) { longName_.set(longName); }
    virtual const char* getLongName() const { return longName_.c_str(); }
    virtual void getLongName(char* out) const;
    virtual void setKey(const char* key) { key_.set(key); }
    virtual const char* getKey() const { return key_.c_str(); }
    virtual const char* getUnit() const { return unit_.c_str(); }
    virtual void getUnit(char* out) const;
    virtual void setUnitKind(int32_t unitKind);
    virtual int32_t getUnitKind() const { return unitKind_; }

    // Range. Changing a bound re-clamps the value and notifies when that moved it.
    virtual float getMinimum() const { return minimum_; }
    virtual float getMaximum() const { return maximum_; }
    virtual void setMinimum(float minimum);
    virtual void setMaximum(float maximum);

    // Listeners are called last registered first; they are not owned. Values change on any thread while
    // the editor adds and removes its controls on the GUI thread, so the list is a fixed array of atomic
    // slots: notifying never waits or allocates, and removeListener returns only once no other thread
    // can still be inside the removed listener, so it may be destroyed right after.
    static constexpr int kMaxListeners = 32;
    virtual void addListener(ParameterChangeListener* listener, bool notifyNow);
    virtual void removeListener(ParameterChangeListener* listener);

    // Setters clamp, store (even an unchanged value) and notify every listener except sender.
    virtual void setNormalizedValue(ParameterChangeListener* sender, float normalized);
    virtual void setNormalizedValue(float normalized) { setNormalizedValue(nullptr, normalized); }
    virtual void setValueFromText(const char* text);
    virtual void setValue(ParameterChangeListener* sender, float plain);
    virtual void setValue(float plain) { setValue(nullptr, plain); }
    virtual void resetToDefault();

    // The default is clamped into the range; nobody is notified.
    virtual void setDefault(float defaultValue);
    virtual float getDefault() const { return defaultValue_; }
    virtual void setCurve(float curve);
    virtual float getCurve() const { return curve_; }

    // Integer reading tolerant of values stored a hair below a whole number: 2.99 reads 3, 1.97 reads 1.
    virtual int32_t getIntValue() const;
    virtual bool getBoolValue() const { return getValue() >= 0.5f; }
    virtual float getValue() const { return value_.load(std::memory_order_relaxed); }

    virtual void setAutomatable(bool automatable) { automatable_ = automatable; }
    virtual bool isAutomatable() const { return automatable_; }

    // Sets everything from the row; the initial value goes through setValue (clamped, listeners told),
    // the default is stored as given.
    virtual void initFromDescriptor(const ParameterDescriptor& descriptor);
    virtual ParameterProperty* getLinkedParameter() const { return linkedParameter_; }

    // Text for value (not the stored value) under the ValueFormatFlags; text holds at least
    // kValueTextCapacity bytes.
    virtual void formatValue(float value, char* text, int32_t flags);

    ~ParameterProperty() override = default;

    int32_t getId() const { return id_; }
    void setId(int32_t id) { id_ = id; }
    int32_t getHostIndex() const { return hostIndex_; }
    void setHostIndex(int32_t hostIndex) { hostIndex_ = hostIndex; }

    void setLinkedParameter(ParameterProperty* linked) { linkedParameter_ = linked; }
    // Buffer that setValueFromText fills for kUnitText parameters (the preset name); not owned.
    void setLinkedText(char* buffer, int32_t capacity);
    const char* getLinkedText() const { return linkedText_; }

    void setFormatFunction(FormatFunction function) { formatFunction_ = function; }
    void setLinkedFormatFunction(LinkedFormatFunction function) { linkedFormatFunction_ = function; }

    // While disabled, value changes notify nobody (bulk loads); the manager re-enables and notifies.
    void setNotificationsEnabled(bool enabled) { notifyEnabled_.store(enabled, std::memory_order_relaxed); }
    bool notificationsEnabled() const { return notifyEnabled_.load(std::memory_order_relaxed); }
    // Calls every listener but sender, last registered first, regardless of notificationsEnabled.
    void notifyListeners(ParameterChangeListener* sender = nullptr);

    float clampToRange(float plain) const;

private:
    float plainFromNormalized(double normalized) const;

    int32_t id_ = 0;
    int32_t hostIndex_ = -1;
    FormatFunction formatFunction_ = nullptr;
    LinkedFormatFunction linkedFormatFunction_ = nullptr;
    Core::CStringBufferd<64> key_;
    Core::CStringBufferd<128> name_;
    Core::CStringBufferd<64> longName_;
    Core::CStringBufferd<64> unit_{"%"};
    int32_t unitKind_ = kUnitPercent;
    float minimum_ = 0.0f;
    float maximum_ = 1.0f;
    float defaultValue_ = 0.0f;
    std::atomic<float> value_{0.0f};
    float curve_ = 0.0f;
    std::array<std::atomic<ParameterChangeListener*>, kMaxListeners> listeners_{};
    std::atomic<int> listenerEnd_{0};
    std::atomic<int> notifying_{0};
    static constexpr int kNotifierMarks = 8;
    std::array<std::atomic<std::thread::id>, kNotifierMarks> notifiers_{};
    bool automatable_ = true;
    ParameterProperty* linkedParameter_ = nullptr;
    char* linkedText_ = nullptr;
    int32_t linkedTextCapacity_ = 0;
    std::atomic<bool> notifyEnabled_{true};
};

} // namespace Tessu
