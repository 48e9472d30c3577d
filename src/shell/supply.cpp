#include "shell/supply.h"
#include "console/sound.h"
#include "rules/rules.h"
#include "shell/ingamev.h"
#include "shell/random.h"
#include "shell/shell.h"

// The sound that announces each piece as it becomes the next one.
static const char* const piecesounds[7] = {"piece6.wav", "piece3.wav", "piece2.wav", "piece0.wav",
                                           "piece1.wav", "piece5.wav", "piece4.wav"};

static bool openingpiece(std::uint8_t p) {
    return p >= 3; // S, Z and O are unfair openers
}

void shufflebag(std::uint8_t* bag, std::uint32_t r) {
    static const std::uint32_t divisors[6] = {720, 120, 24, 6, 2, 1};
    for (int i = 6; i >= 1; i--) {
        std::uint32_t j = (r / divisors[6 - i]) % static_cast<std::uint32_t>(i + 1);
        std::uint8_t t = bag[i];
        bag[i] = bag[j];
        bag[j] = t;
    }
}

std::uint8_t pickpiece(const std::uint8_t* history, std::uint32_t r) {
    std::uint8_t candidate = 0;
    for (int t = 0; t < 6; t++) {
        candidate = static_cast<std::uint8_t>(r % 7);
        r /= 7;
        bool seen = false;
        for (int h = 0; h < 4; h++)
            seen = seen || history[h] == candidate;
        if (!seen)
            return candidate;
    }
    return candidate;
}

static void takefront() {
    ingamev.current = ingamev.queue[0];
    for (int i = 1; i < ingamev.queuecount; i++)
        ingamev.queue[i - 1] = ingamev.queue[i];
    ingamev.queuecount--;
}

static void dealbag() {
    if (ingamev.queuecount < 7) {
        std::uint8_t bag[7] = {0, 1, 2, 3, 4, 5, 6};
        shufflebag(bag, next());
        if (ingamev.queuecount == 0)
            while (!openingpiece(bag[0]))
                shufflebag(bag, next());
        for (int i = 0; i < 7; i++)
            ingamev.queue[ingamev.queuecount + i] = bag[i];
        ingamev.queuecount += 7;
    }
    takefront();
}

// The history before the first piece of a game, as seen from a position below the queue's start.
static std::uint8_t seeded(int position) {
    static const std::uint8_t before[3] = {0, 1, 0}; // positions -3, -2, -1
    return before[position + 3];
}

static void shiftforward() {
    ingamev.current = ingamev.queue[0];
    for (int i = 1; i <= 7; i++)
        ingamev.queue[i - 1] = ingamev.queue[i];
    ingamev.queuecount = 6;
}

static void dealhistory() {
    if (ingamev.queuecount == 0) {
        ingamev.queue[0] = static_cast<std::uint8_t>(3 + next() % 4);
        std::uint8_t history[4] = {0, 0, 1, ingamev.queue[0]};
        for (int i = 1; i <= 6; i++) {
            std::uint8_t p = pickpiece(history, next());
            ingamev.queue[i] = p;
            for (int h = 0; h < 3; h++)
                history[h] = history[h + 1];
            history[3] = p;
        }
        shiftforward();
    } else if (ingamev.queuecount < 7) {
        for (int i = ingamev.queuecount; i <= 6; i++) {
            std::uint8_t history[4];
            for (int h = 0; h < 4; h++) {
                int at = i - 4 + h;
                history[h] = at < 0 ? seeded(at) : ingamev.queue[at];
            }
            ingamev.queue[i] = pickpiece(history, next());
        }
        shiftforward();
    } else {
        takefront();
    }
}

// Puts `current` at its spawn position and turn, with its reference point.
static void place() {
    const std::int8_t(*shape)[2] = ingamev.shapes[ingamev.current];
    bool tall = ingamev.current == 2 || ingamev.current == 3; // O and I sit one row higher
    if (!ingamev.ars) {
        std::uint16_t base = tall ? 25 : 24;
        ingamev.pivotx = 5;
        ingamev.pivoty = base;
        for (int i = 0; i < 4; i++) {
            ingamev.piecex[i] = static_cast<std::uint16_t>(5 + shape[i][0]);
            ingamev.piecey[i] = static_cast<std::uint16_t>(base + shape[i][1]);
        }
        ingamev.rotation = 0;
    } else {
        int k = tall ? 1 : 0;
        ingamev.pivotx = 5;
        ingamev.pivoty = 25;
        for (int i = 0; i < 4; i++) {
            ingamev.piecex[i] = static_cast<std::uint16_t>(5 - k - shape[i][0]);
            ingamev.piecey[i] = static_cast<std::uint16_t>(25 - k - shape[i][1]);
        }
        ingamev.rotation = 2;
        ingamev.resetsleft = 0;
    }
}

void spawn(bool fromhold) {
    ingamev.justspawned = 1;
    if (!fromhold)
        ingamev.holdused = 0;
    ingamev.active = 1;
    ingamev.gravitysum = 0;
    ingamev.locktimer = ingamev.lockdelay;
    ingamev.resetsleft = ingamev.resetlimit;
    if (ingamev.ars)
        dealhistory();
    else
        dealbag();
    place();
    if (ingamev.ars)
        ingamev.resetlimit = 25;
    playsound(piecesounds[ingamev.queue[0]]);
}

void spawn2() {
    ingamev.locktimer = ingamev.lockdelay;
    ingamev.active = 1;
    ingamev.justspawned = 1;
    ingamev.gravitysum = 0;
    ingamev.resetsleft = ingamev.resetlimit;
    ingamev.current = ingamev.hold;
    // Unlike a spawn from the queue, the lowest row reached stays: falling back to it is no
    // reason to refill the lock timer.
    place();
    playsound(piecesounds[ingamev.queue[0]]);
}

void hold() {
    playsound(ingamev.justspawned ? "initialhold.wav" : "hold.wav");
    if (ingamev.hold == 255) {
        ingamev.hold = ingamev.current;
        spawn(true);
    } else {
        std::uint8_t was = ingamev.current;
        spawn2();
        ingamev.hold = was;
    }
    ghostupdate();
}
