#include "console/screen.h"
#include "platform/platform.h"

#include <cstring>

std::uint64_t frametiming[32];
std::uint32_t fps;

void fpsupdate(bool show) {
    std::memmove(&frametiming[0], &frametiming[1], 30 * sizeof frametiming[0]);
    frametiming[30] = ticks();
    std::uint64_t span = frametiming[30] - frametiming[0];
    if (span == 0)
        span = 1; // only a counter that stands still could give this; never divide by it
    fps = static_cast<std::uint32_t>(((600 * cputimersecond) / span + 1) / 2);
    if (!show)
        return;
    // Right after a stall the ring spans less than 30 frames and the rate can pass 99.9; the
    // meter has room for two digits, so it stops there rather than show a stray character.
    std::uint32_t shown = fps > 999 ? 999 : fps;
    cell* row = &screen[24 * screencols];
    row[76].ch = static_cast<std::uint16_t>('0' + shown / 100);
    row[77].ch = static_cast<std::uint16_t>('0' + (shown / 10) % 10);
    row[78].ch = '.';
    row[79].ch = static_cast<std::uint16_t>('0' + shown % 10);
}
