// The terminal back end as the display table sees it.
#include "console/platform/term/term.h"
#include "console/platform.h"

const backend termbackend = {
    termopen,       termclose,       termkeydown,       termusecodepage437,
    termhidecursor, termconsolesize, termsetbuffersize, termsetwindow,
    termpresent,    termsetpalette,  termpump,
};
