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
#include "tools/cli/cli.h"

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

options_T parse(int argc, char** argv)
{
    static const char* const flags[] = {"--float", "--integer", "--info", nullptr};
    static const char* const valued[] = {"--loops", "--seconds", nullptr};
    cliArgs_T args = cli_parse(argc, argv, flags, valued, usageText, "varnek-modrender 1.0\n");
    options_T o;
    for (const auto& [name, value] : args.options) {
        if (name == "--loops" && (o.loops = (int)cli_count(value, 1, 1000)) < 0)
            cli_refuse(usageText);
        if (name == "--seconds") {
            char* end = nullptr;
            o.seconds = std::strtod(value, &end);
            if (*end || !(o.seconds > 0 && o.seconds <= 86400))
                cli_refuse(usageText);
        }
        o.path = name == "--float" ? DSM_FLOAT : name == "--integer" ? DSM_INTEGER : o.path;
        o.info = o.info || name == "--info";
    }
    o.files = args.operands;
    if (o.files.size() != (o.info ? 1u : 2u))
        cli_refuse(usageText);
    return o;
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
    const options_T o = parse(argc, argv);
    mp_startup();
    mpModule_T* module = mp_loadModule(o.files[0]);
    if (!module) {
        const char* reason = mp_loadReason();
        std::fprintf(stderr, "Player Error: %s%s%s\n", mp_errorMessage(mp_lastError), *reason ? ": " : "", reason);
        return 1;
    }
    for (const std::string& warning : module->warnings)
        std::fprintf(stderr, "varnek-modrender: %s: %s\n", o.files[0], warning.c_str());
    int rc = o.info ? info(module, o) : render(module, o);
    mp_freeModule(module);
    return rc;
}
