#include "console/platform/headless.h"
#include "frontend/frontend.h"
#include "tempdir.h"

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

// A fresh file, written out by hand: cell kinds (attribute, character), palette, in-game DAS,
// ARR and soft drop, in-game keys, menu DAS and ARR, menu keys.
std::vector<unsigned char> freshfile() {
    const char* hex = "A0FF C0FF E0FF B0FF 80FF 90FF D0FF 70FF 2AB1 4CB1 6EB1 3BB1 6CB1 19B1"
                      "5DB1 07B1 AFB1 CFB1 EFB1 BFB1 8FB1 9FB1 DFB1 7FB1 70B0 30B0 F0FF"
                      "000000 0000AA 00AA00 00AAAA AA0000 AA00AA AAAA00 AAAAAA"
                      "FFAA55 5555FF 55FF55 55FFFF FF5555 FF55FF FFFF55 FFFFFF"
                      "07000000 00100000 00200000 26282527 585A0DA0"
                      "08000000 01000000 26282527 585A0DA0";
    std::vector<unsigned char> b;
    std::string digits;
    for (const char* p = hex; *p; p++)
        if (*p != ' ')
            digits += *p;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        b.push_back(static_cast<unsigned char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
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
    EXPECT_FALSE(std::filesystem::exists("savefile.new"));
    EXPECT_EQ(saved(), freshfile());
    EXPECT_EQ(guikeys[6], 0x0D);
    ASSERT_EQ(headless::palettewrites(), 1);
    EXPECT_EQ(std::memcmp(headless::palette(), freshfile().data() + 54, 48), 0);
}

TEST_F(Savefile, SaveAndLoadKeepEveryValueByteForByte) {
    for (int i = 0; i < 27; i++)
        pieces[i] = {static_cast<std::uint16_t>(0x80 + i), static_cast<std::uint16_t>(0xAB00 + i)};
    for (int i = 0; i < 48; i++)
        color[i] = static_cast<unsigned char>(255 - i);
    for (int i = 0; i < 8; i++) {
        ingamekeys[i] = static_cast<unsigned char>(0x80 + 16 * i);
        guikeys[i] = static_cast<unsigned char>(0xFF - i);
    }
    INGAMEDAS = 0xFFFFFFFFu;
    INGAMEARR = 0x80000000u;
    GUIDAS = 0x01020304u;
    GUIARR = 0x7FFFFFFFu;

    const std::vector<unsigned char> file = saved();
    ASSERT_EQ(file.size(), 138u);
    // Only the low byte of an attribute is kept, and it comes first.
    EXPECT_EQ(file[0], 0x00);
    EXPECT_EQ(file[53], 0x80 + 26);
    EXPECT_EQ(std::vector<unsigned char>(file.begin() + 102, file.begin() + 114),
              (std::vector<unsigned char>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0}));
    EXPECT_EQ(std::vector<unsigned char>(file.begin() + 121, file.begin() + 131),
              (std::vector<unsigned char>{0xF0, 4, 3, 2, 1, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF}));

    zeroglobals();
    initload();
    EXPECT_EQ(pieces[26].attr, 26);
    EXPECT_EQ(INGAMEDAS, 0xFFFFFFFFu);
    EXPECT_EQ(guikeys[7], 0xF8);
    EXPECT_EQ(saved(), file);
}

TEST_F(Savefile, ShortFilesLayTheirBytesOverTheDefaults) {
    const std::vector<unsigned char> odd = oddfile();
    for (std::size_t n = 0; n < 138; n++) {
        const std::vector<unsigned char> part(odd.begin(), odd.begin() + static_cast<long>(n));
        std::vector<unsigned char> want = freshfile();
        std::copy(part.begin(), part.end(), want.begin());
        // Loading twice gives the same globals, whatever happened in between.
        for (int round = 0; round < 2; round++) {
            writefile("savefile", part);
            zeroglobals();
            initload();
            ASSERT_EQ(readfile("savefile"), part) << n;
            std::remove("savefile");
            ASSERT_EQ(saved(), want) << "length " << n;
        }
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

    std::filesystem::create_directory("savefile.new");
    savesettings();
    EXPECT_EQ(readfile("savefile"), before);

    // A stale half-written file from an earlier run does not get in the way.
    std::filesystem::remove("savefile.new");
    writefile("savefile.new", {1, 2, 3});
    EXPECT_EQ(saved()[102], 99);
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
    EXPECT_EQ(std::memcmp(headless::palette(), freshfile().data() + 54, 48), 0);

    // A folder in the file's place reads as nothing and is never replaced.
    std::filesystem::create_directory("savefile");
    zeroglobals();
    initload();
    EXPECT_EQ(guikeys[1], 0x28);
    savesettings();
    EXPECT_TRUE(std::filesystem::is_directory("savefile"));
    EXPECT_FALSE(std::filesystem::exists("savefile.new"));
}
