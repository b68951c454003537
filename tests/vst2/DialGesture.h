// What a host must see while a dial is dragged upward: begin, a run of rising automation, end, all for
// one parameter, and the parameter left at the last value sent.
#pragma once

#include "vsthost/VstPluginHost.h"

#include <gtest/gtest.h>

inline void expectUpwardDialDrag(kavren::host::VstPluginHost& host, int index, float before) {
    const auto& edits = host.edits();
    ASSERT_GE(edits.size(), 3u);
    EXPECT_EQ(edits.front().opcode, vst2::audioMasterBeginEdit);
    EXPECT_EQ(edits.back().opcode, vst2::audioMasterEndEdit);
    float last = before;
    for (const auto& edit : edits) EXPECT_EQ(edit.index, index);
    for (size_t i = 1; i + 1 < edits.size(); ++i) {
        EXPECT_EQ(edits[i].opcode, vst2::audioMasterAutomate) << i;
        EXPECT_GT(edits[i].value, last) << i; // dragging up turns the dial up
        last = edits[i].value;
    }
    EXPECT_FLOAT_EQ(host.getParameter(index), last);
    EXPECT_GT(last, before);
}
