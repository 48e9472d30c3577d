#include "rules/piece.h"
#include "rules/rules.h"
#include "shell/ingamev.h"

void ghostupdate() {
    if (ingamev.active == 0) {
        for (auto& y : ingamev.ghosty)
            y = 255;
        return;
    }
    // The ghost marks the lowest free place straight down; a piece already blocked where it
    // stands has none, and shows its ghost one row above itself.
    const int d = collision(ingamev.piecex, ingamev.piecey)
                      ? -1
                      : falldistance(ingamev.piecex, ingamev.piecey);
    for (int i = 0; i < 4; i++)
        ingamev.ghosty[i] = static_cast<std::uint16_t>(ingamev.piecey[i] - d);
}
