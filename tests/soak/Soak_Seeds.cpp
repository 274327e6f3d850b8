#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/soak/Soak.h"

namespace
{
// A seed's game for a fixed number of frames: the same game on every run.
void ExpectSoundPlay(uint32_t seed, int64_t frames)
{
    CSoak soak(seed);
    EXPECT_EQ(soak.Play(frames), "");
}

int64_t EnvironmentNumber(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoll(value) : 0;
}
}  // namespace

TEST(Soak, FixedSeedOne) { ExpectSoundPlay(1, 1500); }
TEST(Soak, FixedSeedTwo) { ExpectSoundPlay(2, 1500); }
TEST(Soak, FixedSeedThree) { ExpectSoundPlay(3, 1500); }

// V2KRN_SOAK_SEED plays that seed for V2KRN_SOAK_FRAMES frames or V2KRN_SOAK_SECONDS seconds, and prints what
// it played.
TEST(Soak, FromEnvironment)
{
    if (std::getenv("V2KRN_SOAK_SEED") == nullptr)
        GTEST_SKIP() << "V2KRN_SOAK_SEED is not set";
    CSoak soak(uint32_t(EnvironmentNumber("V2KRN_SOAK_SEED")));
    EXPECT_EQ(soak.Play(EnvironmentNumber("V2KRN_SOAK_FRAMES"), double(EnvironmentNumber("V2KRN_SOAK_SECONDS"))), "");
    const SSoakFigures& figures = soak.Figures();
    std::printf("frames %lld checks %lld round trips %lld\n", (long long)figures.frames, (long long)figures.checks,
                (long long)figures.roundTrips);
    for (const auto& [kind, count] : figures.orders)
        std::printf("order %s %lld\n", kind.c_str(), (long long)count);
    for (const auto& [what, count] : figures.held)
        std::printf("held %s %lld\n", what.c_str(), (long long)count);
}
