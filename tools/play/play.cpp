// varnek-play FILE...: plays modules through the audio output, one after
// another, with a status line (or plain lines when stdout is not a
// terminal) and keys when stdin is a terminal.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "music/mp.h"
#include "music/mp_control.h"
#include "music/mixer/dsm.h"
#include "music/mp_info.h"
#include "music/mp_settings.h"
#include "music/mp_walk.h"
#include "music/output/sd.h"
#include "platform/backend_sdl.h"
#include "platform/sound_out.h"
#include "tools/cli/cli.h"
#include "tools/play/play_status.h"
#include "tools/play/play_terminal.h"

namespace {

const char* const usageText =
    "usage: varnek-play [options] FILE...\n"
    "  --loops N   play each song N times (default 1)\n"
    "  --info      print each song's information and exit\n"
    "  --null      mix without sound output (no audio device needed)\n"
    "  --quality Q plain, linear, cubic or sinc mixing (default sinc)\n"
    "  --help      this text\n"
    "  --version   the program's version\n"
    "keys: space pause, left/right one order back/forward, n/p next/previous file,\n"
    "      +/- volume, q quit\n";

const uint32_t capSeconds = 30 * 60;
// Sound queued ahead of the speaker: what a pause or the end of a file waits for.
const int bufferMs = 200;
const int pollMs = 50;

struct options_T {
    std::vector<const char*> files;
    int loops = 1;
    bool info = false;
    bool null = false;
    int quality = DSM_QUALITY_SINC;
};

options_T parse(int argc, char** argv)
{
    static const char* const flags[] = {"--info", "--null", nullptr};
    static const char* const valued[] = {"--loops", "--quality", nullptr};
    cliArgs_T args = cli_parse(argc, argv, flags, valued, usageText, "varnek-play 1.0\n");
    options_T o;
    for (const auto& [name, value] : args.options) {
        if (name == "--loops" && (o.loops = (int)cli_count(value, 1, 1000)) < 0)
            cli_refuse(usageText);
        if (name == "--quality" && (o.quality = mp_qualityFromName(value)) < 0)
            cli_refuse(usageText);
        o.info = o.info || name == "--info";
        o.null = o.null || name == "--null";
    }
    o.files = args.operands;
    if (o.files.empty())
        cli_refuse(usageText);
    return o;
}

// Loads a file and walks its song; null, with the player's message said,
// when either fails.
mpModule_T* loadAndWalk(const char* file, int loops, mpwSong_T* song)
{
    mpModule_T* m = mp_loadModule(file);
    int code = m ? mpw_walk(m, loops, capSeconds, song) : mp_lastError;
    if (m && code == 0)
        return m;
    std::fprintf(stderr, "varnek-play: %s: %s\n", file, mp_errorMessage(code));
    mp_freeModule(m);
    return nullptr;
}

int printInfo(const options_T& o)
{
    int rc = 0;
    for (size_t i = 0; i < o.files.size(); i++) {
        mpwSong_T song;
        mpModule_T* m = loadAndWalk(o.files[i], o.loops, &song);
        if (!m) {
            rc = 1;
            continue;
        }
        std::printf("%s", i ? "\n" : "");
        mp_printInfo(stdout, o.files[i], m, song);
        std::printf("mixing:      %s\n", mp_qualityName(o.quality));
        mp_freeModule(m);
    }
    return rc;
}

// What the keys asked of the file list.
enum { GO_NEXT, GO_PREVIOUS, GO_QUIT };

struct player_T {
    const options_T* o;
    bool tty;
    int volume = 64;
};

// Where play is after a jump: the walk's time of that order in this pass.
double timeAt(const mpwSong_T& song, const mpModule_T* m, int loopCount, int position, double current)
{
    if (loopCount >= (int)song.passFrames.size() || song.orderFrames[position] < 0)
        return current;
    int64_t passStart = loopCount ? song.orderFrames[m->restartPos] : 0;
    if (passStart < 0 || song.orderFrames[position] < passStart)
        return current;
    return mpw_seconds(song.passFrames[loopCount] + (uint64_t)(song.orderFrames[position] - passStart));
}

// Plays one loaded module to its end (or until a key moves on).
int playModule(player_T& p, mpModule_T* m, const mpwSong_T& song, playView_T& view)
{
    int handle = mp_playModule(m, 1);
    if (!handle)
        return -1;
    mp_setEndLoop(handle, p.o->loops);
    mp_setVolume(p.volume);
    mp_startBackgroundPlay(0);
    using clock = std::chrono::steady_clock;
    clock::time_point last = clock::now();
    int lastPosition = -1, go = GO_NEXT;
    double endedAt = -1;
    for (;;) {
        int key = term_key(pollMs);
        clock::time_point now = clock::now();
        double step = std::chrono::duration<double>(now - last).count();
        last = now;
        if (!view.paused)
            view.played += step;
        mpStatus_T s;
        if (!mp_getStatus(handle, &s))
            return -1;
        if (key == KEY_QUIT || key == KEY_NEXT || key == KEY_PREVIOUS) {
            go = key == KEY_QUIT ? GO_QUIT : key == KEY_NEXT ? GO_NEXT : GO_PREVIOUS;
            break;
        } else if (key == KEY_PAUSE) {
            view.paused = !view.paused;
            if (view.paused)
                mp_stopBackgroundPlay();
            else
                mp_startBackgroundPlay(0);
        } else if ((key == KEY_BACK || key == KEY_FORWARD) && !s.ended) {
            mp_setPosition(handle, s.position + (key == KEY_BACK ? -1 : 1));
            mp_getStatus(handle, &s);
            view.played = timeAt(song, m, s.loopCount, s.position, view.played);
        } else if (key == KEY_LOUDER || key == KEY_SOFTER) {
            p.volume += key == KEY_LOUDER ? 4 : -4;
            p.volume = p.volume < 0 ? 0 : p.volume > 64 ? 64 : p.volume;
            mp_setVolume(p.volume);
        }
        view.volume = p.volume;
        if (p.tty) {
            std::printf("\r%s\x1b[K", play_statusLine(view, s, term_columns()).c_str());
            std::fflush(stdout);
        } else if (s.position != lastPosition && s.loopCount < p.o->loops) {
            std::printf("%s\n", play_orderLine(view, s).c_str());
            std::fflush(stdout);
        }
        lastPosition = s.position;
        // The end was mixed; what is queued still has to reach the speaker.
        if (s.ended && endedAt < 0)
            endedAt = view.played;
        if (endedAt >= 0 && view.played >= endedAt + bufferMs / 1000.0)
            break;
        // A song that never ends stops where the walk stopped.
        if (!song.ended && view.played >= view.total)
            break;
    }
    if (p.tty)
        std::printf("\n");
    return go;
}

int playAll(const options_T& o)
{
    player_T p;
    p.o = &o;
    p.tty = isatty(STDOUT_FILENO);
    term_start();
    int rc = 0, count = (int)o.files.size();
    for (int i = 0; i < count && i >= 0;) {
        const char* file = o.files[i];
        mpwSong_T song;
        mpModule_T* m = loadAndWalk(file, o.loops, &song);
        if (!m) {
            rc = 1;
            i++;
            continue;
        }
        // The walk owned the mixer; the device takes it from here.
        if (!mp_init()) {
            std::fprintf(stderr, "varnek-play: Player Error: %s\n", mp_errorMessage(mp_lastError));
            mp_freeModule(m);
            return 1;
        }
        if (!o.null && std::strcmp(mp_deviceName(), sdWaveDevice.name) != 0) {
            std::fprintf(stderr, "varnek-play: no audio output could be opened (--null plays without one)\n");
            mp_close();
            mp_freeModule(m);
            return 1;
        }
        playView_T view = {file, i + 1, count, (int)m->songLength, 0.0, mpw_seconds(song.frames), p.volume, 0};
        std::printf("playing %d/%d %s: \"%s\" %s, %d channels, %s%s\n", i + 1, count, file, m->name, mp_formatName(m),
                    m->numChannels, mp_timeText(view.total, 1).c_str(), song.ended ? "" : " (never ends: cut)");
        std::fflush(stdout);
        int go = playModule(p, m, song, view);
        mp_close();
        mp_freeModule(m);
        if (go < 0) {
            std::fprintf(stderr, "varnek-play: %s: Player Error: %s\n", file, mp_errorMessage(mp_lastError));
            rc = 1;
            go = GO_NEXT;
        }
        std::printf("end %d/%d %s: %s\n", i + 1, count, file, mp_timeText(view.played, 1).c_str());
        std::fflush(stdout);
        if (go == GO_QUIT)
            break;
        i = go == GO_PREVIOUS ? (i > 0 ? i - 1 : 0) : i + 1;
    }
    term_restore();
    return rc;
}

}  // namespace

int main(int argc, char** argv)
{
    const options_T o = parse(argc, argv);
    mp_startup();
    mpSettings.quality = o.quality;
    if (o.info)
        return printInfo(o);
    pf_setBackend(pf_sdlBackend());
    mpSettings.bufferLength = bufferMs;
    mpSettings.forcedDevice = o.null ? 2 : -1;
    if (!o.null && pf_audioDevices() == 0) {
        std::fprintf(stderr, "varnek-play: no audio output device (--null plays without one)\n");
        return 1;
    }
    return playAll(o);
}
