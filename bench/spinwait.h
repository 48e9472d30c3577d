// The frame waits the game's own is measured against. Kept here only, so the benchmarks can hold
// them beside the wait the game uses now.
#pragma once

// The frame wait as the game had it before it learnt to sleep: the whole frame on the counter.
void spinsleep(unsigned char mode);

// A wait with nothing but the sleep: each frame ends when the timer wakes the process, so its
// period shows how late this machine wakes a sleeper.
void timersleep(unsigned char mode);
