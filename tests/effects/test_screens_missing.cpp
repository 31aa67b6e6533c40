// The text screens with files missing or cut short: each says which file in
// the log, the credits and greetings still run (without text), and only a
// missing closing picture makes the set-up fail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/credits/credits.h"
#include "effects/greetings/greetings.h"
#include "formats/pcx_writer.h"
#include "gfx2d/blit.h"
#include "gfx2d/gbuffer.h"
#include "platform/log.h"
#include "tests/screen_scratch.h"

namespace {

std::vector<std::string> logLines;
void onLog(const char* line) { logLines.push_back(line); }

int countLogged(const std::string& line)
{
    int n = 0;
    for (const std::string& l : logLines)
        n += l == line;
    return n;
}

// What a case leaves in the scratch folder besides nothing.
enum fontState_T { FONT_NONE, FONT_WHOLE, FONT_SHEET_CUT, FONT_DESCRIPTION_CUT };

void writeFont(screenScratch_T& dir, const char* name, fontState_T state)
{
    if (state == FONT_NONE)
        return;
    screenTest_writeBlockFont(dir, name, 0xFFFFFF, GPL_KEYED);
    const std::string sheet = std::string(name) + ".pcx";
    if (state == FONT_SHEET_CUT) {
        // The sheet's header and a few bytes of its picture.
        std::vector<uint32_t> px(512 * 8, 0xFFFFFF);
        std::vector<uint8_t> bytes = pcx_encode24(px.data(), 512, 8);
        bytes.resize(140);
        dir.write(sheet.c_str(), bytes);
    }
    if (state == FONT_DESCRIPTION_CUT)
        dir.write(name, std::string("# a font description cut in\r\nfontPic = \"") + name);
}

void writeClosingPicture(screenScratch_T& dir)
{
    dir.writePcx("zant\\theend.pcx", std::vector<uint32_t>(320 * 240, 0x404040), 320, 240);
}

class ScreensMissing : public testing::Test {
protected:
    void SetUp() override
    {
        con_init();
        con_setEcho(onLog);
        logLines.clear();
        work.init(320, 240);
    }
    void TearDown() override { con_setEcho(nullptr); }
    gbuffer_T work;
};

const struct {
    const char* what;
    fontState_T font;
    int logged;   // times the font's line is logged
} fontCases[] = {
    {"whole font", FONT_WHOLE, 0},
    {"no font at all", FONT_NONE, 1},
    {"sheet cut short", FONT_SHEET_CUT, 1},
    {"description cut inside its first key", FONT_DESCRIPTION_CUT, 1},
};

TEST_F(ScreensMissing, CreditsRunWithoutTheirFontAndSaySo)
{
    for (const auto& c : fontCases) {
        screenScratch_T dir;
        writeFont(dir, "asdfasdf.jdt", c.font);
        logLines.clear();
        EXPECT_EQ(credits_init(&work), 0) << c.what;
        EXPECT_EQ(countLogged("No se pudo cargar la fuente asdfasdf.jdt"), c.logged) << c.what;
        for (int frame = 1; frame < 60; frame++)   // the text starts at elapsed 41
            credits_frame(&work, frame);
        credits_release();
    }
}

TEST_F(ScreensMissing, GreetingsRunWithoutTheirFontAndSaySo)
{
    for (const auto& c : fontCases) {
        screenScratch_T dir;
        writeClosingPicture(dir);
        writeFont(dir, "asdf.jdt", c.font);
        logLines.clear();
        EXPECT_EQ(greetings_init(&work), 0) << c.what;
        EXPECT_EQ(countLogged("No se pudo cargar la fuente asdf.jdt"), c.logged) << c.what;
        EXPECT_EQ(countLogged("No se pudo cargar zant\\theend.pcx"), 0) << c.what;
        for (int frame = 1300; frame < 1360; frame++)   // the first entry starts at elapsed 28
            greetings_frame(&work, frame, 1);
        greetings_release();
    }
}

TEST_F(ScreensMissing, GreetingsFailWithoutTheirClosingPictureAndSaySo)
{
    screenScratch_T dir;
    writeFont(dir, "asdf.jdt", FONT_WHOLE);
    EXPECT_EQ(greetings_init(&work), -1);
    EXPECT_EQ(countLogged("No se pudo cargar zant\\theend.pcx"), 1);

    // Cut inside its header, it is refused the same way.
    std::vector<uint32_t> px(320 * 240, 0x404040);
    std::vector<uint8_t> bytes = pcx_encode24(px.data(), 320, 240);
    bytes.resize(64);
    dir.write("zant\\theend.pcx", bytes);
    EXPECT_EQ(greetings_init(&work), -1);
    EXPECT_EQ(countLogged("No se pudo cargar zant\\theend.pcx"), 2);
}

}  // namespace
