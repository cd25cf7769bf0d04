// A bounds-checked little-endian reader over bytes in memory. Reading past the
// end never touches memory outside the block: it gives zeros and sets a sticky
// failure flag, so a loader can check once per chunk or row instead of after
// every field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

    size_t size() const { return size_; }
    size_t position() const { return position_; }
    size_t remaining() const { return size_ - position_; }
    // True when any read or seek so far went past the end.
    bool failed() const { return failed_; }

    uint8_t u8()
    {
        uint8_t value = 0;
        read(&value, 1);
        return value;
    }

    uint16_t u16()
    {
        uint8_t b[2] = {};
        read(b, 2);
        return static_cast<uint16_t>(b[0] | (b[1] << 8));
    }

    uint32_t u32()
    {
        uint8_t b[4] = {};
        read(b, 4);
        return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
               (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    }

    int32_t i32() { return static_cast<int32_t>(u32()); }

    float f32()
    {
        const uint32_t bits = u32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // Copies count bytes; when fewer remain, copies those, zero-fills the rest
    // of the destination, fails and returns false.
    bool read(void* destination, size_t count)
    {
        const size_t available = count <= remaining() ? count : remaining();
        if (available > 0)
            std::memcpy(destination, data_ + position_, available);
        position_ += available;
        if (available < count) {
            std::memset(static_cast<uint8_t*>(destination) + available, 0, count - available);
            failed_ = true;
            return false;
        }
        return true;
    }

    // Moves forward; stops at the end (and fails) when fewer bytes remain.
    bool skip(size_t count)
    {
        if (count > remaining()) {
            position_ = size_;
            failed_ = true;
            return false;
        }
        position_ += count;
        return true;
    }

    // Moves to an absolute offset; an offset past the end goes to the end and fails.
    bool seek(size_t offset)
    {
        if (offset > size_) {
            position_ = size_;
            failed_ = true;
            return false;
        }
        position_ = offset;
        return true;
    }

    // The bytes from the current position on (valid for remaining() bytes).
    const uint8_t* current() const { return data_ + position_; }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
    bool failed_ = false;
};

// Reads a whole file into bytes; false when it does not open for reading
// ("rb"). A file that opens but cannot be read gives the bytes read so far.
inline bool readFileBytes(const char* fileName, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    if (!fileName)
        return false;
    FILE* file = std::fopen(fileName, "rb");
    if (!file)
        return false;
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return true;
}
