// The bilingual texts of the story and credits screens, single bytes in the
// Windows-1250 code page.
#pragma once

constexpr int introLineCount = 14;  // per language
constexpr int endingLineCount = 7;  // per language

extern const char* const introCzech[introLineCount];
extern const char* const introEnglish[introLineCount];
extern const char* const introPrompt;
extern const char* const endingCzech[endingLineCount];
extern const char* const endingEnglish[endingLineCount];
extern const char* const endingPrompt;

// One line of the credits at its place: x, and y below the top of the window.
struct CreditLine {
    bool centred;  // x is windowWidth / 2 plus the offset
    int x;
    int yFromTop;
    const char* text;
};

constexpr int creditLineCount = 10;
extern const CreditLine creditLines[creditLineCount];
