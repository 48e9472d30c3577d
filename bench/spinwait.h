// The frame wait as the game had it before it learnt to sleep: the whole frame on the counter.
// Kept here only, so the benchmarks can hold it beside the wait the game uses now.
#pragma once

void spinsleep(unsigned char mode);
