// A scratch folder that is the working folder for one test, as the game's own folder is.
#pragma once

#include "../scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

class scratch : public ::testing::Test {
  protected:
    void SetUp() override {
        // With no data folder to go to, the settings file is the working folder's, as in a
        // folder that already holds one.
        setenv("XDG_DATA_HOME", "", 1);
        setenv("HOME", "", 1);
        alarm(20); // a test that blocks on a file dies instead of hanging
    }
    void TearDown() override { alarm(0); }
    scratchdir here;
};
