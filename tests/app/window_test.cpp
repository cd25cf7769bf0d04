#include <gtest/gtest.h>

#include "app/probe.h"
#include "app/window.h"

TEST(FrameCounter, ReportsOncePerSecondAndRestartsAtOne)
{
    FrameCounter counter;
    EXPECT_TRUE(countFrame(counter, 100.0f)) << "the very first frame reports";
    EXPECT_FLOAT_EQ(counter.lastReport, 1.0f);
    for (int i = 1; i <= 59; ++i)
        EXPECT_FALSE(countFrame(counter, 100.0f + i / 60.0f));
    EXPECT_FALSE(countFrame(counter, 101.0f)) << "exactly one second is not more than one";
    EXPECT_TRUE(countFrame(counter, 101.01f));
    EXPECT_FLOAT_EQ(counter.lastReport, 62.0f) << "61 frames of the interval plus the restart value 1";
    EXPECT_FLOAT_EQ(counter.frameCount, 1.0f);
    // A clock that starts near 0 (or wraps to it) reports the first frame too.
    FrameCounter early;
    EXPECT_TRUE(countFrame(early, 0.02f));
    EXPECT_FLOAT_EQ(early.lastReport, 1.0f);
}

TEST(WindowMessages, MouseActivationAndClose)
{
    windowState = WindowState{};
    handleWindowMessage({WindowMessageKind::MouseMove, 0, static_cast<intptr_t>(0x00C80064)});
    EXPECT_FLOAT_EQ(windowState.mouseX, 100.0f);
    EXPECT_FLOAT_EQ(windowState.mouseY, 200.0f);
    // Coordinates are unsigned 16-bit words.
    handleWindowMessage({WindowMessageKind::MouseMove, 0, static_cast<intptr_t>(0x0001FFFF)});
    EXPECT_FLOAT_EQ(windowState.mouseX, 65535.0f);
    EXPECT_FLOAT_EQ(windowState.mouseY, 1.0f);

    handleWindowMessage({WindowMessageKind::LeftButtonDown, 0, 0});
    EXPECT_TRUE(windowState.leftButtonDown);
    handleWindowMessage({WindowMessageKind::LeftButtonUp, 0, 0});
    EXPECT_FALSE(windowState.leftButtonDown);

    handleWindowMessage({WindowMessageKind::Activate, 0x00010000, 0});
    EXPECT_FALSE(windowState.windowActive) << "minimised";
    handleWindowMessage({WindowMessageKind::Activate, 0x00000001, 0});
    EXPECT_TRUE(windowState.windowActive);

    WindowMessage drained;
    while (peekMessage(drained)) {
    }
    handleWindowMessage({WindowMessageKind::Close, 0, 0});
    WindowMessage quit;
    ASSERT_TRUE(peekMessage(quit));
    EXPECT_EQ(quit.kind, WindowMessageKind::Quit);
    EXPECT_EQ(quit.wParam, 0u);
    EXPECT_FALSE(peekMessage(quit));
}

TEST(Probe, Decisions)
{
    const char* full = "GL_ARB_texture_compression GL_ARB_multitexture GL_EXT_secondary_color "
                       "GL_SGIS_generate_mipmap GL_ARB_texture_float";
    ProbeDecision d = decideGlCapabilities(full, "2.1.2 Mesa");
    EXPECT_FLOAT_EQ(d.version, 2.1f);
    EXPECT_FALSE(d.compressionMissing);
    EXPECT_TRUE(d.fetchMultitexture);
    EXPECT_FALSE(d.multitextureMissing);
    EXPECT_FALSE(d.secondaryColorWarning);
    EXPECT_TRUE(d.generateMipmap);
    EXPECT_TRUE(d.floatTextures);

    // Version 1.3 exactly passes without the multitexture extension.
    d = decideGlCapabilities("GL_ARB_texture_compression", "1.3");
    EXPECT_TRUE(d.fetchMultitexture);
    EXPECT_FALSE(d.multitextureMissing);
    EXPECT_TRUE(d.secondaryColorWarning);
    EXPECT_FALSE(d.floatTextures);

    d = decideGlCapabilities("GL_ARB_texture_compression", "1.2.1");
    EXPECT_TRUE(d.multitextureMissing);
    EXPECT_FALSE(d.fetchMultitexture);

    d = decideGlCapabilities("GL_ARB_multitexture", "1.4");
    EXPECT_TRUE(d.compressionMissing);
    EXPECT_FALSE(d.fetchMultitexture);
    EXPECT_FALSE(d.secondaryColorWarning) << "version 1.4 has secondary colour";

    d = decideGlCapabilities("GL_SGIX_generate_mipmap", "1.5");
    EXPECT_TRUE(d.generateMipmap);

    d = decideGlCapabilities(nullptr, nullptr);
    EXPECT_FLOAT_EQ(d.version, 0.0f);
    EXPECT_TRUE(d.compressionMissing);
}
