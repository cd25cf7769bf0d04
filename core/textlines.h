// The game's text files (configuration, map, materials) are read line by line
// into a 255-byte buffer, as fgets does: a piece ends after a newline or when
// 254 characters are stored, so a longer line arrives in pieces, each handled
// as a line of its own. A zero byte inside a piece ends it for the string
// functions that look at it.
#pragma once

#include <cstdio>
#include <string>

constexpr int textLineBufferSize = 255;

// Calls handle(const char* line) for every piece of text in file order.
template <typename Handler>
void forEachTextLine(const std::string& text, Handler handle)
{
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && end - pos < textLineBufferSize - 1) {
            if (text[end++] == '\n')
                break;
        }
        const std::string piece = text.substr(pos, end - pos);
        handle(piece.c_str());
        pos = end;
    }
}

// Outcome of reading a text file with readTextFileBounded.
enum class TextFileStatus {
    Read,        // the whole file is in the text
    Unreadable,  // it does not open, is a folder or a read failed; text empty
    CutOff,      // larger than the limit (or a device that never ends): the text holds the first limit bytes
};

// Reads at most limit bytes of the file in text mode. Never reads more, so a
// huge file or an endless device costs no more than the limit.
inline TextFileStatus readTextFileBounded(const char* path, size_t limit, std::string& text)
{
    text.clear();
    FILE* file = path ? std::fopen(path, "rt") : nullptr;
    if (!file)
        return TextFileStatus::Unreadable;
    char buffer[4096];
    bool more = false;
    for (;;) {
        const size_t room = limit - text.size();
        const size_t want = room < sizeof buffer ? room + 1 : sizeof buffer;
        const size_t got = std::fread(buffer, 1, want, file);
        if (got == 0)
            break;
        if (got > room) {
            text.append(buffer, room);
            more = true;
            break;
        }
        text.append(buffer, got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        text.clear();
        return TextFileStatus::Unreadable;
    }
    return more ? TextFileStatus::CutOff : TextFileStatus::Read;
}
