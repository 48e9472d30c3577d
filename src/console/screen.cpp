#include "console/screen.h"

cell screen[screenrows * screencols];
