#include "console/draw.h"
#include "console/screen.h"
#include "console/sound.h"
#include "shell/ingamev.h"
#include "shell/shell.h"

namespace {

// Only the character bytes change: the end text takes the colours already in the bottom row.
void endtext(const char* text, int column) {
    for (int i = 0; text[i]; i++)
        screen[24 * screencols + column + i].ch = static_cast<unsigned char>(text[i]);
}

} // namespace

void gameover() {
    draw();
    playsound("gameover.wav");
    ingamev.over = 1;
    endtext("GAME OVER!", 35);
}

void win() {
    draw();
    playsound("excellent.wav");
    ingamev.over = 1;
    endtext("YOU WIN!", 36);
}
