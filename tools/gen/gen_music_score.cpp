// "phased": the demo's music, A minor, 125 BPM (speed 6), one bar = 16 rows.
// Channels: 0 drums (left), 1 bass (right), 2 lead or pluck (right),
// 3 arpeggio chords (left), so the low end and the melody sit on both sides.
//
// Form (order list): intro (pad swell, then beat and hook), groove, theme A
// and its answer, a two-bar fill that breaks early, development over
// Dm-Am-E-Am and F-G-E-E, groove and theme again, a breakdown that holds
// with a pattern delay, a build whose first half repeats by pattern loop,
// the theme at 130 BPM, development with plucked arpeggios, the answer and
// a turnaround that jumps back to the groove (the restart position).
#include "tools/gen/gen_music.h"

namespace {

// Drum kit: the kick doubles as toms when played higher; the crash is a kick
// with a cymbal on top.
const std::vector<gmKitEntry_T> kit = {
    {'K', GM_KICK, "C-3"},  {'T', GM_KICK, "A-3"},    {'t', GM_KICK, "E-3"},
    {'S', GM_SNARE, "C-3"}, {'H', GM_HAT, "C-3"},     {'O', GM_OPENHAT, "C-3"},
    {'X', GM_CRASH, "C-3"},
};

std::string rep(const std::string& bar, int times)
{
    std::string out;
    for (int i = 0; i < times; i++)
        out += bar + " ";
    return out;
}

// A rhythm with '*' for each chord hit, filled in with the chord's token.
std::string chord(const std::string& rhythm, const std::string& hit)
{
    std::string out;
    for (char c : rhythm) {
        if (c == '*')
            out += hit;
        else
            out += c;
    }
    return out + " ";
}

// Chords as the pad plays them: a root and the arpeggio's two intervals.
const char* const Am = "A-2/037";
const char* const F = "F-2/047";
const char* const C = "G-2/059";   // G C E
const char* const G = "G-2/047";
const char* const Dm = "A-2/058";  // A D F
const char* const E = "G#2/038";   // G# B E

const char* const padHold = "* ~15";
const char* const padStab = "* ~2 * ~2 * ~1 * ~2 * ~2 * ~1";

// ---- drums (channel 0) ----
const char* const dHatsSoft = "H/C10 . H/C18 . H/C10 . H/C20 . H/C10 . H/C18 . H/C10 . H/C20 .";
const char* const dFour = "K . H . K . H . K . H . K . H .";
const char* const dFourRoll = "K . H . K . H . S/C20 . S/C28 . S/E93 S/E93 S/E92 S/E92";
const char* const dBeat = "K . H . S . H K . K H . S . O .";
const char* const dBeatX = "X . H . S . H K . K H . S . O .";
const char* const dBeatB = "K . H . S . H . K . H K S . H H/ED3";
const char* const dBeatFill = "K . H . S . H K . K S/902 S/904 S . S/E93 S/E92";
const char* const dTomFill = "K . T . T . t . t . S S/E93 T t S/E92 S/E92";
const char* const dSparse = "H/C20 . . . O/C18 . . . H/C20 . . . O/C18 . . .";
const char* const dBuildA = "K/E60 . S/C10 . K . S/C14 . K . S/C18 . K . S/C1C .";
const char* const dBuildB = "K . S/C18 . K . S/C1C . K . S/C20 . K . S/C24 /E61";
const char* const dBuildC = "K S/C20 K S/C24 K S/C28 K S/C2C K S/C30 K S/C34 K S/C38 K S/C3C";
const char* const dBuildD = "S/C30 S/C34 S/C38 S/C3C S/E93 ~ S/E93 ~ S/E92 ~ S/E92 ~ S/E92 ~ S/E92 ~";

// ---- bass (channel 1), written on A and transposed to each chord ----
const char* const bGroove = "A-1 . A-1/EC2 A-2/EC2 . . A-1 . E-2/EC3 A-1 . A-2/EC2 A-1 . E-1 .";
const char* const bGrooveSlide = "A-1 . A-1/EC2 A-2/EC2 . . A-1 . E-2/EC3 A-1 . A-2/EC2 A-1 . A-2/306 ~";
const char* const bLong = "A-1 .11 A-2/EC4 . A-1/EC4 .";
const char* const bPulse = "A-1/EC3 . A-1/EC3 . A-1/EC3 . A-1/EC3 . A-1/EC3 . A-1/EC3 . A-1/EC3 . A-1/EC3 .";

// Transpositions from A to the roots the bass plays.
enum { tAm = 0, tF = -4, tC = 3, tG = -2, tDm = 5, tE = 7 };

// ---- hook (channel 2, pluck); 902 starts past the attack, a softer echo ----
const char* const pkAm = "A-2 . E-3/902 . C-3 . E-3/902 . A-2 . E-3/902 . C-3 . B-2 .";
const char* const pkF = "F-2 . C-3/902 . A-2 . C-3/902 . F-2 . C-3/902 . A-2 . G-2 .";
const char* const pkC = "G-2 . E-3/902 . C-3 . E-3/902 . G-2 . E-3/902 . C-3 . D-3 .";
const char* const pkG = "G-2 . D-3/902 . B-2 . D-3/902 . G-2 . D-3/902 . B-2 . A-2 .";

// ---- lead (channel 2): theme A, its answer, and the later variations ----
const char* const leadA =
    "E-3 . . D-3 . . C-3 . /452 ~1 B-2 . C-3 . A-2 . "
    "A-2 . /452 ~5 /A02 ~1 G-2 . A-2 . C-3 . "
    "G-2 . . . . . E-2 . G-2 . C-3 . B-2 . C-3 . "
    "D-3 . /452 ~9 /A04 ~3";
const char* const leadB =
    "E-3 . E-3 . G-3 . E-3 . D-3 . C-3 . D-3 . E-3 . "
    "C-3 . /452 ~3 A-2 . C-3 . D-3/304 ~1 C-3 . A-2 . "
    "G-2 . . . A-2 . C-3 . E-3 . G-3 . E-3 . D-3 . "
    "D-3 . /452 ~5 B-2/303 ~3 /A03 ~3";
const char* const leadA2 =
    "E-3 . . D-3 . . C-3 . /452 ~1 B-2 . C-3 . E-3 . "
    "F-3 . /452 ~5 /A02 ~1 E-3 . C-3 . A-2 . "
    "G-3 . . . . . E-3 . G-3 . C-3 . B-2 . C-3 . "
    "B-2 . D-3/304 ~1 /452 ~7 /202 ~1 /A04 ~1";
const char* const leadB2 =
    "A-3 . G-3 . E-3 . G-3 . A-3 . G-3 . E-3 . D-3 . "
    "C-3 . /452 ~3 A-2 . C-3 . D-3/304 ~1 F-3 . E-3 . "
    "E-3 . . . D-3 . C-3 . D-3 . E-3 . G-3 . E-3 . "
    "D-3 . /452 ~5 /202 ~3 /A03 ~3";
const char* const leadDev1 =
    "F-3 . /462 ~5 E-3/305 ~1 D-3 . . . A-2 D-3 "
    "E-3 . /462 ~5 C-3 . . . B-2 . A-2 . "
    "G#2 . . . B-2 . . . E-3 . /462 ~3 D-3 . "
    "C-3 . /462 ~5 B-2 . C-3 . /A02 ~3";
const char* const leadDev2 =
    "A-2 . C-3 . F-3 . /462 ~3 E-3 . C-3 . A-2 . "
    "B-2 . D-3 . G-3 . /462 ~3 F-3 . D-3 . B-2 . "
    "G#3/306 ~3 /462 ~11 "
    "/462 ~7 /A02 ~7";
const char* const leadBreak =
    "D-3 . . . /462 ~3 F-3/303 ~3 /462 ~3 "
    "E-3 . . . /462 ~7 C-3/303 ~3 "
    "C-3 . . . /462 ~3 A-2/302 ~3 /462 ~3 "
    "B-2 . . . G#2/302 ~3 /462 ~3 /A02 ~2 /EE3";
// Pluck arpeggios in sixteenths over Dm Am E Am.
const std::string pluckDev = rep("D-3 A-2/902 F-2/902 A-2/902", 4) + rep("E-3 C-3/902 A-2/902 C-3/902", 4)
                             + rep("E-3 B-2/902 G#2/902 B-2/902", 4) + rep("A-2 C-3/902 E-3/902 A-3/902", 4);

using channel_T = std::vector<gmTrack_T>;

struct pattern_T {
    channel_T drums, bass, top, pad;
};

channel_T drums(const std::string& text) { return {{text, 0, 0}}; }
channel_T pad(const std::string& text) { return {{text, GM_PAD, 0}}; }
channel_T lead(const std::string& text) { return {{text, GM_LEAD, 0}}; }
channel_T pluck(const std::string& text) { return {{text, GM_PLUCK, 0}}; }

// Bass bars, one chord root each.
channel_T bass(std::initializer_list<std::pair<const char*, int>> bars)
{
    channel_T out;
    for (const auto& bar : bars)
        out.push_back({bar.first, GM_BASS, bar.second});
    return out;
}

std::vector<pattern_T> score()
{
    std::vector<pattern_T> p(14);
    // 0: intro, the pad swells in on A and starts its arpeggio; soft hook notes.
    p[0] = {drums("/F7D .15 .16 " + rep(dHatsSoft, 2)),
            {{"/F06 .", 0, 0}, {"A-1/C08 /A10 ~7 .5 F-1/C20 .15 C-2/C20 .15 G-1/C28 .11 G-1/C28 . . .", GM_BASS, 0}},
            pluck("A-2/C18 .7 E-3/C20 .7 A-2/C24 .7 C-3/C24 .7 G-2/C28 .7 E-3/C28 .7 "
                  "D-3/C30 . . B-2/C30 . . G-2/C30 . D-3 . B-2 . G-2/902 . A-2/902 ."),
            pad("A-2/C04 /A10 ~6 /037 ~7 " + chord(padHold, F) + chord(padHold, C) + chord(padHold, G))};
    // 1: four on the floor, held bass, the hook enters.
    p[1] = {drums(rep(dFour, 3) + dFourRoll),
            bass({{bLong, tAm}, {bLong, tF}, {bLong, tC}, {bLong, tG}}),
            pluck(std::string(pkAm) + " " + pkF + " " + pkC + " " + pkG),
            pad(chord(padHold, Am) + chord(padHold, F) + chord(padHold, C) + chord(padHold, G))};
    // 2: the groove (restart position): tempo and speed are set again here.
    p[2] = {drums(std::string(dBeatX) + " " + dBeat + " " + dBeat + " " + dBeatFill),
            bass({{"A-1/F7D . A-1/EC2 A-2/EC2 . . A-1 . E-2/EC3 A-1 . A-2/EC2 A-1 . E-1 .", tAm},
                  {bGroove, tF}, {bGroove, tC}, {bGrooveSlide, tG}}),
            pluck("A-2/F06 . E-3/902 . C-3 . E-3/902 . A-2 . E-3/902 . C-3 . B-2 . " + std::string(pkF)
                  + " " + pkC + " " + pkG),
            pad(chord(padStab, Am) + chord(padStab, F) + chord(padStab, C) + chord(padStab, G))};
    // 3: theme A.
    p[3] = {drums(std::string(dBeat) + " " + dBeatB + " " + dBeat + " " + dBeatFill),
            bass({{bGroove, tAm}, {bGroove, tF}, {bGroove, tC}, {bGrooveSlide, tG}}),
            lead(leadA),
            pad(chord(padStab, Am) + chord(padStab, F) + chord(padStab, C) + chord(padStab, G))};
    // 4: the answer.
    p[4] = {drums(std::string(dBeatB) + " " + dBeat + " " + dBeatB + " " + dTomFill),
            bass({{bGroove, tAm}, {bGroove, tF}, {bGroove, tC}, {bGrooveSlide, tG}}),
            lead(leadB),
            pad(chord(padHold, Am) + chord(padHold, F) + chord(padHold, C) + chord(padHold, G))};
    // 5: a two-bar fill that breaks to the next position at its middle.
    p[5] = {drums(std::string(dBeat) + " " + dTomFill),
            bass({{bGroove, tAm}, {bGrooveSlide, tG}}),
            lead("A-2 B-2 C-3 D-3 E-3 . . . D-3 . C-3 . B-2 . G-2 . "
                 "B-2 . D-3/303 ~3 /452 ~4 /A04 ~3 /D00"),
            pad(chord(padStab, Am) + chord(padStab, G))};
    // 6: development over Dm Am E Am.
    p[6] = {drums(std::string(dBeatX) + " " + dBeat + " " + dBeatB + " " + dBeatFill),
            bass({{bGroove, tDm}, {bGroove, tAm}, {bGroove, tE}, {bGrooveSlide, tAm}}),
            lead(leadDev1),
            pad(chord(padStab, Dm) + chord(padStab, Am) + chord(padStab, E) + chord(padStab, Am))};
    // 7: development rising over F G E E.
    p[7] = {drums(rep(dBeatB, 3) + dTomFill),
            bass({{bGroove, tF}, {bGroove, tG}, {bGroove, tE}, {bGrooveSlide, tE}}),
            lead(leadDev2),
            pad(chord(padHold, F) + chord(padHold, G) + chord(padHold, E) + chord(padHold, E))};
    // 8: breakdown: no kick, long bass, gliding lead; the last row holds.
    p[8] = {drums(rep(dSparse, 4)),
            bass({{"A-1 .15", tDm}, {"A-1 .15", tAm}, {"A-1 .15", tF}, {"A-1 .11 /202 ~3", tE}}),
            lead(leadBreak),
            pad(chord(padHold, Dm) + chord(padHold, Am) + chord(padHold, F) + chord(padHold, E))};
    // 9: build: the first two bars play twice (pattern loop on the drums),
    // then snare rolls and a rising lead that runs into the top period.
    p[9] = {drums(std::string(dBuildA) + " " + dBuildB + " " + dBuildC + " " + dBuildD),
            bass({{bPulse, tAm}, {bPulse, tF}, {bPulse, tC}, {bPulse, tG}}),
            {{std::string(pkAm) + " " + pkF, GM_PLUCK, 0}, {"A-1/C20 /103 ~30", GM_LEAD, 0}},
            pad(chord(padHold, Am) + chord(padHold, F) + chord(padStab, C) + chord(padStab, G))};
    // 10: theme A again, faster.
    p[10] = {drums(std::string(dBeatX) + " " + dBeatB + " " + dBeat + " " + dBeatFill),
             bass({{"A-1/F82 . A-1/EC2 A-2/EC2 . . A-1 . E-2/EC3 A-1 . A-2/EC2 A-1 . E-1 .", tAm},
                   {bGrooveSlide, tF}, {bGroove, tC}, {bGrooveSlide, tG}}),
             lead(leadA2),
             pad(chord(padStab, Am) + chord(padStab, F) + chord(padStab, C) + chord(padStab, G))};
    // 11: its answer.
    p[11] = {drums(std::string(dBeatB) + " " + dBeat + " " + dBeatB + " " + dTomFill),
             bass({{bGroove, tAm}, {bGrooveSlide, tF}, {bGroove, tC}, {bGrooveSlide, tG}}),
             lead(leadB2),
             pad(chord(padHold, Am) + chord(padHold, F) + chord(padHold, C) + chord(padHold, G))};
    // 12: development with plucked arpeggios.
    p[12] = {drums(std::string(dBeatB) + " " + dBeat + " " + dBeatB + " " + dBeatFill),
             bass({{bGroove, tDm}, {bGroove, tAm}, {bGroove, tE}, {bGrooveSlide, tAm}}),
             pluck(pluckDev),
             pad(chord(padHold, Dm) + chord(padHold, Am) + chord(padHold, E) + chord(padHold, Am))};
    // 13: turnaround, then a jump back to the groove.
    p[13] = {drums(rep(dBeat, 3) + dFourRoll),
             bass({{bGroove, tAm}, {bGroove, tF}, {bGroove, tC}, {bGrooveSlide, tG}}),
             pluck(std::string(pkAm) + " " + pkF + " " + pkC
                   + " G-2 . D-3/902 . B-2 . D-3/902 . G-2 . D-3/902 . B-2 . A-2 /B02"),
             pad(chord(padStab, Am) + chord(padStab, F) + chord(padStab, C) + chord(padStab, G))};
    return p;
}

const uint8_t orderList[] = {0, 1, 2, 3, 4, 5, 6, 7, 2, 3, 8, 9, 10, 11, 6, 12, 4, 13};
const uint8_t restartPosition = 2;

}  // namespace

int gm_buildScore(modSong_T& song, std::string& error)
{
    std::vector<pattern_T> patterns = score();
    song.patterns.assign(patterns.size(), modPattern_T{});
    for (size_t p = 0; p < patterns.size(); p++) {
        const channel_T* channels[4] = {&patterns[p].drums, &patterns[p].bass, &patterns[p].top, &patterns[p].pad};
        for (int c = 0; c < 4; c++) {
            std::vector<modCell_T> cells;
            for (const gmTrack_T& track : *channels[c]) {
                if (gm_parseTrack(track, kit, cells, error) != 0) {
                    error = "pattern " + std::to_string(p) + " channel " + std::to_string(c) + ": " + error;
                    return -1;
                }
            }
            if (cells.size() > MOD_ROWS) {
                error = "pattern " + std::to_string(p) + " channel " + std::to_string(c) + " has "
                        + std::to_string(cells.size()) + " rows";
                return -1;
            }
            for (size_t row = 0; row < cells.size(); row++)
                song.patterns[p].cells[row][c] = cells[row];
        }
    }
    song.orders.assign(orderList, orderList + sizeof orderList);
    song.restart = restartPosition;
    return 0;
}
