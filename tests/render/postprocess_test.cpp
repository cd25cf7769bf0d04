#include <gtest/gtest.h>

#include <cmath>

#include "render/postprocess.h"

namespace {

// Steps from start towards target until the exposure stops moving; returns
// the number of frames that changed it.
int framesToSettle(float& exposure, float target)
{
    int frames = 0;
    for (int i = 0; i < 10000; ++i) {
        const float next = stepExposure(exposure, target);
        if (next == exposure)
            break;
        exposure = next;
        ++frames;
    }
    return frames;
}

}  // namespace

TEST(Exposure, TargetIsOneAndAHalfMinusWeightedBrightness)
{
    EXPECT_FLOAT_EQ(exposureTarget(0, 0, 0), 1.5f);
    EXPECT_FLOAT_EQ(exposureTarget(1, 1, 1), 0.5f);
    EXPECT_FLOAT_EQ(exposureTarget(1, 0, 0), 1.2f);
    EXPECT_FLOAT_EQ(exposureTarget(0, 1, 0), 1.0f);
    EXPECT_FLOAT_EQ(exposureTarget(0, 0, 1), 1.3f);
}

TEST(Exposure, BlackSceneRisesToOneAndAHalfInAboutAHundredFrames)
{
    float exposure = 1.0f;
    EXPECT_FLOAT_EQ(stepExposure(exposure, 1.5f), 1.005f);
    const int frames = framesToSettle(exposure, exposureTarget(0, 0, 0));
    EXPECT_GE(frames, 99);
    EXPECT_LE(frames, 101);
    EXPECT_LE(std::fabs(exposure - 1.5f), 0.005f);
}

TEST(Exposure, WhiteSceneFallsToOneHalfInAboutAHundredFrames)
{
    float exposure = 1.0f;
    EXPECT_FLOAT_EQ(stepExposure(exposure, 0.5f), 0.995f);
    const int frames = framesToSettle(exposure, exposureTarget(1, 1, 1));
    EXPECT_GE(frames, 99);
    EXPECT_LE(frames, 101);
    EXPECT_LE(std::fabs(exposure - 0.5f), 0.005f);
}

TEST(Exposure, NoChangeWithinTheStep)
{
    EXPECT_EQ(stepExposure(1.0f, 1.004f), 1.0f);
    EXPECT_EQ(stepExposure(1.0f, 0.996f), 1.0f);
    EXPECT_EQ(stepExposure(1.0f, 1.0f), 1.0f);
    EXPECT_EQ(stepExposure(1.0f, std::nanf("")), 1.0f) << "an unreadable sample changes nothing";
    EXPECT_FLOAT_EQ(stepExposure(1.0f, 1.006f), 1.005f);
    EXPECT_FLOAT_EQ(stepExposure(1.0f, 0.994f), 0.995f);
}

TEST(Exposure, FollowsANegativeTargetWithoutLimit)
{
    const float target = exposureTarget(2, 2, 2);
    EXPECT_FLOAT_EQ(target, -0.5f);
    float exposure = 1.0f;
    const int frames = framesToSettle(exposure, target);
    EXPECT_GE(frames, 299);
    EXPECT_LE(frames, 301);
    EXPECT_LT(exposure, -0.49f);
}

TEST(Exposure, StartsAtOne)
{
    PostProcessing fresh;
    EXPECT_EQ(fresh.currentExposure, 1.0f);
    EXPECT_FALSE(fresh.postProcessingEnabled);
    EXPECT_EQ(postProcessing.currentExposure, 1.0f);
}
