#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "params/CPropertyManager.h"

using namespace Tessu;

namespace {

ParameterDescriptor row(const char* key, int32_t id, float initial, bool automatable = true) {
    return {key, key, key, -10, 10, initial, 0, automatable, 0, 10, id};
}

// A manager named "block" holding the given keys, ids 0.., initial values 1, 2, 3, ...
void fill(CPropertyManager& manager, const std::vector<const char*>& keys) {
    manager.setName("block");
    int32_t id = 0;
    for (const char* key : keys) {
        manager.addParameter(row(key, id, static_cast<float>(id + 1)));
        ++id;
    }
}

std::vector<uint8_t> stateOf(CPropertyManager& manager) {
    void* data = nullptr;
    int32_t size = manager.getStateBlock(&data);
    const auto* bytes = static_cast<const uint8_t*>(data);
    return {bytes, bytes + size};
}

std::vector<float> valuesOf(const CPropertyManager& manager) {
    std::vector<float> values;
    for (int32_t i = 0; i < manager.getParameterCount(); ++i)
        values.push_back(manager.getParameterAt(i)->getValue());
    return values;
}

void setAll(CPropertyManager& manager, float value) {
    for (int32_t i = 0; i < manager.getParameterCount(); ++i) manager.getParameterAt(i)->setValue(value);
}

int32_t headerField(const std::vector<uint8_t>& block, int offset) {
    int32_t value;
    std::memcpy(&value, block.data() + offset, 4);
    return value;
}

void putHeaderField(std::vector<uint8_t>& block, int offset, int32_t value) {
    std::memcpy(block.data() + offset, &value, 4);
}

struct CountingListener : ParameterChangeListener {
    std::vector<IPluginParameter*> calls;
    void parameterChanged(IPluginParameter* parameter) override { calls.push_back(parameter); }
};

} // namespace

TEST(CPropertyManagerLists, AddAndLookUp) {
    CPropertyManager manager;
    ParameterProperty* first = manager.addParameter(row("A", 10, 1));
    ParameterProperty* hidden = manager.addParameter(row("B", 11, 2, false));
    ParameterProperty* third = manager.addParameter(row("C", 12, 3));
    EXPECT_EQ(manager.addParameter(row("A", 99, 7)), first); // same key: nothing new
    EXPECT_FLOAT_EQ(first->getValue(), 1.0f);

    EXPECT_EQ(manager.getParameterCount(), 3);
    EXPECT_EQ(manager.getHostParameterCount(), 2);
    EXPECT_EQ(first->getHostIndex(), 0);
    EXPECT_EQ(hidden->getHostIndex(), -1);
    EXPECT_EQ(third->getHostIndex(), 1);
    EXPECT_EQ(manager.getHostParameter(1), third);
    EXPECT_EQ(manager.getParameterAt(1), hidden);
    EXPECT_EQ(manager.findParameterById(12), third);
    EXPECT_EQ(manager.findParameterByKey("B"), hidden);

    EXPECT_EQ(manager.getParameterAt(-1), nullptr);
    EXPECT_EQ(manager.getParameterAt(3), nullptr);
    EXPECT_EQ(manager.getHostParameter(2), nullptr);
    EXPECT_EQ(manager.findParameterById(99), nullptr);
    EXPECT_EQ(manager.findParameterByKey("a"), nullptr);
    EXPECT_EQ(manager.findParameterByKey(nullptr), nullptr);

    manager.setName("a name far longer than twenty");
    EXPECT_STREQ(manager.getName(), "a name far longer t");
}

TEST(CPropertyManagerLists, ResumeNotifiesEveryParameterOnceInOrder) {
    CPropertyManager manager;
    fill(manager, {"A", "B"});
    CountingListener listener;
    manager.getParameterAt(0)->addListener(&listener, false);
    manager.getParameterAt(1)->addListener(&listener, false);

    manager.suspendNotifications();
    manager.getParameterAt(1)->setValue(5.0f);
    manager.getParameterAt(1)->setValue(6.0f);
    EXPECT_TRUE(listener.calls.empty());
    manager.resumeNotifications();
    EXPECT_EQ(listener.calls,
              (std::vector<IPluginParameter*>{manager.getParameterAt(0), manager.getParameterAt(1)}));
    manager.getParameterAt(0)->setValue(1.0f);
    EXPECT_EQ(listener.calls.size(), 3u);
}

TEST(CPropertyManagerState, HeaderLayout) {
    CPropertyManager manager;
    fill(manager, {"A", "B", "C"});
    manager.setCompress(false);
    std::vector<uint8_t> block = stateOf(manager);
    ASSERT_EQ(block.size(), 48u + 3 * 64);
    EXPECT_STREQ(reinterpret_cast<const char*>(block.data()), "block");
    const int32_t expected[] = {48, 0x1000, 0, 192, 192, 64, 3};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(headerField(block, 20 + 4 * i), expected[i]) << i;
    // Second record: key "B", value 2, minimum -10, maximum 10.
    const uint8_t* record = block.data() + 48 + 64;
    EXPECT_STREQ(reinterpret_cast<const char*>(record), "B");
    float fields[3];
    std::memcpy(fields, record + 52, sizeof fields);
    EXPECT_FLOAT_EQ(fields[0], 2.0f);
    EXPECT_FLOAT_EQ(fields[1], -10.0f);
    EXPECT_FLOAT_EQ(fields[2], 10.0f);
}

TEST(CPropertyManagerState, RoundTripBetweenManagersCompressedOrNot) {
    for (bool compress : {false, true}) {
        CPropertyManager writer, reader;
        fill(writer, {"A", "B", "C"});
        fill(reader, {"A", "B", "C"});
        writer.setCompress(compress);
        writer.getParameterAt(0)->setValue(-4.5f);
        writer.getParameterAt(2)->setValue(9.25f);
        std::vector<uint8_t> block = stateOf(writer);
        EXPECT_EQ(headerField(block, 28), compress ? 1 : 0);

        // The block may sit anywhere inside a larger chunk.
        std::vector<uint8_t> chunk = {'x', 'y', 0};
        chunk.insert(chunk.end(), block.begin(), block.end());
        EXPECT_TRUE(reader.setStateBlock(chunk.data(), static_cast<int32_t>(chunk.size())));
        EXPECT_EQ(valuesOf(reader), (std::vector<float>{-4.5f, 2.0f, 9.25f})) << compress;
    }
}

TEST(CPropertyManagerState, ExtraAndMissingKeys) {
    CPropertyManager writer, reader;
    fill(writer, {"OLD", "B", "C"});
    fill(reader, {"B", "C", "NEW"});
    setAll(writer, 7.0f);
    std::vector<uint8_t> block = stateOf(writer);
    EXPECT_TRUE(reader.setStateBlock(block.data(), static_cast<int32_t>(block.size()), -1));
    EXPECT_EQ(valuesOf(reader), (std::vector<float>{7.0f, 7.0f, 3.0f}));
}

TEST(CPropertyManagerState, RejectedBlocksChangeNothing) {
    CPropertyManager writer;
    fill(writer, {"A", "B"});
    writer.setCompress(false);
    setAll(writer, 9.0f);
    const std::vector<uint8_t> good = stateOf(writer);

    auto expectRejected = [](std::vector<uint8_t> block, const char* why, int32_t minimumVersion = 0) {
        CPropertyManager reader;
        fill(reader, {"A", "B"});
        reader.setMinimumVersion(minimumVersion);
        EXPECT_FALSE(reader.setStateBlock(block.data(), static_cast<int32_t>(block.size()))) << why;
        EXPECT_EQ(valuesOf(reader), (std::vector<float>{1.0f, 2.0f})) << why;
    };
    expectRejected(good, "version below the minimum", 0x1001);
    const struct {
        int offset;
        int32_t value;
        const char* why;
    } patches[] = {{24, 0x1000000, "version above the maximum"},
                   {44, 3, "count disagrees with the sizes"},
                   {44, 0, "no records"},
                   {28, 1, "flagged compressed but not inflatable"},
                   {36, -64, "negative size"},
                   {32, 0x7FFFFFF0, "data beyond the end"}};
    for (const auto& patch : patches) {
        std::vector<uint8_t> block = good;
        putHeaderField(block, patch.offset, patch.value);
        expectRejected(block, patch.why);
    }
    expectRejected({good.begin(), good.end() - 1}, "truncated");
    std::vector<uint8_t> renamed = good;
    renamed[0] = 'B';
    expectRejected(renamed, "another name");
    expectRejected({}, "empty");

    CPropertyManager reader;
    fill(reader, {"A", "B"});
    EXPECT_FALSE(reader.setStateBlock(nullptr, 100));
    EXPECT_TRUE(reader.setStateBlock(good.data(), static_cast<int32_t>(good.size())));
    EXPECT_EQ(valuesOf(reader), (std::vector<float>{9.0f, 9.0f}));
}

TEST(CPropertyManagerState, KeyNumberMapperAndExclusions) {
    CPropertyManager writer;
    fill(writer, {"OSC1 LEVEL", "A0B3", "PLAIN", "LFO 1 RATE 1"});
    setAll(writer, 5.0f);
    writer.getParameterAt(3)->setValue(-20.0f);
    const std::vector<uint8_t> block = stateOf(writer);
    const int32_t size = static_cast<int32_t>(block.size());

    CPropertyManager renumbered;
    fill(renumbered, {"OSC2 LEVEL", "A0B2", "PLAIN", "LFO 2 RATE 1", "OSC1 LEVEL"});
    EXPECT_TRUE(renumbered.setStateBlock(block.data(), size, 2));
    EXPECT_EQ(valuesOf(renumbered), (std::vector<float>{5.0f, 5.0f, 5.0f, -10.0f, 5.0f}));

    struct Rename : KeyMapper {
        const char* mapKey(const char* storedKey) override {
            return std::strcmp(storedKey, "PLAIN") == 0 ? "FANCY" : nullptr;
        }
    } rename;
    CPropertyManager mapped;
    fill(mapped, {"FANCY", "OSC1 LEVEL"});
    EXPECT_TRUE(mapped.setStateBlock(block.data(), size, -1, &rename));
    EXPECT_EQ(valuesOf(mapped), (std::vector<float>{5.0f, 2.0f}));

    CPropertyManager excluding;
    fill(excluding, {"OSC1 LEVEL", "A0B3", "PLAIN"});
    EXPECT_TRUE(excluding.setStateBlock(block.data(), size, -1, nullptr, {1, 2}));
    EXPECT_EQ(valuesOf(excluding), (std::vector<float>{5.0f, 2.0f, 3.0f}));
}
