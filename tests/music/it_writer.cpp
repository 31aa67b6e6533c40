#include "it_writer.h"

#include <cstring>

#include "music/formats/it_layout.h"

namespace {

void put16(std::vector<uint8_t>* out, size_t at, uint32_t v)
{
    (*out)[at] = (uint8_t)v;
    (*out)[at + 1] = (uint8_t)(v >> 8);
}

void put32(std::vector<uint8_t>* out, size_t at, uint32_t v)
{
    put16(out, at, v & 0xFFFF);
    put16(out, at + 2, v >> 16);
}

struct bitWriter_T {
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    void write(uint32_t value, int width)
    {
        for (int k = 0; k < width; k++, bits++) {
            if ((bits & 7) == 0)
                bytes.push_back(0);
            bytes.back() |= (uint8_t)((value >> k & 1) << (bits & 7));
        }
    }
};

// Whether a difference can be written at `width` without looking like one
// of that width's change markers.
bool fits(int32_t v, int width, int bits)
{
    int top = bits + 1;
    if (width >= top)
        return true;
    int32_t lo = -(1 << (width - 1)), hi = (1 << (width - 1)) - 1;
    if (v < lo || v > hi)
        return false;
    uint32_t u = (uint32_t)v & ((1u << width) - 1);
    if (width < 7)
        return u != 1u << (width - 1);
    uint32_t border = ((bits == 8 ? 0xFFu : 0xFFFFu) >> (top - width)) - (bits == 8 ? 4 : 8);
    return !(u > border && u <= border + (bits == 8 ? 8 : 16));
}

// The marker that moves from width `from` to width `to`.
void changeWidth(bitWriter_T* w, int from, int to, int bits)
{
    int top = bits + 1;
    if (from < 7) {
        w->write(1u << (from - 1), from);
        w->write((uint32_t)(to < from ? to - 1 : to - 2), bits == 8 ? 3 : 4);
    } else if (from < top) {
        uint32_t border = ((bits == 8 ? 0xFFu : 0xFFFFu) >> (top - from)) - (bits == 8 ? 4 : 8);
        w->write(border + (uint32_t)(to < from ? to : to - 1), from);
    } else {
        w->write((uint32_t)(to - 1) | 1u << bits, from);
    }
}

// One block: each difference at the narrowest width that holds it.
std::vector<uint8_t> compressBlock(const int16_t* values, uint32_t n, int bits, bool it215)
{
    bitWriter_T w;
    int top = bits + 1, width = top;
    int32_t prev = 0, prevDelta = 0;
    uint32_t mask = bits == 8 ? 0xFF : 0xFFFF;
    for (uint32_t i = 0; i < n; i++) {
        int32_t delta = (int32_t)((uint32_t)(values[i] - prev) & mask);
        delta = bits == 8 ? (int8_t)delta : (int16_t)delta;
        int32_t v = delta;
        if (it215) {
            v = (int32_t)((uint32_t)(delta - prevDelta) & mask);
            v = bits == 8 ? (int8_t)v : (int16_t)v;
        }
        prev = values[i];
        prevDelta = delta;
        int want = 1;
        while (!fits(v, want, bits))
            want++;
        if (want != width) {
            changeWidth(&w, width, want, bits);
            width = want;
        }
        w.write((uint32_t)v & (width >= top ? mask : (1u << width) - 1), width);
    }
    return w.bytes;
}

void writeEnvelope(std::vector<uint8_t>* out, size_t at, const itEnvelopeW_T& e)
{
    (*out)[at] = e.flags;
    (*out)[at + 1] = (uint8_t)(e.statedPoints >= 0 ? e.statedPoints : (int)e.points.size());
    (*out)[at + 2] = e.loopStart;
    (*out)[at + 3] = e.loopEnd;
    (*out)[at + 4] = e.sustainStart;
    (*out)[at + 5] = e.sustainEnd;
    for (size_t k = 0; k < e.points.size() && k < IT_ENV_POINTS; k++) {
        (*out)[at + 6 + 3 * k] = (uint8_t)e.points[k].first;
        put16(out, at + 7 + 3 * k, e.points[k].second);
    }
}

std::vector<uint8_t> instrumentRecord(const itInstrumentW_T& in)
{
    std::vector<uint8_t> r(IT_INSTRUMENT, 0);
    std::memcpy(r.data(), "IMPI", 4);
    for (int n = 0; n < 120; n++) {
        r[0x40 + 2 * n] = in.keyNote[n];
        r[0x41 + 2 * n] = in.keySample[n];
    }
    if (in.oldLayout) {
        const itEnvelopeW_T& e = in.volume;
        r[0x11] = (uint8_t)(e.flags & 1 ? 1 : 0) | (e.flags & 2 ? 2 : 0) | (e.flags & 4 ? 4 : 0);
        r[0x12] = e.loopStart;
        r[0x13] = e.loopEnd;
        r[0x14] = e.sustainStart;
        r[0x15] = e.sustainEnd;
        put16(&r, 0x18, in.fadeout);
        r[0x1A] = in.nna;
        r[0x1B] = in.dct ? 1 : 0;
        for (int k = 0; k < IT_ENV_POINTS; k++) {
            bool has = k < (int)e.points.size();
            r[0x1F8 + 2 * k] = has ? (uint8_t)e.points[k].second : 255;
            r[0x1F9 + 2 * k] = has ? (uint8_t)e.points[k].first : 0;
        }
        return r;
    }
    r[0x11] = in.nna;
    r[0x12] = in.dct;
    r[0x13] = in.dca;
    put16(&r, 0x14, in.fadeout);
    r[0x17] = 60;
    r[0x18] = in.globalVolume;
    r[0x19] = in.defaultPan >= 0 ? (uint8_t)in.defaultPan : 128;
    r[0x1A] = in.randomVolume;
    r[0x1B] = in.randomPan;
    r[0x3A] = in.cutoff >= 0 ? (uint8_t)(in.cutoff | 128) : 0;
    r[0x3B] = in.resonance >= 0 ? (uint8_t)(in.resonance | 128) : 0;
    writeEnvelope(&r, 0x130, in.volume);
    writeEnvelope(&r, 0x182, in.panning);
    writeEnvelope(&r, 0x1D4, in.pitch);
    return r;
}

std::vector<uint8_t> sampleData(const itSampleW_T& s)
{
    if (s.compressed)
        return it_compress(s.data, s.is16, s.it215);
    std::vector<uint8_t> d;
    for (int16_t v : s.data) {
        int32_t x = s.isSigned ? v : v + (s.is16 ? 32768 : 128);
        d.push_back((uint8_t)x);
        if (s.is16)
            d.push_back((uint8_t)(x >> 8));
    }
    return d;
}

// Packed rows: a new mask only when it changes, and the previous-value
// bits for a field equal to the channel's last one.
std::vector<uint8_t> packPattern(const itPatternW_T& p)
{
    std::vector<uint8_t> out;
    int lastMask[64], lastNote[64], lastIns[64], lastVol[64], lastCmd[64], lastParam[64];
    for (int c = 0; c < 64; c++)
        lastMask[c] = lastNote[c] = lastIns[c] = lastVol[c] = lastCmd[c] = lastParam[c] = -1;
    for (int row = 0; row < p.rows; row++) {
        if (row < (int)p.cells.size())
            for (int c = 0; c < (int)p.cells[row].size() && c < 64; c++) {
                const itCellW_T& cell = p.cells[row][c];
                int mask = 0;
                if (cell.note >= 0)
                    mask |= cell.note == lastNote[c] ? 16 : 1;
                if (cell.instrument > 0)
                    mask |= cell.instrument == lastIns[c] ? 32 : 2;
                if (cell.volume >= 0)
                    mask |= cell.volume == lastVol[c] ? 64 : 4;
                if (cell.command)
                    mask |= cell.command == lastCmd[c] && cell.param == lastParam[c] ? 128 : 8;
                if (!mask)
                    continue;
                bool newMask = mask != lastMask[c];
                out.push_back((uint8_t)((c + 1) | (newMask ? 128 : 0)));
                if (newMask)
                    out.push_back((uint8_t)mask);
                lastMask[c] = mask;
                if (mask & 1)
                    out.push_back((uint8_t)(lastNote[c] = cell.note));
                if (mask & 2)
                    out.push_back((uint8_t)(lastIns[c] = cell.instrument));
                if (mask & 4)
                    out.push_back((uint8_t)(lastVol[c] = cell.volume));
                if (mask & 8) {
                    out.push_back(cell.command);
                    out.push_back(cell.param);
                    lastCmd[c] = cell.command;
                    lastParam[c] = cell.param;
                }
            }
        out.push_back(0);
    }
    return out;
}

} // namespace

itSong_T::itSong_T()
{
    for (int c = 0; c < 64; c++) {
        channelPan[c] = 32;
        channelVolume[c] = 64;
    }
}

std::vector<uint8_t> it_compress(const std::vector<int16_t>& values, bool is16, bool it215)
{
    std::vector<uint8_t> out;
    uint32_t block = is16 ? 0x4000 : 0x8000;
    for (size_t at = 0; at < values.size(); at += block) {
        uint32_t n = (uint32_t)std::min<size_t>(block, values.size() - at);
        std::vector<uint8_t> b = compressBlock(values.data() + at, n, is16 ? 16 : 8, it215);
        out.push_back((uint8_t)b.size());
        out.push_back((uint8_t)(b.size() >> 8));
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

itInstrumentW_T it_instrument(int sample)
{
    itInstrumentW_T in;
    for (int n = 0; n < 120; n++) {
        in.keyNote[n] = (uint8_t)n;
        in.keySample[n] = (uint8_t)sample;
    }
    return in;
}

itSampleW_T it_squareSample(int length)
{
    itSampleW_T s;
    for (int i = 0; i < length; i++)
        s.data.push_back(i < length / 2 ? 100 : -100);
    s.loop = 1;
    s.loopEnd = (uint32_t)length;
    return s;
}

std::vector<uint8_t> it_write(const itSong_T& song)
{
    bool oldLayout = !song.instruments.empty() && song.instruments[0].oldLayout;
    size_t nO = song.orders.size() + 1, nI = song.instruments.size(), nS = song.samples.size();
    size_t nP = song.patterns.size();
    std::vector<uint8_t> f(IT_HEADER + nO + 4 * (nI + nS + nP), 0);
    std::memcpy(f.data(), "IMPM", 4);
    std::memcpy(f.data() + 4, song.title.data(), std::min<size_t>(song.title.size(), 26));
    put16(&f, 0x20, (uint32_t)nO);
    put16(&f, 0x22, (uint32_t)nI);
    put16(&f, 0x24, (uint32_t)nS);
    put16(&f, 0x26, (uint32_t)nP);
    put16(&f, 0x28, song.createdWith ? song.createdWith : 0x214);
    put16(&f, 0x2A, song.compatibleWith ? song.compatibleWith : oldLayout ? 0x100 : 0x214);
    put16(&f, 0x2C, (uint32_t)(song.flags | (nI ? IT_F_INSTRUMENTS : 0)));
    f[0x1E] = song.highlightBeat;
    f[0x1F] = song.highlightMeasure;
    f[0x30] = song.globalVolume;
    f[0x31] = song.mixVolume;
    f[0x32] = song.speed;
    f[0x33] = song.tempo;
    f[0x34] = song.separation;
    std::memcpy(f.data() + 0x40, song.channelPan, 64);
    std::memcpy(f.data() + 0x80, song.channelVolume, 64);
    for (size_t k = 0; k < song.orders.size(); k++)
        f[IT_HEADER + k] = song.orders[k];
    f[IT_HEADER + nO - 1] = 255;
    size_t table = IT_HEADER + nO;
    for (size_t i = 0; i < nI; i++) {
        put32(&f, table + 4 * i, (uint32_t)f.size());
        std::vector<uint8_t> r = instrumentRecord(song.instruments[i]);
        f.insert(f.end(), r.begin(), r.end());
    }
    std::vector<size_t> headers;
    for (size_t k = 0; k < nS; k++) {
        const itSampleW_T& s = song.samples[k];
        put32(&f, table + 4 * (nI + k), (uint32_t)f.size());
        headers.push_back(f.size());
        std::vector<uint8_t> h(IT_SAMPLE_HEADER, 0);
        std::memcpy(h.data(), "IMPS", 4);
        h[0x11] = s.globalVolume;
        h[0x12] = (uint8_t)(ITS_PRESENT | (s.is16 ? ITS_16BIT : 0) | (s.compressed ? ITS_COMPRESSED : 0) |
                            (s.loop ? ITS_LOOP : 0) | (s.loop == 2 ? ITS_PINGPONG : 0) |
                            (s.sustain ? ITS_SUSTAIN : 0) | (s.sustain == 2 ? ITS_SUSTAIN_PINGPONG : 0));
        h[0x13] = s.volume;
        h[0x2E] = (uint8_t)((s.isSigned ? ITC_SIGNED : 0) | (s.it215 ? ITC_DELTA215 : 0));
        h[0x2F] = s.defaultPan >= 0 ? (uint8_t)(s.defaultPan | 128) : 32;
        put32(&h, 0x30, (uint32_t)s.data.size());
        put32(&h, 0x34, s.loopStart);
        put32(&h, 0x38, s.loopEnd);
        put32(&h, 0x3C, s.c5Speed);
        put32(&h, 0x40, s.sustainStart);
        put32(&h, 0x44, s.sustainEnd);
        h[0x4C] = s.vibSpeed;
        h[0x4D] = s.vibDepth;
        h[0x4E] = s.vibSweep;
        h[0x4F] = s.vibType;
        f.insert(f.end(), h.begin(), h.end());
    }
    for (size_t k = 0; k < nS; k++) {
        const itSampleW_T& s = song.samples[k];
        put32(&f, headers[k] + 0x48, s.offsetOverride ? s.offsetOverride : (uint32_t)f.size());
        std::vector<uint8_t> d = sampleData(s);
        f.insert(f.end(), d.begin(), d.end());
    }
    for (size_t p = 0; p < nP; p++) {
        put32(&f, table + 4 * (nI + nS + p), (uint32_t)f.size());
        std::vector<uint8_t> packed = packPattern(song.patterns[p]);
        std::vector<uint8_t> h(IT_PATTERN_HEADER, 0);
        put16(&h, 0, (uint32_t)packed.size());
        put16(&h, 2, (uint32_t)song.patterns[p].rows);
        f.insert(f.end(), h.begin(), h.end());
        f.insert(f.end(), packed.begin(), packed.end());
    }
    return f;
}
