// The runtime's random generator, data-file names, thread messages and the
// keyboard device.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "platform/crand.h"
#include "platform/files.h"
#include "platform/keyboard.h"
#include "platform/keyboard_device.h"
#include "platform/log.h"
#include "platform/messages.h"
#include "tests/test_tmp.h"

namespace {
TEST(CrtRand, FollowsTheRuntimeRecurrence)
{
    crt_srand(1);
    // state 1 -> 1*214013+2531011 = 2745024 -> 41; then 18467, 6334, 26500
    EXPECT_EQ(crt_rand(), 41);
    EXPECT_EQ(crt_rand(), 18467);
    EXPECT_EQ(crt_rand(), 6334);
    EXPECT_EQ(crt_rand(), 26500);
    crt_srand(342);
    int a = crt_rand();
    crt_srand(342);
    EXPECT_EQ(crt_rand(), a);
}

TEST(CrtRand, EachThreadStartsAtOne)
{
    crt_srand(999);
    int first = -1;
    std::thread t([&] { first = crt_rand(); });
    t.join();
    EXPECT_EQ(first, 41);
}

TEST(Files, BackslashNamesMapToHostPaths)
{
    EXPECT_EQ(pf_hostPath(".\\pantallazos\\bicho.bmp"), "./pantallazos/bicho.bmp");
    EXPECT_EQ(pf_hostPath("texturas\\mave0.bmp"), "texturas/mave0.bmp");
    EXPECT_EQ(pf_hostPath("phased.mod"), "phased.mod");
    EXPECT_EQ(pf_fopen(nullptr, "rb"), nullptr);
    EXPECT_EQ(pf_fopen("no\\such\\file.bin", "rb"), nullptr);
}

// The files a run asked for and did not find, for the report at its end:
// each once, by host path without a leading "./"; files that exist, files
// and files opened for writing are not missing.
TEST(Files, MissingFilesAreRememberedOnce)
{
    auto count = [](const std::string& name) {
        std::vector<std::string> missing = pf_missingFiles();
        return std::count(missing.begin(), missing.end(), name);
    };
    const std::string dir = testTmp_dir();
    const std::string absent = dir + "/absent.bin";
    EXPECT_EQ(pf_fopen(absent.c_str(), "rb"), nullptr);
    EXPECT_EQ(pf_fopen(absent.c_str(), "rb"), nullptr);
    EXPECT_EQ(count(absent), 1);
    EXPECT_EQ(pf_fopen(".\\no_such_folder\\pic.bmp", "rb"), nullptr);
    EXPECT_EQ(count("no_such_folder/pic.bmp"), 1);
    EXPECT_EQ(count("./no_such_folder/pic.bmp"), 0);

    const std::string written = dir + "/written.bin";
    FILE* f = pf_fopen(written.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    f = pf_fopen(written.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(count(written), 0);
    // A file to be written whose folder is missing fails the same way, but
    // it is no data file the run lacked.
    const std::string unwritable = dir + "/no_folder/new.bin";
    EXPECT_EQ(pf_fopen(unwritable.c_str(), "wb"), nullptr);
    EXPECT_EQ(count(unwritable), 0);
}

TEST(Messages, PeekKeepsGetRemovesAndAClosedQueueRefuses)
{
    pf_queueClose();
    EXPECT_EQ(pf_postThreadMessage(1004), 0);
    pf_queueOpen();
    EXPECT_EQ(pf_postThreadMessage(1004), 1);
    EXPECT_EQ(pf_postThreadMessage(1025), 1);
    pfMsg_T m{};
    ASSERT_EQ(pf_peekMessage(&m), 1);
    EXPECT_EQ(m.id, 1004u);
    ASSERT_EQ(pf_peekMessage(&m), 1);
    EXPECT_EQ(m.id, 1004u);
    pf_getMessage(&m);
    EXPECT_EQ(m.id, 1004u);
    pf_getMessage(&m);
    EXPECT_EQ(m.id, 1025u);
    EXPECT_EQ(pf_peekMessage(&m), 0);
    pf_queueClose();
}

TEST(Keyboard, LossAndReacquireFollowTheForeground)
{
    con_init();
    kbdev_reset();
    ASSERT_EQ(kb_init(), 0);
    kbdev_key(0x39, 1);
    ASSERT_EQ(kb_poll(), 0);
    EXPECT_EQ(kb_keyDown(KB_KEY_SPACE), 1);

    // Focus lost: the first poll finds the input lost and cannot take it back.
    kbdev_focus(0);
    int before = conNext;
    EXPECT_EQ(kb_poll(), -1);
    EXPECT_STREQ(conLines[before], "No tengo el teclado");
    EXPECT_STREQ(conLines[before + 1], "No puedo pillar el teclado");
    EXPECT_EQ(kb_keyDown(KB_KEY_SPACE), 0);
    // In the background: silent failures.
    kbdev_key(0x39, 1);
    before = conNext;
    EXPECT_EQ(kb_poll(), -1);
    EXPECT_EQ(conNext, before);
    EXPECT_EQ(kb_keyDown(KB_KEY_SPACE), 0);

    // Focus back: the first poll re-acquires and succeeds with the old state.
    kbdev_focus(1);
    kbdev_key(0x39, 1);
    before = conNext;
    EXPECT_EQ(kb_poll(), 0);
    EXPECT_STREQ(conLines[before], "Ya tengo el foco");
    EXPECT_STREQ(conLines[before + 1], "Y el teclado");
    EXPECT_EQ(kb_poll(), 0);
    EXPECT_EQ(kb_keyDown(KB_KEY_SPACE), 1);   // seen from the following poll on
}

TEST(Keyboard, NotReadyReportsNoKeys)
{
    kbReady = 0;
    kbdev_key(0x39, 1);
    EXPECT_EQ(kb_poll(), -1);
    EXPECT_EQ(kb_keyDown(KB_KEY_SPACE), 0);
    EXPECT_EQ(kb_keyDown(-1), 0);
    EXPECT_EQ(kb_keyDown(25), 0);
}
}
