// Settings files found by fuzzing the reader (fuzz/formats/fuzz_ini.cpp). Each file
// is kept as the bytes that broke it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "formats/ini_file.h"
#include "tests/test_tmp.h"

namespace {
struct iniRegression_T {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* key;
    const char* string;     // expected getString(key)
};

// A line ended by LF alone runs into the next entry; when nothing but a
// comment, blanks or empty lines followed it, the entry was never ended and
// a query ran on past the loaded text.
const iniRegression_T iniRegressions[] = {
    {"LF alone, then a comment line",   // the fuzzer's input
     {0x61, 0x20, 0x3d, 0x20, 0x31, 0x0a, 0x62, 0x20, 0x3d, 0x20, 0x22, 0x78, 0x22, 0x0a, 0x23, 0x63, 0x0d, 0x0a},
     "a", "b = \"x"},
    {"LF alone, then only blanks", {'k', '=', ' ', '"', 'v', '"', '\n', ' ', ' '}, "k", "v"},
    {"LF alone, then an empty line", {'k', '=', '"', 'v', 'w', '\n', '\n'}, "k", "vw"},
    {"LF alone, then a comment without line end", {'k', '=', '"', 'v', '\n', '#'}, "k", "v"},
};

class IniRegressions : public ::testing::TestWithParam<iniRegression_T> {};
}

TEST_P(IniRegressions, EveryEntryEndsInsideTheText)
{
    const iniRegression_T& c = GetParam();
    iniFile_T ini;
    ini.init(testTmp_writeFile("regression.ini", c.bytes).c_str());
    ASSERT_EQ(ini.errorFlags, 0u);
    ASSERT_EQ(ini.loaded, 1u);
    ASSERT_GT(ini.size, 0);
    ASSERT_LE(ini.size, (int32_t)c.bytes.size() + 1);
    EXPECT_EQ(ini.buffer[ini.size - 1], '\0');
    const char* value = ini.getString(c.key);
    ASSERT_NE(value, nullptr);
    EXPECT_STREQ(value, c.string);
    // A key that no entry has walks every entry to the end and finds nothing.
    EXPECT_EQ(ini.getString("missing"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Fuzz, IniRegressions, ::testing::ValuesIn(iniRegressions));
