// Shared by the fuzz targets: loaders report through message boxes, which
// must never open a dialog here.
#pragma once

#include "platform/platform.h"

// Answers every box with OK without showing it.
inline void installSilentMessageBoxes()
{
    setMessageBoxResponder([](const MessageBoxRequest&) { return static_cast<int>(IDOK); });
}
