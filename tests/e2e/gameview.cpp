// Runs one game ("Dropple 3") in the real terminal for end-to-end tests of held keys, with the
// auto repeat speed given on the command line saved first, and reports the piece's columns, the
// hold slot and the frame count to a status file while it plays. The report comes from a second
// thread that only reads; a torn value can only make a test fail, never pass.
#include "console/platform.h"
#include "console/screen.h"
#include "frontend/frontend.h"
#include "shell/ingamev.h"
#include "shell/shell.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

void report(const std::string& out, const char* extra) {
    const std::string part = out + ".part";
    if (std::FILE* f = std::fopen(part.c_str(), "w")) {
        std::fprintf(f, "frames: %llu\ncolumn: %u\nhold: %u\n%s",
                     static_cast<unsigned long long>(ingamev.frames), ingamev.piecex[0],
                     ingamev.hold, extra);
        std::fclose(f);
        std::rename(part.c_str(), out.c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const std::string out = argv[1];
    platformopen();
    initscreen();
    matchsize();
    initload();
    INGAMEARR = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 0));
    savesettings();
    std::atomic<bool> done{false};
    std::thread watch([&] {
        while (!done) {
            report(out, "");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    ingame(1);
    done = true;
    watch.join();
    report(out, "ended\n");
    platformclose();
    return 0;
}
