// Settings, their file, and the screens that show and edit them.
#pragma once

#include "console/screen.h"

#include <cstdint>
#include <string>

extern cell pieces[27];
extern unsigned char color[48];
extern std::uint32_t INGAMEDAS;
extern std::uint32_t INGAMEARR;
extern std::uint32_t INGAMESDS;
extern unsigned char ingamekeys[8];
extern std::uint32_t GUIDAS;
extern std::uint32_t GUIARR;
extern unsigned char guikeys[8];

// The 138 bytes of a fresh "savefile".
extern const unsigned char defaultsettings[138];

void initload();
void savesettings();
// Why the player's last change of settings could not be saved; empty when it was (or none was
// made). The game plays on with the change either way, and says so when it ends.
const std::string& settingsunsaved();
// Sends `color` to the display.
void applypalette();

bool guikeyrepeat(int slot);

// The in-game slots whose own key the display cannot see by itself get a stand-in for the run, a
// key that no slot is bound to (C first); 0 where the slot's key is seen.
void findstandins(unsigned char standin[8]);
// A key's name as the game shows it to the player ("left Shift", "Return", "C").
std::string keyname(unsigned char code);
// The menu's bottom line about the stand-ins; empty when every in-game key is seen.
std::string standinnote();
// How the final screen of a game goes back to the menu with the keys bound ("left Shift+Return:
// menu"), at most 34 characters.
std::string waybacktext();

unsigned char menu();
// The rows of the main menu: its screens, then the games.
int menurows();
unsigned char settings();
unsigned char keyboard();
unsigned char guikeyboard();
unsigned char colorpicker();
unsigned char change16colors();
