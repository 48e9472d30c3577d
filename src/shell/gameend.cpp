#include "console/draw.h"
#include "console/screen.h"
#include "console/sound.h"
#include "frontend/frontend.h"
#include "shell/ingamev.h"
#include "shell/shell.h"

namespace {

// Only the character bytes change: the end text takes the colours already in the bottom row.
void endtext(const char* text, int column) {
    for (int i = 0; text[i]; i++)
        screen[24 * screencols + column + i].ch = static_cast<unsigned char>(text[i]);
}

// Left of the end text, which starts at column 35 at the earliest: how to leave for the menu.
void wayback() {
    endtext(waybacktext().substr(0, 34).c_str(), 0);
}

} // namespace

void gameover() {
    draw();
    playsound("gameover.wav");
    ingamev.over = 1;
    endtext("GAME OVER!", 35);
    wayback();
}

void win() {
    draw();
    playsound("excellent.wav");
    ingamev.over = 1;
    endtext("YOU WIN!", 36);
    wayback();
}
