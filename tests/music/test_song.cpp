// The demo's music as the generator writes it: it must load with the
// player's reader, stay in the period range the player clamps to, and play
// for at least two minutes before the song wraps to its restart position.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "music/core/gmp.h"
#include "music/rules/rules.h"
#include "music/mixer/dsm.h"
#include "music/mp_module.h"
#include "music/output/sd.h"

namespace {

const std::string songPath = std::string(VARNEK_DATA_DIR) + "/phased.mod";

// The player's internal command numbers the walk needs.
enum { CMD_ARPEGGIO = 1, CMD_JUMP = 12, CMD_BREAK = 14, CMD_SPEED = 15, CMD_TEMPO = 16,
       CMD_LOOP = 19, CMD_DELAY = 26 };

struct cell_T {
    int note = MP_NONE, instrument = MP_NONE, command = 0, param = 0;
};

// One encoded pattern decoded into rows x channels.
std::vector<std::vector<cell_T>> decodePattern(const std::vector<uint8_t>& p, int channels)
{
    std::vector<std::vector<cell_T>> rows;
    size_t at = 8;
    while (at < p.size() && rows.size() < 64) {
        std::vector<cell_T> row(channels);
        while (at < p.size() && p[at] != 0) {
            uint8_t flags = p[at++];
            cell_T c;
            if (flags & MP_ENT_NOTE) {
                c.note = p[at];
                c.instrument = p[at + 1];
                at += 2;
            }
            if (flags & MP_ENT_VOLUME)
                at++;
            if (flags & MP_ENT_COMMAND) {
                c.command = p[at];
                c.param = p[at + 1];
                at += 2;
            }
            int ch = flags & MP_ENT_CHANNEL;
            if (ch < channels)
                row[ch] = c;
        }
        at++;
        rows.push_back(row);
    }
    return rows;
}

// Follows the order list the way the player schedules rows (speed, tempo,
// position jumps, pattern breaks, pattern loops and delays) until the song
// wraps; calls visit(pattern, row) for every row played.
template <typename Visit>
double playedSeconds(const mpModule_T& m, Visit visit)
{
    std::vector<std::vector<std::vector<cell_T>>> patterns;
    for (const auto& p : m.patterns)
        patterns.push_back(decodePattern(p, m.numChannels));
    int speed = m.speed, tempo = m.tempo;
    int position = 0, row = 0;
    std::vector<int> loopRow(m.numChannels, 0), loopCounter(m.numChannels, 0);
    double seconds = 0.0;
    for (int guard = 0; guard < 100000; guard++) {
        const auto& rows = patterns.at(m.orders.at(position));
        const std::vector<cell_T>& cells = rows.at(row);
        visit(m.orders[position], row);
        int nextPosition = position, nextRow = row + 1, delay = 0;
        bool jumped = false, wrapped = false;
        for (int c = 0; c < m.numChannels; c++) {
            int x = cells[c].param;
            switch (cells[c].command) {
            case CMD_SPEED:
                if (x == 0)
                    wrapped = true;
                else
                    speed = x;
                break;
            case CMD_TEMPO:
                tempo = x;
                break;
            case CMD_JUMP:
                wrapped = wrapped || x <= position || x >= (int)m.songLength;
                nextPosition = x;
                nextRow = 0;
                jumped = true;
                break;
            case CMD_BREAK:
                if (!jumped)
                    nextPosition = position + 1;
                nextRow = x > 0x63 ? 63 : (x >> 4) * 10 + (x & 15);
                jumped = true;
                break;
            case CMD_LOOP:
                if (x == 0) {
                    loopRow[c] = row;
                } else if (loopCounter[c] == 0 || --loopCounter[c] != 0) {
                    if (loopCounter[c] == 0)
                        loopCounter[c] = x;
                    nextPosition = position;
                    nextRow = loopRow[c];
                    jumped = true;
                }
                break;
            case CMD_DELAY:
                delay = x;
                break;
            }
        }
        // A tick lasts 2.5 / tempo seconds (125 beats per minute: 20 ms).
        seconds += (1 + delay) * speed * 2.5 / tempo;
        if (!jumped && nextRow >= (int)rows.size()) {
            nextPosition = position + 1;
            nextRow = 0;
        }
        if (nextPosition >= (int)m.songLength)
            wrapped = true;
        if (wrapped)
            return seconds;
        position = nextPosition;
        row = nextRow;
    }
    ADD_FAILURE() << "the song never wraps";
    return seconds;
}

struct loadedSong_T {
    mpModule_T* module = nullptr;
    loadedSong_T() { module = mp_loadModule(songPath.c_str()); }
    ~loadedSong_T() { if (module) mp_freeModule(module); }
};

std::vector<uint8_t> fileBytes()
{
    std::ifstream in(songPath, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned word(const std::vector<uint8_t>& b, size_t at) { return b[at] * 256u + b[at + 1]; }

}  // namespace

TEST(Song, LoadsAsFourChannelModWithItsOwnRestartPosition)
{
    loadedSong_T song;
    ASSERT_NE(song.module, nullptr) << "cannot load " << songPath;
    const mpModule_T& m = *song.module;
    EXPECT_EQ(m.formatId, (uint32_t)MP_FORMAT_MOD);
    EXPECT_EQ(m.numChannels, 4);
    EXPECT_EQ(std::string(m.name), "phased");
    EXPECT_EQ(m.flags & MP_FLAG_WIDE_OCTAVES, 0u) << "a note lies outside octaves 1 to 3";
    // The restart byte is the song's own (the reader would turn a bad one
    // into 0): the loop goes back past the intro, not to the start.
    std::vector<uint8_t> bytes = fileBytes();
    ASSERT_GT(bytes.size(), 1084u);
    EXPECT_EQ(bytes[951], m.restartPos);
    EXPECT_GT(m.restartPos, 0u);
    EXPECT_LT(m.restartPos, m.songLength);
    EXPECT_EQ(std::string(bytes.begin() + 1080, bytes.begin() + 1084), "M.K.");
}

TEST(Song, InstrumentsAreUsedSamplesWithLoopsInside)
{
    loadedSong_T song;
    ASSERT_NE(song.module, nullptr);
    std::vector<uint8_t> bytes = fileBytes();
    int used = 0, looped = 0;
    for (int i = 0; i < 31; i++) {
        size_t h = 20 + 30 * i;
        unsigned length = word(bytes, h + 22), volume = bytes[h + 25];
        unsigned loopStart = word(bytes, h + 26), loopLength = word(bytes, h + 28);
        EXPECT_LE(volume, 64u) << "sample " << i;
        if (loopLength > 1) {
            EXPECT_LE(loopStart + loopLength, length) << "sample " << i << " loops outside its data";
            looped++;
        }
        if (song.module->instruments[i].used) {
            used++;
            ASSERT_NE(song.module->samples[i], nullptr);
            EXPECT_GT(length, 0u) << "instrument " << i + 1 << " is played but has no data";
        }
    }
    EXPECT_GE(used, 6) << "drums, bass, lead and chords at the least";
    EXPECT_GE(looped, 3) << "the sustained instruments loop";
}

TEST(Song, EveryNoteAndArpeggioStaysWithinOctavesOneToThree)
{
    loadedSong_T song;
    ASSERT_NE(song.module, nullptr);
    const mpModule_T& m = *song.module;
    std::vector<std::vector<std::vector<cell_T>>> patterns;
    for (const auto& p : m.patterns)
        patterns.push_back(decodePattern(p, m.numChannels));
    // In play order, so an arpeggio is checked against the note it plays on:
    // one that climbs past B-3 would drop three octaves in the player.
    std::vector<int> lastNote(m.numChannels, -1);
    int arpeggios = 0;
    playedSeconds(m, [&](int pattern, int row) {
        for (int c = 0; c < m.numChannels; c++) {
            const cell_T& cell = patterns[pattern][row][c];
            if (cell.note != MP_NONE) {
                int octave = cell.note >> 4, semitone = cell.note & 15;
                EXPECT_GE(octave, 1) << "pattern " << pattern << " row " << row;
                EXPECT_LE(octave, 3) << "pattern " << pattern << " row " << row;
                EXPECT_LE(semitone, 11);
                lastNote[c] = octave * 12 + semitone;
            }
            if (cell.command == CMD_ARPEGGIO) {
                arpeggios++;
                ASSERT_GE(lastNote[c], 0) << "arpeggio before any note, pattern " << pattern;
                int top = lastNote[c] + std::max(cell.param >> 4, cell.param & 15);
                EXPECT_LE(top, 3 * 12 + 11) << "pattern " << pattern << " row " << row;
            }
        }
    });
    EXPECT_GT(arpeggios, 100) << "the chords are played as arpeggios";
}

TEST(Song, PlaysAtLeastTwoMinutesBeforeItWraps)
{
    loadedSong_T song;
    ASSERT_NE(song.module, nullptr);
    int rows = 0;
    double seconds = playedSeconds(*song.module, [&](int, int) { rows++; });
    EXPECT_GE(seconds, 120.0) << rows << " rows";
    EXPECT_LE(seconds, 300.0) << rows << " rows";
}

TEST(Song, UsesTheCommandsThePlayerImplements)
{
    loadedSong_T song;
    ASSERT_NE(song.module, nullptr);
    const mpModule_T& m = *song.module;
    std::vector<int> seen(34, 0);
    for (const auto& p : m.patterns)
        for (const auto& row : decodePattern(p, m.numChannels))
            for (const cell_T& c : row)
                if (c.command > 0 && c.command < 34)
                    seen[c.command]++;
    // arpeggio, slides, tone portamento, vibrato, offset, volume slide, jump,
    // set volume, break, speed, tempo, pattern loop, retrigger, note cut, note
    // delay, pattern delay
    for (int command : {1, 2, 3, 4, 5, 10, 11, 12, 13, 14, 15, 16, 19, 21, 24, 25, 26})
        EXPECT_GT(seen[command], 0) << "command " << command << " is never used";
}

// The song through the real player and mixer, the way the demo hears it
// (44100 Hz, 16-bit stereo): it wraps only after two minutes, it is never
// silent for a whole second once it has started, and it never clips.
TEST(Song, PlayerMixesTwoMinutesWithoutSilenceOrClipping)
{
    ASSERT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | DSM_INTEGER), 0);
    mpModule_T* module = mp_loadModule(songPath.c_str());
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(dsm_openChannels(module->numChannels), 0);
    const int soundChannels[4] = {0, 1, 2, 3};
    gmpPlayState_T* state = nullptr;
    ASSERT_EQ(gmp_play(module, gmp_rulesOf(module), -1, -1, -1, 1, 0, soundChannels, &state), 0);

    uint32_t frames = 0, secondFrames = 0, clipped = 0, silentSeconds = 0;
    double secondEnergy = 0.0;
    std::vector<int16_t> block;
    while (state->loopCount == 0 && frames < 44100u * 300) {
        uint32_t tick = sd_tickLength(44100, gmpTickRate);
        block.resize(tick * 2);
        ASSERT_EQ(dsm_mix(tick, block.data()), 0);
        for (int16_t v : block) {
            clipped += v == 32767 || v == -32768;
            secondEnergy += (double)v * v;
        }
        frames += tick;
        secondFrames += tick;
        if (secondFrames >= 44100) {
            // Under -60 dB for a whole second counts as a gap.
            if (frames > 44100 && secondEnergy / (secondFrames * 2) < 32.8 * 32.8)
                silentSeconds++;
            secondFrames = 0;
            secondEnergy = 0.0;
        }
        ASSERT_EQ(gmp_tick(), 0);
    }
    double seconds = frames / 44100.0;
    EXPECT_GE(seconds, 120.0);
    EXPECT_LT(seconds, 300.0) << "the song never wraps";
    EXPECT_EQ(state->position, (int)module->restartPos) << "the wrap goes to the restart position";
    EXPECT_EQ(silentSeconds, 0u);
    EXPECT_EQ(clipped, 0u);

    gmp_stop(state);
    dsm_closeChannels();
    mp_freeModule(module);
    dsm_close();
}
