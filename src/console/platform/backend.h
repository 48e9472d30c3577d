// A display back end as a table of the seam's functions that differ between the terminal and the
// window. The selector picks one table when the game opens its display and forwards to it; the
// clock, the files and the sound are shared and stay out of the table.
#pragma once

struct cell;

struct backend {
    void (*open)();
    void (*close)();
    bool (*keydown)(unsigned char code);
    void (*usecodepage437)();
    void (*hidecursor)();
    bool (*consolesize)(short* cols, short* rows);
    bool (*setbuffersize)(short cols, short rows);
    bool (*setwindow)(short left, short top, short right, short bottom);
    void (*present)(const cell* buffer, short left, short top, short right, short bottom);
    void (*setpalette)(const unsigned char* rgb);
    void (*pump)();
};

extern const backend termbackend;
extern const backend windowbackend;
