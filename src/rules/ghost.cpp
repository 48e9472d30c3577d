#include "rules/rules.h"
#include "shell/ingamev.h"

void ghostupdate() {
    if (ingamev.active == 0) {
        for (auto& y : ingamev.ghosty)
            y = 255;
        return;
    }
    unsigned short y[4];
    for (int i = 0; i < 4; i++)
        y[i] = ingamev.piecey[i];
    // Sink until the first blocked place; the ghost sits one row above it. A piece that is already
    // blocked where it stands therefore shows its ghost one row above itself.
    while (!collision(ingamev.piecex, y)) {
        for (auto& r : y)
            r = static_cast<unsigned short>(r - 1);
    }
    for (int i = 0; i < 4; i++)
        ingamev.ghosty[i] = static_cast<unsigned short>(y[i] + 1);
}
