// Which scale the editor is drawn at: the user's choice, then the host's, then the X server's.
#include "editor/EditorScale.h"

#include <gtest/gtest.h>

TEST(EditorScale, UserChoiceWinsThenHostThenServerDpi) {
    const struct {
        const char* setting;
        double host, dpi, expected;
    } cases[] = {
        {"", 0, 0, 1.0},       {"", 0, 96, 1.0},      {"", 0, 144, 1.5},    {"", 0, 192, 2.0},
        {"", 0, 120, 1.0},     {"", 0, 130, 1.5},     {"", 2.0, 96, 2.0},   {"", 1.25, 192, 1.0},
        {"auto", 1.5, 0, 1.5}, {"200", 1.0, 96, 2.0}, {"150", 2.0, 0, 1.5}, {"100", 2.0, 192, 1.0},
        {"", 3.0, 0, 2.0},     {"", -1, 0, 1.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EditorScale::choose(c.setting, c.host, c.dpi), c.expected)
            << "setting '" << c.setting << "' host " << c.host << " dpi " << c.dpi;
}
