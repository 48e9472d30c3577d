#include "shell/shell.h"

#include <gtest/gtest.h>

TEST(Dispatcher, NumbersThatNameNoScreenEndTheProgram) {
    EXPECT_EQ(runscreen(0), 0);
    EXPECT_EQ(runscreen(12), 0);
    EXPECT_EQ(runscreen(255), 0);
}
