#include "ui/texts.h"

// Czech is spelled without diacritics, except the letter e with acute (0xE9).
const char* const introCzech[introLineCount] = {
    "Byl jednou jeden obycejny clovek, ktery zil obycejny zivot.",
    "Jednoho dne se prochazel lesem a najednou se pod nim propadla zem.",
    "Padal dlouho do tmy, az pristal v podzemni jeskyni plne podivnych veci:",
    "stoly, zidle, bedny, krapniky a pochodne, ktere nekdo zapalil.",
    "Na zemi lezela lahev s napisem GORVIKOVKA. Mel zizen, a tak se napil.",
    "V tu chvili se s nim neco stalo: uz nebyl obycejny, byl neobycejny!",
    "Pochopil, jak smutny je svet, ve kterem jsou vsichni lid\xE9 obycejni.",
    "Rozhodl se, ze posbira tolik Gorvikovky, kolik jen unese,",
    "aby ji mohl dat vsem lidem a zachranit je pred obycejnosti.",
    "Jeskyne je ale nebezpecna: ohne pali a hromady bodaku zranuji.",
    "Kazda lahev mu vrati trochu sil, ktere v jeskyni ztratil.",
    "Kdyz o vsechny sily prijde, probudi se znovu tam, kde zacal.",
    "Najdi vsechny lahve a vyved ho ven.",
    "Ted je to na tobe: jdi a posbirej vsechnu Gorvikovku!",
};

const char* const introEnglish[introLineCount] = {
    "Once upon a time there was an ordinary man who lived an ordinary life.",
    "One day, walking through the woods, the ground gave way beneath him.",
    "He fell a long way into the dark and landed in a cave full of strange things:",
    "tables, chairs, crates, stalactites and torches that someone had lit.",
    "On the ground lay a bottle labelled GORVIKOVKA. He was thirsty, so he drank.",
    "At that moment something happened: he was no longer ordinary, he was extraordinary!",
    "He understood how sad a world is where all people are ordinary.",
    "He resolved to collect as much Gorvikovka as he could carry,",
    "to give it to everyone and save them all from ordinariness.",
    "But the cave is dangerous: fires burn and piles of spikes wound.",
    "Every bottle gives back some of the strength lost in the cave.",
    "Should he lose all his strength, he wakes up again where he began.",
    "Find every bottle and lead him out.",
    "Now it is up to you: go and collect all the Gorvikovka!",
};

const char* const introPrompt = "Stiskni Enter abys hral, Press Enter to play";

const char* const endingCzech[endingLineCount] = {
    "S poslednimi lahvemi v naruci nasel nas hrdina cestu ven z jeskyne.",
    "Cesta domu byla dlouha a Gorvikovka tak lakava...",
    "Napil se jednou, podruh\xE9, a pak uz nepocital.",
    "Kousek pred domem zakopl a vsechny lahve se rozbily o kameny.",
    "Sedl si na zem a chtel plakat, ale v tu chvili zazvonil budik.",
    "Otevrel oci. Lezel ve sve posteli. Vsechno to byl jen sen.",
    "A byl zase obycejny clovek. Nebo ne?",
};

const char* const endingEnglish[endingLineCount] = {
    "With the last bottles in his arms our hero found his way out of the cave.",
    "The way home was long and the Gorvikovka so tempting...",
    "He took a sip, then another, and then he stopped counting.",
    "Just before home he stumbled and every bottle broke on the stones.",
    "He sat down and wanted to cry, but at that moment the alarm clock rang.",
    "He opened his eyes. He was lying in his own bed. It had all been a dream.",
    "And he was an ordinary man again. Or was he?",
};

const char* const endingPrompt =
    "Stiskni Enter abys pokracoval do dalsiho okna, Press Enter to proceed to next window";

const CreditLine creditLines[creditLineCount] = {
    {true, -30, 30, "AUTHORS (Autori)"},
    {false, 50, 60, "PROGRAMMING & GRAPHICS (Programovani & Grafika)"},
    {false, 100, 80, "The Plemox Fluid Engine team (Tym Plemox Fluid Engine)"},
    {false, 50, 110, "MUSIC (Hudba)"},
    {false, 75, 130, "Use audio library FMOD (Pouziva Audio Knihovnu FMOD)"},
    {false, 100, 150, "CREATED BY (Vytvoril)"},
    {false, 150, 170, "Our own synthesiser, encoded with LAME (Vlastni syntezator)"},
    {false, 150, 190, "Played by the system's own audio (Prehrava system)"},
    {false, 50, 230, "COOPERATED (Spolupracovali)"},
    {false, 150, 250, "Mesa, libjpeg, FreeType, LAME, GoogleTest, mingw-w64"},
};
