// A pane of a private tmux server, for tests that read back what a real terminal shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One cell as tmux holds it: its text and its colours (-1: the terminal's default; 24-bit as
// 0xRRGGBB, or 0x1000000 + index for the 256-colour palette).
struct vtcell {
    std::string text;
    long fg = -1, bg = -1;
};

bool tmuxthere();
// Runs `tmux -L <own socket> args` and returns its standard output.
std::string tmux(const std::string& args);
// A fresh server named after this process, and its end.
void tmuxstart(const std::string& session, int cols, int rows, const std::string& command);
void tmuxstop();
// The screen of the session's pane as cells, rows by columns.
std::vector<std::vector<vtcell>> tmuxcells(const std::string& session);
// A fresh folder of its own for a test's files.
std::string scratchdir();
