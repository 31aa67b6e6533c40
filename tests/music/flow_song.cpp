#include "flow_song.h"

#include <cmath>

#include "it_writer.h"
#include "music/formats/mod_writer.h"
#include "s3m_writer.h"
#include "xm_writer.h"

namespace {

// A looping sine of 16 frames a cycle: 523 Hz at 8363 Hz.
std::vector<int16_t> sine()
{
    std::vector<int16_t> v;
    for (int i = 0; i < 256; i++)
        v.push_back((int16_t)std::lround(100.0 * std::sin(2.0 * M_PI * i / 16)));
    return v;
}

// S3M and IT share their command letters.
void letterCommand(const flowCmd_T& c, uint8_t* command, uint8_t* param, bool decimalBreak)
{
    switch (c.what) {
    case FLOW_LOOP: *command = 'S' - '@', *param = (uint8_t)(0xB0 | c.value); break;
    case FLOW_BREAK: *command = 'C' - '@', *param = (uint8_t)(decimalBreak ? c.value / 10 * 16 + c.value % 10 : c.value); break;
    case FLOW_JUMP: *command = 'B' - '@', *param = (uint8_t)c.value; break;
    case FLOW_ROW_DELAY: *command = 'S' - '@', *param = (uint8_t)(0xE0 | c.value); break;
    case FLOW_SPEED: *command = 'A' - '@', *param = (uint8_t)c.value; break;
    }
}

// XM and MOD share their command numbers (E6x, Dxx decimal, Bxx, EEx, Fxx).
void numberCommand(const flowCmd_T& c, uint8_t* effect, uint8_t* param)
{
    switch (c.what) {
    case FLOW_LOOP: *effect = 0xE, *param = (uint8_t)(0x60 | c.value); break;
    case FLOW_BREAK: *effect = 0xD, *param = (uint8_t)(c.value / 10 * 16 + c.value % 10); break;
    case FLOW_JUMP: *effect = 0xB, *param = (uint8_t)c.value; break;
    case FLOW_ROW_DELAY: *effect = 0xE, *param = (uint8_t)(0xE0 | c.value); break;
    case FLOW_SPEED: *effect = 0xF, *param = (uint8_t)c.value; break;
    }
}

std::vector<uint8_t> writeS3m(const flowSong_T& song, const flowTracker_T& tracker)
{
    s3mSong_T s;
    s.version = tracker.s3mVersion;
    s.speed = (uint8_t)song.speed;
    s3mSample_T smp;
    smp.name = "sine";
    for (int16_t v : sine())
        smp.data.push_back((uint8_t)(int8_t)v);
    smp.flags = 1;
    smp.loopEnd = 256;
    s.samples.push_back(smp);
    for (int o : song.orders)
        s.orders.push_back((uint8_t)o);
    s.patterns.resize(song.patterns);
    for (int p = 0; p < song.patterns; p++)
        for (int r = 0; r < S3M_W_ROWS; r++) {
            int n = 4 * 12 + flow_noteOf(p, r);
            s.patterns[p].cells[r][0].note = (uint8_t)(n / 12 * 16 + n % 12);
            s.patterns[p].cells[r][0].instrument = 1;
        }
    for (const flowCmd_T& c : song.cmds) {
        s3mCell_T& cell = s.patterns[c.pattern].cells[c.row][c.channel];
        letterCommand(c, &cell.command, &cell.param, true);
    }
    return s3m_write(s);
}

std::vector<uint8_t> writeXm(const flowSong_T& song, const flowTracker_T& tracker)
{
    xmSong_T s;
    s.tracker = tracker.xmName;
    s.titlePad = tracker.xmTitlePad;
    s.channels = 4;
    s.speed = (uint16_t)song.speed;
    xmInstrumentW_T in = xm_squareInstrument();
    in.samples[0].data = sine();
    in.samples[0].loopStart = 0;
    in.samples[0].loopLength = 256;
    s.instruments = {in};
    s.orders.clear();
    for (int o : song.orders)
        s.orders.push_back((uint8_t)o);
    s.patterns.assign(song.patterns, xmPatternW_T());
    for (int p = 0; p < song.patterns; p++) {
        s.patterns[p].rows = song.rows;
        s.patterns[p].cells.assign(song.rows, std::vector<xmCell_T>(4));
        for (int r = 0; r < song.rows; r++)
            s.patterns[p].cells[r][0] = {(uint8_t)(49 + flow_noteOf(p, r)), 1};
    }
    for (const flowCmd_T& c : song.cmds) {
        xmCell_T& cell = s.patterns[c.pattern].cells[c.row][c.channel];
        numberCommand(c, &cell.effect, &cell.param);
    }
    return xm_write(s);
}

std::vector<uint8_t> writeIt(const flowSong_T& song, const flowTracker_T& tracker)
{
    itSong_T s;
    s.createdWith = tracker.itCreated;
    s.compatibleWith = tracker.itCompatible;
    s.speed = (uint8_t)song.speed;
    itSampleW_T smp = it_squareSample();
    smp.data = sine();
    smp.loopStart = 0;
    smp.loopEnd = 256;
    s.samples = {smp};
    s.orders.clear();
    for (int o : song.orders)
        s.orders.push_back((uint8_t)o);
    s.patterns.assign(song.patterns, itPatternW_T());
    for (int p = 0; p < song.patterns; p++) {
        s.patterns[p].rows = song.rows;
        s.patterns[p].cells.assign(song.rows, std::vector<itCellW_T>(4));
        for (int r = 0; r < song.rows; r++) {
            s.patterns[p].cells[r][0].note = 60 + flow_noteOf(p, r);
            s.patterns[p].cells[r][0].instrument = 1;
        }
    }
    for (const flowCmd_T& c : song.cmds) {
        itCellW_T& cell = s.patterns[c.pattern].cells[c.row][c.channel];
        letterCommand(c, &cell.command, &cell.param, false);
    }
    return it_write(s);
}

std::vector<uint8_t> writeMod(const flowSong_T& song)
{
    modSong_T s;
    s.title = "flow";
    modSample_T& smp = s.samples[0];
    smp.name = "sine";
    for (int16_t v : sine())
        smp.data.push_back((int8_t)v);
    smp.volume = 64;
    smp.loopLength = 128;
    for (int o : song.orders)
        s.orders.push_back((uint8_t)o);
    s.patterns.resize(song.patterns);
    for (int p = 0; p < song.patterns; p++)
        for (int r = 0; r < MOD_ROWS; r++) {
            int n = flow_noteOf(p, r) % 36;
            s.patterns[p].cells[r][0] = {mod_notePeriod(1 + n / 12, n % 12), 1, 0, 0};
        }
    // The speed the other formats set in their headers.
    s.patterns[0].cells[0][3] = {0, 0, 0xF, (uint8_t)song.speed};
    for (const flowCmd_T& c : song.cmds) {
        modCell_T& cell = s.patterns[c.pattern].cells[c.row][c.channel];
        numberCommand(c, &cell.effect, &cell.param);
    }
    return mod_write(s);
}

} // namespace

int flow_noteOf(int pattern, int row)
{
    return (pattern * 19 + row) % 48;
}

std::vector<uint8_t> flow_write(const flowSong_T& song, flowFormat_E format, const flowTracker_T& tracker)
{
    switch (format) {
    case FLOW_S3M: return writeS3m(song, tracker);
    case FLOW_XM: return writeXm(song, tracker);
    case FLOW_MOD: return writeMod(song);
    default: return writeIt(song, tracker);
    }
}
