#include "console/sound.h"
#include "rules/piece.h"
#include "rules/rules.h"
#include "shell/ingamev.h"

namespace {

void rotateSRS(bool clockwise) {
    onground();
    const std::uint8_t r = ingamev.rotation;
    const std::uint8_t next = static_cast<std::uint8_t>((r + (clockwise ? 1 : 3)) % 4);
    std::uint16_t x[4], y[4];
    for (int i = 0; i < 4; i++) {
        x[i] = ingamev.piecex[i];
        y[i] = ingamev.piecey[i];
    }
    turncells(x, y, clockwise);
    ingamev.rotation = next;

    const std::int8_t(*table)[4][2] = ingamev.jlstzoffsets;
    int tests = 5;
    if (ingamev.current == 2) {
        table = ingamev.ooffsets;
        tests = 1;
    } else if (ingamev.current == 3) {
        table = ingamev.ioffsets;
    }

    for (int t = 0; t < tests; t++) {
        const int kx = table[t][next][0] - table[t][r][0];
        const int ky = table[t][next][1] - table[t][r][1];
        if (!trykick(x, y, kx, ky))
            continue;
        ingamev.pivotx = ingamev.piecex[0];
        ingamev.pivoty = ingamev.piecey[0];
        return;
    }
    playsound("rotfail.wav");
    ingamev.rotation = r;
    ingamev.pivotx = ingamev.piecex[0];
    ingamev.pivoty = ingamev.piecey[0];
}

} // namespace

void rotateleftSRS() {
    rotateSRS(false);
}

void rotaterightSRS() {
    rotateSRS(true);
}
