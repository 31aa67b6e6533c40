// varnek-play FILE...: plays modules through the audio output, one after
// another on the one device, with a status line (or plain lines when stdout
// is not a terminal) and keys when stdin is a terminal.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "music/mp.h"
#include "music/mp_control.h"
#include "music/mp_info.h"
#include "music/mp_settings.h"
#include "music/mp_walk.h"
#include "platform/backend_sdl.h"
#include "platform/cmdline.h"
#include "platform/sound_out.h"
#include "tools/music_options/music_options.h"
#include "tools/play/play_status.h"
#include "tools/play/play_terminal.h"

namespace {

const char* const program = "varnek-play";

const std::string usageText = std::string("usage: varnek-play [options] FILE...\n") + moptUsage +
    "  --shuffle       play the files in a random order\n"
    "  --null          mix without sound output (no audio device needed)\n" + moptUsageEnd +
    "keys: space pause, left/right one order back/forward, up/down 10 s forward/back,\n"
    "      < and > the file's previous/next song (--info lists them),\n"
    "      1-9 and 0 mute or unmute channels 1-10, m the song's message,\n"
    "      n/p next/previous file, +/- volume, q quit\n";

const uint32_t capSeconds = 30 * 60;
// Sound queued ahead of the speaker: what a pause or the end of a file waits for.
const int bufferMs = 200;
const int pollMs = 50;
const double seekSeconds = 10;

struct options_T : moptOptions_T {
    bool null = false;
};

int parse(int argc, char** argv, options_T* o)
{
    static const char* const own[] = {"--null", "--shuffle", nullptr};
    const char* usage = usageText.c_str();
    int rc = mopt_parse(argc, argv, program, own, usage, o);
    if (rc >= 0)
        return rc;
    o->null = mopt_has(*o, "--null");
    if (o->files.empty())
        return cmd_refuse(program, usage, "no module file given");
    if (mopt_has(*o, "--shuffle"))
        std::shuffle(o->files.begin(), o->files.end(), std::mt19937(std::random_device{}()));
    return -1;
}

// A file of the list, walked before the sound device opens (the walk owns
// the mixer while it runs, the device after): each song of its order list,
// so that the keys can move between them.
struct song_T {
    const char* file;
    std::vector<mpwSubsong_T> songs;    // each walked for the asked passes
    int subsong = 0;        // the one played first, 0-based
    int order = -1;         // where play starts: --order, or the start of the --subsong
    bool ok = false;
};

// Loads a file; null, with the player's message said, when it fails.
mpModule_T* load(const char* file)
{
    mpModule_T* m = mp_loadModule(file);
    if (!m)
        std::fprintf(stderr, "%s: %s: %s\n", program, file, mp_errorMessage(mp_lastError));
    return m;
}

// Walks each song of the file's order list for the asked passes; the first
// from the list's start, where --order may start a part of it. 0 or a code.
int walkSongs(mpModule_T* m, const options_T& o, song_T* s)
{
    int code = mpw_subsongs(m, capSeconds, &s->songs);
    if (code == 0 && o.loops > 1)
        for (size_t k = 0; k < s->songs.size() && code == 0; k++)
            code = mpw_walkFrom(m, s->songs[k].first, o.loops, capSeconds, &s->songs[k].song);
    s->subsong = o.subsong > 0 ? o.subsong - 1 : 0;
    return code;
}

// Loads and walks every file; the ones that fail are said and left out.
std::vector<song_T> walkAll(const options_T& o, int* rc)
{
    std::vector<song_T> songs;
    for (size_t i = 0; i < o.files.size(); i++) {
        const char* file = o.files[i];
        song_T s;
        s.file = file;
        mpModule_T* m = load(file);
        std::string wrong = m ? mopt_startOrder(m, o, capSeconds, &s.order) : "";
        if (m && wrong.empty()) {
            int code = walkSongs(m, o, &s);
            if (code > 0)
                wrong = mp_errorMessage(code);
        }
        if (!wrong.empty())
            std::fprintf(stderr, "%s: %s: %s\n", program, file, wrong.c_str());
        s.ok = m && wrong.empty();
        if (s.ok && o.info) {
            mp_printInfo(stdout, file, m, s.songs[s.subsong].song);
            std::printf("mixing:      %s\n", mp_qualityName(mpSettings.quality));
        }
        if (s.ok && o.info && i + 1 < o.files.size())
            std::printf("\n");
        mp_freeModule(m);
        *rc = s.ok ? *rc : 1;
        songs.push_back(s);
    }
    return songs;
}

// What the keys asked of the file list.
enum { GO_NEXT, GO_PREVIOUS, GO_QUIT, GO_NEXT_SONG, GO_PREVIOUS_SONG };

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

// Starts the module at order position `order` (-1: the first) and
// `seconds` after it; the handle, 0 when it failed. view.played is where it
// starts.
int start(player_T& p, mpModule_T* m, const mpwSong_T& song, playView_T& view, int order, double seconds)
{
    int handle = mp_playModule(m, 1);
    if (!handle)
        return 0;
    mp_setEndLoop(handle, p.o->loops);
    view.played = 0;
    if (order >= 0) {
        mp_setPosition(handle, order);
        view.played = timeAt(song, m, 0, order, 0);
    }
    double skipped = 0;
    if (seconds > 0 && !mp_skip(handle, seconds, &skipped))
        return 0;
    view.played += skipped;
    for (int c = 0; c < m->numChannels; c++)
        mp_muteChannel(handle, c, view.muted[c]);
    return handle;
}

void showMessage(const player_T& p, const mpModule_T* m)
{
    if (p.tty)
        std::printf("\r\x1b[K");
    mp_printMessage(stdout, m);
    std::fflush(stdout);
}

// Plays one song of a loaded module to its end (or until a key moves on).
// Its time counts from order position `from` (-1: the list's start), where
// a seek back starts it again; it starts at `order`, `seconds` after it.
int playModule(player_T& p, mpModule_T* m, const mpwSong_T& song, int from, int order, double seconds,
               playView_T& view)
{
    int handle = start(p, m, song, view, order, seconds);
    if (!handle)
        return -1;
    mpStatus_T s;
    if (!mp_getStatus(handle, &s))
        return -1;
    // Where play starts, before a sound is mixed.
    if (!p.tty && !p.o->quiet) {
        std::printf("%s\n", play_orderLine(view, s).c_str());
        std::fflush(stdout);
    }
    int lastPosition = s.position;
    mp_setVolume(p.volume);
    mp_startBackgroundPlay(0);
    using clock = std::chrono::steady_clock;
    clock::time_point last = clock::now();
    int go = GO_NEXT, stops = term_stops();
    // Time heard, for --seconds: seeks and jumps do not count.
    double endedAt = -1, heard = 0;
    for (;;) {
        int key = term_key(pollMs);
        clock::time_point now = clock::now();
        double step = std::chrono::duration<double>(now - last).count();
        last = now;
        // Time spent stopped by Ctrl-Z is not time played.
        if (term_stops() != stops) {
            stops = term_stops();
            step = 0;
        }
        if (!view.paused) {
            view.played += step;
            heard += step;
        }
        if (!mp_getStatus(handle, &s))
            return -1;
        if (key == KEY_QUIT || key == KEY_NEXT || key == KEY_PREVIOUS) {
            go = key == KEY_QUIT ? GO_QUIT : key == KEY_NEXT ? GO_NEXT : GO_PREVIOUS;
            break;
        } else if ((key == KEY_NEXT_SONG && view.subsong < view.subsongs) ||
                   (key == KEY_PREVIOUS_SONG && view.subsong > 1)) {
            go = key == KEY_NEXT_SONG ? GO_NEXT_SONG : GO_PREVIOUS_SONG;
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
        } else if (key == KEY_SEEK_FORWARD && !s.ended) {
            double skipped = 0;
            if (!mp_skip(handle, seekSeconds, &skipped))
                return -1;
            view.played += skipped;
        } else if (key == KEY_SEEK_BACK) {
            // Back means from the start again, run forward to the time.
            double target = view.played > seekSeconds ? view.played - seekSeconds : 0;
            mp_stopModule(handle);
            if (!(handle = start(p, m, song, view, from, target)))
                return -1;
            endedAt = -1;
        } else if (key >= KEY_CHANNEL && key - KEY_CHANNEL < s.numChannels) {
            int c = key - KEY_CHANNEL;
            view.muted.flip(c);
            mp_muteChannel(handle, c, view.muted[c]);
        } else if (key == KEY_MESSAGE) {
            showMessage(p, m);
        } else if (key == KEY_LOUDER || key == KEY_SOFTER) {
            p.volume += key == KEY_LOUDER ? 4 : -4;
            p.volume = p.volume < 0 ? 0 : p.volume > 64 ? 64 : p.volume;
            mp_setVolume(p.volume);
        }
        mp_getStatus(handle, &s);
        view.volume = p.volume;
        if (p.tty && !p.o->quiet) {
            std::printf("\r%s\x1b[K", play_statusLine(view, s, term_columns()).c_str());
            std::fflush(stdout);
        } else if (!p.o->quiet && s.position != lastPosition && (p.o->loops == 0 || s.loopCount < p.o->loops)) {
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
        if (!song.ended && view.played >= view.total && p.o->loops != 0)
            break;
        if (p.o->seconds > 0 && heard >= p.o->seconds)
            break;
    }
    mp_stopModule(handle);
    if (p.tty && !p.o->quiet)
        std::printf("\n");
    return go;
}

int playAll(const options_T& o, std::vector<song_T>& songs, int rc)
{
    player_T p;
    p.o = &o;
    p.tty = isatty(STDOUT_FILENO);
    if (!mp_init()) {
        std::fprintf(stderr, "%s: the sound output: %s\n", program, mp_errorMessage(mp_lastError));
        return 1;
    }
    if (!o.null && mp_deviceIsSilent()) {
        std::fprintf(stderr, "%s: no audio output could be opened (--null plays without one)\n", program);
        mp_close();
        return 1;
    }
    term_start();
    std::bitset<MP_MAX_CHANNELS> muted = o.muted;
    int count = (int)songs.size();
    for (int i = 0, step = 1; i < count && i >= 0;) {
        const song_T& song = songs[i];
        mpModule_T* m = song.ok ? load(song.file) : nullptr;
        if (!m) {
            // Failed before (said then) or now: the list goes on the way it went.
            rc = 1;
            i += step;
            if (i < 0) {
                i = 0;
                step = 1;
            }
            continue;
        }
        int subsongs = (int)song.songs.size(), sub = song.subsong, order = song.order;
        double seconds = o.start;
        const mpwSong_T* walk = &song.songs[sub].song;
        playView_T view = {song.file, i + 1, count, (int)m->songLength, sub + 1, subsongs, 0.0,
                           mpw_seconds(walk->frames), p.volume, 0, muted};
        if (!o.quiet) {
            std::printf("playing %d/%d %s: \"%s\" %s, %d channels, %s%s", i + 1, count, song.file, m->name,
                        mp_formatName(m), m->numChannels, mp_timeText(view.total, 1).c_str(),
                        walk->ended ? "" : " (never ends: cut)");
            if (subsongs > 1)
                std::printf(", song %d of %d", sub + 1, subsongs);
            std::printf("\n");
            if (o.verbose)
                mp_printInfo(stdout, song.file, m, *walk);
            else if (o.message)
                mp_printMessage(stdout, m);
            std::fflush(stdout);
        }
        int go;
        // The keys < and > move between the file's songs; each plays to its own end.
        for (;;) {
            int from = song.songs[sub].first > 0 ? song.songs[sub].first : -1;
            go = playModule(p, m, *walk, from, order, seconds, view);
            if (go != GO_NEXT_SONG && go != GO_PREVIOUS_SONG)
                break;
            sub += go == GO_NEXT_SONG ? 1 : -1;
            order = song.songs[sub].first > 0 ? song.songs[sub].first : -1;
            seconds = 0;
            walk = &song.songs[sub].song;
            view.subsong = sub + 1;
            view.total = mpw_seconds(walk->frames);
            if (!o.quiet && !p.tty) {
                std::printf("song %d/%d: %s%s\n", sub + 1, subsongs, mp_timeText(view.total, 1).c_str(),
                            walk->ended ? "" : " (never ends: cut)");
                std::fflush(stdout);
            }
        }
        muted = view.muted;
        mp_freeModule(m);
        if (go < 0) {
            std::fprintf(stderr, "%s: %s: %s\n", program, song.file, mp_errorMessage(mp_lastError));
            rc = 1;
            go = GO_NEXT;
        }
        if (!o.quiet) {
            std::printf("end %d/%d %s: %s\n", i + 1, count, song.file, mp_timeText(view.played, 1).c_str());
            std::fflush(stdout);
        }
        if (go == GO_QUIT)
            break;
        step = go == GO_PREVIOUS ? -1 : 1;
        i = go == GO_PREVIOUS && i == 0 ? 0 : i + step;
    }
    term_restore();
    mp_close();
    return rc;
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
    mpSettings.mixRate = o.rate;
    mpSettings.quality = o.quality < 0 ? MP_QUALITY_SINC : o.quality;
    rc = 0;
    std::vector<song_T> songs = walkAll(o, &rc);
    if (o.info)
        return rc;
    pf_setBackend(pf_sdlBackend());
    mpSettings.bufferLength = bufferMs;
    mpSettings.forcedDevice = o.null ? 2 : -1;
    if (!o.null && pf_audioDevices() == 0) {
        std::fprintf(stderr, "%s: no audio output device (--null plays without one)\n", program);
        return 1;
    }
    return playAll(o, songs, rc);
}
