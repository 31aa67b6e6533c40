// The two music programs from the outside: their command lines, the song
// information, the render's length, and varnek-play going through a list of
// files without a sound card.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "music/formats/mod_writer.h"
#include "tests/test_tmp.h"

namespace {

struct runResult_T {
    int rc;
    std::string out, err;
};

std::string text(const std::string& path)
{
    std::vector<uint8_t> b = testTmp_readFile(path);
    return std::string(b.begin(), b.end());
}

// PROGRAM ARGS | READER: the reader's exit code, the program's stderr.
runResult_T runPiped(const std::string& program, const std::string& args, const std::string& reader)
{
    std::string err = testTmp_path("err.txt");
    std::string cmd = std::string(VARNEK_BIN_DIR) + "/" + program + " " + args + " 2>" + err + " </dev/null | " + reader;
    int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, "", text(err)};
}

runResult_T run(const std::string& program, const std::string& args)
{
    std::string out = testTmp_path("out.txt"), err = testTmp_path("err.txt");
    std::string cmd = std::string(VARNEK_BIN_DIR) + "/" + program + " " + args + " >" + out + " 2>" + err + " </dev/null";
    int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text(out), text(err)};
}

// A song of `orders` empty patterns with one note; F01 on its first row
// makes each pattern last 64 ticks (1.28 s) after the 5 ticks before it.
std::string shortSong(const char* name, int orders)
{
    modSong_T s;
    s.title = name;
    for (int i = 0; i < 64; i++)
        s.samples[0].data.push_back((int8_t)(i < 32 ? 90 : -90));
    s.samples[0].volume = 64;
    s.samples[0].loopLength = 32;
    for (int i = 0; i < orders; i++)
        s.orders.push_back((uint8_t)i);
    s.patterns.resize(orders);
    s.patterns[0].cells[0][0] = {428, 1, 0xF, 0x01};
    return testTmp_writeFile(std::string(name) + ".mod", mod_write(s));
}

TEST(MusicPrograms, CommandLines)
{
    // Every refusal names the program, then the option or what is missing
    // and why, then gives the usage; nothing on standard output.
    struct Case { const char* program; const char* args; const char* reason; };
    const Case cases[] = {
        {"varnek-modrender", "--bogus in.mod out.wav", "unknown option --bogus"},
        {"varnek-modrender", "in.mod out.wav --loops", "--loops needs a value"},
        {"varnek-modrender", "--loops 0 in.mod out.wav", "--loops 0 renders for ever: give --seconds too"},
        {"varnek-modrender", "--loops -1 in.mod out.wav", "--loops -1: not a whole number from 0 (for ever) to 1000"},
        {"varnek-modrender", "--seconds ten in.mod out.wav", "--seconds ten: not a time above 0"},
        {"varnek-modrender", "--seconds 0 in.mod out.wav", "--seconds 0: not a time above 0"},
        {"varnek-modrender", "--start 1:75 in.mod out.wav", "--start 1:75: not a time up to 24 hours"},
        {"varnek-modrender", "--order 0 in.mod out.wav", "--order 0: not an order position from 1 to 256"},
        {"varnek-modrender", "--mute 0 in.mod out.wav", "--mute 0: not a list of channels from 1 to 32"},
        {"varnek-modrender", "--solo 3-1 in.mod out.wav", "--solo 3-1: not a list of channels"},
        {"varnek-modrender", "--mute 1,,2 in.mod out.wav", "--mute 1,,2: not a list of channels"},
        {"varnek-modrender", "--stereo 101 in.mod out.wav", "--stereo 101: not a percentage from 0 to 100"},
        {"varnek-modrender", "--rate=100 in.mod out.wav", "--rate 100: not a rate in Hz from 8000 to 96000"},
        {"varnek-modrender", "--quiet --verbose in.mod out.wav", "--quiet and --verbose together"},
        {"varnek-modrender", "in.mod", "give the module and the WAV file to write, 1 given"},
        {"varnek-modrender", "--info", "--info takes one file, 0 given"},
        {"varnek-modrender", "--info a.mod b.mod", "--info takes one file, 2 given"},
        {"varnek-modrender", "", "give the module and the WAV file to write, 0 given"},
        {"varnek-modrender", "--quality best in.mod out.wav", "--quality best: not one of plain, linear, cubic, sinc"},
        {"varnek-modrender", "--integer --quality sinc in.mod out.wav", "--quality sinc with --integer"},
        {"varnek-play", "--bogus a.mod", "unknown option --bogus"},
        {"varnek-play", "a.mod --loops", "--loops needs a value"},
        {"varnek-play", "--loops x a.mod", "--loops x: not a whole number"},
        {"varnek-play", "--start=-3 a.mod", "--start -3: not a time"},
        {"varnek-play", "--solo 33 a.mod", "--solo 33: not a list of channels from 1 to 32"},
        {"varnek-play", "--null", "no module file given"},
        {"varnek-play", "--quality fine a.mod", "--quality fine: not one of plain, linear, cubic, sinc"},
        {"varnek-play", "", "no module file given"},
    };
    for (const Case& c : cases) {
        runResult_T r = run(c.program, c.args);
        std::string what = std::string(c.program) + " " + c.args;
        EXPECT_EQ(r.rc, 2) << what;
        EXPECT_EQ(r.err.rfind(std::string(c.program) + ": " + c.reason, 0), 0u) << what << ": " << r.err;
        EXPECT_NE(r.err.find(std::string("\nusage: ") + c.program), std::string::npos) << what << ": " << r.err;
        EXPECT_EQ(r.out, "") << what;
    }
    for (const char* program : {"varnek-modrender", "varnek-play"}) {
        runResult_T help = run(program, "--help");
        EXPECT_EQ(help.rc, 0);
        EXPECT_EQ(help.out.rfind(std::string("usage: ") + program, 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
        runResult_T version = run(program, "--version");
        EXPECT_EQ(version.rc, 0);
        EXPECT_TRUE(std::regex_match(version.out, std::regex(std::string(program) + " [0-9.]+\n"))) << version.out;
    }
}

TEST(MusicPrograms, FileErrorsNameTheProgramAndTheFile)
{
    std::string song = shortSong("two", 2), missing = testTmp_path("nothing.mod");
    std::string wav = testTmp_path("refused.wav"), text = testTmp_writeFile("notes.mod", std::vector<uint8_t>(4000, 'x'));
    std::remove(wav.c_str());
    struct Case { const char* program; std::string args, message; };
    const Case cases[] = {
        {"varnek-modrender", missing + " " + wav, "varnek-modrender: " + missing + ": File does not exist\n"},
        {"varnek-modrender", "--info " + missing, "varnek-modrender: " + missing + ": File does not exist\n"},
        {"varnek-modrender", text + " " + wav,
         "varnek-modrender: " + text + ": Invalid module file: MOD: no known signature at byte 1080, or more than 32 "
         "channels\n"},
        {"varnek-modrender", song + " /no/such/folder/out.wav",
         "varnek-modrender: /no/such/folder/out.wav: No such file or directory\n"},
        {"varnek-modrender", "--order 3 " + song + " " + wav,
         "varnek-modrender: " + song + ": --order 3 is past the song's 2 orders\n"},
        {"varnek-modrender", "--start 0:04 " + song + " " + wav,
         "varnek-modrender: " + song + ": --start 0:04 is past the song's end\n"},
        {"varnek-play", "--null " + missing, "varnek-play: " + missing + ": File does not exist\n"},
        {"varnek-play", "--info " + text, "varnek-play: " + text + ": Invalid module file\n"},
        {"varnek-play", "--null --order 9 " + song, "varnek-play: " + song + ": --order 9 is past the song's 2 orders\n"},
    };
    for (const Case& c : cases) {
        runResult_T r = run(c.program, c.args);
        EXPECT_EQ(r.rc, 1) << c.program << " " << c.args;
        EXPECT_EQ(r.err, c.message) << c.program << " " << c.args;
    }
    EXPECT_TRUE(testTmp_readFile(wav).empty()) << "a refused render leaves no file behind";
}

// A file cut short still renders, and stderr says what it lacks.
TEST(MusicPrograms, CutFileSaysWhatIsMissing)
{
    std::vector<uint8_t> bytes = testTmp_readFile(shortSong("cut", 1));
    bytes.resize(bytes.size() - 10);                    // inside the sample's 64 bytes
    std::string file = testTmp_writeFile("cut.mod", bytes), wav = testTmp_path("cut.wav");
    runResult_T r = run("varnek-modrender", file + " " + wav);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.err, "varnek-modrender: " + file +
                         ": 1 sample(s) hold less data than their headers state: they play what the file holds\n");
}

// Frames of sound in a 44-byte-header 16-bit stereo WAV file.
long wavFrames(const std::string& path) { return ((long)testTmp_readFile(path).size() - 44) / 4; }

TEST(MusicPrograms, RenderLengthIsTheInfoDuration)
{
    std::string song = shortSong("two", 2), wav = testTmp_path("two.wav");
    // 5 + 128 ticks of 882 frames (row 0 sets speed 1 on its own tick); two passes: 5 + 256.
    struct Case { const char* options; long frames; const char* duration; };
    const Case cases[] = {
        {"", 133 * 882, "0:02.66 (2.66 s)"},
        {"--loops 2 ", 261 * 882, "0:05.22 (5.22 s)"},
    };
    for (const Case& c : cases) {
        runResult_T info = run("varnek-modrender", std::string(c.options) + "--info " + song);
        EXPECT_EQ(info.rc, 0) << info.err;
        EXPECT_NE(info.out.find("duration:    " + std::string(c.duration) + "\n"), std::string::npos) << info.out;
        EXPECT_NE(info.out.find("title:       two\n"), std::string::npos) << info.out;
        EXPECT_NE(info.out.find("orders:      2 "), std::string::npos) << info.out;
        EXPECT_NE(info.out.find("tracker:     ProTracker (M.K.)\nplays as:    ProTracker\n"), std::string::npos)
            << info.out;
        EXPECT_NE(info.out.find("mixing:      sinc\n"), std::string::npos) << info.out;
        runResult_T render = run("varnek-modrender", std::string(c.options) + song + " " + wav);
        EXPECT_EQ(render.rc, 0) << render.err;
        EXPECT_EQ(wavFrames(wav), c.frames) << c.options;
    }
    runResult_T seconds = run("varnek-modrender", "--seconds 4 " + song + " " + wav);
    EXPECT_EQ(seconds.rc, 0);
    EXPECT_EQ(wavFrames(wav), 4 * 44100) << "--seconds alone loops the song";
    // A song longer than the cap (128 orders of 64 rows at speed 31 and
    // tempo 32, over five hours): cut at 30 minutes.
    modSong_T endless;
    endless.title = "endless";
    endless.orders.assign(128, 0);
    endless.patterns.resize(1);
    endless.patterns[0].cells[0][0] = {0, 0, 0xF, 31};
    endless.patterns[0].cells[0][1] = {0, 0, 0xF, 32};
    runResult_T cut = run("varnek-modrender", "--info " + testTmp_writeFile("endless.mod", mod_write(endless)));
    EXPECT_EQ(cut.rc, 0);
    EXPECT_NE(cut.out.find("duration:    30:00.00 (1800.00 s), cut at the cap: the song never wraps\n"), std::string::npos)
        << cut.out;
}

TEST(MusicPrograms, PlayWithoutSoundGoesThroughTheList)
{
    std::string a = shortSong("first", 1), b = shortSong("second", 2), missing = testTmp_path("missing.mod");
    runResult_T r = run("varnek-play", "--null " + a + " " + missing + " " + b);
    EXPECT_EQ(r.rc, 1) << "a file failed";
    EXPECT_EQ(r.err, "varnek-play: " + missing + ": File does not exist\n");
    const std::string t = "[0-9]+:[0-9]{2}";
    std::string expected =
        "playing 1/3 " + a + ": \"first\" MOD, 4 channels, 0:01.38\n"
        "ord 1/1 pat 0 row [0-9]+ " + t + "/0:01 spd [16] bpm 125\n"
        "end 1/3 " + a + ": " + t + "\\.[0-9]{2}\n"
        "playing 3/3 " + b + ": \"second\" MOD, 4 channels, 0:02.66\n"
        "ord 1/2 pat 0 row [0-9]+ " + t + "/0:02 spd [16] bpm 125\n"
        "ord 2/2 pat 1 row [0-9]+ " + t + "/0:02 spd 1 bpm 125\n"
        "end 3/3 " + b + ": " + t + "\\.[0-9]{2}\n";
    EXPECT_TRUE(std::regex_match(r.out, std::regex(expected))) << r.out;
}

// Interleaved 16-bit stereo frames of a WAV file (after its 44-byte header).
std::vector<int16_t> samples(const std::vector<uint8_t>& wav)
{
    std::vector<int16_t> out;
    for (size_t i = 44; i + 1 < wav.size(); i += 2)
        out.push_back((int16_t)(wav[i] | wav[i + 1] << 8));
    return out;
}

TEST(MusicPrograms, StartAndOrderLandWhereAsked)
{
    // Order k >= 1 of shortSong starts at tick 5 + 64 k, one row a tick:
    // 3 s (150 ticks of 20 ms) in, rows 0-16 of order 3 (index 2) have been
    // read and row 17 is next; 1.5 s (75 ticks) in, row 6 of order 2.
    std::string song = shortSong("four", 4), full = testTmp_path("full.wav"), part = testTmp_path("part.wav");
    struct Case { const char* options; const char* firstLine; };
    const Case cases[] = {
        {"", "ord 1/4 pat 0 row 0 0:00/0:05 spd 6 bpm 125"},
        {"--start 3 ", "ord 3/4 pat 2 row 17 0:03/0:05 spd 1 bpm 125"},
        {"--start 0:01.50 ", "ord 2/4 pat 1 row 6 0:01/0:05 spd 1 bpm 125"},
        {"--order 2 ", "ord 2/4 pat 1 row 0 0:01/0:05 spd 6 bpm 125"},
        // Five ticks of the first row at speed 6: that row is read, the next is row 1.
        {"--order 3 --start 0:00.10 ", "ord 3/4 pat 2 row 1 0:02/0:05 spd 6 bpm 125"},
        {"--subsong 1 ", "ord 1/4 pat 0 row 0 0:00/0:05 spd 6 bpm 125"},
    };
    for (const Case& c : cases) {
        runResult_T r = run("varnek-play", std::string("--null --seconds 0.1 ") + c.options + song);
        EXPECT_EQ(r.rc, 0) << c.options << r.err;
        size_t line = r.out.find('\n');
        ASSERT_NE(line, std::string::npos) << r.out;
        size_t second = r.out.find('\n', line + 1);
        EXPECT_EQ(r.out.substr(line + 1, second - line - 1), c.firstLine) << c.options << "\n" << r.out;
    }
    // A song with one subsong has no second, in either program.
    struct Refusal { const char* program; std::string args; };
    for (const Refusal& c : {Refusal{"varnek-play", "--null --subsong 2 " + song},
                             Refusal{"varnek-modrender", "--subsong 2 " + song + " " + part}}) {
        runResult_T r = run(c.program, c.args);
        EXPECT_EQ(r.rc, 1) << c.program << r.err;
        EXPECT_NE(r.err.find(song + ": --subsong 2 is past the song's 1 songs"), std::string::npos) << c.program << r.err;
    }
    // The render from a time is the whole render's sound from that frame on.
    ASSERT_EQ(run("varnek-modrender", song + " " + full).rc, 0);
    ASSERT_EQ(run("varnek-modrender", "--start 1.5 " + song + " " + part).rc, 0);
    std::vector<int16_t> a = samples(testTmp_readFile(full)), b = samples(testTmp_readFile(part));
    ASSERT_EQ(a.size(), b.size() + 2 * 66150);
    EXPECT_TRUE(std::equal(b.begin(), b.end(), a.begin() + 2 * 66150));
    // From order 2 the F01 of order 1 is never read: three patterns at speed 6.
    ASSERT_EQ(run("varnek-modrender", "--order 2 " + song + " " + part).rc, 0);
    EXPECT_EQ(wavFrames(part), 3 * 64 * 6 * 882);
}

// Sums of squares of the left and right sides.
std::pair<double, double> sides(const std::vector<int16_t>& s)
{
    double l = 0, r = 0;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        l += (double)s[i] * s[i];
        r += (double)s[i + 1] * s[i + 1];
    }
    return {l, r};
}

TEST(MusicPrograms, MuteSoloAndSeparationSilenceTheRightChannels)
{
    // A note on channel 1 (the left side of a MOD) and one on channel 2 (the right).
    modSong_T s;
    s.title = "sides";
    for (int i = 0; i < 64; i++)
        s.samples[0].data.push_back((int8_t)(i < 32 ? 90 : -90));
    s.samples[0].volume = 64;
    s.samples[0].loopLength = 32;
    s.orders = {0};
    s.patterns.resize(1);
    s.patterns[0].cells[0][0] = {428, 1, 0, 0};
    s.patterns[0].cells[0][1] = {320, 1, 0, 0};
    std::string song = testTmp_writeFile("sides.mod", mod_write(s)), wav = testTmp_path("sides.wav");
    enum { SILENT, HEARD };
    struct Case { const char* options; int left, right; };
    const Case cases[] = {
        {"", HEARD, HEARD},
        {"--mute 1", SILENT, HEARD},
        {"--mute 2", HEARD, SILENT},
        {"--mute 1-2", SILENT, SILENT},
        {"--solo 1", HEARD, SILENT},
        {"--solo 2,3", SILENT, HEARD},
        {"--solo 1 --mute 1", SILENT, SILENT},
        {"--mute 3,4", HEARD, HEARD},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(run("varnek-modrender", std::string("--seconds 1 ") + c.options + " " + song + " " + wav).rc, 0);
        auto [l, r] = sides(samples(testTmp_readFile(wav)));
        EXPECT_EQ(l > 0, c.left == HEARD) << c.options << ": left " << l;
        EXPECT_EQ(r > 0, c.right == HEARD) << c.options << ": right " << r;
    }
    // Separation: 0 (and --mono) puts both notes on both sides alike; 50
    // keeps each side louder on its own note's side than the other.
    for (const char* options : {"--mono", "--stereo 0"}) {
        ASSERT_EQ(run("varnek-modrender", std::string("--seconds 1 --mute 2 ") + options + " " + song + " " + wav).rc, 0);
        std::vector<int16_t> m = samples(testTmp_readFile(wav));
        bool same = true;
        for (size_t i = 0; i + 1 < m.size(); i += 2)
            same = same && m[i] == m[i + 1];
        EXPECT_TRUE(same) << options;
        EXPECT_GT(sides(m).first, 0) << options;
    }
    ASSERT_EQ(run("varnek-modrender", "--seconds 1 --mute 2 --stereo 50 " + song + " " + wav).rc, 0);
    auto [l, r] = sides(samples(testTmp_readFile(wav)));
    EXPECT_GT(r, 0);
    EXPECT_GT(l, 2 * r);
}

TEST(MusicPrograms, ForeverAndStandardOutput)
{
    std::string song = shortSong("two", 2), wav = testTmp_path("eight.wav"), piped = testTmp_path("piped.txt");
    // --loops 0 goes on past the song's 2.66 s until the reader has had 8 s:
    // the same sound as --seconds 8, which loops the song as needed.
    ASSERT_EQ(run("varnek-modrender", "--seconds 8 " + song + " " + wav).rc, 0);
    std::vector<uint8_t> eight = testTmp_readFile(wav);
    std::string read8 = "python3 -c \"import sys,wave; w=wave.open(sys.stdin.buffer); "
                        "sys.stdout.buffer.write(w.readframes(8*44100))\" >" + piped;
    runResult_T r = runPiped("varnek-modrender", "--loops 0 " + song + " -", read8);
    EXPECT_EQ(r.rc, 0) << r.err;
    std::vector<uint8_t> got = testTmp_readFile(piped);
    ASSERT_EQ(got.size(), 8u * 44100 * 4);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), eight.begin() + 44));
    // To standard output, once through: the whole WAV, words on stderr.
    std::string whole = testTmp_path("whole.wav");
    ASSERT_EQ(run("varnek-modrender", song + " " + whole).rc, 0);
    r = runPiped("varnek-modrender", song + " -", "cat >" + piped);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.err, "standard output: 2.66 s\n");
    std::vector<uint8_t> streamed = testTmp_readFile(piped), file = testTmp_readFile(whole);
    ASSERT_EQ(streamed.size(), file.size());
    EXPECT_TRUE(std::equal(streamed.begin() + 44, streamed.end(), file.begin() + 44));
    // varnek-play --loops 0 plays on through the song's end until --seconds.
    r = run("varnek-play", "--null --loops 0 --seconds 6 " + song);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(std::regex_search(r.out, std::regex("ord 2/2 [^\n]*\nord 1/2 [^\n]*\nord 2/2 [^\n]*\nord 1/2 "))) << r.out;
    EXPECT_TRUE(std::regex_search(r.out, std::regex("\nend 1/1 [^ ]*: 0:0[6-9]\\.[0-9]{2}\n$"))) << r.out;
}

TEST(MusicPrograms, MessageQuietAndVerbose)
{
    modSong_T s;
    s.title = "letters";
    s.samples[0].name = "hello from";
    s.samples[2].name = "the author";
    s.orders = {0};
    s.patterns.resize(1);
    std::string song = testTmp_writeFile("letters.mod", mod_write(s)), wav = testTmp_path("letters.wav");
    const std::string message = "\"letters\"\n   1 hello from\n   2 \n   3 the author\n";
    // The output starts with `out` (all of it when `whole`).
    struct Case { const char* program; std::string args; std::string out; bool whole; };
    const Case cases[] = {
        {"varnek-modrender", "--message -- " + song + " " + wav, message + wav + ": ", false},
        {"varnek-modrender", "--quiet --message -- " + song + " " + wav, "", true},
        {"varnek-modrender", "--quiet -- " + song + " " + wav, "", true},
        {"varnek-play", "--null --quiet --seconds 0.2 -- " + song, "", true},
    };
    for (const Case& c : cases) {
        runResult_T r = run(c.program, c.args);
        EXPECT_EQ(r.rc, 0) << c.args << r.err;
        EXPECT_EQ(c.whole ? r.out : r.out.substr(0, c.out.size()), c.out) << c.args;
    }
    runResult_T verbose = run("varnek-modrender", "--verbose -- " + song + " " + wav);
    EXPECT_EQ(verbose.rc, 0);
    EXPECT_EQ(verbose.out.rfind("file:        " + song + "\ntitle:       letters\n", 0), 0u) << verbose.out;
    EXPECT_NE(verbose.out.find("names:\n   1 hello from\n"), std::string::npos) << verbose.out;
    runResult_T play = run("varnek-play", "--null --seconds 0.2 --message -- " + song);
    EXPECT_EQ(play.rc, 0);
    EXPECT_NE(play.out.find(" MOD, 4 channels, 0:07.78\n" + message), std::string::npos) << play.out;
}

TEST(MusicPrograms, ShuffleAndRate)
{
    // --shuffle plays every file once, in an order that changes from run to
    // run (five runs of 24 orders all alike: about 3 in a million).
    std::string list;
    for (const char* name : {"s1", "s2", "s3", "s4"})
        list += " " + shortSong(name, 1);
    std::set<std::string> orders;
    for (int run_ = 0; run_ < 5; run_++) {
        runResult_T r = run("varnek-play", "--null --shuffle --seconds 0.05" + list);
        EXPECT_EQ(r.rc, 0) << r.err;
        std::string order;
        std::smatch m;
        std::string rest = r.out;
        while (std::regex_search(rest, m, std::regex("\nend [0-9]/4 [^\n]*/(s[1-4])\\.mod: "))) {
            order += m[1].str();
            rest = m.suffix();
        }
        std::string sorted = order;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, "1234ssss") << r.out;
        orders.insert(order);
    }
    EXPECT_GT(orders.size(), 1u);
    // The mixing rate is the WAV's rate; the time is the same.
    std::string song = shortSong("rate", 1), wav = testTmp_path("rate.wav");
    ASSERT_EQ(run("varnek-modrender", "--rate 22050 --seconds 2 " + song + " " + wav).rc, 0);
    std::vector<uint8_t> w = testTmp_readFile(wav);
    ASSERT_GE(w.size(), 44u);
    EXPECT_EQ(w[24] | w[25] << 8 | w[26] << 16, 22050);
    EXPECT_EQ(wavFrames(wav), 2 * 22050);
}

}  // namespace
