// Whether the terminal can show the game at all, asked before anything is written to it.
#pragma once

#include <cstddef>
#include <string>

// Whether a compiled terminfo entry (the file's bytes) can move the cursor to any cell.
bool entrymovescursor(const unsigned char* data, std::size_t n);
// Why the terminal that `term` (the value of TERM) names cannot show the game, in a few words;
// empty when it can, or when this machine has no entry for it and so cannot tell.
std::string undrawable(const char* term);
