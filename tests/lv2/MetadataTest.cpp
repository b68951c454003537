// The parameter ports and presets as hosts read them through lilv: every port with a real name, the gains
// in decibels, frequency sliders that spend their travel where the ear is, and the factory presets in
// banks named by their categories.
#include "frame/lv2/PortLayout.h"
#include "lv2/LilvHost.h"

#include <gtest/gtest.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>
#include <lv2/units/units.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <string>

namespace {

struct PortFacts {
    std::string name;
    float minimum = 0.0f, maximum = 0.0f, start = 0.0f;
    std::string unit;
    bool logarithmic = false;
    std::map<float, std::string> points;
};

class Lv2Metadata : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<float> low(lilv_plugin_get_num_ports(host.plugin())), high(low.size()), start(low.size());
        lilv_plugin_get_port_ranges_float(host.plugin(), low.data(), high.data(), start.data());
        LilvNode* unitProperty = lilv_new_uri(host.world(), LV2_UNITS__unit);
        LilvNode* logarithmic = lilv_new_uri(host.world(), LV2_PORT_PROPS__logarithmic);
        for (uint32_t i = Tessu::lv2::kFirstParameter; i < Tessu::lv2::kControl; ++i) {
            const LilvPort* port = lilv_plugin_get_port_by_index(host.plugin(), i);
            PortFacts& facts = ports[lilv_node_as_string(lilv_port_get_symbol(host.plugin(), port))];
            LilvNode* name = lilv_port_get_name(host.plugin(), port);
            facts.name = lilv_node_as_string(name);
            facts.minimum = low[i], facts.maximum = high[i], facts.start = start[i];
            lilv_node_free(name);
            if (LilvNodes* units = lilv_port_get_value(host.plugin(), port, unitProperty)) {
                facts.unit = lilv_node_as_uri(lilv_nodes_get_first(units));
                lilv_nodes_free(units);
            }
            facts.logarithmic = lilv_port_has_property(host.plugin(), port, logarithmic);
            LilvScalePoints* points = lilv_port_get_scale_points(host.plugin(), port);
            LILV_FOREACH(scale_points, p, points) {
                const LilvScalePoint* point = lilv_scale_points_get(points, p);
                facts.points[lilv_node_as_float(lilv_scale_point_get_value(point))] =
                    lilv_node_as_string(lilv_scale_point_get_label(point));
            }
            lilv_scale_points_free(points);
        }
        lilv_node_free(logarithmic);
        lilv_node_free(unitProperty);
    }

    LilvHost host;
    std::map<std::string, PortFacts> ports;
};

// The share of a logarithmic slider's travel that lies between 20 Hz and 20 kHz.
double audibleShare(const PortFacts& port) {
    const double low = std::max(20.0, double(port.minimum)), high = std::min(20000.0, double(port.maximum));
    return std::log(high / low) / std::log(double(port.maximum) / port.minimum);
}

} // namespace

TEST_F(Lv2Metadata, EveryParameterPortHasARealNameAndStartsInsideItsRange) {
    ASSERT_EQ(ports.size(), 48u);
    for (const auto& [symbol, port] : ports) {
        EXPECT_TRUE(
            std::any_of(port.name.begin(), port.name.end(), [](unsigned char c) { return std::isalpha(c); }))
            << symbol << " is named \"" << port.name << "\"";
        EXPECT_LE(port.minimum, port.start) << symbol;
        EXPECT_LE(port.start, port.maximum) << symbol;
    }
}

// The editor shows the gains in dB from "-oo" to +6 dB; hosts show and automate the same.
TEST_F(Lv2Metadata, GainsAreDecibelsFromSilenceToTheEditorsTop) {
    for (const char* symbol : {"inputgain", "outputgain"}) {
        const PortFacts& port = ports.at(symbol);
        EXPECT_EQ(port.unit, LV2_UNITS__db) << symbol;
        EXPECT_FLOAT_EQ(port.minimum, -60.0f) << symbol;
        EXPECT_NEAR(port.maximum, 20.0 * std::log10(2.0), 1e-5) << symbol;
        EXPECT_EQ(port.start, 0.0f) << symbol;
        EXPECT_EQ(port.points, (std::map<float, std::string>{{-60.0f, "-oo"}})) << symbol;
    }
}

// Cut-offs, the measure point and the ring frequency: logarithmic, with at least 85 % of the travel
// audible. The high-pass starts at a labelled "Off". The frequency-modulation rate is logarithmic too;
// it reaches down to the slow vibrato rates the factory presets use, which are below 20 Hz by nature.
TEST_F(Lv2Metadata, FrequencySlidersSpendTheirTravelOnTheAudibleRange) {
    int frequencyPorts = 0;
    for (const auto& [symbol, port] : ports) {
        if (port.unit != LV2_UNITS__hz || symbol == "lfo_rate") continue;
        ++frequencyPorts;
        EXPECT_TRUE(port.logarithmic) << symbol;
        if (symbol != "freqmodfreq") {
            EXPECT_GE(audibleShare(port), 0.85) << symbol;
        }
    }
    EXPECT_EQ(frequencyPorts, 5);
    EXPECT_EQ(ports.at("highpassfreq").points, (std::map<float, std::string>{{10.0f, "Off"}}));
    EXPECT_LE(ports.at("freqmodfreq").minimum, 0.15f);
}

TEST_F(Lv2Metadata, FactoryPresetsAreInBanksNamedByTheirCategories) {
    LilvNode* bankProperty = lilv_new_uri(host.world(), LV2_PRESETS__bank);
    LilvNode* label = lilv_new_uri(host.world(), LILV_NS_RDFS "label");
    std::map<std::string, size_t> banks;
    for (const std::string& uri : host.presetUris()) {
        LilvNode* preset = lilv_new_uri(host.world(), uri.c_str());
        LilvNode* bank = lilv_world_get(host.world(), preset, bankProperty, nullptr);
        LilvNode* name = bank ? lilv_world_get(host.world(), bank, label, nullptr) : nullptr;
        ++banks[name ? lilv_node_as_string(name) : "(none)"];
        lilv_node_free(name);
        lilv_node_free(bank);
        lilv_node_free(preset);
    }
    lilv_node_free(label);
    lilv_node_free(bankProperty);
    EXPECT_EQ(banks, (std::map<std::string, size_t>{{"(none)", 1},
                                                    {"Envelope", 14},
                                                    {"Filter", 12},
                                                    {"LFO", 16},
                                                    {"Multi FX", 21},
                                                    {"New 1.2 Presets", 43},
                                                    {"Phaser", 14},
                                                    {"Ringmod", 12}}));
}
