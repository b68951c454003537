#include "frame/lv2/TurtleBundle.h"

#include "frame/lv2/PortLayout.h"
#include "frame/lv2/PortValues.h"
#include "frame/lv2/TessuLV2.h"
#include "params/KavrenFormatters.h"
#include "params/KavrenParameters.h"
#include "params/ParameterProperty.h"
#include "params/ValueFormat.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace Tessu::lv2 {

namespace {

constexpr const char* kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                                  "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                                  "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                                  "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                                  "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                                  "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
                                  "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                                  "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                                  "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                                  "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                                  "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
                                  "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                                  "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                                  "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
                                  "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n\n";

// Steps of a whole-number parameter that are listed as an enumeration (slopes, LFO shapes).
constexpr float kMaxEnumeratedSteps = 8.0f;

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// A decimal literal that reads back as the same float.
std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", double(value));
    std::string s = text;
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

std::string valueText(ParameterProperty& parameter, float value) {
    char text[kValueTextCapacity] = {};
    parameter.formatValue(value, text, 0);
    return text;
}

struct ScalePoint {
    float value;
    std::string label;
};

bool isSlope(const ParameterProperty& p) {
    return p.getId() == kLowPassSlope || p.getId() == kHighPassSlope;
}

// Named values: every step of a switch or a short whole-number range, the LFO's note divisions, the
// values some parameters show by name ("Host", "Auto", "All"), and the port floors that stand for silence
// ("-oo") or for a frequency's minimum ("Off").
std::vector<ScalePoint> scalePoints(ParameterProperty& p) {
    std::vector<ScalePoint> points;
    const float low = p.getMinimum(), high = p.getMaximum();
    if (p.getUnitKind() == kUnitOnOff ||
        (p.getUnitKind() == kUnitInteger && high - low <= kMaxEnumeratedSteps)) {
        for (float step = low; step <= high; step += 1.0f)
            points.push_back(
                {step, isSlope(p) ? std::to_string(12 << (int(step) - 1)) + " dB/oct" : valueText(p, step)});
    } else if (p.getId() == kLfoRate) {
        for (int32_t division = 1; division <= 24; ++division)
            points.push_back({p.toPlain(double(division - 1) / 23.0),
                              std::string("Sync ") + lfoSyncDivisionName(division)});
    } else if (p.getId() == kLfoBpm || p.getId() == kLimiterRelease || p.getId() == kMeasurePoint) {
        points.push_back({low, valueText(p, low)});
    } else if (p.getUnitKind() == kUnitGainFactor) {
        points.push_back({portMinimum(p), valueText(p, low)});
    } else if (hasOffFloor(p)) {
        points.push_back({portMinimum(p), "Off"});
    }
    return points;
}

const char* unitOf(const ParameterProperty& p) {
    switch (p.getUnitKind()) {
    case kUnitMilliseconds:
        return "units:ms";
    case kUnitGainFactor:
    case kUnitDecibels:
        return "units:db";
    case kUnitHertz:
        return "units:hz";
    default:
        return nullptr;
    }
}

// The long name hosts show, except for the two link switches, whose long names are only dashes.
std::string portName(const ParameterProperty& p) {
    switch (p.getId()) {
    case kRingModLinkFreq:
        return "RingMod.LP Link";
    case kFreqModLinkFreq:
        return "FreqMod.LP Link";
    default:
        return p.getLongName();
    }
}

void writeParameterPort(std::ostream& out, ParameterProperty& p, uint32_t index) {
    out << "    [\n        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << quoted(portSymbol(p.getKey())) << " ;\n"
        << "        lv2:name " << quoted(portName(p)) << " ;\n"
        << "        lv2:default " << number(portValue(p, p.getValue())) << " ;\n"
        << "        lv2:minimum " << number(portMinimum(p)) << " ;\n"
        << "        lv2:maximum " << number(portMaximum(p));
    const bool switchLike = p.getUnitKind() == kUnitOnOff;
    const bool whole = p.getUnitKind() == kUnitInteger;
    const std::vector<ScalePoint> points = scalePoints(p);
    if (switchLike) out << " ;\n        lv2:portProperty lv2:toggled";
    if (whole) out << " ;\n        lv2:portProperty lv2:integer";
    if (whole && !points.empty() && points.size() == size_t(p.getMaximum() - p.getMinimum() + 1.0f))
        out << " , lv2:enumeration";
    // The knob's curve spends its travel on the low end; hosts approximate that with a logarithmic scale.
    if (!switchLike && !whole && p.getCurve() > 0.0f && portMinimum(p) > 0.0f)
        out << " ;\n        lv2:portProperty pprops:logarithmic";
    if (const char* unit = unitOf(p)) out << " ;\n        units:unit " << unit;
    for (size_t i = 0; i < points.size(); ++i)
        out << (i ? " ,\n            " : " ;\n        lv2:scalePoint ") << "[ rdfs:label "
            << quoted(points[i].label) << " ; rdf:value " << number(points[i].value) << " ]";
    out << "\n    ]";
}

std::string bankUri(const std::string& bank) {
    return kBankUriPrefix + slugOf(bank);
}

// Hosts that know banks group the presets by them: the factory library's categories.
std::string bankLine(const PresetDescription& preset) {
    return preset.bank.empty() ? "" : "    pset:bank <" + bankUri(preset.bank) + "> ;\n";
}

} // namespace

std::string portSymbol(const std::string& key) {
    std::string symbol;
    for (unsigned char c : key) {
        if (std::isalnum(c))
            symbol += char(std::tolower(c));
        else if (!symbol.empty() && symbol.back() != '_')
            symbol += '_';
    }
    while (!symbol.empty() && symbol.back() == '_') symbol.pop_back();
    if (symbol.empty() || std::isdigit(static_cast<unsigned char>(symbol[0]))) symbol = "_" + symbol;
    return symbol;
}

std::string slugOf(const std::string& text) {
    std::string slug = portSymbol(text);
    for (char& c : slug)
        if (c == '_') c = '-';
    return slug[0] == '-' ? slug.substr(1) : slug;
}

std::string base64(const std::vector<uint8_t>& bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t b0 = bytes[i], b1 = i + 1 < bytes.size() ? bytes[i + 1] : 0,
                       b2 = i + 2 < bytes.size() ? bytes[i + 2] : 0;
        const uint32_t triple = (b0 << 16) | (b1 << 8) | b2;
        out += kDigits[(triple >> 18) & 63];
        out += kDigits[(triple >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(triple >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[triple & 63] : '=';
    }
    return out;
}

void writePluginTurtle(std::ostream& out, TessuOS& effect, int32_t versionMinor, int32_t versionMicro) {
    out << kPrefixes << "<" << kPluginUri << ">\n"
        << "    a lv2:Plugin , lv2:FilterPlugin , doap:Project ;\n"
        << "    doap:name \"QMX Kavren XL\" ;\n"
        << "    doap:maintainer [ foaf:name \"Quillmark\" ] ;\n"
        << "    lv2:minorVersion " << versionMinor << " ;\n"
        << "    lv2:microVersion " << versionMicro << " ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , lv2:isLive , urid:map , opts:options ;\n"
        << "    opts:supportedOption <http://lv2plug.in/ns/ext/buf-size#maxBlockLength> ;\n"
        << "    lv2:extensionData state:interface ;\n"
        << "    lv2:port [\n"
        << "        a lv2:AudioPort , lv2:InputPort ; lv2:index 0 ; lv2:symbol \"in_l\" ; lv2:name \"In L\"\n"
        << "    ] , [\n"
        << "        a lv2:AudioPort , lv2:InputPort ; lv2:index 1 ; lv2:symbol \"in_r\" ; lv2:name \"In R\"\n"
        << "    ] , [\n"
        << "        a lv2:AudioPort , lv2:OutputPort ; lv2:index 2 ; lv2:symbol \"out_l\" ; lv2:name \"Out "
           "L\"\n"
        << "    ] , [\n"
        << "        a lv2:AudioPort , lv2:OutputPort ; lv2:index 3 ; lv2:symbol \"out_r\" ; lv2:name \"Out "
           "R\"\n"
        << "    ]";
    for (int32_t i = 0; i < effect.getHostParameterCount(); ++i) {
        out << " , ";
        writeParameterPort(out, *effect.getHostParameter(i), kFirstParameter + uint32_t(i));
    }
    out << " , [\n"
        << "        a atom:AtomPort , lv2:InputPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports time:Position ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:portProperty lv2:connectionOptional ;\n"
        << "        lv2:index " << kControl << " ; lv2:symbol \"control\" ; lv2:name \"Control\"\n"
        << "    ] , [\n"
        << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:designation lv2:enabled ;\n"
        << "        lv2:portProperty lv2:toggled ;\n"
        << "        lv2:default 1 ; lv2:minimum 0 ; lv2:maximum 1 ;\n"
        << "        lv2:index " << kEnabled << " ; lv2:symbol \"enabled\" ; lv2:name \"Enabled\"\n"
        << "    ] , [\n"
        << "        a lv2:OutputPort , lv2:ControlPort ;\n"
        << "        lv2:designation lv2:latency ;\n"
        << "        lv2:portProperty lv2:reportsLatency , lv2:integer , pprops:notOnGUI ;\n"
        << "        lv2:minimum 0 ; lv2:maximum 65536 ;\n"
        << "        lv2:index " << kLatency << " ; lv2:symbol \"latency\" ; lv2:name \"Latency\" ; "
        << "units:unit units:frame\n"
        << "    ]";
    out << " .\n\n<" << kChunkUri << ">\n"
        << "    a rdf:Property ;\n"
        << "    rdfs:label \"state chunk\" ;\n"
        << "    rdfs:comment \"The effect's complete state, as the VST 2.4 plug-in stores it in a project.\" "
           ";\n"
        << "    rdfs:range atom:Chunk .\n\n<" << kAppliedPortsUri << ">\n"
        << "    a rdf:Property ;\n"
        << "    rdfs:label \"applied port values\" ;\n"
        << "    rdfs:comment \"The parameter port values the plug-in had applied when the state was saved.\" "
           ";\n"
        << "    rdfs:range atom:Chunk .\n";
}

void writePresetTurtle(std::ostream& out, TessuOS& effect, const PresetDescription& preset) {
    out << kPrefixes << "<" << kPresetUriPrefix << preset.slug << ">\n"
        << "    a pset:Preset ;\n"
        << "    lv2:appliesTo <" << kPluginUri << "> ;\n"
        << "    rdfs:label " << quoted(preset.label) << " ;\n"
        << bankLine(preset) << "    lv2:port ";
    for (size_t i = 0; i < preset.portValues.size(); ++i)
        out << (i ? " , " : "") << "[ lv2:symbol "
            << quoted(portSymbol(effect.getHostParameter(int32_t(i))->getKey())) << " ; pset:value "
            << number(preset.portValues[i]) << " ]";
    out << " ;\n    state:state [\n        <" << kChunkUri << "> \"" << base64(preset.chunk)
        << "\"^^xsd:base64Binary\n    ] .\n";
}

void writeManifest(std::ostream& out, const std::vector<PresetDescription>& presets) {
    out << kPrefixes << "<" << kPluginUri << ">\n"
        << "    a lv2:Plugin ;\n"
        << "    lv2:binary <" << kBinaryName << "> ;\n"
        << "    ui:ui <" << kUiUri << "> ;\n"
        << "    rdfs:seeAlso <kavren-xl.ttl> .\n\n"
        << "<" << kUiUri << ">\n"
        << "    a ui:X11UI ;\n"
        << "    ui:binary <" << kUiBinaryName << "> ;\n"
        << "    lv2:requiredFeature ui:idleInterface ;\n"
        << "    lv2:optionalFeature ui:parent , ui:resize , ui:touch , urid:map , opts:options ;\n"
        << "    opts:supportedOption ui:scaleFactor ;\n"
        << "    lv2:extensionData ui:idleInterface .\n";
    std::vector<std::string> banks;
    for (const PresetDescription& preset : presets) {
        if (preset.bank.empty() || std::find(banks.begin(), banks.end(), preset.bank) != banks.end())
            continue;
        banks.push_back(preset.bank);
        out << "\n<" << bankUri(preset.bank) << ">\n"
            << "    a pset:Bank ;\n"
            << "    rdfs:label " << quoted(preset.bank) << " .\n";
    }
    for (const PresetDescription& preset : presets)
        out << "\n<" << kPresetUriPrefix << preset.slug << ">\n"
            << "    a pset:Preset ;\n"
            << "    lv2:appliesTo <" << kPluginUri << "> ;\n"
            << "    rdfs:label " << quoted(preset.label) << " ;\n"
            << bankLine(preset) << "    rdfs:seeAlso <presets/" << preset.slug << ".ttl> .\n";
}

} // namespace Tessu::lv2
