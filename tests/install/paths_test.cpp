// Where the installed game keeps its settings and finds its sounds.
#include "../scratch.h"
#include "console/platform.h"
#include "console/platform/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

TEST(Paths, TheWorkingDirectoryFirstThenTheDataFolderThenTheInstalledSounds) {
    struct row {
        const char* name;
        bool here;
        const char* datahome;
        const char* home;
        const char* installed;
        const char* expect;
    };
    const row rows[] = {
        {"savefile", true, "/d", "/h", "", "savefile"},
        {"savefile", false, "/d", "/h", "", "/d/dropple/savefile"},
        {"savefile", false, nullptr, "/h", "", "/h/.local/share/dropple/savefile"},
        {"savefile", false, "", "/h", "", "/h/.local/share/dropple/savefile"},
        {"savefile", false, "rel", "/h", "",
         "/h/.local/share/dropple/savefile"},                  // must be absolute
        {"savefile", false, nullptr, nullptr, "", "savefile"}, // nowhere else to go
        {"savefile", false, nullptr, "", "", "savefile"},
        {"audio", true, "/d", "/h", "/usr/share/dropple/audio", "audio"},
        {"audio", false, "/d", "/h", "/usr/share/dropple/audio", "/usr/share/dropple/audio"},
        {"audio", false, "/d", "/h", "", "audio"},
        {"lock.wav", false, "/d", "/h", "/usr/share/dropple/audio", "lock.wav"},
    };
    for (const row& r : rows) {
        placesfound found;
        found.here = r.here;
        found.datahome = r.datahome;
        found.home = r.home;
        found.installed = r.installed;
        EXPECT_EQ(placeof(r.name, found), r.expect)
            << r.name << " here " << r.here << " datahome " << (r.datahome ? r.datahome : "unset")
            << " home " << (r.home ? r.home : "unset");
    }
}

// A first start from a folder without a "savefile" makes the data folder, however deep, and the
// settings land there; a settings file written afterwards in the working directory does not
// move them in mid-run.
TEST(Paths, TheFirstStartMakesTheSettingsFolder) {
    scratchdir here;
    const fs::path dir = here.dir;
    fs::create_directory("play");
    fs::current_path("play");
    setenv("XDG_DATA_HOME", (dir / "data" / "deep").c_str(), 1);
    const std::string at = whereis("savefile");
    EXPECT_EQ(at, (dir / "data" / "deep" / "dropple" / "savefile").string());
    EXPECT_TRUE(fs::is_directory(dir / "data" / "deep" / "dropple"));
    const unsigned char settings[3] = {1, 2, 3};
    EXPECT_TRUE(replacefile("savefile", settings, 3));
    EXPECT_EQ(fs::file_size(at), 3u);
    unsigned char back[8];
    EXPECT_EQ(readfile("savefile", back, 8), 3);
    EXPECT_FALSE(fs::exists("savefile"));
}
