// varnek-modrender IN OUT.wav [--seconds N] [--float|--integer]
// Renders a module file offline to a 44100 Hz 16-bit stereo WAV file: the
// song once through, or N seconds. For listening and for measuring.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "formats/wav_file.h"
#include "music/mixer/dsm.h"
#include "music/mp.h"
#include "music/mp_render.h"

static int usage()
{
    std::fprintf(stderr, "usage: varnek-modrender IN OUT.wav [--seconds N] [--float|--integer]\n");
    return 2;
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    double seconds = 0;
    int path = 0;
    for (int i = 3; i < argc; i++) {
        if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--float"))
            path = DSM_FLOAT;
        else if (!std::strcmp(argv[i], "--integer"))
            path = DSM_INTEGER;
        else
            return usage();
    }
    mp_startup();
    mpModule_T* module = mp_loadModule(argv[1]);
    if (!module) {
        std::fprintf(stderr, "Player Error: %s\n", mp_errorMessage(mp_lastError));
        return 1;
    }
    const int rate = 44100;
    // Once through: until the song wraps, with a cap of an hour for a song
    // that never ends.
    uint64_t limit = seconds > 0 ? (uint64_t)(seconds * rate) : (uint64_t)rate * 3600;
    int code = mpr_start(module, rate, path, 1);
    wavFile_T wav;
    if (code == 0 && wav_open(&wav, argv[2], rate, 2, 16) != 0) {
        std::fprintf(stderr, "varnek-modrender: cannot write %s\n", argv[2]);
        return 1;
    }
    // The end of the song is looked for every 882 frames (a tick at the
    // usual tempo); the sound goes to the file in blocks of 18 of those, as
    // small writes cost more than the mixing.
    const uint32_t step = 882, stepsPerWrite = 18;
    std::vector<int16_t> block(2 * step * stepsPerWrite);
    uint32_t filled = 0;
    uint64_t done = 0;
    while (code == 0 && done < limit && (seconds > 0 || mpr_loopCount() == 0)) {
        uint32_t n = (uint32_t)(limit - done < step ? limit - done : step);
        code = mpr_render(block.data() + 2 * filled, n);
        filled += n;
        done += n;
        if (filled > step * (stepsPerWrite - 1)) {
            wav_write(&wav, block.data(), filled * 4);
            filled = 0;
        }
    }
    wav_write(&wav, block.data(), filled * 4);
    if (code != 0) {
        std::fprintf(stderr, "Player Error: %s\n", mp_errorMessage(code));
        return 1;
    }
    wav_close(&wav);
    mpr_stop();
    mp_freeModule(module);
    std::printf("%s: %.2f s\n", argv[2], (double)done / rate);
    return 0;
}
