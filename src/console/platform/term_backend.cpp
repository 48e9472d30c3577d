// The terminal back end as the selector sees it.
#include "console/platform/backend.h"
#include "console/platform/term.h"

const backend termbackend = {
    termopen,       termclose,       termkeydown,       termusecodepage437,
    termhidecursor, termconsolesize, termsetbuffersize, termsetwindow,
    termpresent,    termsetpalette,  termpump,
};
