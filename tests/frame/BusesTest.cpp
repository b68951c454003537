// Channel buffers, stereo buses and the process context.
#include "frame/AudioBuses.h"
#include "frame/PluginDescriptor.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace Tessu;

TEST(ChannelBuffer, ResizeGivesZeroedChannelsAndDiscardsContent) {
    CNChannelBuffer buffer;
    buffer.resize(512, 2);
    ASSERT_EQ(buffer.numChannels(), 2u);
    ASSERT_EQ(buffer.numFrames(), 512u);
    buffer.channel(1)[511] = 3.0f;
    buffer.resize(512, 2);
    for (uint32_t c = 0; c < 2; ++c)
        for (uint32_t i = 0; i < 512; ++i) ASSERT_EQ(buffer.channel(c)[i], 0.0f);
}

TEST(ChannelBuffer, CopiesNeverTouchMoreChannelsThanBothSidesHave) {
    CNChannelBuffer buffer;
    buffer.resize(4, 2);
    std::vector<float> source = {1, 2, 3, 4};
    float* one[1] = {source.data()};
    buffer.copyIn(one, 1, 4);
    EXPECT_EQ(buffer.channel(0)[3], 4.0f);
    EXPECT_EQ(buffer.channel(1)[3], 0.0f);

    std::vector<float> a(4, -1.0f), b(4, -1.0f), c(4, -1.0f);
    float* three[3] = {a.data(), b.data(), c.data()};
    buffer.copyOut(three, 3, 4);
    EXPECT_EQ(a[2], 3.0f);
    EXPECT_EQ(b[2], 0.0f);
    EXPECT_EQ(c[2], -1.0f);
}

TEST(StereoBus, ViewsAdvanceButOwningBusesStayPut) {
    std::vector<float> l(8), r(8);
    float* pair[2] = {l.data(), r.data()};
    AudioStereoBus view;
    view.setView(pair, 8);
    view.advance(3);
    EXPECT_EQ(view.left, l.data() + 3);
    EXPECT_EQ(view.right, r.data() + 3);

    AudioStereoBus owner;
    owner.allocate(16);
    float* before = owner.left;
    owner.advance(3);
    EXPECT_EQ(owner.left, before);
    EXPECT_EQ(owner.storage, AudioStereoBus::kOwned);
}

TEST(StereoBus, ClearZeroUsesCapacityAndPeaksOnlyGrow) {
    AudioStereoBus bus;
    bus.allocate(256);
    for (int i = 0; i < 256; ++i) bus.left[i] = bus.right[i] = 1.0f;
    bus.clear(0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(bus.left[i] + bus.right[i], 0.0f);

    bus.left[10] = -0.75f;
    bus.right[20] = 0.25f;
    float peakLeft = 0.5f, peakRight = 0.5f;
    bus.measurePeaks(256, peakLeft, peakRight);
    EXPECT_FLOAT_EQ(peakLeft, 0.75f);
    EXPECT_FLOAT_EQ(peakRight, 0.5f);
}

TEST(StereoBus, CopyFromGrowsOwnedStorageButRefusesToOverrunAView) {
    std::vector<float> l(64, 1.0f), r(64, 2.0f);
    const float* source[2] = {l.data(), r.data()};
    AudioStereoBus owner;
    owner.allocate(16);
    owner.copyFrom(source, 64);
    EXPECT_EQ(owner.capacity, 64);
    EXPECT_EQ(owner.right[63], 2.0f);

    std::vector<float> small(16, 0.0f);
    float* pair[2] = {small.data(), small.data()};
    AudioStereoBus view;
    view.setView(pair, 16);
    EXPECT_THROW(view.copyFrom(source, 64), std::length_error);
    EXPECT_EQ(small[0], 0.0f);
}

TEST(ProcessContext, BuildViewsConsecutiveChannelPairsUpToTwentyFourBuses) {
    std::vector<std::vector<float>> storage(60, std::vector<float>(4));
    std::vector<float*> channels;
    for (auto& s : storage) channels.push_back(s.data());
    ProcessContext context;
    context.build(channels.data(), 30, channels.data(), 1, 4);
    EXPECT_EQ(context.numInputs, 24);
    EXPECT_EQ(context.numOutputs, 1);
    EXPECT_EQ(context.frames, 4);
    EXPECT_EQ(context.inputs[5].left, channels[10]);
    EXPECT_EQ(context.inputs[5].right, channels[11]);
    context.advanceInputs(2);
    EXPECT_EQ(context.inputs[23].right, channels[47] + 2);
}

TEST(PluginList, GrowsInStepsOfFiveAndCopiesDescriptors) {
    PluginList list = buildPluginList();
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.capacity(), 5);
    EXPECT_STREQ(list[0].name, "QMX Kavren XL");
    EXPECT_EQ(list[0].version, 0x010208) << "1.2.8";
    for (int i = 0; i < 5; ++i) list.append(list[0]);
    EXPECT_EQ(list.count(), 6);
    EXPECT_EQ(list.capacity(), 10);

    PluginList copy;
    copy = list;
    EXPECT_EQ(copy.count(), 6);
    EXPECT_NE(&copy[0], &list[0]);
    EXPECT_EQ(copy[5].name, list[0].name);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.capacity(), 0);
}
