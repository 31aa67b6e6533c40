// The two music programs from the outside: their command lines, the song
// information, the render's length, and varnek-play going through a list of
// files without a sound card.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <regex>
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
    struct Case { const char* program; const char* args; int rc; };
    const Case cases[] = {
        {"varnek-modrender", "--bogus in.mod out.wav", 2},
        {"varnek-modrender", "in.mod out.wav --loops", 2},
        {"varnek-modrender", "--loops 0 in.mod out.wav", 2},
        {"varnek-modrender", "--seconds ten in.mod out.wav", 2},
        {"varnek-modrender", "in.mod", 2},
        {"varnek-modrender", "--info", 2},
        {"varnek-modrender", "--info a.mod b.mod", 2},
        {"varnek-modrender", "", 2},
        {"varnek-modrender", "--quality best in.mod out.wav", 2},
        {"varnek-modrender", "--integer --quality sinc in.mod out.wav", 2},
        {"varnek-play", "--bogus a.mod", 2},
        {"varnek-play", "a.mod --loops", 2},
        {"varnek-play", "--loops x a.mod", 2},
        {"varnek-play", "--null", 2},
        {"varnek-play", "--quality fine a.mod", 2},
        {"varnek-play", "", 2},
    };
    for (const Case& c : cases) {
        runResult_T r = run(c.program, c.args);
        EXPECT_EQ(r.rc, c.rc) << c.program << " " << c.args;
        EXPECT_EQ(r.err.rfind(std::string("usage: ") + c.program, 0), 0u) << c.program << " " << c.args << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.program << " " << c.args;
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
        EXPECT_NE(info.out.find("mixing:      sinc\n"), std::string::npos) << info.out;
        runResult_T render = run("varnek-modrender", std::string(c.options) + song + " " + wav);
        EXPECT_EQ(render.rc, 0) << render.err;
        EXPECT_EQ(wavFrames(wav), c.frames) << c.options;
    }
    runResult_T seconds = run("varnek-modrender", "--seconds 4 " + song + " " + wav);
    EXPECT_EQ(seconds.rc, 0);
    EXPECT_EQ(wavFrames(wav), 4 * 44100) << "--seconds alone loops the song";
    // A loop that never runs out (the delay spends the loop's count on the
    // same row): cut at 30 minutes.
    modSong_T endless;
    endless.title = "endless";
    endless.orders = {0};
    endless.patterns.resize(1);
    endless.patterns[0].cells[8][0] = {0, 0, 0xE, 0x61};
    endless.patterns[0].cells[8][1] = {0, 0, 0xE, 0xE1};
    runResult_T cut = run("varnek-modrender", "--info " + testTmp_writeFile("endless.mod", mod_write(endless)));
    EXPECT_EQ(cut.rc, 0);
    EXPECT_NE(cut.out.find("duration:    30:00.00 (1800.00 s), cut at the cap: the song never wraps\n"), std::string::npos)
        << cut.out;
    runResult_T missing = run("varnek-modrender", "--info " + testTmp_path("nothing.mod"));
    EXPECT_EQ(missing.rc, 1);
    EXPECT_EQ(missing.err, "Player Error: File does not exist\n");
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

}  // namespace
