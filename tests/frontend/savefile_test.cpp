#include "console/platform/headless.h"
#include "frontend/frontend.h"
#include "tempdir.h"

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

// A fresh file, written out from the tables of cell kinds, palette, timings and keys.
std::vector<unsigned char> freshfile() {
    const unsigned char scheme[27] = {0xA0, 0xC0, 0xE0, 0xB0, 0x80, 0x90, 0xD0, 0x70, 0x2A,
                                      0x4C, 0x6E, 0x3B, 0x6C, 0x19, 0x5D, 0x07, 0xAF, 0xCF,
                                      0xEF, 0xBF, 0x8F, 0x9F, 0xDF, 0x7F, 0x70, 0x30, 0xF0};
    std::vector<unsigned char> b;
    for (int i = 0; i < 27; i++) {
        b.push_back(scheme[i]);
        b.push_back(i < 8 || i == 26 ? 0xFF : i < 24 ? 0xB1 : 0xB0);
    }
    const char* palette = "000000 0000AA 00AA00 00AAAA AA0000 AA00AA AAAA00 AAAAAA "
                          "FFAA55 5555FF 55FF55 55FFFF FF5555 FF55FF FFFF55 FFFFFF";
    for (int i = 0; i < 16; i++)
        for (int c = 0; c < 3; c++)
            b.push_back(static_cast<unsigned char>(
                std::stoi(std::string(palette + 7 * i + 2 * c, 2), nullptr, 16)));
    const std::vector<unsigned char> rest = {
        7,    0,    0,    0,    0,    0x10, 0,    0,    0, 0x20, 0, 0, // in-game timings
        0x26, 0x28, 0x25, 0x27, 0x58, 0x5A, 0x0D, 0xA0,                // in-game keys
        8,    0,    0,    0,    1,    0,    0,    0,                   // menu timings
        0x26, 0x28, 0x25, 0x27, 0x58, 0x5A, 0x0D, 0xA0};               // menu keys
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

// 138 bytes unlike the fresh file at every position.
std::vector<unsigned char> oddfile() {
    std::vector<unsigned char> b = freshfile();
    for (std::size_t i = 0; i < b.size(); i++)
        b[i] = static_cast<unsigned char>(~b[i] ^ (i * 37));
    return b;
}

std::vector<unsigned char> saved() {
    savesettings();
    return readfile("savefile");
}

void zeroglobals() {
    std::memset(pieces, 0, sizeof pieces);
    std::memset(color, 0, sizeof color);
    std::memset(ingamekeys, 0, sizeof ingamekeys);
    std::memset(guikeys, 0, sizeof guikeys);
    INGAMEDAS = INGAMEARR = INGAMESDS = GUIDAS = GUIARR = 0;
}

// Lowers the file-size limit for one scope: a write past it fails as on a full disk.
struct sizelimit {
    explicit sizelimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &was);
        oldhandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit now = was;
        now.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &now);
    }
    ~sizelimit() {
        setrlimit(RLIMIT_FSIZE, &was);
        std::signal(SIGXFSZ, oldhandler);
    }
    rlimit was;
    void (*oldhandler)(int);
};

class Savefile : public tempdir {
  protected:
    void SetUp() override {
        tempdir::SetUp();
        headless::reset();
        zeroglobals();
    }
};

} // namespace

TEST_F(Savefile, AMissingFileIsCreatedWithTheDefaultsAndLoaded) {
    ASSERT_EQ(freshfile().size(), 138u);
    initload();
    EXPECT_EQ(readfile("savefile"), freshfile());
    EXPECT_EQ(std::vector<unsigned char>(defaultsettings, defaultsettings + 138), freshfile());

    EXPECT_EQ(pieces[0].attr, 0xA0);
    EXPECT_EQ(pieces[0].ch, 0xFF);
    EXPECT_EQ(pieces[15].attr, 0x07);
    EXPECT_EQ(pieces[15].ch, 0xB1);
    EXPECT_EQ(pieces[25].attr, 0x30);
    EXPECT_EQ(pieces[25].ch, 0xB0);
    // The board background: a blank on palette entry 15.
    EXPECT_EQ(pieces[26].attr, 0xF0);
    EXPECT_EQ(pieces[26].ch, 0xFF);
    EXPECT_EQ(color[6 * 3 + 1], 0xAA); // entry 6 is not the usual brown
    EXPECT_EQ(color[8 * 3 + 2], 0x55); // entry 8 is orange
    EXPECT_EQ(INGAMEDAS, 7u);
    EXPECT_EQ(INGAMEARR, 4096u);
    EXPECT_EQ(INGAMESDS, 8192u);
    EXPECT_EQ(GUIDAS, 8u);
    EXPECT_EQ(GUIARR, 1u);
    const unsigned char keys[8] = {0x26, 0x28, 0x25, 0x27, 0x58, 0x5A, 0x0D, 0xA0};
    EXPECT_EQ(std::memcmp(ingamekeys, keys, 8), 0);
    EXPECT_EQ(std::memcmp(guikeys, keys, 8), 0);

    ASSERT_EQ(headless::palettewrites(), 1);
    EXPECT_EQ(std::memcmp(headless::palette(), color, 48), 0);
    EXPECT_FALSE(std::filesystem::exists("savefile.new"));
}

TEST_F(Savefile, SaveAndLoadKeepEveryValueByteForByte) {
    for (int i = 0; i < 27; i++) {
        // The high byte of an attribute is not kept: only the low byte reaches the file.
        pieces[i].attr = static_cast<std::uint16_t>(0xAB00 | (0xE0 + i));
        pieces[i].ch = static_cast<std::uint16_t>(0x80 + i);
    }
    for (int i = 0; i < 48; i++)
        color[i] = static_cast<unsigned char>(255 - i);
    INGAMEDAS = 0xFFFFFFFFu;
    INGAMEARR = 0x80000000u;
    INGAMESDS = 0;
    GUIDAS = 0x01020304u;
    GUIARR = 0x7FFFFFFFu;
    for (int i = 0; i < 8; i++) {
        ingamekeys[i] = static_cast<unsigned char>(0x80 + 16 * i);
        guikeys[i] = static_cast<unsigned char>(0xFF - i);
    }

    std::vector<unsigned char> file = saved();
    ASSERT_EQ(file.size(), 138u);
    EXPECT_EQ(file[0], 0xE0);
    EXPECT_EQ(file[1], 0x80);
    EXPECT_EQ(file[52], 0xE0 + 26);
    EXPECT_EQ(file[54], 255);
    EXPECT_EQ(file[101], 255 - 47);
    EXPECT_EQ(std::vector<unsigned char>(file.begin() + 102, file.begin() + 114),
              (std::vector<unsigned char>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0}));
    EXPECT_EQ(file[114], 0x80);
    EXPECT_EQ(file[121], 0xF0);
    EXPECT_EQ(std::vector<unsigned char>(file.begin() + 122, file.begin() + 130),
              (std::vector<unsigned char>{4, 3, 2, 1, 0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_EQ(file[130], 0xFF);
    EXPECT_EQ(file[137], 0xF8);

    zeroglobals();
    initload();
    for (int i = 0; i < 27; i++) {
        EXPECT_EQ(pieces[i].attr, 0xE0 + i) << i;
        EXPECT_EQ(pieces[i].ch, 0x80 + i) << i;
    }
    for (int i = 0; i < 48; i++)
        EXPECT_EQ(color[i], 255 - i);
    EXPECT_EQ(INGAMEDAS, 0xFFFFFFFFu);
    EXPECT_EQ(INGAMEARR, 0x80000000u);
    EXPECT_EQ(INGAMESDS, 0u);
    EXPECT_EQ(GUIDAS, 0x01020304u);
    EXPECT_EQ(GUIARR, 0x7FFFFFFFu);
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(ingamekeys[i], 0x80 + 16 * i);
        EXPECT_EQ(guikeys[i], 0xFF - i);
    }
    EXPECT_EQ(saved(), file);
    EXPECT_EQ(std::memcmp(headless::palette(), color, 48), 0);
}

TEST_F(Savefile, ShortFilesLayTheirBytesOverTheDefaults) {
    const std::vector<unsigned char> odd = oddfile();
    const std::vector<unsigned char> fresh = freshfile();
    for (std::size_t n = 0; n < 138; n++) {
        std::vector<unsigned char> part(odd.begin(), odd.begin() + static_cast<long>(n));
        writefile("savefile", part);
        initload();
        // A short file is read but never replaced by loading.
        ASSERT_EQ(readfile("savefile"), part) << n;

        std::vector<unsigned char> want = fresh;
        std::copy(part.begin(), part.end(), want.begin());
        std::remove("savefile");
        EXPECT_EQ(saved(), want) << "length " << n;

        // Loading the same short file again gives the same globals, whatever happened between.
        writefile("savefile", part);
        zeroglobals();
        initload();
        EXPECT_EQ(saved(), want) << "length " << n;
    }
}

TEST_F(Savefile, ALongFileIsReadInPartAndShortenedByTheNextSave) {
    std::vector<unsigned char> file = oddfile();
    file.resize(200, 0x5A);
    writefile("savefile", file);
    initload();
    EXPECT_EQ(readfile("savefile").size(), 200u);
    file.resize(138);
    EXPECT_EQ(saved(), file);
}

TEST_F(Savefile, AFailedSaveLeavesTheOldFileAsItWas) {
    const std::vector<unsigned char> before = oddfile();
    writefile("savefile", before);
    initload();
    INGAMEDAS = 99;

    {
        sizelimit full(100);
        savesettings();
    }
    EXPECT_EQ(readfile("savefile"), before);
    EXPECT_FALSE(std::filesystem::exists("savefile.new"));

    // Something that cannot be written over stands where the new file must go.
    std::filesystem::create_directory("savefile.new");
    savesettings();
    EXPECT_EQ(readfile("savefile"), before);
    std::filesystem::remove("savefile.new");

    // A stale half-written file from an earlier run does not get in the way.
    writefile("savefile.new", {1, 2, 3});
    savesettings();
    std::vector<unsigned char> after = readfile("savefile");
    ASSERT_EQ(after.size(), 138u);
    EXPECT_EQ(after[102], 99);
    EXPECT_FALSE(std::filesystem::exists("savefile.new"));
}

TEST_F(Savefile, AFileThatCanBeNeitherReadNorCreatedLeavesTheDefaults) {
    {
        sizelimit full(0);
        initload();
    }
    EXPECT_FALSE(std::filesystem::exists("savefile"));
    EXPECT_FALSE(std::filesystem::exists("savefile.new"));
    EXPECT_EQ(guikeys[6], 0x0D);
    EXPECT_EQ(GUIDAS, 8u);
    EXPECT_EQ(std::memcmp(headless::palette(), defaultsettings + 54, 48), 0);

    // A folder in the file's place: it reads as nothing and is never replaced.
    std::filesystem::create_directory("savefile");
    zeroglobals();
    initload();
    EXPECT_EQ(pieces[24].attr, 0x70);
    EXPECT_EQ(guikeys[1], 0x28);
    savesettings();
    EXPECT_TRUE(std::filesystem::is_directory("savefile"));
    EXPECT_FALSE(std::filesystem::exists("savefile.new"));
}
