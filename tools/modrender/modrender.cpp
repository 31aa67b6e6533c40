// varnek-modrender: renders a module file offline to a 16-bit stereo WAV
// file (or to standard output), the song once through (or N times, for
// ever, or for a time), to the end of its last row; or prints the song
// information. For listening and for measuring.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "formats/wav_file.h"
#include "music/mp.h"
#include "music/mp_info.h"
#include "music/mp_render.h"
#include "music/mp_settings.h"
#include "music/mp_walk.h"
#include "platform/cmdline.h"
#include "tools/music_options/music_options.h"

namespace {

const char* const program = "varnek-modrender";

const std::string usageText = std::string(
    "usage: varnek-modrender [options] IN OUT.wav\n"
    "       varnek-modrender --info IN\n"
    "  OUT - writes the WAV to standard output\n") + moptUsage +
    "  --float         mix plain on the floating-point path\n"
    "  --integer       mix plain on the integer path\n" + moptUsageEnd;

// A song that never wraps stops here, with a warning.
const uint32_t capSeconds = 30 * 60;
// Frames rendered at a time: small writes cost more than the mixing.
const uint32_t blockFrames = 16384;

struct options_T : moptOptions_T {
    int path = MPR_MIX_AUTO;
    const char* in = nullptr;
    const char* out = nullptr;
    bool toStdout = false;
};

int parse(int argc, char** argv, options_T* o)
{
    static const char* const own[] = {"--float", "--integer", nullptr};
    const char* usage = usageText.c_str();
    int rc = mopt_parse(argc, argv, program, own, usage, o);
    if (rc >= 0)
        return rc;
    for (const char* f : o->own)
        o->path = !std::strcmp(f, "--float") ? MPR_MIX_FLOAT : MPR_MIX_INTEGER;
    if (o->files.size() != (o->info ? 1u : 2u))
        return cmd_refuse(program, usage, o->info ? "--info takes one file, %zu given"
                                                  : "give the module and the WAV file to write, %zu given",
                          o->files.size());
    o->in = o->files[0];
    o->out = o->info ? nullptr : o->files[1];
    o->toStdout = o->out && !std::strcmp(o->out, "-");
    if (!o->info && o->loopsGiven && o->loops == 0 && o->seconds <= 0 && !o->toStdout)
        return cmd_refuse(program, usage, "--loops 0 renders for ever: give --seconds too, or write to - (standard output)");
    // A numeric path is the plain mixing's; the best quality otherwise.
    if (o->path != MPR_MIX_AUTO && o->quality > MP_QUALITY_PLAIN)
        return cmd_refuse(program, usage, "--quality %s with %s: those paths mix plain", mp_qualityName(o->quality),
                          o->path == MPR_MIX_FLOAT ? "--float" : "--integer");
    if (o->quality < 0)
        o->quality = o->path != MPR_MIX_AUTO ? MP_QUALITY_PLAIN : MP_QUALITY_SINC;
    return -1;
}

int fail(const char* file, const char* what)
{
    std::fprintf(stderr, "%s: %s: %s\n", program, file, what);
    return 1;
}

int info(mpModule_T* module, const options_T& o)
{
    mpwSong_T song;
    int code = mpw_walk(module, o.loops ? o.loops : 1, capSeconds, &song);
    if (code != 0)
        return fail(o.in, mp_errorMessage(code));
    mp_printInfo(stdout, o.in, module, song);
    std::printf("mixing:      %s\n", mp_qualityName(o.quality));
    std::vector<mpwSubsong_T> subs;
    if ((code = mpw_subsongs(module, capSeconds, &subs)) != 0)
        return fail(o.in, mp_errorMessage(code));
    if (subs.size() > 1) {
        std::printf("subsongs:    %zu\n", subs.size());
        for (size_t i = 0; i < subs.size(); i++) {
            double seconds = mpw_seconds(subs[i].song.frames);
            std::printf("  %2zu from order %d: %s (%.2f s)\n", i + 1, subs[i].first + 1,
                        mp_timeText(seconds, 1).c_str(), seconds);
        }
    }
    return 0;
}

// The block of sound is written unless it is part of the start skipped.
struct sink_T {
    wavFile_T wav;
    uint64_t skip, written = 0;
};

int render(mpModule_T* module, const options_T& o)
{
    // Where the words go when the sound goes to standard output.
    FILE* say = o.toStdout ? stderr : stdout;
    if (o.verbose) {
        mpwSong_T song;
        int code = mpw_walk(module, o.loops ? o.loops : 1, capSeconds, &song);
        if (code != 0)
            return fail(o.in, mp_errorMessage(code));
        mp_printInfo(say, o.in, module, song);
    } else if (o.message && !o.quiet) {
        mp_printMessage(say, module);
    }
    const int rate = o.rate;
    // --seconds alone loops the song; with --loops too, the first end wins.
    const bool untilEnd = o.loopsGiven ? o.loops > 0 : o.seconds <= 0;
    const bool forever = o.loopsGiven && o.loops == 0 && o.seconds <= 0;
    uint64_t limit = o.seconds > 0 ? (uint64_t)(o.seconds * rate) : forever ? UINT64_MAX : (uint64_t)rate * capSeconds;
    int code = mpr_start(module, rate, o.path, 1);
    if (code == 0 && o.loopsGiven)
        mpr_setEndLoop(o.loops);
    else if (code == 0 && untilEnd)
        mpr_setEndLoop(1);
    if (code == 0 && o.order >= 0)
        code = mpr_setPosition(o.order);
    for (int c = 0; code == 0 && c < module->numChannels; c++)
        if (o.muted[c])
            code = mpr_muteChannel(c, 1);
    if (code != 0) {
        mpr_stop();
        return fail(o.in, mp_errorMessage(code));
    }
    sink_T sink;
    sink.skip = (uint64_t)(o.start * rate);
    errno = 0;
    if ((o.toStdout ? wav_openStream(&sink.wav, stdout, rate, 2, 16) : wav_open(&sink.wav, o.out, rate, 2, 16)) != 0) {
        mpr_stop();
        return fail(o.out, errno ? std::strerror(errno) : "cannot be written");
    }
    std::vector<int16_t> block(2 * blockFrames);
    bool ended = false;
    while (code == 0 && !ended && sink.written < limit) {
        // The skipped start is mixed like the rest, so what follows it is
        // the same sound as in a render from the beginning.
        uint64_t want = sink.skip ? sink.skip : limit - sink.written;
        uint32_t n = (uint32_t)(want < blockFrames ? want : blockFrames), got = 0;
        code = mpr_renderSong(block.data(), n, &got);
        ended = got < n;
        if (sink.skip) {
            sink.skip -= got;
            continue;
        }
        if (wav_write(&sink.wav, block.data(), got * 4) != 0) {
            int err = errno;
            mpr_stop();
            wav_close(&sink.wav);
            return fail(o.toStdout ? "standard output" : o.out, err ? std::strerror(err) : "cannot be written");
        }
        sink.written += got;
    }
    mpr_stop();
    if (code != 0) {
        wav_close(&sink.wav);
        return fail(o.in, mp_errorMessage(code));
    }
    if (wav_close(&sink.wav) != 0)
        return fail(o.toStdout ? "standard output" : o.out, errno ? std::strerror(errno) : "cannot be written");
    if (sink.skip) {
        if (!o.toStdout)
            std::remove(o.out);
        return fail(o.in, ("--start " + mp_timeText(o.start, 0) + " is past the song's end").c_str());
    }
    if (untilEnd && !ended && o.seconds <= 0)
        std::fprintf(stderr, "%s: %s: the song never reaches its end; stopped after %s\n", program, o.in,
                     mp_timeText(capSeconds, 0).c_str());
    if (!o.quiet)
        std::fprintf(say, "%s: %.2f s\n", o.toStdout ? "standard output" : o.out, (double)sink.written / rate);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    options_T o;
    int rc = parse(argc, argv, &o);
    if (rc >= 0)
        return rc;
    mp_startup();
    mpSettings.separation = o.separation;
    mpSettings.quality = o.quality;
    mpModule_T* module = mp_loadModule(o.in);
    if (!module) {
        // The reader's reason, when it gave one, after the code's message.
        std::string what = mp_errorMessage(mp_lastError);
        if (*mp_loadReason())
            what = what + ": " + mp_loadReason();
        return fail(o.in, what.c_str());
    }
    for (const std::string& warning : module->warnings)
        std::fprintf(stderr, "%s: %s: %s\n", program, o.in, warning.c_str());
    std::string wrong = mopt_startOrder(module, o, capSeconds, &o.order);
    if (!wrong.empty())
        rc = fail(o.in, wrong.c_str());
    else
        rc = o.info ? info(module, o) : render(module, o);
    mp_freeModule(module);
    return rc;
}
