#include "rules/piece.h"
#include "rules/rules.h"
#include "shell/ingamev.h"

namespace {

// Tries the piece moved by (dx, dy) as a whole; on success the cells and the reference point take
// the new place. A blocked try leaves everything as it was.
bool shift(int dx, int dy) {
    unsigned short x[4], y[4];
    for (int i = 0; i < 4; i++) {
        x[i] = static_cast<unsigned short>(ingamev.piecex[i] + dx);
        y[i] = static_cast<unsigned short>(ingamev.piecey[i] + dy);
    }
    if (collision(x, y))
        return true;
    for (int i = 0; i < 4; i++) {
        ingamev.piecex[i] = x[i];
        ingamev.piecey[i] = y[i];
    }
    ingamev.pivotx = static_cast<unsigned short>(ingamev.pivotx + dx);
    ingamev.pivoty = static_cast<unsigned short>(ingamev.pivoty + dy);
    return false;
}

bool step(int dx, int dy) {
    if (shift(dx, dy))
        return true;
    lockdelayreset(true);
    ingamev.lastrotate = 0;
    return false;
}

} // namespace

// Columns grow to the left.
bool left() {
    onground();
    return step(1, 0);
}

bool right() {
    onground();
    return step(-1, 0);
}

bool drop(bool skip) {
    ingamev.onground = 0;
    if (skip)
        return true;
    if (step(0, -1)) {
        ingamev.onground = 1;
        return true;
    }
    return false;
}

void harddrop() {
    // A piece dealt onto occupied cells has no free position to fall from: it stays put and
    // earns nothing, rather than being pushed through the blocks below it.
    if (collision(ingamev.piecex, ingamev.piecey))
        return;
    const int n = falldistance(ingamev.piecex, ingamev.piecey);
    for (auto& y : ingamev.piecey)
        y = static_cast<std::uint16_t>(y - n);
    ingamev.pivoty = static_cast<std::uint16_t>(ingamev.pivoty - n);
    ingamev.score += 2u * static_cast<unsigned>(n);
    if (n >= 1) {
        lockdelayreset(true);
        ingamev.lastrotate = 0;
    }
}
