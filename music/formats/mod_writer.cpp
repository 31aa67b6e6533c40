#include "music/formats/mod_writer.h"

#include <algorithm>
#include <cstring>

#include "music/formats/mod_periods.h"

uint16_t mod_notePeriod(int octave, int semitone)
{
    int k = octave * 12 + semitone;
    if (octave < 0 || semitone < 0 || semitone > 11 || k >= MOD_PERIOD_COUNT)
        return 0;
    return modPeriods[k];
}

static void putString(std::vector<uint8_t>& out, const std::string& s, size_t field)
{
    for (size_t i = 0; i < field; i++)
        out.push_back(i < s.size() ? (uint8_t)s[i] : 0);
}

static void putWord(std::vector<uint8_t>& out, unsigned v)
{
    out.push_back((uint8_t)(v >> 8));
    out.push_back((uint8_t)v);
}

std::vector<uint8_t> mod_write(const modSong_T& song)
{
    std::vector<uint8_t> out;
    out.reserve(1084);
    putString(out, song.title, 20);

    for (const modSample_T& s : song.samples) {
        putString(out, s.name, 22);
        putWord(out, (unsigned)((s.data.size() + 1) / 2));
        out.push_back(s.finetune & 15);
        out.push_back(s.volume);
        putWord(out, s.loopStart);
        putWord(out, s.loopLength);
    }

    size_t songLength = std::min<size_t>(song.orders.size(), 128);
    uint8_t orderTable[128] = {};
    std::copy(song.orders.begin(), song.orders.begin() + songLength, orderTable);
    out.push_back((uint8_t)songLength);
    out.push_back(song.restart);
    out.insert(out.end(), orderTable, orderTable + 128);
    out.insert(out.end(), song.tag, song.tag + 4);

    int numPatterns = *std::max_element(orderTable, orderTable + 128) + 1;
    static const modPattern_T empty = {};
    for (int p = 0; p < numPatterns; p++) {
        const modPattern_T& pat = (size_t)p < song.patterns.size() ? song.patterns[p] : empty;
        for (int row = 0; row < MOD_ROWS; row++)
            for (int c = 0; c < song.channels; c++) {
                const modCell_T& cell = pat.cells[row][c];
                out.push_back((uint8_t)((cell.sample & 0xF0) | ((cell.period >> 8) & 0x0F)));
                out.push_back((uint8_t)cell.period);
                out.push_back((uint8_t)(((cell.sample & 0x0F) << 4) | (cell.effect & 0x0F)));
                out.push_back(cell.param);
            }
    }

    for (const modSample_T& s : song.samples) {
        for (int8_t v : s.data)
            out.push_back((uint8_t)v);
        if (s.data.size() & 1)
            out.push_back(0);
    }
    return out;
}
