// varnek-modrender: renders a module file offline to a 44100 Hz 16-bit
// stereo WAV file, the song once through (or N times, or N seconds), to the
// end of its last row; or prints the song information. For listening and
// for measuring.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "formats/wav_file.h"
#include "music/mixer/dsm.h"
#include "music/mp.h"
#include "music/mp_info.h"
#include "music/mp_render.h"
#include "music/mp_walk.h"

namespace {

const char* const usageText =
    "usage: varnek-modrender [options] IN OUT.wav\n"
    "       varnek-modrender --info IN\n"
    "  --loops N     play the song N times (default 1)\n"
    "  --seconds N   render N seconds, looping the song as needed\n"
    "  --float       mix on the floating-point path\n"
    "  --integer     mix on the integer path\n"
    "  --info        print the song information and exit\n"
    "  --help        this text\n"
    "  --version     the program's version\n";

// A song that never wraps stops here, with a warning.
const uint32_t capSeconds = 30 * 60;
const int rate = 44100;

struct options_T {
    std::vector<const char*> files;
    int loops = 0;              // 0: not given
    double seconds = 0;         // 0: not given
    int path = 0;
    bool info = false;
};

int usage()
{
    std::fputs(usageText, stderr);
    return 2;
}

// 0 when parsed, else the exit code (help and version exit 0).
int parse(int argc, char** argv, options_T* o)
{
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        char* end = nullptr;
        if (!std::strcmp(a, "--help")) {
            std::fputs(usageText, stdout);
            return -1;
        } else if (!std::strcmp(a, "--version")) {
            std::puts("varnek-modrender 1.0");
            return -1;
        } else if (!std::strcmp(a, "--loops") && v) {
            long n = std::strtol(v, &end, 10);
            if (*end || n < 1 || n > 1000)
                return usage();
            o->loops = (int)n;
            i++;
        } else if (!std::strcmp(a, "--seconds") && v) {
            o->seconds = std::strtod(v, &end);
            if (*end || !(o->seconds > 0 && o->seconds <= 86400))
                return usage();
            i++;
        } else if (!std::strcmp(a, "--float")) {
            o->path = DSM_FLOAT;
        } else if (!std::strcmp(a, "--integer")) {
            o->path = DSM_INTEGER;
        } else if (!std::strcmp(a, "--info")) {
            o->info = true;
        } else if (a[0] == '-' && a[1]) {
            return usage();
        } else {
            o->files.push_back(a);
        }
    }
    if (o->files.size() != (o->info ? 1u : 2u))
        return usage();
    return 0;
}

int info(mpModule_T* module, const options_T& o)
{
    mpwSong_T song;
    int code = mpw_walk(module, o.loops ? o.loops : 1, capSeconds, &song);
    if (code != 0) {
        std::fprintf(stderr, "Player Error: %s\n", mp_errorMessage(code));
        return 1;
    }
    mp_printInfo(stdout, o.files[0], module, song);
    return 0;
}

int render(mpModule_T* module, const options_T& o)
{
    // --seconds alone loops the song; with --loops too, the first end wins.
    const bool untilEnd = o.loops || o.seconds <= 0;
    uint64_t limit = o.seconds > 0 ? (uint64_t)(o.seconds * rate) : (uint64_t)rate * capSeconds;
    int code = mpr_start(module, rate, o.path, 1);
    if (untilEnd)
        mpr_setEndLoop(o.loops ? o.loops : 1);
    wavFile_T wav;
    if (code == 0 && wav_open(&wav, o.files[1], rate, 2, 16) != 0) {
        std::fprintf(stderr, "varnek-modrender: cannot write %s\n", o.files[1]);
        return 1;
    }
    // The sound goes to the file in blocks of about a third of a second, as
    // small writes cost more than the mixing.
    std::vector<int16_t> block(2 * 16384);
    uint64_t done = 0;
    bool ended = false;
    while (code == 0 && !ended && done < limit) {
        uint32_t want = (uint32_t)(limit - done < 16384 ? limit - done : 16384), got = 0;
        code = mpr_renderSong(block.data(), want, &got);
        if (wav_write(&wav, block.data(), got * 4) != 0) {
            std::fprintf(stderr, "varnek-modrender: cannot write %s\n", o.files[1]);
            wav_close(&wav);
            return 1;
        }
        done += got;
        ended = got < want;
    }
    mpr_stop();
    if (code != 0) {
        std::fprintf(stderr, "Player Error: %s\n", mp_errorMessage(code));
        return 1;
    }
    if (wav_close(&wav) != 0) {
        std::fprintf(stderr, "varnek-modrender: cannot write %s\n", o.files[1]);
        return 1;
    }
    if (untilEnd && !ended && o.seconds <= 0)
        std::fprintf(stderr, "varnek-modrender: the song never reaches its end; stopped after %s\n",
                     mp_timeText(capSeconds, 0).c_str());
    std::printf("%s: %.2f s\n", o.files[1], (double)done / rate);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    options_T o;
    int parsed = parse(argc, argv, &o);
    if (parsed)
        return parsed < 0 ? 0 : parsed;
    mp_startup();
    mpModule_T* module = mp_loadModule(o.files[0]);
    if (!module) {
        std::fprintf(stderr, "Player Error: %s\n", mp_errorMessage(mp_lastError));
        return 1;
    }
    int rc = o.info ? info(module, o) : render(module, o);
    mp_freeModule(module);
    return rc;
}
