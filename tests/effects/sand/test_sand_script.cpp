#include "tests/effects/sand/sand_fixture.h"

TEST_F(SandTest, WaitExampleFrameByFrame)
{
    writeScript("# SETWIND 45 1.5 # ESPERA 100 # END");
    start();
    ASSERT_EQ(effect->step(), 1);
    EXPECT_FLOAT_EQ(effect->windAngle, 45.0f);
    EXPECT_FLOAT_EQ(effect->windStrength, 1.5f);
    EXPECT_EQ(effect->sandState, SAND_WAITING);
    EXPECT_EQ(effect->counter, 99u);
    // The 100 frames after it wait; in the last the counter is found at 0.
    for (int frame = 2; frame <= 101; frame++) {
        EXPECT_EQ(effect->sandState, SAND_WAITING) << "before frame " << frame;
        uint32_t before = effect->counter;
        ASSERT_EQ(effect->step(), 1);
        EXPECT_EQ(sandDone, 0) << frame;
        if (before == 0) {
            EXPECT_EQ(frame, 101);
        }
    }
    EXPECT_EQ(effect->sandState, SAND_READING);
    ASSERT_EQ(effect->step(), 1);   // frame 102 reads END and is the last
    EXPECT_EQ(sandDone, 1);
    EXPECT_EQ(effect->script, nullptr);
    EXPECT_EQ(effect->frameCounter, 102u);
}

TEST_F(SandTest, MarkersCommentsAndKeywordsInsideWords)
{
    writeFlatMap("hm.pcx", 60);
    writeFlatMap("bg.pcx", 7);
    writeScript("free text LOAD ESPERA 9 is ignored\n"
                "##abc\tSETWIND 30 2 ESPERA-ignored\r\n"
                "# HOLA # xLOADy hm.pcx bg.pcx\n"
                "# FADEINxyz hm.pcx ignored 50\n"
                "# FADEOUT 7");
    start();
    effect->step();
    EXPECT_FLOAT_EQ(effect->windAngle, 30.0f);
    EXPECT_FLOAT_EQ(effect->windStrength, 2.0f);
    EXPECT_EQ(effect->cells[0].terrain, 30);            // xLOADy is LOAD
    EXPECT_EQ(effect->sandState, SAND_FADING_IN);      // FADEINxyz is FADEIN
    EXPECT_EQ(effect->counter, 49u);
    // Nothing to raise: the fade ends at its first step (frame 8).
    for (int i = 0; i < 7; i++)
        effect->step();
    EXPECT_EQ(effect->sandState, SAND_READING);
    EXPECT_EQ(effect->heightMap, nullptr);
    effect->step();
    EXPECT_EQ(effect->sandState, SAND_FADING_OUT);
    EXPECT_EQ(effect->counter, 6u);
}

TEST_F(SandTest, ScriptWithoutEndEndsAtItsEnd)
{
    writeScript("# ESPERA 1\n  comment at the end");
    start();
    effect->step();
    EXPECT_EQ(effect->sandState, SAND_WAITING);
    effect->step();
    EXPECT_EQ(effect->sandState, SAND_READING);
    EXPECT_EQ(sandDone, 0);
    effect->step();
    EXPECT_EQ(sandDone, 1);
    EXPECT_EQ(effect->script, nullptr);
}

TEST_F(SandTest, CommandCutShortByTheEndOfTheFileIsNotRun)
{
    writeScript("# SETWIND 90");
    start();
    effect->step();
    EXPECT_EQ(sandDone, 1);
    EXPECT_FLOAT_EQ(effect->windAngle, 0.0f);
}

TEST_F(SandTest, FadeInOfAMissingFileIsSkipped)
{
    writeScript("# FADEIN nothere.pcx - 50 # ESPERA 2 # END");
    start();
    effect->step();
    EXPECT_EQ(effect->sandState, SAND_WAITING);
    EXPECT_EQ(effect->heightMap, nullptr);
}

TEST_F(SandTest, FadeInRisesBy8AndEndsWhenNothingIsBelowTarget)
{
    writeFlatMap("up.pcx", 200);   // ground 100
    writeScript("# SETALTURA 5 # FADEIN up.pcx - 1000 # END");
    start();
    effect->step();
    ASSERT_EQ(effect->sandState, SAND_FADING_IN);
    while (effect->sandState == SAND_FADING_IN && effect->frameCounter < 200)
        effect->step();
    // 13 rises reach 104 (past the target by 4); the 14th finds nothing to do.
    EXPECT_EQ(effect->sandState, SAND_READING);
    EXPECT_EQ(effect->frameCounter, 14u * 8u);
    EXPECT_EQ(effect->cells[12345].terrain, 104);
    EXPECT_EQ(effect->cells[12345].total, 104u);
    EXPECT_EQ(effect->heightMap, nullptr);
    // +8 at each of the 14 steps, -1 in each of the 112 frames without moves.
    EXPECT_EQ(effect->altura, 5);
}

TEST_F(SandTest, FadeInEndsAfterItsFrameCount)
{
    writeFlatMap("up.pcx", 200);
    writeScript("# FADEIN up.pcx - 3 # ESPERA 100");
    start();
    for (int frame = 1; frame <= 3; frame++) {
        effect->step();
        EXPECT_EQ(effect->sandState, SAND_FADING_IN) << frame;
    }
    effect->step();   // the counter is found at 0
    EXPECT_EQ(effect->sandState, SAND_READING);
    EXPECT_NE(effect->heightMap, nullptr);   // kept until the next FADEIN or the end
    EXPECT_EQ(effect->cells[0].terrain, 0);  // frame 8 never came
    effect->step();
    EXPECT_EQ(effect->sandState, SAND_WAITING);
}

TEST_F(SandTest, FadeOutSinksBy16ToFlat)
{
    writeFlatMap("hm.pcx", 80);   // ground 40
    writeFlatMap("bg.pcx", 3);
    writeScript("# STARTUP hm.pcx bg.pcx # SETALTURA 100000 # FADEOUT 1000 # END");
    start();
    const uint8_t expected[] = {24, 8, 0};
    for (uint8_t terrain : expected) {
        for (int i = 0; i < 8; i++)
            effect->step();
        EXPECT_EQ(effect->cells[777].terrain, terrain);
        EXPECT_EQ(effect->cells[777].total, (uint32_t)terrain + effect->cells[777].sand);
        EXPECT_EQ(effect->sandState, SAND_FADING_OUT);
    }
    for (int i = 0; i < 8; i++)
        effect->step();
    EXPECT_EQ(effect->sandState, SAND_READING);
}

TEST_F(SandTest, StartupCoversEverythingWithOneGrainAndRedraws)
{
    writeFlatMap("hm.pcx", 21);   // ground 10
    writePicture("bg.pcx", SAND_W, SAND_H, [](int x, int) { return (uint8_t)x; });
    writeScript("# STARTUP hm.pcx bg.pcx # CALCARENA");
    start();
    effect->interpret();
    for (int i = 0; i < SAND_W * SAND_H; i += 997) {
        EXPECT_EQ(effect->cells[i].sand, 1);
        EXPECT_EQ(effect->cells[i].total, 11u);
        EXPECT_EQ(effect->frameImage[i], effect->shadedPalettes[1][effect->cells[i].colour]);
    }
    EXPECT_EQ(effect->background[5 * SAND_W + 77], colour565(77));
}

TEST_F(SandTest, MissingFilesLeaveTheGroundAlone)
{
    writeFlatMap("hm.pcx", 100);
    writeScript("# LOAD nothere.pcx nothere.pcx # LOAD hm.pcx nothere.pcx # ESPERA 1");
    start();
    effect->step();
    EXPECT_EQ(effect->cells[100].terrain, 0);
}

TEST_F(SandTest, SmallPaddedBackgroundLeavesTheRestBlack)
{
    writeFlatMap("hm.pcx", 0);
    writePicture("small.pcx", 101, 50, [](int x, int y) { return (uint8_t)(x + y); });   // odd width: padded lines
    writeScript("# LOAD hm.pcx small.pcx # END");
    start();
    effect->interpret();
    EXPECT_EQ(effect->background[0], colour565(0));
    EXPECT_EQ(effect->background[49 * SAND_W + 100], colour565(149));
    EXPECT_EQ(effect->background[49 * SAND_W + 101], 0);
    EXPECT_EQ(effect->background[50 * SAND_W], 0);
}

TEST_F(SandTest, MissingScriptOrPaletteEndsAtTheFirstFrame)
{
    start();   // no script written
    EXPECT_EQ(effect->sandState, SAND_FINISHED);
    EXPECT_EQ(effect->step(), 0);
    effect.reset();
    std::remove("arenadat/paleta.pcx");
    writeScript("# ESPERA 5");
    start();
    EXPECT_EQ(effect->step(), 0);
}

// Fade counts are unsigned (a negative one wraps to a very long fade that runs
// until the ground stops changing); a negative wait is no wait.
TEST_F(SandTest, NegativeCountsFadeLongAndWaitNotAtAll)
{
    struct countCase_T {
        const char* script;
        int state;
        uint32_t counter;   // after the first frame, which already ran one step
    };
    const countCase_T cases[] = {
        {"# FADEIN up.pcx - -1 # END", SAND_FADING_IN, 0xFFFFFFFEu},
        {"# FADEOUT -1 # END", SAND_FADING_OUT, 0xFFFFFFFEu},
        {"# FADEOUT -3 # END", SAND_FADING_OUT, 0xFFFFFFFCu},
        {"# ESPERA -5 # END", SAND_READING, 0u},
    };
    writeFlatMap("up.pcx", 200);
    for (const countCase_T& c : cases) {
        sandDone = 0;
        writeScript(c.script);
        start();
        effect->step();
        EXPECT_EQ(effect->sandState, c.state) << c.script;
        EXPECT_EQ(effect->counter, c.counter) << c.script;
    }
}

TEST_F(SandTest, MarkerPastTheCutOfALongWordStillMarks)
{
    std::string script(300, 'x');
    script += "# SETWIND 30 2 # END";
    writeScript(script.c_str());
    start();
    effect->step();
    EXPECT_FLOAT_EQ(effect->windAngle, 30.0f);
    EXPECT_FLOAT_EQ(effect->windStrength, 2.0f);
    EXPECT_EQ(sandDone, 1);
}
