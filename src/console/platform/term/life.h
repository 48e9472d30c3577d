// Between the terminal's lifecycle and its output.
#pragma once

int termout();     // the descriptor the picture is written to
void outputopen(); // size and colour depth, once the terminal is ours
// Whether the terminal changed size, or came back from a suspend, since the last call.
bool takeresized();
bool takeresumed();
