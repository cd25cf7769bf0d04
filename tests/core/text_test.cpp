#include <gtest/gtest.h>

#include "core/text.h"

TEST(Extensions, WholeWordSearch)
{
    const char* list = "WGL_ARB_multisample_extra WGL_EXT_x WGL_ARB_multisample";
    EXPECT_TRUE(extensionListed(list, "WGL_ARB_multisample"));
    EXPECT_FALSE(extensionListed("WGL_ARB_multisample_extra WGL_EXT_x", "WGL_ARB_multisample"));
    EXPECT_FALSE(extensionListed("XWGL_ARB_multisample", "WGL_ARB_multisample"));
    EXPECT_TRUE(extensionListed("WGL_ARB_multisample", "WGL_ARB_multisample"));
    EXPECT_FALSE(extensionListed(nullptr, "WGL_ARB_multisample"));
    EXPECT_FALSE(extensionListed("", "WGL_ARB_multisample"));
}
