#include "s3m_writer.h"

#include <algorithm>

s3mSong_T::s3mSong_T()
{
    static const uint8_t firstFour[4] = {0, 8, 9, 1};
    for (int c = 0; c < S3M_W_CHANNELS; c++)
        channels[c] = c < 4 ? firstFour[c] : 255;
}

static void put16(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    out[at] = (uint8_t)v;
    out[at + 1] = (uint8_t)(v >> 8);
}

static void put32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    put16(out, at, v & 0xFFFF);
    put16(out, at + 2, v >> 16);
}

static void align16(std::vector<uint8_t>& out) { out.resize((out.size() + 15) & ~(size_t)15); }

static void packPattern(std::vector<uint8_t>& out, const s3mPattern_T& pat)
{
    size_t start = out.size();
    out.resize(start + 2);
    for (int row = 0; row < S3M_W_ROWS; row++) {
        for (int c = 0; c < S3M_W_CHANNELS; c++) {
            const s3mCell_T& cell = pat.cells[row][c];
            uint8_t what = (uint8_t)c;
            if (cell.note != 255 || cell.instrument != 0)
                what |= 0x20;
            if (cell.volume != 255)
                what |= 0x40;
            if (cell.command != 0)
                what |= 0x80;
            if (what == c)
                continue;
            out.push_back(what);
            if (what & 0x20) {
                out.push_back(cell.note);
                out.push_back(cell.instrument);
            }
            if (what & 0x40)
                out.push_back(cell.volume);
            if (what & 0x80) {
                out.push_back(cell.command);
                out.push_back(cell.param);
            }
        }
        out.push_back(0);
    }
    put16(out, start, (uint32_t)(out.size() - start));
}

std::vector<uint8_t> s3m_write(const s3mSong_T& song)
{
    size_t numOrders = song.orders.size(), numInsts = song.samples.size(), numPatterns = song.patterns.size();
    std::vector<uint8_t> out(96);
    std::copy_n(song.title.begin(), std::min<size_t>(song.title.size(), 27), out.begin());
    out[28] = 0x1A;
    out[29] = 16;
    put16(out, 32, (uint32_t)numOrders);
    put16(out, 34, (uint32_t)numInsts);
    put16(out, 36, (uint32_t)numPatterns);
    put16(out, 38, song.flags);
    put16(out, 40, song.version);
    put16(out, 42, song.sampleFormat);
    std::copy_n("SCRM", 4, out.begin() + 44);
    out[48] = song.globalVolume;
    out[49] = song.speed;
    out[50] = song.tempo;
    out[51] = song.masterVolume;
    out[52] = song.ultraClick;
    out[53] = song.panTable ? 252 : 0;
    out[62] = (uint8_t)song.special;
    out[63] = (uint8_t)(song.special >> 8);
    std::copy_n(song.channels, S3M_W_CHANNELS, out.begin() + 64);
    out.insert(out.end(), song.orders.begin(), song.orders.end());
    size_t instPointers = out.size(), patPointers = instPointers + 2 * numInsts;
    out.resize(patPointers + 2 * numPatterns);
    if (song.panTable)
        out.insert(out.end(), song.pans, song.pans + S3M_W_CHANNELS);
    align16(out);

    std::vector<size_t> instAt(numInsts);
    for (size_t i = 0; i < numInsts; i++) {
        instAt[i] = out.size();
        put16(out, instPointers + 2 * i, (uint32_t)(out.size() >> 4));
        out.resize(out.size() + 80);
    }
    for (size_t p = 0; p < numPatterns; p++) {
        put16(out, patPointers + 2 * p, (uint32_t)(out.size() >> 4));
        packPattern(out, song.patterns[p]);
        align16(out);
    }
    for (size_t i = 0; i < numInsts; i++) {
        const s3mSample_T& s = song.samples[i];
        size_t h = instAt[i];
        int frameBytes = (s.flags & 4 ? 2 : 1) * (s.flags & 2 ? 2 : 1);
        out[h] = s.type;
        std::copy_n(s.name.begin(), std::min<size_t>(s.name.size(), 27), out.begin() + h + 48);
        if (s.type != 1) {
            std::copy_n("SCRI", 4, out.begin() + h + 76);
            continue;
        }
        size_t at = out.size();
        out[h + 13] = (uint8_t)(at >> 20);
        put16(out, h + 14, (uint32_t)(at >> 4));
        put32(out, h + 16, s.frames ? s.frames : (uint32_t)(s.data.size() / frameBytes));
        put32(out, h + 20, s.loopStart);
        put32(out, h + 24, s.loopEnd);
        out[h + 28] = s.volume;
        out[h + 30] = s.pack;
        out[h + 31] = s.flags;
        put32(out, h + 32, s.c4Speed);
        std::copy_n("SCRS", 4, out.begin() + h + 76);
        out.insert(out.end(), s.data.begin(), s.data.end());
        align16(out);
    }
    return out;
}

std::vector<uint8_t> s3m_words(const std::vector<int>& values)
{
    std::vector<uint8_t> out;
    for (int v : values) {
        out.push_back((uint8_t)v);
        out.push_back((uint8_t)(v >> 8));
    }
    return out;
}
