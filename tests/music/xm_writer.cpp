#include "xm_writer.h"

#include <algorithm>
#include <cstring>

namespace {

void put16(std::vector<uint8_t>& o, uint32_t v)
{
    o.push_back((uint8_t)v);
    o.push_back((uint8_t)(v >> 8));
}

void put32(std::vector<uint8_t>& o, uint32_t v)
{
    put16(o, v & 0xFFFF);
    put16(o, v >> 16);
}

void putText(std::vector<uint8_t>& o, const std::string& s, size_t n, char pad = 0)
{
    for (size_t i = 0; i < n; i++)
        o.push_back(i < s.size() ? (uint8_t)s[i] : (uint8_t)pad);
}

void writePattern(std::vector<uint8_t>& o, const xmPatternW_T& p, int channels, uint16_t version)
{
    std::vector<uint8_t> data;
    bool empty = true;
    for (int r = 0; r < p.rows; r++)
        for (int c = 0; c < channels; c++) {
            xmCell_T cell;
            if (r < (int)p.cells.size() && c < (int)p.cells[r].size())
                cell = p.cells[r][c];
            const uint8_t f[5] = {cell.note, cell.instrument, cell.volume, cell.effect, cell.param};
            if (p.plain) {
                data.insert(data.end(), f, f + 5);
                continue;
            }
            uint8_t mask = 0;
            for (int k = 0; k < 5; k++)
                mask |= f[k] ? 1 << k : 0;
            empty = empty && mask == 0;
            data.push_back((uint8_t)(0x80 | mask));
            for (int k = 0; k < 5; k++)
                if (f[k])
                    data.push_back(f[k]);
        }
    // An all-empty packed pattern is stored without data.
    if (empty && !p.plain)
        data.clear();
    // Version 1.02 stores the row count in a byte, less one.
    put32(o, version <= 0x0102 ? 8 : 9);
    o.push_back(0);
    if (version <= 0x0102)
        o.push_back((uint8_t)(p.rows - 1));
    else
        put16(o, (uint32_t)p.rows);
    put16(o, (uint32_t)data.size());
    o.insert(o.end(), data.begin(), data.end());
}

void writeEnvelope(std::vector<uint8_t>& o, const xmEnvelopeW_T& e)
{
    for (size_t k = 0; k < 12; k++) {
        put16(o, k < e.points.size() ? e.points[k].first : 0);
        put16(o, k < e.points.size() ? e.points[k].second : 0);
    }
}

// Sample data is stored as differences from the previous value (from 0
// again where a stereo sample's right half starts).
void writeSampleData(std::vector<uint8_t>& o, const xmInstrumentW_T& in)
{
    for (const xmSampleW_T& s : in.samples) {
        int16_t last = 0;
        for (size_t i = 0; i < s.data.size(); i++) {
            int16_t v = s.data[i];
            if (s.stereo && i == s.data.size() / 2)
                last = 0;
            int16_t d = (int16_t)(v - last);
            last = v;
            if (s.is16)
                put16(o, (uint16_t)d);
            else
                o.push_back((uint8_t)d);
        }
    }
}

// The instrument header and its sample headers.
void writeInstrument(std::vector<uint8_t>& o, const xmInstrumentW_T& in)
{
    size_t n = in.samples.size();
    uint32_t size = (n ? 243 : 29) + in.extraHeader;
    put32(o, size);
    putText(o, "instrument", 22);
    o.push_back(0);
    put16(o, (uint32_t)n);
    if (n) {
        put32(o, 40);
        o.insert(o.end(), in.noteSample, in.noteSample + 96);
        writeEnvelope(o, in.volume);
        writeEnvelope(o, in.panning);
        o.push_back((uint8_t)in.volume.points.size());
        o.push_back((uint8_t)in.panning.points.size());
        for (const xmEnvelopeW_T* e : {&in.volume, &in.panning}) {
            o.push_back(e->sustain);
            o.push_back(e->loopStart);
            o.push_back(e->loopEnd);
        }
        o.push_back(in.volume.type);
        o.push_back(in.panning.type);
        for (uint8_t b : {in.vibType, in.vibSweep, in.vibDepth, in.vibRate})
            o.push_back(b);
        put16(o, in.fadeout);
        put16(o, 0);
    }
    o.insert(o.end(), in.extraHeader, 0xEE);
    for (const xmSampleW_T& s : in.samples) {
        uint32_t bytes = (s.is16 ? 2 : 1) * (s.stereo ? 2 : 1);     // loop points count both sides
        uint32_t length = (uint32_t)s.data.size() * (s.is16 ? 2 : 1);
        put32(o, length);
        put32(o, s.loopStart * bytes);
        put32(o, s.loopLength * bytes);
        o.push_back(s.volume);
        o.push_back((uint8_t)s.finetune);
        o.push_back((uint8_t)(s.loop | (s.is16 ? 16 : 0) | (s.stereo ? 32 : 0)));
        o.push_back(s.panning);
        o.push_back((uint8_t)s.relativeNote);
        o.push_back(0);
        putText(o, "sample", 22);
    }
}

} // namespace

std::vector<uint8_t> xm_write(const xmSong_T& song)
{
    std::vector<uint8_t> o;
    putText(o, "Extended Module: ", 17);
    putText(o, song.title, 20, song.titlePad);
    o.push_back(0x1A);
    putText(o, song.tracker, 20);
    put16(o, song.version);
    put32(o, 276 + song.extraHeader);
    put16(o, (uint32_t)song.orders.size());
    put16(o, song.restart);
    put16(o, (uint32_t)song.channels);
    put16(o, (uint32_t)song.patterns.size());
    put16(o, (uint32_t)song.instruments.size());
    put16(o, song.linear ? 1 : 0);
    put16(o, song.speed);
    put16(o, song.bpm);
    for (size_t i = 0; i < 256; i++)
        o.push_back(i < song.orders.size() ? song.orders[i] : 0);
    o.insert(o.end(), song.extraHeader, 0xEE);
    // Before 1.04 the instruments come first and all sample data last.
    bool early = song.version < 0x0104;
    for (const xmInstrumentW_T& in : song.instruments)
        if (early)
            writeInstrument(o, in);
    for (const xmPatternW_T& p : song.patterns)
        writePattern(o, p, song.channels, song.version);
    for (const xmInstrumentW_T& in : song.instruments) {
        if (!early)
            writeInstrument(o, in);
        writeSampleData(o, in);
    }
    return o;
}

xmInstrumentW_T xm_squareInstrument(int length)
{
    xmInstrumentW_T in;
    xmSampleW_T s;
    for (int i = 0; i < length; i++)
        s.data.push_back(i < length / 2 ? 100 : -100);
    s.loop = 1;
    s.loopLength = (uint32_t)length;
    in.samples.push_back(s);
    return in;
}
