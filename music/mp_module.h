#pragma once
// The common in-memory module every reader produces and the module player
// plays. Patterns are kept in one compact encoding:
//   32-bit total size in bytes (this header included), 32-bit row count, then
//   the rows; a row is channel entries ended by a 0 byte. An entry is a byte
//   channel (0..31) | MP_ENT_NOTE | MP_ENT_VOLUME | MP_ENT_COMMAND, followed by
//   note and instrument (MP_ENT_NOTE), a volume byte (MP_ENT_VOLUME), and
//   command and parameter (MP_ENT_COMMAND). A note byte is octave x 16 +
//   semitone; note and instrument bytes are 0xFF when absent; instruments
//   are stored 0-based. Note bytes 0xFC to 0xFE are the actions of the
//   formats that have them (cut, off, fade), never a pitch.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum { MP_ENT_NOTE = 0x20, MP_ENT_VOLUME = 0x40, MP_ENT_COMMAND = 0x80, MP_ENT_CHANNEL = 0x1F };
enum { MP_NONE = 0xFF, MP_MAX_CHANNELS = 32 };
enum { MP_NOTE_CUT = 0xFE, MP_NOTE_OFF = 0xFD, MP_NOTE_FADE = 0xFC };
// The volume byte that means "no volume" (a volume column holds 0..64).
enum { MP_NO_VOLUME = 0x50 };
enum { MP_FORMAT_MOD = 1, MP_FORMAT_S3M = 2, MP_FORMAT_XM = 3, MP_FORMAT_IT = 4 };
// flags bit 2: some note lies outside octaves 1 to 3, so the wider period limits apply.
// The others belong to the formats that set them: S3M's Amiga period limits,
// volume slides on every tick (fast slides), and mono output (all channels
// centred).
// XM: periods follow the linear frequency table, not the Amiga one.
enum { MP_FLAG_WIDE_OCTAVES = 4, MP_FLAG_AMIGA_LIMITS = 8, MP_FLAG_FAST_SLIDES = 16, MP_FLAG_MONO = 32,
       MP_FLAG_LINEAR = 64 };
// IT: instrument mode, the old effects, tone portamento sharing the memory
// of E and F (compatible G).
enum { MP_FLAG_INSTRUMENTS = 128, MP_FLAG_OLD_EFFECTS = 256, MP_FLAG_COMPAT_G = 512 };
// S3M, XM and IT: a channel's panning scales both sides, so a centred
// channel plays at half volume on each side, as their trackers mix it.
enum { MP_FLAG_BALANCED_PAN = 1024 };
// Background voices an IT module plays on, beyond its channels.
enum { MP_BACKGROUND_VOICES = 64 };
// Order list markers of the other formats (MOD lists hold neither).
enum { MP_ORDER_SKIP = 65534, MP_ORDER_END = 65535 };
// How the song's flow commands play (pattern loop, break, position jump),
// as the tracker that wrote the file plays them; the reader decides.
//   PROTRACKER: each command acts at once, in channel order; a loop per channel.
//   ST3: one loop for all channels, its start back to row 0 on each new
//        pattern and just past the loop once it has run out; a loop going
//        back wins over a break and a jump on its row.
//   IT: a loop per channel, its start just past the loop once it has run
//        out; a jump wins over a loop going back, which wins over a break.
//   FT2: a loop per channel; a loop going back and a break share one row
//        number, the last written winning (a jump clears it), and a pattern
//        that ends without a break starts the next one on that row.
enum { MP_FLOW_PROTRACKER = 0, MP_FLOW_ST3 = 1, MP_FLOW_IT = 2, MP_FLOW_FT2 = 3 };
// Notes an instrument's sample map covers (XM uses the first 96).
enum { MP_NOTES = 120 };
// Sample loop types: mpSample_T::loopType.
enum { MP_LOOP_NONE = 4, MP_LOOP_FORWARD = 5, MP_LOOP_PINGPONG = 6 };
// Envelope flags, and the most points an envelope keeps.
enum { MP_ENV_ON = 1, MP_ENV_SUSTAIN = 2, MP_ENV_LOOP = 4, MP_ENV_MAX_POINTS = 25 };
// A pitch envelope that drives the voice's filter cutoff instead (IT).
enum { MP_ENV_FILTER = 8 };
// New-note actions and duplicate checks (IT): what becomes of a playing
// note when the next one starts on its channel.
enum { MP_NNA_CUT = 0, MP_NNA_CONTINUE = 1, MP_NNA_OFF = 2, MP_NNA_FADE = 3 };
enum { MP_DCT_OFF = 0, MP_DCT_NOTE = 1, MP_DCT_SAMPLE = 2, MP_DCT_INSTRUMENT = 3 };
enum { MP_DCA_CUT = 0, MP_DCA_OFF = 1, MP_DCA_FADE = 2 };

struct mpSample_T {
    int32_t handle;         // mixer sample handle, 0 until uploaded
    uint8_t* data;          // null once uploaded
    uint32_t length;        // bytes
    uint32_t loopStart;     // bytes
    uint32_t loopEnd;       // bytes
    int32_t type;           // the mixer's sample type: 1 8-bit unsigned, 2 16-bit signed,
                            // 3 and 4 their stereo forms (frames interleaved), 0 no data
    int32_t loopType;       // MP_LOOP_*
    int32_t loopFlag;       // 0 or 1
    int32_t volume;         // 0..64
    int32_t finetune;       // MOD: low 4 bits meaningful; XM: -128..127
    int32_t reserved[2];
    // The fields below are the other formats' (0 in a MOD sample).
    uint32_t c4Speed;       // Hz at middle C (S3M); 0: none given
    int32_t adlib;          // an AdLib instrument: recognised, never sounded
    int32_t relativeNote;   // XM: semitones added to the played note
    int32_t panning;        // XM: 0..255, 128 the middle
    int32_t vibType;        // automatic vibrato: 0 sine, 1 square, 2 ramp down, 3 ramp up
    int32_t vibSweep;       // ticks until the full depth
    int32_t vibDepth;       // 0..15
    int32_t vibRate;        // position step per tick, 256 a cycle
    // IT (c4Speed holds its C-5 rate): the sample's own volume, a default
    // panning, and the sustain loop the key holds (bytes, MP_LOOP_*).
    int32_t globalVolume;   // 0..64
    int32_t defaultPan;     // 0..64, -1 none
    uint32_t sustainStart, sustainEnd;
    int32_t sustainType;
};

// A volume or panning envelope: points of (tick, value 0..64), a loop and
// a sustain range between point indices (XM sustains on one point: start
// and end the same).
struct mpEnvelope_T {
    int32_t flags;          // MP_ENV_*
    int32_t numPoints;      // 0..MP_ENV_MAX_POINTS
    int32_t loopStart, loopEnd;
    int32_t sustainStart, sustainEnd;
    uint16_t tick[MP_ENV_MAX_POINTS];
    int16_t value[MP_ENV_MAX_POINTS];
};

struct mpInstrument_T {
    char name[23];
    int32_t used;           // some note refers to it
    int32_t numSamples;     // 1 when used, else 0
    int32_t reserved[4];
    mpSample_T* sample;     // used instruments only
    char longName[29];      // the whole name where a format allows more than 22 characters
    // The instrument formats' (XM): the first of numSamples records in
    // `sample`, the one each note plays, envelopes and fadeout.
    uint8_t noteSample[MP_NOTES];   // sample index within the instrument per note, MP_NONE none
    mpEnvelope_T volumeEnvelope;
    mpEnvelope_T panningEnvelope;
    int32_t fadeout;        // subtracted per tick after key off from 32768
    // IT: the note each key plays (noteSample then names a sample of the
    // whole module), the pitch or filter envelope, what happens to a note
    // the next one replaces, and the instrument's volume, panning and filter.
    uint8_t noteMap[MP_NOTES];
    mpEnvelope_T pitchEnvelope; // values 0..64, 32 the middle
    int32_t nna, dct, dca;      // MP_NNA_*, MP_DCT_*, MP_DCA_*
    int32_t globalVolume;       // 0..128
    int32_t defaultPan;         // 0..64, -1 none
    int32_t pitchPanSeparation; // -32..32
    int32_t pitchPanCentre;     // note
    int32_t randomVolume, randomPan;    // percent, 0..64
    int32_t filterCutoff, filterResonance;  // 0..127, -1 not set
};

struct mpModule_T {
    char name[29];          // the longest title field, S3M's 28 bytes
    uint32_t formatId;
    uint32_t songLength;
    uint32_t restartPos;
    uint32_t numInsts;
    uint32_t numSamples;
    uint32_t numPatterns;
    uint8_t numChannels;
    uint8_t masterVolume;
    uint8_t speed;
    uint8_t tempo;
    int32_t panning[MP_MAX_CHANNELS];
    std::vector<uint16_t> orders;
    std::vector<mpInstrument_T> instruments;
    std::vector<mpSample_T*> samples;            // entry i: instrument i's sample or null
    std::vector<std::vector<uint8_t>> patterns;  // encoded as above
    uint32_t flags;
    std::vector<mpSample_T> sampleRecords;       // storage the pointers above refer to
    // IT: channel volumes, the panning separation, and the sound channels
    // a module plays on beyond its own (notes that go on in the background).
    int32_t channelVolume[MP_MAX_CHANNELS];      // 0..64
    int32_t panSeparation;                       // 0..128
    uint32_t backgroundVoices;
    // What the reader found missing or wrong in a file it still loaded, one
    // line each ("the file ends inside pattern 3: its rows 40 to 63 are empty").
    std::vector<std::string> warnings;
    uint32_t flowRules;                         // MP_FLOW_*
    std::string tracker;                        // who wrote the file, as its header says ("" unknown)
};

// A 0..15 panning (left to right) on the module's 0..128 panning scale.
inline int mp_panFromNibble(int x) { return (x * 128 + 7) / 15; }

// Recognises the format by content and reads the module; null on failure
// with mp_lastError set.
mpModule_T* mp_loadModule(const char* fileName);
// MOD reader: 0 or an error code. Samples are uploaded to the mixer.
int mp_loadMod(const char* fileName, int loadSamples, void* progress, mpModule_T** out);
// S3M, XM and IT readers, the same way.
int mp_loadS3m(const char* fileName, int loadSamples, void* progress, mpModule_T** out);
int mp_loadXm(const char* fileName, int loadSamples, void* progress, mpModule_T** out);
int mp_loadIt(const char* fileName, int loadSamples, void* progress, mpModule_T** out);
// Pieces the readers share. The whole file in memory; 0 or a code (13 to 31
// as the open maps them, 14 on a read error, 29 when shorter than minimum).
int mp_readWholeFile(const char* fileName, size_t minimum, std::vector<uint8_t>* bytes);
// A reader's refusal: keeps the reason in words for mp_loadReason and
// returns code. mp_loadModule clears the reason before each load.
int mp_refuse(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Why the last load refused its file ("" when the reader gave no reason).
const char* mp_loadReason();
// Adds a line to the module's warnings.
void mp_warn(mpModule_T* module, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Hands a sample record's data (in the mixer's form, as its type says) to
// the mixer, which copies it; its loop forward (tracker style) or ping-pong.
int mp_uploadSample(mpSample_T* s, const uint8_t* data);
// Rows of an encoded pattern (its header's count).
uint32_t mp_patternRows(const std::vector<uint8_t>& pattern);
// Appends one channel entry of the encoding: note and instrument unless
// both are MP_NONE, the volume unless MP_NO_VOLUME, the command unless 0;
// nothing for an empty cell.
void mp_putEntry(std::vector<uint8_t>* out, int channel, uint8_t note, uint8_t instrument, uint8_t volume,
                 uint8_t command, uint8_t param);
// Writes the size and the row count into an encoded pattern's first 8 bytes.
void mp_finishPattern(std::vector<uint8_t>* out, uint32_t rows);
// Releases the module's samples from the mixer and the module itself.
void mp_freeModule(mpModule_T* module);
