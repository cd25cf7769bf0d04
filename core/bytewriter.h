// Little-endian numbers appended to a byte string: the file writers, the
// content generator and the tests build binary files with these.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

inline void putU8(std::string& out, unsigned value)
{
    out.push_back(static_cast<char>(value & 0xFF));
}

inline void putU16(std::string& out, unsigned value)
{
    putU8(out, value);
    putU8(out, value >> 8);
}

inline void putU32(std::string& out, uint32_t value)
{
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

inline void putF32(std::string& out, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putU32(out, bits);
}
