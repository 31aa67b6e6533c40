// The S3M rules: periods from each sample's middle-C rate, the commands A to
// X as ScreamTracker 3 plays them, one parameter memory that most commands
// share, and the volume column. Internal command numbers are the file's
// letters (A = 1 ... Z = 26); periods are four times finer than MOD's.
#include <new>

#include "music/core/gmp.h"
#include "music/rules/rules.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

enum {
    S3M_SPEED = 1, S3M_JUMP, S3M_BREAK, S3M_VOLSLIDE, S3M_PORTA_DOWN, S3M_PORTA_UP, S3M_TONE_PORTA,
    S3M_VIBRATO, S3M_TREMOR, S3M_ARPEGGIO, S3M_VIBRATO_VOLSLIDE, S3M_PORTA_VOLSLIDE,
    S3M_OFFSET = 15, S3M_RETRIG = 17, S3M_TREMOLO, S3M_SPECIAL, S3M_TEMPO, S3M_FINE_VIBRATO,
    S3M_GLOBAL_VOLUME, S3M_PANNING = 24, S3M_LAST = 26
};
// The S command's sub-commands (high nibble).
enum {
    S3M_S_FINETUNE = 2, S3M_S_VIBRATO_WAVE, S3M_S_TREMOLO_WAVE, S3M_S_PANNING = 8, S3M_S_SOUND_CONTROL,
    S3M_S_LOOP = 11, S3M_S_CUT, S3M_S_DELAY, S3M_S_PATTERN_DELAY
};

// Middle C (C-4) of a sample at 8363 Hz plays at period 1712: a period P
// plays at 8363 x 1712 / P Hz.
enum { S3M_BASE_RATE = 8363, S3M_CLOCK = S3M_BASE_RATE * 1712 };

static const uint16_t s3mPeriods[12] = {1712, 1616, 1524, 1440, 1356, 1280, 1208, 1140, 1076, 1016, 960, 907};
// S2x: middle-C rates for finetunes 0 to 15 (8 is none).
static const uint16_t s3mFinetunes[16] = {
    7895, 7941, 7985, 8046, 8107, 8169, 8232, 8280, 8363, 8413, 8463, 8529, 8581, 8651, 8723, 8757,
};

// What an S3M channel keeps beyond the shared channel record.
struct s3mChannel_T {
    int memory;             // the last non-zero parameter of the commands that share one
    uint32_t c4Speed;       // a finetune command's middle-C rate; 0: the sample's
};

struct s3mState_T {
    s3mChannel_T chan[MP_MAX_CHANNELS];
};

static s3mChannel_T* s3mChannel(const gmpPlayState_T* st, const gmpChannel_T* ch)
{
    return &((s3mState_T*)st->rulesState)->chan[ch - st->channels];
}

static uint32_t middleC(const gmpPlayState_T* st, const gmpChannel_T* ch)
{
    uint32_t finetuned = s3mChannel(st, ch)->c4Speed;
    if (finetuned)
        return finetuned;
    const mpSample_T* s = gmp_sampleOf(st, ch);
    return s && s->c4Speed ? s->c4Speed : (uint32_t)S3M_BASE_RATE;
}

static int notePeriod(const gmpPlayState_T* st, const gmpChannel_T* ch, int note)
{
    int octave = note >> 4, semitone = note & 15;
    if (semitone > 11)
        return 0;
    uint64_t scaled = ((uint64_t)S3M_BASE_RATE * 16 * s3mPeriods[semitone]) >> octave;
    uint64_t period = scaled / middleC(st, ch);
    return period > 0x7FFFFFFF ? 0 : (int)period;
}

// Amiga limits keep periods within MOD's octaves 1 to 3; otherwise only
// what the period arithmetic can hold.
static int start(gmpPlayState_T* st)
{
    st->rulesState = new (std::nothrow) s3mState_T();
    if (!st->rulesState)
        return MPERR_NO_MEMORY;
    st->periodShift = 2;
    bool amiga = st->module->flags & MP_FLAG_AMIGA_LIMITS;
    st->minPeriod = amiga ? 113 * 4 : 64;
    st->maxPeriod = amiga ? 856 * 4 : 32767;
    return MPERR_OK;
}

static void stop(gmpPlayState_T* st)
{
    delete (s3mState_T*)st->rulesState;
    st->rulesState = nullptr;
}

static bool sharesMemory(int command)
{
    switch (command) {
    case S3M_VOLSLIDE: case S3M_PORTA_DOWN: case S3M_PORTA_UP: case S3M_TREMOR: case S3M_ARPEGGIO:
    case S3M_VIBRATO_VOLSLIDE: case S3M_PORTA_VOLSLIDE: case S3M_RETRIG: case S3M_TREMOLO: case S3M_SPECIAL:
        return true;
    default:
        return false;
    }
}

// What a new row resets, and the shared parameter memory.
// Tone portamento onto a playing note keeps the note's sample: an
// instrument number on that row only sets the volume to its sample's.
static bool keepsSample(const gmpChannel_T* ch)
{
    bool porta = ch->command == S3M_TONE_PORTA || ch->command == S3M_PORTA_VOLSLIDE;
    return (ch->flags & GMP_F_COMMAND) && porta && ch->period != 0;
}

static int takeVolumeOnly(gmpPlayState_T* st, gmpChannel_T* ch)
{
    int n = ch->newInstrument;
    if (n != MP_NONE && n < (int)st->module->samples.size() && st->module->samples[n])
        ch->volume = ch->outVolume = st->module->samples[n]->volume;
    return MPERR_OK;
}

static void rowStart(gmpPlayState_T* st, gmpChannel_T* ch)
{
    s3mChannel_T* x = s3mChannel(st, ch);
    ch->outVolume = ch->volume;     // the last row's tremolo or tremor ends
    if ((ch->flags & GMP_F_INSTRUMENT) && !keepsSample(ch))
        x->c4Speed = 0;
    if (ch->flags & GMP_F_NOTE) {
        ch->startOffset = 0;
        ch->retrigCount = 0;
        if (ch->vibWave < 4)
            ch->vibPos = 0;
        if (ch->tremWave < 4)
            ch->tremPos = 0;
    }
    // A parameter of 0 repeats the last non-zero one of any command that
    // shares the memory: D05 then E00 slides the pitch down by 5.
    if ((ch->flags & GMP_F_COMMAND) && sharesMemory(ch->command)) {
        if (ch->param)
            x->memory = ch->param;
        else
            ch->param = x->memory;
    }
}

static int volumeColumn(gmpPlayState_T* st, gmpChannel_T* ch)
{
    if (ch->volumeByte <= 64)
        gmp_setVolume(st, ch, ch->volumeByte);
    return MPERR_OK;
}

// The note-cut cell stops the note.
static int noteAction(gmpPlayState_T*, gmpChannel_T* ch)
{
    return ch->noteAction == MP_NOTE_CUT ? dsm_stopSound(ch->soundChannel) : MPERR_OK;
}

// The cell before its command: what the row resets, the instrument, the
// volume column, a note cut.
static int rowCell(gmpPlayState_T* st, gmpChannel_T* ch)
{
    rowStart(st, ch);
    int code = MPERR_OK;
    if (ch->flags & GMP_F_INSTRUMENT)
        code = keepsSample(ch) ? takeVolumeOnly(st, ch) : gmp_takeInstrument(st, ch);
    if (code == MPERR_OK && (ch->flags & GMP_F_VOLUME))
        code = volumeColumn(st, ch);
    if (code == MPERR_OK && (ch->flags & GMP_F_ACTION))
        code = noteAction(st, ch);
    return code;
}

// Dxy: D0y down and Dx0 up on the ticks after the first (on every tick with
// fast slides); DxF up and DFy down once, on the first tick. D0F and DF0
// slide on every tick.
static void volumeSlide(gmpPlayState_T* st, gmpChannel_T* ch, int xy, bool firstTick)
{
    int x = xy >> 4, y = xy & 15;
    bool fast = st->module->flags & MP_FLAG_FAST_SLIDES;
    if (x == 0) {
        if (!firstTick || fast || y == 15)
            gmp_setVolume(st, ch, ch->volume - y);
    } else if (y == 0) {
        if (!firstTick || fast || x == 15)
            gmp_setVolume(st, ch, ch->volume + x);
    } else if (y == 15) {
        if (firstTick)
            gmp_setVolume(st, ch, ch->volume + x);
    } else if (x == 15) {
        if (firstTick)
            gmp_setVolume(st, ch, ch->volume - y);
    }
}

// Exx and Fxx: xx below E0 every tick after the first, four period units a
// step; EFx fine (x steps of four) and EEx extra fine (x units) once.
static void portamento(gmpPlayState_T* st, gmpChannel_T* ch, int xx, int sign, bool firstTick)
{
    int amount;
    if (xx >= 0xF0)
        amount = firstTick ? (xx & 15) << st->periodShift : 0;
    else if (xx >= 0xE0)
        amount = firstTick ? xx & 15 : 0;
    else
        amount = firstTick ? 0 : xx << st->periodShift;
    if (amount)
        gmp_setPeriod(st, ch, ch->period + sign * amount);
}

// A waveform's value at a position of its 64-step cycle, -255..255.
static int waveValue(int wave, int pos)
{
    pos &= 63;
    switch (wave & 3) {
    case 1: return 255 - pos * 8;                   // ramp down
    case 2: return pos < 32 ? 255 : -255;           // square
    default: return pos < 32 ? gmpVibratoSine[pos] : -gmpVibratoSine[pos & 31];
    }
}

// H: depth in steps of four period units; U: in single units.
static void vibrato(gmpPlayState_T* st, gmpChannel_T* ch, int shift)
{
    int delta = (waveValue(ch->vibWave, ch->vibPos) * ch->vibDepth) >> shift;
    ch->outPeriod = gmp_clampPeriod(st, ch->period + delta);
    ch->vibPos = (ch->vibPos + ch->vibSpeed) & 63;
}

static void tremolo(gmpPlayState_T* st, gmpChannel_T* ch)
{
    int v = ch->volume + ((waveValue(ch->tremWave, ch->tremPos) * ch->tremDepth) >> 6);
    ch->outVolume = v < 0 ? 0 : v > st->maxVolume ? st->maxVolume : v;
    ch->tremPos = (ch->tremPos + ch->tremSpeed) & 63;
}

// Ixy: sound for x + 1 ticks, silence for y + 1, the count running on
// across rows.
static void tremor(gmpChannel_T* ch, int xy)
{
    int on = (xy >> 4) + 1, off = (xy & 15) + 1;
    ch->outVolume = ch->tremorCount % (on + off) >= on ? 0 : ch->volume;
    ch->tremorCount = (ch->tremorCount + 1) % (on + off);
}

static void arpeggio(gmpPlayState_T* st, gmpChannel_T* ch, int xy)
{
    if (ch->note == MP_NONE)
        return;
    int t = st->tick % 3;
    int add = t == 0 ? 0 : t == 1 ? xy >> 4 : xy & 15;
    int semitone = (ch->note & 15) + add;
    int note = ((ch->note >> 4) + semitone / 12) << 4 | semitone % 12;
    int period = notePeriod(st, ch, note);
    if (period)
        ch->outPeriod = gmp_clampPeriod(st, period);
}

// Qxy: retrigger every y ticks, changing the volume by x's rule.
static int retrigger(gmpPlayState_T* st, gmpChannel_T* ch, int xy)
{
    int x = xy >> 4, y = xy & 15;
    if (y == 0 || ++ch->retrigCount < y)
        return MPERR_OK;
    ch->retrigCount = 0;
    gmp_setVolume(st, ch, gmp_retrigVolume(x, ch->volume));
    return dsm_setPosition(ch->soundChannel, ch->startOffset);
}

// Oxx: where the row's note starts, in 256-frame steps; the mixer takes bytes.
// Past a looping sample's loop end the position goes round the loop as if
// the sample had played there (past the end of one that does not loop, the
// note is silent: the mixer's rule).
static void setOffset(gmpPlayState_T* st, gmpChannel_T* ch, int xx)
{
    if (xx)
        ch->offsetMemory = xx;
    const mpSample_T* s = gmp_sampleOf(st, ch);
    if (!(ch->flags & GMP_F_NOTE) || !s)
        return;
    ch->startOffset = ((uint32_t)ch->offsetMemory * 256) << dsm_frameShift(s->type);
    if (s->loopFlag && s->loopEnd > s->loopStart && ch->startOffset >= s->loopEnd)
        ch->startOffset = s->loopStart + (ch->startOffset - s->loopStart) % (s->loopEnd - s->loopStart);
}

static void vibratoMemory(gmpChannel_T* ch, int xy)
{
    if (xy >> 4)
        ch->vibSpeed = xy >> 4;
    if (xy & 15)
        ch->vibDepth = xy & 15;
}

static int special(gmpPlayState_T* st, gmpChannel_T* ch, int xy)
{
    int y = xy & 15;
    switch (xy >> 4) {
    case S3M_S_VIBRATO_WAVE:
        ch->vibWave = y & 7;
        break;
    case S3M_S_TREMOLO_WAVE:
        ch->tremWave = y & 7;
        break;
    case S3M_S_PANNING:
        gmp_setPanning(st, ch, mp_panFromNibble(y));
        break;
    case S3M_S_SOUND_CONTROL:
        return gmp_playDirection(ch, y);
    case S3M_S_LOOP:
        gmp_patternLoop(st, ch, y);
        break;
    case S3M_S_CUT:
        gmp_noteCut(st, ch, y);
        break;
    case S3M_S_DELAY:
        gmp_holdNote(ch, y);
        break;
    case S3M_S_PATTERN_DELAY:
        gmp_patternDelay(st, y);
        break;
    default:
        break;
    }
    return MPERR_OK;
}

// Whether the row's command keeps its note from starting at once: tone
// portamento takes it as a target, SDx holds it back.
static bool holdsNote(const gmpChannel_T* ch)
{
    int c = ch->command;
    return c == S3M_TONE_PORTA || c == S3M_PORTA_VOLSLIDE || (c == S3M_SPECIAL && ch->param >> 4 == S3M_S_DELAY && (ch->param & 15));
}

static int rowCommand(gmpPlayState_T* st, gmpChannel_T* ch)
{
    int xx = ch->param;
    // The note sounds first and the command acts on it: a fine slide on the
    // note's row moves the note's own period. An offset and a finetune are
    // the note's own settings and come before it.
    if (ch->command == S3M_OFFSET)
        setOffset(st, ch, xx);
    if (ch->command == S3M_SPECIAL && xx >> 4 == S3M_S_FINETUNE)
        s3mChannel(st, ch)->c4Speed = s3mFinetunes[xx & 15];
    if ((ch->flags & GMP_F_NOTE) && !(ch->flags & GMP_F_HANDLED) && !holdsNote(ch)) {
        ch->flags |= GMP_F_HANDLED;
        int code = gmp_startNote(st, ch);
        if (code != MPERR_OK)
            return code;
    }
    switch (ch->command) {
    case S3M_SPEED:
        if (xx)
            st->speed = xx;
        break;
    case S3M_JUMP:
        gmp_requestJump(st, xx);
        break;
    case S3M_BREAK:
        gmp_requestBreak(st, gmp_decimalRow(xx));
        break;
    case S3M_VOLSLIDE:
        volumeSlide(st, ch, xx, true);
        break;
    case S3M_PORTA_DOWN:
        portamento(st, ch, xx, 1, true);
        break;
    case S3M_PORTA_UP:
        portamento(st, ch, xx, -1, true);
        break;
    case S3M_TONE_PORTA:
        if (xx)
            ch->portaSpeed = xx;
        gmp_takePortaTarget(st, ch);
        break;
    case S3M_VIBRATO:
    case S3M_FINE_VIBRATO:
        vibratoMemory(ch, xx);
        break;
    case S3M_TREMOR:
        tremor(ch, xx);
        break;
    case S3M_VIBRATO_VOLSLIDE:
        volumeSlide(st, ch, xx, true);
        break;
    case S3M_PORTA_VOLSLIDE:
        gmp_takePortaTarget(st, ch);
        volumeSlide(st, ch, xx, true);
        break;
    case S3M_RETRIG:
        if (!(ch->flags & GMP_F_NOTE))
            return retrigger(st, ch, xx);
        break;
    case S3M_TREMOLO:
        if (xx >> 4)
            ch->tremSpeed = xx >> 4;
        if (xx & 15)
            ch->tremDepth = xx & 15;
        break;
    case S3M_SPECIAL:
        return special(st, ch, xx);
    case S3M_TEMPO:
        if (xx >= 32)
            return gmp_setTempo(st, xx);
        break;
    case S3M_GLOBAL_VOLUME:
        if (xx <= 64)
            st->globalVolume = xx;
        break;
    case S3M_PANNING:
        if (xx <= 128 || xx == 164)
            gmp_setPanning(st, ch, xx);
        break;
    default:
        if (ch->command > S3M_LAST)
            return MPERR_INVALID_PATTERN;
        break;
    }
    return MPERR_OK;
}

static int tickCommand(gmpPlayState_T* st, gmpChannel_T* ch)
{
    int xx = ch->param;
    switch (ch->command) {
    case S3M_VOLSLIDE:
        volumeSlide(st, ch, xx, false);
        break;
    case S3M_PORTA_DOWN:
        portamento(st, ch, xx, 1, false);
        break;
    case S3M_PORTA_UP:
        portamento(st, ch, xx, -1, false);
        break;
    case S3M_TONE_PORTA:
        gmp_tonePortamento(st, ch);
        break;
    case S3M_VIBRATO:
        vibrato(st, ch, 5);
        break;
    case S3M_FINE_VIBRATO:
        vibrato(st, ch, 7);
        break;
    case S3M_TREMOR:
        tremor(ch, xx);
        break;
    case S3M_ARPEGGIO:
        arpeggio(st, ch, xx);
        break;
    case S3M_VIBRATO_VOLSLIDE:
        vibrato(st, ch, 5);
        volumeSlide(st, ch, xx, false);
        break;
    case S3M_PORTA_VOLSLIDE:
        gmp_tonePortamento(st, ch);
        volumeSlide(st, ch, xx, false);
        break;
    case S3M_RETRIG:
        return retrigger(st, ch, xx);
    case S3M_TREMOLO:
        tremolo(st, ch);
        break;
    case S3M_SPECIAL:
        if (xx >> 4 == S3M_S_CUT)
            gmp_noteCut(st, ch, xx & 15);
        else if (xx >> 4 == S3M_S_DELAY)
            return gmp_delayedNote(st, ch, xx & 15);
        break;
    default:
        break;
    }
    return MPERR_OK;
}

const gmpRules_T gmpS3mRules = {
    S3M_CLOCK, start, stop, notePeriod, nullptr, rowCell, rowCommand, gmp_cellNote, nullptr,
    gmp_repeatRowCommands, nullptr, tickCommand, gmp_updateChannels, 0,
};
