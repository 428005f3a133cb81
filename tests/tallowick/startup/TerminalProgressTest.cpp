#include "tallowick/startup/TerminalProgress.h"

#include <gtest/gtest.h>

namespace {

TEST(Rendering, TerminalBarFillsInProportionRoundingDown) {
    EXPECT_EQ(tallowick::progressBarLine({true, "Saving...", 49.9}, 10),
              "Saving... [####......]  49%");
    EXPECT_EQ(tallowick::progressBarLine({true, "Saving...", 100.0}, 4), "Saving... [####] 100%");
}

} // namespace
