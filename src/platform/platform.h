// The one seam between the game and the machine it runs on. Everything the game needs from the
// outside world (keys, time, the character display, sound) passes through these functions; the
// terminal and audio back ends implement them for a real player, the headless back end for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A console character cell: a code page 437 byte in the low byte of `ch` and a colour attribute
// (bits 0-3 foreground, 4-7 background palette index) in the low byte of `attr`.
struct cell {
    std::uint16_t ch;
    std::uint16_t attr;
};

constexpr int screencols = 80;
constexpr int screenrows = 25;

// Where the game is shown: the terminal it was started from, or a window of its own.
enum class display { terminal, window };
// Whether this build can show the game that way.
bool canshow(display where);

// Start and stop the back end. Stopping restores whatever the start changed (the terminal).
void platformopen(display where = display::terminal);
void platformclose();

// Keyboard: whether the key with this virtual-key code is down at this moment.
bool keydown(unsigned char code);
// Whether the display can tell at all that this key is down by itself: a terminal that reports no
// key releases never sees a modifier or a lock key pressed alone.
bool keyseen(unsigned char code);

// Monotonic counter and its frequency in ticks per second.
std::uint64_t ticks();
std::uint64_t tickrate();
// Sleeps until the counter reads about `tick`. It may return a little early or late (timer slack,
// a signal); the frame's last stretch is always waited out on the counter by the caller.
void sleepuntil(std::uint64_t tick);

// Calendar time in whole seconds, narrowed to 32 bits the way the seeding rule expects.
std::int32_t wallclock();

// Console. Sizes and rectangles are in character cells; the size calls report success.
void usecodepage437();
void hidecursor();
bool consolesize(short* cols, short* rows);
bool setbuffersize(short cols, short rows);
bool setwindow(short left, short top, short right, short bottom);
// Copies the rectangle (inclusive corners) of an 80 by 25 cell buffer to the same place on the
// display.
void present(const cell* buffer, short left, short top, short right, short bottom);
// The 16 palette colours as red, green, blue triples; every cell is drawn with them from the next
// presented frame on. The game sets them from its settings before it presents anything, so a
// display has no colours of its own to start with.
void setpalette(const unsigned char* rgb);

// A frame boundary has passed and the frame beginning now is due to end at counter time `due`:
// the back end may take in pending input and window changes. The keys the game sees move on by
// the transitions heard before `due`, so frames that run late, catching up after a stall, see
// each key as it was in their own stretch of the schedule.
void pump(std::uint64_t due);
// Whether the player has asked, from outside the game's own keys, for the program to end: Ctrl-C,
// the window closed, a request to end or a hang-up. The back end notes it at a frame boundary and
// does nothing else; the game then keeps what it must (the game in play), closes the display and
// says its last lines, and the back end ends the program the way it was asked to.
bool leaving();

// Files the game keeps, by bare name ("savefile"). Reads at most n bytes of the regular file and
// returns how many it read; -1 when there is no such file, -2 when something is there that cannot
// be read as a regular file (it is then left alone).
long readfile(const char* name, unsigned char* buf, long n);
// Replaces the file whole with n bytes, or leaves it exactly as it was; true when it was replaced,
// else `why` (when given) says what stood in the way, in a few words. The folders it is to be in
// are made when missing.
bool replacefile(const char* name, const unsigned char* data, long n, std::string* why = nullptr);
// Where the file or folder the game knows by this bare name ("savefile", "audio", "records",
// "replays") is kept; asking changes nothing on disk. Other names come back unchanged.
std::string whereis(const char* name);
// The names of the files in a folder, in no order; none when it cannot be read.
std::vector<std::string> listfolder(const char* folder);
// Removes a file; true when it is gone.
bool removefile(const char* name);
// Holds, or lets go of, the game's kept files (records and replays): while one copy of the game
// holds them, another that asks waits, a few seconds at most, so two copies in one folder never
// change them at the same time. A copy that ends lets go.
void holdfiles(bool hold);

// Sound: open a WAV file of the audio folder under its own name; play a name from its start.
void soundopen(const std::string& name);
void soundplay(const std::string& name);

// A display back end: the functions above that depend on where the game is shown, as one table.
// Every build reaches its display through such a table (platform/display.cpp forwards the free
// functions to the open one); the clock, the files and the sound do not change with the display
// and are linked in directly. Tables name each entry (`.open = ...`), so one written out of order
// does not compile.
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
    void (*pump)(std::uint64_t due);
    bool (*keyseen)(unsigned char code);
    bool (*leaving)(); // null: this display is never left from outside
};
// The table that shows the game this way, null when this build cannot. Each program links exactly
// one definition: the headless back end's, the Windows console's, or the Linux choice between the
// terminal and the window.
const backend* backendfor(display where);
