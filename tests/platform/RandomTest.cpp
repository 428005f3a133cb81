#include "platform/Random.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

using platform::RandomGenerator;

namespace {

std::vector<float> draw(RandomGenerator& generator, int count) {
    std::vector<float> values;
    for (int i = 0; i < count; ++i)
        values.push_back(generator.next());
    return values;
}

} // namespace

TEST(RandomGenerator, EveryFreshGeneratorGivesTheSameSequence) {
    RandomGenerator first;
    RandomGenerator second;
    EXPECT_EQ(draw(first, 1000), draw(second, 1000));
}

TEST(RandomGenerator, TheSequenceIsFixedAcrossRunsAndPlatforms) {
    // The first values from the fixed initial state, as multiples of 2^-24,
    // recorded once. A change here changes every wiggled film ever shot.
    RandomGenerator generator;
    const std::vector<float> expected = {1387687.0f / 16777216.0f, 4123360.0f / 16777216.0f,
                                         12587261.0f / 16777216.0f, 11362190.0f / 16777216.0f};
    EXPECT_EQ(draw(generator, 4), expected);
}

TEST(RandomGenerator, ValuesAreInTheHalfOpenUnitIntervalAndSpread) {
    RandomGenerator generator;
    double sum = 0.0;
    int buckets[10] = {};
    constexpr int count = 100000;
    for (int i = 0; i < count; ++i) {
        const float value = generator.next();
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
        sum += value;
        ++buckets[static_cast<int>(value * 10.0f)];
    }
    EXPECT_NEAR(sum / count, 0.5, 0.01);
    for (int bucket : buckets)
        EXPECT_NEAR(bucket, count / 10, count / 100);
}

TEST(RandomGenerator, TheProgramGeneratorAdvancesAndIsShared) {
    const float a = platform::programRandom().next();
    const float b = platform::programRandom().next();
    EXPECT_NE(a, b);
}
