#include <gtest/gtest.h>

#include <vector>

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
    // Coordinates are unsigned 16-bit words, x in the low one.
    handleWindowMessage({WindowMessageKind::MouseMove, 0, static_cast<intptr_t>(0x00C8FFFF)});
    EXPECT_EQ(std::vector<float>({windowState.mouseX, windowState.mouseY}), std::vector<float>({65535, 200}));
    handleWindowMessage({WindowMessageKind::LeftButtonDown, 0, 0});
    EXPECT_TRUE(windowState.leftButtonDown);
    handleWindowMessage({WindowMessageKind::LeftButtonUp, 0, 0});
    EXPECT_FALSE(windowState.leftButtonDown);
    handleWindowMessage({WindowMessageKind::Activate, 0x00010000, 0});
    EXPECT_FALSE(windowState.windowActive) << "minimised";
    handleWindowMessage({WindowMessageKind::Activate, 0x00000001, 0});
    EXPECT_TRUE(windowState.windowActive);

    WindowMessage message;
    while (peekMessage(message)) {
    }
    handleWindowMessage({WindowMessageKind::Close, 0, 0});
    ASSERT_TRUE(peekMessage(message));
    EXPECT_EQ(message.kind, WindowMessageKind::Quit);
    EXPECT_EQ(message.wParam, 0u);
    EXPECT_FALSE(peekMessage(message));
}

TEST(Probe, Decisions)
{
    const struct {
        const char* extensions;
        const char* version;
        float number;
        bool compressionMissing, fetchMultitexture, multitextureMissing, secondaryColorWarning, mipmap, floats;
    } cases[] = {
        {"GL_ARB_texture_compression GL_ARB_multitexture GL_EXT_secondary_color GL_SGIS_generate_mipmap "
         "GL_ARB_texture_float", "2.1.2 Mesa", 2.1f, false, true, false, false, true, true},
        // Version 1.3 exactly passes without the multitexture extension.
        {"GL_ARB_texture_compression", "1.3", 1.3f, false, true, false, true, false, false},
        {"GL_ARB_texture_compression", "1.2.1", 1.2f, false, false, true, true, false, false},
        // Version 1.4 has secondary colour.
        {"GL_ARB_multitexture", "1.4", 1.4f, true, false, false, false, false, false},
        {"GL_SGIX_generate_mipmap", "1.5", 1.5f, true, false, false, false, true, false},
        {nullptr, nullptr, 0.0f, true, false, false, true, false, false},
    };
    for (const auto& c : cases) {
        const ProbeDecision d = decideGlCapabilities(c.extensions, c.version);
        SCOPED_TRACE(c.version ? c.version : "none");
        EXPECT_FLOAT_EQ(d.version, c.number);
        EXPECT_EQ(d.compressionMissing, c.compressionMissing);
        EXPECT_EQ(d.fetchMultitexture, c.fetchMultitexture);
        EXPECT_EQ(d.multitextureMissing, c.multitextureMissing);
        EXPECT_EQ(d.secondaryColorWarning, c.secondaryColorWarning);
        EXPECT_EQ(d.generateMipmap, c.mipmap);
        EXPECT_EQ(d.floatTextures, c.floats);
    }
}

TEST(Probe, SoftwareRasterizersFilterTrilinearlyUnlessConfigured)
{
    const char* const llvmpipe = "llvmpipe (LLVM 15.0.6, 256 bits)";
    const char* const zink = "zink Vulkan 1.3(llvmpipe (LLVM 15.0.6, 256 bits) (MESA_LLVMPIPE))";
    const char* const hardware = "NVIDIA GeForce GTX 1060/PCIe/SSE2";
    const struct {
        const char* renderer;
        int configured;  // -1: no key in the file
        float largest;   // the driver's largest anisotropy, 1 without the extension
        float expected;
    } cases[] = {
        {llvmpipe, -1, 16, 1},  {"softpipe", -1, 16, 1}, {zink, -1, 16, 1}, {"GDI Generic", -1, 2, 1},
        {hardware, -1, 16, 16}, {nullptr, -1, 16, 16},   {hardware, -1, 1, 1},
        {llvmpipe, 8, 16, 8},   {llvmpipe, 64, 16, 16},  {hardware, 2, 16, 2},
        {hardware, 1, 16, 1},   {hardware, 0, 16, 1},    {llvmpipe, 4, 1, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decideTextureAnisotropy(c.renderer, c.configured, c.largest), c.expected)
            << (c.renderer ? c.renderer : "no renderer") << ", configured " << c.configured;
}
