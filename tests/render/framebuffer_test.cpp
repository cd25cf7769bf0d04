#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "render/framebuffer.h"

namespace {

// exit(-1) as the parent sees it: 255 on POSIX, the full value on Windows.
#ifdef _WIN32
constexpr int exitMinusOne = -1;
#else
constexpr int exitMinusOne = 255;
#endif

// Inside a death test the boxes can only be seen on standard error.
void reportBoxesOnStandardError()
{
    setMessageBoxResponder([](const MessageBoxRequest& box) {
        std::fprintf(stderr, "box text=[%s] caption=[%s] type=%u owner=%d\n", box.text.c_str(),
                     box.caption.c_str(), box.type, static_cast<int>(box.owner));
        return static_cast<int>(IDOK);
    });
}

void APIENTRY anyEntryPoint() {}

void* everyName(const char*)
{
    return reinterpret_cast<void*>(anyEntryPoint);
}

void* allButMipmaps(const char* name)
{
    return std::string(name) == "glGenerateMipmapEXT" ? nullptr : everyName(name);
}

}  // namespace

TEST(FramebufferSupportDeathTest, MissingExtensionOrEntryPointEndsTheProcess)
{
    const std::string missing = "box text=\\[EXT_framebuffer_object extension was not found\\] caption=\\[ERROR\\] "
                                "type=48 owner=0";
    EXPECT_EXIT((reportBoxesOnStandardError(), requireFramebufferSupport("GL_ARB_framebuffer_object GL_EXT_foo", everyName)),
                ::testing::ExitedWithCode(exitMinusOne), missing);
    EXPECT_EXIT((reportBoxesOnStandardError(), requireFramebufferSupport(nullptr, everyName)),
                ::testing::ExitedWithCode(exitMinusOne), missing);
    EXPECT_EXIT((reportBoxesOnStandardError(), requireFramebufferSupport("GL_EXT_framebuffer_object", allButMipmaps)),
                ::testing::ExitedWithCode(exitMinusOne),
                "box text=\\[One or more EXT_framebuffer_object functions were not found\\] "
                "caption=\\[ERROR\\] type=48 owner=0");
}
