// The game's text files (configuration, map, materials) are read line by line
// into a 255-byte buffer, as fgets does: a piece ends after a newline or when
// 254 characters are stored, so a longer line arrives in pieces, each handled
// as a line of its own. A zero byte inside a piece ends it for the string
// functions that look at it.
#pragma once

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
