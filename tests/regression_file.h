#pragma once
// The regression tests of the fuzzed readers keep each input that broke a
// reader as bytes in the test; this writes them to a scratch file for the
// reader to load by name.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Writes bytes to a file named after the running test; returns its path.
inline std::string regression_writeFile(const std::vector<uint8_t>& bytes, const char* extension)
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "_" + test->name();
    for (char& c : name)
        if (c == '/')
            c = '_';   // parameterised tests have slashes in their names
    std::string path = ::testing::TempDir() + "varnek_regression_" + name + extension;
    FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr) << path;
    if (f) {
        if (!bytes.empty()) {
            EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        }
        std::fclose(f);
    }
    return path;
}
