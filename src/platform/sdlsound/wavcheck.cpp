// Sound files are looked at before the mixer sees them: the mixer converts whatever it is given
// to the device's rate, so a file that claims 1 Hz, or a huge one, or a device that never ends,
// would cost seconds and gigabytes at start-up. The game's own sounds are small 16-bit PCM.
#include "platform/posix/files.h"
#include "platform/sdlsound/sdlsound.h"

#include <cstdint>
#include <unistd.h>

namespace {

std::uint32_t le(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; i--)
        v = v << 8 | p[i];
    return v;
}

bool sanefmt(const unsigned char* f) {
    const std::uint32_t format = le(f, 2), channels = le(f + 2, 2), rate = le(f + 4, 4);
    const std::uint32_t align = le(f + 12, 2), bits = le(f + 14, 2);
    return format == 1 && (channels == 1 || channels == 2) && rate >= 8000 && rate <= 48000 &&
           (bits == 8 || bits == 16) && align == channels * bits / 8;
}

} // namespace

bool wavsane(const unsigned char* b, std::size_t n, double* seconds) {
    if (n < 12 || le(b, 4) != le(reinterpret_cast<const unsigned char*>("RIFF"), 4) ||
        le(b + 8, 4) != le(reinterpret_cast<const unsigned char*>("WAVE"), 4))
        return false;
    const unsigned char* fmt = nullptr;
    // Chunks follow one another, each padded to an even length; the format must come before
    // the samples, and the samples must be there in full.
    for (std::size_t at = 12; at + 8 <= n;) {
        const unsigned char* id = b + at;
        const std::uint64_t size = le(b + at + 4, 4);
        if (size > n - at - 8)
            return false;
        if (id[0] == 'f' && id[1] == 'm' && id[2] == 't' && id[3] == ' ') {
            if (size < 16 || !sanefmt(b + at + 8))
                return false;
            fmt = b + at + 8;
        } else if (id[0] == 'd' && id[1] == 'a' && id[2] == 't' && id[3] == 'a') {
            if (fmt && seconds)
                *seconds = static_cast<double>(size) / le(fmt + 12, 2) / le(fmt + 4, 4);
            return fmt != nullptr;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

bool wavread(const char* path, std::vector<unsigned char>* bytes) {
    long size;
    int fd = openregular(path, &size);
    if (fd < 0)
        return false;
    bool ok = size <= wavlargest;
    if (ok) {
        bytes->resize(static_cast<std::size_t>(size));
        long got = readall(fd, bytes->data(), size);
        bytes->resize(static_cast<std::size_t>(got < 0 ? 0 : got));
        ok = got >= 0 && wavsane(bytes->data(), bytes->size());
    }
    close(fd);
    return ok;
}
