// Personal bests, one per game of the menu, in the "records" file beside the settings; and the
// lines the program has for the player when it ends.
#pragma once

#include "shell/replay.h"

#include <cstdint>
#include <string>
#include <vector>

// The game of the menu as a word for file names ("dropple2", "dropple5death").
std::string gameslug(std::uint8_t mode);
// A game has ended and its replay is kept under `replay`: when it beats the record of its game it
// becomes the record, and the player hears of it when the program ends.
void noterecord(std::uint8_t mode, const gameresult& end, std::int64_t date,
                const std::string& replay);
// The replays that hold a record (and so are kept).
std::vector<std::string> recordreplays();
// Prints the table of records; returns the program's status.
int printrecords();

// A line for the player when the program ends; the same line is said once, wrapped at the spaces
// to the 80 columns of the smallest terminal the game plays in.
void notice(const std::string& line);
void printnotices();
std::string wrapped(const std::string& line, std::size_t width);
