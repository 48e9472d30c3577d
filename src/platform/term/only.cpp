// A program that shows itself only in the terminal (the test stand-in, the benchmarks).
#include "platform/platform.h"
#include "platform/term/term.h"

const backend* backendfor(display where) {
    return where == display::terminal ? &termbackend : nullptr;
}
