// Loads arbitrary file contents as settings, saves them again, and checks that the new file holds
// exactly the bytes read over the defaults.
#include "frontend/frontend.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

bool inplace = [] {
    auto dir = std::filesystem::temp_directory_path() / "dropple-fuzz-savefile";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    return true;
}();

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen("savefile", "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
        std::abort();
    initload();
    std::remove("savefile");
    savesettings();

    unsigned char want[138];
    std::memcpy(want, defaultsettings, sizeof want);
    std::memcpy(want, data, size < sizeof want ? size : sizeof want);
    unsigned char got[139];
    f = std::fopen("savefile", "rb");
    if (!f)
        std::abort();
    std::size_t n = std::fread(got, 1, sizeof got, f);
    std::fclose(f);
    if (n != sizeof want || std::memcmp(got, want, sizeof want) != 0)
        std::abort();
    return 0;
}
