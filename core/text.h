// Small searches over zero-terminated text that every layer makes.
#pragma once

#include <cstring>

// Plain substring search; a missing text contains nothing.
inline bool contains(const char* text, const char* part)
{
    return text && part && std::strstr(text, part) != nullptr;
}

// Whole-word search of a blank-separated list (extension strings): a hit
// counts only when it starts the list or follows a blank, and ends the list
// or is followed by a blank.
inline bool extensionListed(const char* list, const char* name)
{
    if (!list || !name || !*name)
        return false;
    const size_t length = std::strlen(name);
    const char* start = list;
    while (const char* hit = std::strstr(start, name)) {
        const bool startsWord = hit == list || hit[-1] == ' ';
        const bool endsWord = hit[length] == '\0' || hit[length] == ' ';
        if (startsWord && endsWord)
            return true;
        start = hit + 1;
    }
    return false;
}
