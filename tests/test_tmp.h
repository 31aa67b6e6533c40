#pragma once
// Scratch files for the tests: one fresh folder per test process, made on
// first use under the test temporary folder and removed at exit, so test
// programs running side by side (ctest -j, several build trees) never write
// over each other's files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// The process's scratch folder, without a trailing slash.
inline const std::string& testTmp_dir()
{
    static std::string dir;
    if (dir.empty()) {
        std::string pattern = ::testing::TempDir() + "varnek_test_XXXXXX";
        if (mkdtemp(&pattern[0])) {
            dir = pattern;
            std::atexit([] {
                std::error_code ec;
                std::filesystem::remove_all(testTmp_dir(), ec);
            });
        } else {
            ADD_FAILURE() << "cannot make a scratch folder " << pattern;
        }
    }
    return dir;
}

// The path of `name` in the scratch folder (nothing is written).
inline std::string testTmp_path(const std::string& name)
{
    return testTmp_dir() + "/" + name;
}

// A folder of that name in the scratch folder, made if missing; its path.
inline std::string testTmp_folder(const std::string& name)
{
    std::string path = testTmp_path(name);
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    EXPECT_FALSE(ec) << "cannot make " << path << ": " << ec.message();
    return path;
}

// Writes bytes to a file of that name in the scratch folder; returns its path.
// A file that cannot be written fails the running test.
inline std::string testTmp_writeFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::string path = testTmp_path(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        ADD_FAILURE() << "cannot create " << path;
        return path;
    }
    if (!bytes.empty()) {
        EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size()) << path;
    }
    EXPECT_EQ(std::fclose(f), 0) << path;
    return path;
}

inline std::string testTmp_writeText(const std::string& name, const std::string& text)
{
    return testTmp_writeFile(name, std::vector<uint8_t>(text.begin(), text.end()));
}

// Writes bytes to a file named after the running test and `extension`; the
// fuzzed readers' regression tests keep each input that broke a reader this way.
inline std::string testTmp_writeForTest(const std::vector<uint8_t>& bytes, const char* extension)
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "_" + test->name();
    for (char& c : name)
        if (c == '/')
            c = '_';   // parameterised tests have slashes in their names
    return testTmp_writeFile(name + extension, bytes);
}

// The whole file; empty when it cannot be read.
inline std::vector<uint8_t> testTmp_readFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        bytes.push_back((uint8_t)c);
    std::fclose(f);
    return bytes;
}
