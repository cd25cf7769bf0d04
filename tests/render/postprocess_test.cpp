#include <gtest/gtest.h>

#include <cmath>

#include "render/postprocess.h"

TEST(Exposure, TargetAndStepsTowardsIt)
{
    struct Case {
        float r, g, b, target;
        int frames;  // to settle from 1.0
    } cases[] = {
        {0, 0, 0, 1.5f, 100}, {1, 1, 1, 0.5f, 100}, {1, 0, 0, 1.2f, 40},
        {0, 1, 0, 1.0f, 0},   {0, 0, 1, 1.3f, 60},  {2, 2, 2, -0.5f, 300},  // no lower limit
    };
    for (const Case& c : cases) {
        const float target = exposureTarget(c.r, c.g, c.b);
        EXPECT_FLOAT_EQ(target, c.target) << c.r << " " << c.g << " " << c.b;
        float exposure = 1.0f;
        int frames = 0;
        for (float next; frames < 10000 && (next = stepExposure(exposure, target)) != exposure; ++frames)
            exposure = next;
        EXPECT_NEAR(frames, c.frames, 1) << "target " << c.target;
        EXPECT_LE(std::fabs(exposure - target), 0.005f);
    }
    // One step of 0.005 at most, none within a step or for an unreadable sample.
    EXPECT_FLOAT_EQ(stepExposure(1.0f, 1.006f), 1.005f);
    EXPECT_FLOAT_EQ(stepExposure(1.0f, 0.994f), 0.995f);
    EXPECT_EQ(stepExposure(1.0f, 1.004f), 1.0f);
    EXPECT_EQ(stepExposure(1.0f, 0.996f), 1.0f);
    EXPECT_EQ(stepExposure(1.0f, std::nanf("")), 1.0f);
    EXPECT_EQ(PostProcessing().currentExposure, 1.0f);
}
