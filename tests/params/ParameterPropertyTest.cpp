#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "params/ParameterProperty.h"
#include "params/ValueParse.h"

using namespace Tessu;

namespace {

// Records the order in which listeners are told, as one shared log.
struct RecordingListener : ParameterChangeListener {
    RecordingListener(std::vector<std::string>& log, std::string name) : log(log), name(std::move(name)) {}
    void parameterChanged(IPluginParameter* parameter) override {
        log.push_back(name);
        seen = static_cast<ParameterProperty*>(parameter)->getValue();
    }
    std::vector<std::string>& log;
    std::string name;
    float seen = -1.0f;
};

ParameterDescriptor row(float minimum, float maximum, float initial, float curve, int32_t unitKind) {
    return {"KEY", "Name", "Long.Name", minimum, maximum, initial, initial, true, curve, unitKind, 7};
}

// A parameter and a listener "a" that logs what it is told.
struct ParameterPropertyNotification : ::testing::Test {
    std::vector<std::string> log;
    RecordingListener a{log, "a"};
    ParameterProperty parameter;
};

} // namespace

TEST(ParameterPropertyMapping, LinearWithoutCurveAndSkewedWithIt) {
    ParameterProperty linear;
    linear.initFromDescriptor(row(-1, 3, 0, 0, kUnitNumber));
    EXPECT_FLOAT_EQ(linear.toPlain(0.25), 0.0f);
    EXPECT_FLOAT_EQ(linear.toNormalized(2.0), 0.75f);
    // Conversions extrapolate; only the setters clamp.
    EXPECT_FLOAT_EQ(linear.toPlain(1.25), 4.0f);
    EXPECT_FLOAT_EQ(linear.toNormalized(-3.0), -0.5f);

    ParameterProperty frequency;
    frequency.initFromDescriptor(row(40, 22050, 22050, 30, kUnitHertz));
    // Curve 30 puts the knob centre 1/32 of the span above the minimum.
    EXPECT_NEAR(frequency.toPlain(0.5), 40.0 + 22010.0 / 32.0, 1e-2);
    EXPECT_NEAR(frequency.toNormalized(40.0 + 22010.0 / 32.0), 0.5, 1e-6);
    EXPECT_FLOAT_EQ(frequency.getNormalizedValue(), 1.0f);
}

TEST(ParameterPropertyMapping, PlainToNormalisedToPlainRoundTripsForAnyCurve) {
    for (float curve : {-20.0f, -1.0f, 0.0f, 0.5f, 10.0f, 30.0f}) {
        ParameterProperty parameter;
        parameter.initFromDescriptor(row(10, 1000, 10, curve, kUnitMilliseconds));
        for (double plain : {10.0, 11.0, 50.0, 500.0, 999.0, 1000.0}) {
            EXPECT_NEAR(parameter.toPlain(parameter.toNormalized(plain)), plain, plain * 1e-5) << curve;
            parameter.setNormalizedValue(parameter.toNormalized(plain));
            EXPECT_NEAR(parameter.getValue(), plain, plain * 1e-5) << curve;
        }
    }
}

TEST(ParameterPropertyMapping, SettersClampInEitherBoundOrderAndRefuseNaN) {
    ParameterProperty rising, falling;
    rising.initFromDescriptor(row(-1, 0, 0, 0, kUnitDecibels));
    falling.initFromDescriptor(row(5, 1, 3, 0, kUnitNumber));
    // value set, rising range -1..0 holds, falling range 5..1 holds
    const float cases[][3] = {{9, 0, 5}, {-9, -1, 1}, {-0.5f, -0.5f, 1}, {2.5f, 0, 2.5f}};
    for (const auto& c : cases) {
        rising.setValue(c[0]);
        falling.setValue(c[0]);
        EXPECT_FLOAT_EQ(rising.getValue(), c[1]) << c[0];
        EXPECT_FLOAT_EQ(falling.getValue(), c[2]) << c[0];
    }
    for (auto [normalized, risingValue, fallingValue] :
         {std::tuple{1.7f, 0.0f, 1.0f}, {-0.5f, -1.0f, 5.0f}}) {
        rising.setNormalizedValue(normalized);
        falling.setNormalizedValue(normalized);
        EXPECT_FLOAT_EQ(rising.getValue(), risingValue) << normalized;
        EXPECT_FLOAT_EQ(falling.getValue(), fallingValue) << normalized;
    }
    rising.setNormalizedValue(NAN);
    EXPECT_FALSE(std::isnan(rising.getValue()));
}

TEST_F(ParameterPropertyNotification, LastRegisteredFirstAndSenderSkipped) {
    RecordingListener b(log, "b"), c(log, "c");
    parameter.addListener(&a, false);
    parameter.addListener(&b, false);
    parameter.addListener(&c, false);
    parameter.addListener(&b, false); // already known: not added twice

    parameter.setValue(0.3f);
    EXPECT_EQ(log, (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_FLOAT_EQ(a.seen, 0.3f);

    log.clear();
    parameter.setValue(&b, 0.3f); // the same value again still notifies, except the sender
    EXPECT_EQ(log, (std::vector<std::string>{"c", "a"}));

    log.clear();
    parameter.setNormalizedValue(&c, 0.5f);
    parameter.removeListener(&a);
    parameter.resetToDefault();
    EXPECT_EQ(log, (std::vector<std::string>{"b", "a", "c", "b"}));
}

TEST_F(ParameterPropertyNotification, AddListenerNotifiesAtOnceWhenAsked) {
    parameter.initFromDescriptor(row(0, 1, 0.25f, 0, kUnitPercent));
    parameter.addListener(&a, true);
    EXPECT_EQ(log, (std::vector<std::string>{"a"}));
    EXPECT_FLOAT_EQ(a.seen, 0.25f);
    parameter.addListener(&a, true); // known listeners are told again but not added again
    EXPECT_EQ(log.size(), 2u);
    log.clear();
    parameter.setValue(0.5f);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(ParameterPropertyNotification, ListenerSettingItselfAsSenderIsNotCalledBack) {
    struct Doubler : ParameterChangeListener {
        int calls = 0;
        void parameterChanged(IPluginParameter* parameter) override {
            ++calls;
            auto* property = static_cast<ParameterProperty*>(parameter);
            property->setValue(this, property->getValue() * 2.0f);
        }
    } doubler;
    parameter.initFromDescriptor(row(0, 100, 0, 0, kUnitNumber));
    parameter.addListener(&a, false);
    parameter.addListener(&doubler, false);
    parameter.setValue(3.0f);
    EXPECT_EQ(doubler.calls, 1);
    EXPECT_FLOAT_EQ(parameter.getValue(), 6.0f);
    EXPECT_EQ(log.size(), 2u); // told of the doubled value, then of the original change
}

TEST_F(ParameterPropertyNotification, DisabledNotificationsAndRangeChanges) {
    parameter.initFromDescriptor(row(0, 10, 8, 0, kUnitNumber));
    parameter.addListener(&a, false);

    parameter.setNotificationsEnabled(false);
    parameter.setValue(9.0f);
    parameter.setCurve(2.0f);
    EXPECT_TRUE(log.empty());
    EXPECT_FLOAT_EQ(parameter.getValue(), 9.0f);
    parameter.setNotificationsEnabled(true);

    parameter.setMaximum(12.0f); // value still inside: nobody told
    EXPECT_TRUE(log.empty());
    parameter.setMaximum(5.0f);
    EXPECT_FLOAT_EQ(parameter.getValue(), 5.0f);
    EXPECT_EQ(log.size(), 1u);
    parameter.setMinimum(6.0f); // now falling range 6..5
    EXPECT_FLOAT_EQ(parameter.getValue(), 5.0f);
    EXPECT_EQ(log.size(), 1u);
    parameter.setCurve(0.0f);
    EXPECT_EQ(log.size(), 2u);

    parameter.setDefault(100.0f); // clamped, silent
    EXPECT_FLOAT_EQ(parameter.getDefault(), 6.0f);
    EXPECT_EQ(log.size(), 2u);
}

TEST(ParameterPropertyValues, IntAndBoolReadings) {
    ParameterProperty parameter;
    parameter.initFromDescriptor(row(-10, 10, 0, 0, kUnitInteger));
    const std::pair<float, int32_t> cases[] = {{2.99f, 3}, {-1.99f, -2}, {1.97f, 1}, {0.0f, 0}, {-0.5f, 0}};
    for (auto [value, expected] : cases) {
        parameter.setValue(value);
        EXPECT_EQ(parameter.getIntValue(), expected) << value;
    }
    parameter.setValue(0.5f);
    EXPECT_TRUE(parameter.getBoolValue());
    parameter.setValue(0.49f);
    EXPECT_FALSE(parameter.getBoolValue());
}

TEST(ParameterPropertyValues, InitialValueIsClampedButTheDefaultIsNot) {
    ParameterProperty parameter;
    parameter.initFromDescriptor({"LFO BPM", "BPM", "LFO.BPM Override", 29, 200, 0, 5, false, 1.5f, 13, 25});
    EXPECT_FLOAT_EQ(parameter.getValue(), 29.0f);
    EXPECT_FLOAT_EQ(parameter.getDefault(), 5.0f);
    EXPECT_EQ(parameter.getHostIndex(), -1) << "until a manager lists it for the host";
    parameter.resetToDefault();
    EXPECT_FLOAT_EQ(parameter.getValue(), 29.0f);

    ParameterProperty fresh;
    EXPECT_EQ(fresh.getUnitKind(), kUnitPercent);
    EXPECT_STREQ(fresh.getUnit(), "%");
    const std::pair<int32_t, const char*> labels[] = {{0, "ms"}, {1, "%"},  {2, "%"}, {3, "dB"},
                                                      {4, "dB"}, {5, "Hz"}, {8, ""},  {99, ""}};
    for (auto [kind, label] : labels) {
        fresh.setUnitKind(kind);
        EXPECT_STREQ(fresh.getUnit(), label) << kind;
    }
}

TEST(ParameterPropertyText, SetValueFromTextByUnitKind) {
    struct Case {
        int32_t unitKind;
        float minimum, maximum;
        const char* text;
        float expected;
    };
    const Case cases[] = {
        {kUnitMilliseconds, 0, 1000, "12.5ms", 12.5f},
        {kUnitPercent, -1, 1, "-50", -0.5f},
        {kUnitPercent, 0, 1, " +25 %", 0.25f},
        {kUnitGainFactor, 0, 2, "-6.0206", 0.5f},
        {kUnitGainFactor, 0, 2, "+40", 2.0f}, // clamped
        {kUnitPan, -1, 1, "-50", -0.5f},
        {kUnitNote, 0, 127, "C#3", 61.02f},
        {kUnitNote, 0, 127, "A-1", 21.02f},
        {kUnitNote, 0, 127, "x4", 72.02f}, // unknown note adds nothing
        {kUnitNote, 0, 127, "7", 7.0f},    // too short for a note name
        {kUnitRatio, 1, 20, " 1 : 4.50", 4.5f},
        {kUnitRatio, 1, 20, " 1 : inf", 20.0f},
        {kUnitRatio, 1, 20, "1:3", 3.0f},
        {kUnitRatio, 1, 20, "6", 6.0f},
        {kUnitInteger, 1, 4, "3", 3.0f},
        {kUnitHertz, 40, 22050, "abc", 40.0f},
        // The C library's reading: beyond the float range is infinite and clamps to that end.
        {kUnitHertz, 40, 22050, "1e999", 22050.0f},
        {kUnitHertz, 40, 22050, "-1e999 Hz", 40.0f},
        {kUnitMilliseconds, 0, 1000, "0x10", 16.0f},
        {kUnitMilliseconds, 0, 1000, "infinite", 1000.0f},
        {kUnitMilliseconds, 5, 1000, "nan", 5.0f},
        {kUnitPercent, 0, 1, "1e400%", 1.0f},
    };
    for (const Case& c : cases) {
        ParameterProperty parameter;
        parameter.initFromDescriptor(row(c.minimum, c.maximum, c.minimum, 0, c.unitKind));
        parameter.setValueFromText(c.text);
        EXPECT_NEAR(parameter.getValue(), c.expected, 1e-4) << c.unitKind << " '" << c.text << "'";
        parameter.setValueFromText(nullptr);
        EXPECT_NEAR(parameter.getValue(), c.expected, 1e-4);
    }
}

// Where the leading number ends, and what is read from text the conversion alone would not take.
TEST(ParameterPropertyText, LeadingNumberAndWhereItEnds) {
    const struct {
        const char* text;
        double value;
        size_t length;
    } cases[] = {
        {" +2.5e1x", 25.0, 7},
        {".5", 0.5, 2},
        {"1e", 1.0, 1},
        {"0x1p3", 8.0, 5},
        {"0x", 0.0, 1},
        {"--5", 0.0, 0},
        {"1e-999", 0.0, 6},
        {"-0.001e-400", 0.0, 11},
        {"infinity", HUGE_VAL, 8},
        {"-Inf", -HUGE_VAL, 4},
        {"0.0001e320", HUGE_VAL, 10},
    };
    for (const auto& c : cases) {
        const char* end = nullptr;
        EXPECT_EQ(Tessu::readLeadingNumber(c.text, &end), c.value) << c.text;
        EXPECT_EQ(size_t(end - c.text), c.length) << c.text;
    }
}

TEST(ParameterPropertyText, TextKindFillsLinkedBuffer) {
    char presetName[8] = "old";
    std::vector<std::string> log;
    RecordingListener a(log, "a");
    ParameterProperty parameter;
    parameter.setUnitKind(kUnitText);
    parameter.setLinkedText(presetName, sizeof presetName);
    parameter.addListener(&a, false);
    parameter.setValueFromText("Warm Sweep");
    EXPECT_STREQ(presetName, "Warm Sw");
    EXPECT_FLOAT_EQ(parameter.getValue(), 0.0f);
    EXPECT_EQ(log.size(), 1u);
}

TEST(ParameterPropertyText, DisplayStringAndCurrentValue) {
    ParameterProperty parameter;
    parameter.initFromDescriptor(row(1, 1000, 5, 0, kUnitMilliseconds));
    Core::CStringBufferd<64> out;
    parameter.getDisplayString(250.0, out);
    EXPECT_STREQ(out.c_str(), "250.0");
    char text[kValueTextCapacity] = "untouched";
    formatCurrentValue(nullptr, text, true, true, true);
    EXPECT_STREQ(text, "untouched");
    formatCurrentValue(&parameter, text, false, true, false);
    EXPECT_STREQ(text, "Name: 5ms");
}

// The editor adds and removes its controls on the GUI thread while a host thread changes values: once
// removeListener returns, the listener is never called again and may be destroyed; a listener may also
// remove itself from inside its own notification.
TEST_F(ParameterPropertyNotification, ListenersComeAndGoWhileAnotherThreadNotifies) {
    struct Guarded : ParameterChangeListener {
        std::atomic<bool> alive{true};
        std::atomic<int> callsAfterDeath{0};
        void parameterChanged(IPluginParameter*) override {
            if (!alive.load()) ++callsAfterDeath;
        }
    };
    std::atomic<bool> stop{false};
    std::thread host([&] {
        for (int i = 0; !stop; ++i) parameter.setValue(float(i % 100) / 100.0f);
    });
    int late = 0;
    for (int round = 0; round < 2000; ++round) {
        auto listener = std::make_unique<Guarded>();
        parameter.addListener(listener.get(), false);
        parameter.removeListener(listener.get());
        listener->alive = false;
        late += listener->callsAfterDeath;
    }
    stop = true;
    host.join();
    EXPECT_EQ(late, 0);

    struct Leaving : ParameterChangeListener {
        ParameterProperty* from = nullptr;
        int calls = 0;
        void parameterChanged(IPluginParameter*) override {
            ++calls;
            from->removeListener(this);
        }
    } leaving;
    leaving.from = &parameter;
    parameter.addListener(&leaving, false);
    parameter.setValue(0.5f);
    parameter.setValue(0.6f);
    EXPECT_EQ(leaving.calls, 1);
}
