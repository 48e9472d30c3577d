// The whole game with the old spinning frame wait, for measuring what the sleeping one saves. It
// defines everything the game's own frame wait defines, so the linker never takes that one in.
#include "spinwait.h"

#include "console/screen.h"

std::uint64_t cputimersecond;
std::uint64_t frameint;
std::uint64_t timecounter;

void framesleep(unsigned char mode) {
    spinsleep(mode);
}
