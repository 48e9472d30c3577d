#include "frontend/frontend.h"
#include "frontend/screentext.h"
#include "platform/platform.h"

namespace {

std::uint32_t* const fields[5] = {&INGAMEDAS, &INGAMEARR, &INGAMESDS, &GUIDAS, &GUIARR};
constexpr int savefield = 5;
constexpr int saverow = 18;

// The weight of each of the ten digit columns, most significant first.
constexpr std::uint32_t weights[10] = {1000000000, 100000000, 10000000, 1000000, 100000,
                                       10000,      1000,      100,      10,      1};

int fieldrow(int field) {
    return 3 * (field + 1);
}

void showvalue(int field) {
    std::uint32_t v = *fields[field];
    for (int col = 9; col >= 0; col--, v /= 10)
        cellat(fieldrow(field), col).ch = static_cast<std::uint16_t>('0' + v % 10);
}

void mark(int field, int column, std::uint16_t attr) {
    if (field == savefield)
        paintrow(saverow, attr);
    else
        cellat(fieldrow(field), column).attr = attr;
}

} // namespace

unsigned char settings() {
    initload();
    blankscreen(uiattr());
    puttext(0, 0, "settings");
    puttext(2, 0, "Set ingame DAS in 60fps frames");
    puttext(5, 0, "Set ingame ARR in units of 1/256G");
    puttext(8, 0, "Set ingame softdrop speed in units of 1/256G");
    puttext(11, 0, "Set menu DAS in 60fps frames");
    puttext(14, 0, "Set menu ARR in 60fps frames (it should be \xF3 menu DAS)");
    puttext(saverow, 0, "Save & Quit");
    for (int f = 0; f < 5; f++)
        showvalue(f);

    int field = 0;
    int column = 9;
    mark(field, column, hlattr());
    for (;;) {
        // On "Save & Quit" the column still moves, unseen, so that going back up lands on it.
        movecursor(field, column, savefield, 9, mark);
        if (guikeyrepeat(4) && field < savefield) {
            *fields[field] += weights[column];
            showvalue(field);
        }
        if (guikeyrepeat(5) && field < savefield) {
            *fields[field] -= weights[column];
            showvalue(field);
        }
        if (guikeyrepeat(6)) {
            framesleep(showscreen);
            if (field == savefield) {
                savesettings();
                tellunsaved();
                return 3;
            }
        } else {
            framesleep(showscreen);
        }
        if (leaving())
            return 0;
    }
}
