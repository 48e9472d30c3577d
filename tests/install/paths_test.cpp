// Where the installed game keeps its settings and finds its sounds.
#include "../scratch.h"
#include "platform/platform.h"
#include "platform/posix/paths.h"

#include <tuple>

namespace fs = std::filesystem;

TEST(Paths, TheWorkingDirectoryFirstThenTheDataFolderThenTheInstalledSounds) {
    const char* const sounds = "/usr/share/dropple/audio";
    const std::tuple<const char*, placesfound, const char*> rows[] = {
        {"savefile", {true, "/d", "/h", ""}, "savefile"},
        {"savefile", {false, "/d", "/h", ""}, "/d/dropple/savefile"},
        {"savefile", {false, nullptr, "/h", ""}, "/h/.local/share/dropple/savefile"},
        {"savefile", {false, "", "/h", ""}, "/h/.local/share/dropple/savefile"},
        {"savefile", {false, "rel", "/h", ""}, "/h/.local/share/dropple/savefile"}, // not absolute
        {"savefile", {false, nullptr, nullptr, ""}, "savefile"}, // nowhere else to go
        {"savefile", {false, nullptr, "", ""}, "savefile"},
        {"audio", {true, "/d", "/h", sounds}, "audio"},
        {"audio", {false, "/d", "/h", sounds}, sounds},
        {"audio", {false, "/d", "/h", ""}, "audio"},
        {"lock.wav", {false, "/d", "/h", sounds}, "lock.wav"},
    };
    int row = 0;
    for (const auto& [name, found, expect] : rows)
        EXPECT_EQ(placeof(name, found), expect) << "row " << row++;
}

// A first start from a folder without a "savefile" makes the data folder, however deep, and the
// settings land there, not in the working directory, and are read back from there. A folder in
// the file's place stays, and the reason is there to tell the player.
TEST(Paths, TheFirstSaveMakesTheSettingsFolder) {
    scratchdir here;
    setenv("XDG_DATA_HOME", (here.dir / "data" / "deep").c_str(), 1);
    const std::string at = whereis("savefile");
    EXPECT_EQ(at, (here.dir / "data" / "deep" / "dropple" / "savefile").string());
    EXPECT_FALSE(fs::exists(here.dir / "data")) << "asking where made a folder";
    const unsigned char settings[3] = {1, 2, 3};
    unsigned char back[8];
    EXPECT_TRUE(replacefile("savefile", settings, 3));
    EXPECT_EQ(readfile("savefile", back, 8), 3);
    EXPECT_TRUE(fs::file_size(at) == 3 && !fs::exists("savefile"));
    fs::remove(at);
    fs::create_directories(at + "/x");
    std::string why;
    EXPECT_FALSE(replacefile("savefile", settings, 3, &why));
    EXPECT_TRUE(!why.empty() && fs::exists(at + "/x"));
}
