// The platform's file calls the settings file rests on, on the system the tests were built for.
#include "console/platform.h"
#include "screenrun.h"

namespace {

using Files = ScreenTest;

std::vector<std::string> folder() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator("."))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// Windows' own rename refuses a target that exists: the second save of a run must still land,
// whole, and leave nothing beside it.
TEST_F(Files, ReplacingAFileThatExistsTakesTheNewBytesWhole) {
    const bytes first(138, 1), second = {9, 8, 7};
    ASSERT_TRUE(replacefile("savefile", first.data(), 138));
    EXPECT_EQ(readfile(), first);
    for (int round = 0; round < 2; round++) {
        ASSERT_TRUE(replacefile("savefile", second.data(), 3)) << round;
        EXPECT_EQ(readfile(), second);
    }
    EXPECT_EQ(folder(), std::vector<std::string>{"savefile"});
}

TEST_F(Files, AFolderIsNeverReplacedAndReadsStopAtTheEnd) {
    unsigned char buf[8] = {};
    EXPECT_EQ(::readfile("savefile", buf, 8), -1);
    std::filesystem::create_directory("savefile");
    // Nothing replaces a folder, and nothing is left behind by trying.
    EXPECT_FALSE(replacefile("savefile", buf, 8));
    EXPECT_TRUE(std::filesystem::is_directory("savefile"));
    EXPECT_EQ(folder(), std::vector<std::string>{"savefile"});
    std::filesystem::remove("savefile");
    writefile({1, 2, 3, 4, 5});
    // A read stops at the buffer or at the end of the file, whichever comes first.
    for (auto [want, got] : {std::pair{3L, 3L}, {8L, 5L}}) {
        EXPECT_EQ(::readfile("savefile", buf, want), got);
        EXPECT_EQ(buf[got - 1], got);
    }
}
