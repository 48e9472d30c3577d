#include "console/platform.h"
#include "console/screen.h"
#include "shell/shell.h"

int main() {
    platformopen();
    initscreen();
    matchsize();
    dispatch();
    platformclose();
    return 0;
}
