#include "console/draw.h"

// Not built yet: the in-game picture stays as it was painted.
void draw() {}
