#include <gtest/gtest.h>

#include <cstring>

#include "formats/ini_file.h"
#include "platform/gpl_trace.h"
#include "tests/test_tmp.h"

namespace {
struct iniCase_T {
    const char* what;
    const char* text;
    const char* key;
    double number;          // expected getNum
    bool found;             // getString finds the key
    const char* string;     // expected getString when not null
};

const iniCase_T iniCases[] = {
    {"comment line dropped", "a = 1\r\n# b = 2\r\nb=3\r\n", "b", 3.0, true, nullptr},
    {"first line", "a = 1\r\n# b = 2\r\nb=3\r\n", "a", 1.0, true, nullptr},
    {"trailing blanks and quote", "name = \"abc\"  \r\n", "name", 0.0, true, "abc"},
    {"prefix key does not match", "keyX = 5\r\n", "key", 0.0, false, nullptr},
    {"first entry wins", "k = 1\r\nk = 2\r\n", "k", 1.0, true, nullptr},
    {"no final line end", "a = 1\r\nb = 7", "b", 7.0, true, nullptr},
    {"no final line end, quoted", "s = \"xyz\"", "s", 0.0, true, "xyz"},
    {"LF alone runs into the next entry", "a = 1\nb = 2\r\n", "a", 1.0, true, "b = 2"},
    {"LF alone hides the next key", "a = 1\nb = 2\r\n", "b", 0.0, false, nullptr},
    {"indented comment", "   # x = 1\r\nx = 2\r\n", "x", 2.0, true, nullptr},
    {"# inside a line is ordinary", "c = 4#5\r\ns = \"a#b\"\r\n", "s", 0.0, true, "a#b"},
    {"leading blanks skipped", "   fontSpace=2\r\n", "fontSpace", 2.0, true, nullptr},
    {"tab is not a blank", "\tt = 1\r\n", "t", 0.0, false, nullptr},
    {"blank line is an empty entry", "\r\n\r\nv = 9\r\n", "v", 9.0, true, nullptr},
    {"unquoted string loses its first character", "u = abc\r\n", "u", 0.0, true, "bc"},
    {"empty value stays inside the entry", "e =\r\nf = 1\r\n", "e", 0.0, true, ""},
    {"number with exponent and text after", "n = -2.5e1x\r\n", "n", -25.0, true, nullptr},
    {"no hexadecimal", "h = 0x10\r\n", "h", 0.0, true, nullptr},
    {"not a number reads 0", "z = abc\r\n", "z", 0.0, true, nullptr},
    {"blanks around =", "w    =    12.5   \r\n", "w", 12.5, true, nullptr},
    {"key is case-sensitive", "Key = 1\r\n", "key", 0.0, false, nullptr},
    {"only blanks at the end", "a = 1\r\n   ", "a", 1.0, true, nullptr},
    {"empty file", "", "a", 0.0, false, nullptr},
};

class IniCases : public ::testing::TestWithParam<iniCase_T> {};
}

TEST_P(IniCases, Value)
{
    const iniCase_T& c = GetParam();
    std::string path = testTmp_writeText("case.ini", c.text);
    iniFile_T ini;
    ini.init(path.c_str());
    ASSERT_EQ(ini.errorFlags, 0u) << c.what;
    EXPECT_EQ(ini.loaded, 1u);
    EXPECT_LE(ini.size, (int32_t)std::strlen(c.text) + 1);
    EXPECT_DOUBLE_EQ(ini.getNum(c.key), c.number) << c.what;
    const char* s = ini.getString(c.key);
    if (!c.found) {
        EXPECT_EQ(s, nullptr) << c.what;
    } else {
        ASSERT_NE(s, nullptr) << c.what;
        if (c.string) {
            EXPECT_STREQ(s, c.string) << c.what;
        }
        EXPECT_LT(s, ini.buffer + ini.size) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(SettingsFile, IniCases, ::testing::ValuesIn(iniCases));

TEST(IniFile, MissingFileSetsBitAndFindsNothing)
{
    iniFile_T ini;
    ini.init("/nonexistent/varnek/none.jdt");
    EXPECT_EQ(ini.errorFlags, (uint32_t)INI_ERR_OPEN);
    EXPECT_EQ(ini.loaded, 0u);
    EXPECT_EQ(ini.getNum("a"), 0.0);
    EXPECT_EQ(ini.getString("a"), nullptr);
    ini.release();
    ini.release();
}

TEST(IniFile, ReloadReplacesTheText)
{
    iniFile_T ini;
    ini.init(testTmp_writeText("one.ini", "a = 1\r\n").c_str());
    ini.init(testTmp_writeText("two.ini", "b = 2\r\n").c_str());
    EXPECT_EQ(ini.getNum("a"), 0.0);
    EXPECT_EQ(ini.getNum("b"), 2.0);
    ini.release();
    EXPECT_EQ(ini.loaded, 0u);
    EXPECT_EQ(ini.getNum("b"), 0.0);
}

TEST(GplTrace, IndentedBlocksWhenSwitchedOn)
{
    std::string iniPath = testTmp_writeText("trace.ini", "a = 1\r\n");
    std::string tracePath = testTmp_writeText("trace.txt", "");
    gpl_traceSet(0, tracePath.c_str());
    iniFile_T ini;
    ini.init(iniPath.c_str());
    ini.getNum("a");
    gpl_trace("open line");
    gpl_traceIn();
    gpl_trace("x=%d\ny=%s\n", 3, "z");
    gpl_traceOut();
    gpl_traceOut();   // never below column 0
    gpl_trace("end\n");
    gpl_traceSet(0, nullptr);
    gpl_trace("not written\n");
    std::vector<uint8_t> bytes = testTmp_readFile(tracePath);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "iniFile_T::init()\n"
              "{\n"
              "    openning file\n"
              "    size 7\n"
              "    alloc ifile buffer \n"
              "    load file to buffer\n"
              "    close\n"
              "}\n"
              "iniFile_T::getNum(a) = 1 \n"
              "open line\n"
              "{\n"
              "    x=3\n"
              "    y=z\n"
              "}\n"
              "}\n"
              "end\n");
}
