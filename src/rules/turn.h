// The quarter turn shared by both rotation systems.
#pragma once

#include <cstdint>

// Turns the four cells about cell 0, with x growing to the left and y upward.
inline void turncells(std::uint16_t* x, std::uint16_t* y, bool clockwise) {
    const std::uint16_t x0 = x[0], y0 = y[0];
    for (int i = 1; i < 4; i++) {
        const std::uint16_t dx = static_cast<std::uint16_t>(x[i] - x0);
        const std::uint16_t dy = static_cast<std::uint16_t>(y[i] - y0);
        if (clockwise) {
            x[i] = static_cast<std::uint16_t>(x0 - dy);
            y[i] = static_cast<std::uint16_t>(y0 + dx);
        } else {
            x[i] = static_cast<std::uint16_t>(x0 + dy);
            y[i] = static_cast<std::uint16_t>(y0 - dx);
        }
    }
}
