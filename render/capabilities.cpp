#include "render/capabilities.h"

MultitextureEntryPoints multitexture;
GlCapabilities glCaps;

const char* glExtensionString()
{
    return reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
}
