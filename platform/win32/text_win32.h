// Text for the wide Windows functions.
#pragma once

#include <string>

// Windows-1250 bytes as UTF-16, whatever the system's own code page.
std::wstring wideFromWindows1250(const std::string& text);
