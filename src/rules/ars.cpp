#include "console/sound.h"
#include "rules/piece.h"
#include "rules/rules.h"
#include "shell/ingamev.h"

namespace {

// Per piece and rotation: where the piece is moved before turning about cell 0, and moved back
// from after, so that each piece turns within its box and T, L and J keep their rows.
constexpr std::int8_t boxoffsets[7][4][2] = {
    {{0, 1}, {-1, 0}, {0, 0}, {0, 0}}, // S
    {{0, 1}, {0, 0}, {0, 0}, {1, 0}},  // Z
    {{0, 0}, {1, 0}, {1, 1}, {0, 1}},  // O
    {{0, 1}, {1, 0}, {1, 1}, {1, 1}},  // I
    {{0, 1}, {0, 0}, {0, 0}, {0, 0}},  // L
    {{0, 1}, {0, 0}, {0, 0}, {0, 0}},  // J
    {{0, 1}, {0, 0}, {0, 0}, {0, 0}},  // T
};

// In place, one column right, one column left, one row up, and two columns right for an I that
// turns flat.
constexpr std::int8_t kicks[5][2] = {{0, 0}, {-1, 0}, {1, 0}, {0, 1}, {-2, 0}};

} // namespace

void rotateARS(bool clockwise) {
    onground();
    const std::uint8_t p = ingamev.current;
    const std::uint8_t r = ingamev.rotation;
    const std::uint8_t next = static_cast<std::uint8_t>((r + (clockwise ? 1 : 3)) % 4);
    std::uint16_t x[4], y[4];
    for (int i = 0; i < 4; i++) {
        x[i] = static_cast<std::uint16_t>(ingamev.piecex[i] + boxoffsets[p][r][0]);
        y[i] = static_cast<std::uint16_t>(ingamev.piecey[i] + boxoffsets[p][r][1]);
    }
    turncells(x, y, clockwise);
    ingamev.rotation = next;
    for (int i = 0; i < 4; i++) {
        x[i] = static_cast<std::uint16_t>(x[i] - boxoffsets[p][next][0]);
        y[i] = static_cast<std::uint16_t>(y[i] - boxoffsets[p][next][1]);
    }

    const int tests = (p == 3 && next % 2 == 0) ? 5 : 4;
    for (int t = 0; t < tests; t++) {
        if (!trykick(x, y, kicks[t][0], kicks[t][1]))
            continue;
        ingamev.pivotx = static_cast<std::uint16_t>(ingamev.pivotx + kicks[t][0]);
        ingamev.pivoty = static_cast<std::uint16_t>(ingamev.pivoty + kicks[t][1]);
        return;
    }
    playsound("rotfail.wav");
    ingamev.rotation = r;
}
