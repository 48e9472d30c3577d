// Games as the game itself starts them, for tests that place pieces, lock them and score.
#pragma once

#include "../scratch.h"
#include "console/platform/headless/headless.h"
#include "shell/ingameloop.h"
#include "shell/ingamev.h"

#include <memory>
#include <string>

// Every test of the game runs in a folder of its own: a game's start reads and writes the
// settings file.
struct gamefolder : ::testing::Environment {
    std::unique_ptr<scratchdir> here;
    void SetUp() override { here = std::make_unique<scratchdir>(); }
    void TearDown() override { here.reset(); }
};
inline auto* const gamefolders = ::testing::AddGlobalTestEnvironment(new gamefolder);

// `mode` just started, with the dealt piece taken off the field and nothing heard yet.
inline void newgame(unsigned char mode) {
    headless::reset();
    gamesetup(mode);
    ingamev.active = 0;
    for (int i = 0; i < 4; i++)
        ingamev.piecey[i] = ingamev.ghosty[i] = 255;
    headless::clearrecords();
}

// The sounds requested since the records were last cleared, separated by spaces.
inline std::string heard() {
    std::string s;
    for (auto& name : headless::sounds())
        s += (s.empty() ? "" : " ") + name;
    return s;
}
