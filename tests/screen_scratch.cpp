#include "tests/screen_scratch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "formats/font_writer.h"
#include "formats/pcx_writer.h"
#include "gfx2d/gbuffer.h"
#include "platform/files.h"

screenScratch_T::screenScratch_T()
{
    char pattern[] = "/tmp/varnek-screens-XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    dir_ = made ? made : "/tmp";
    oldDir_ = std::filesystem::current_path().string();
    std::filesystem::current_path(dir_);
}

screenScratch_T::~screenScratch_T()
{
    std::filesystem::current_path(oldDir_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

void screenScratch_T::write(const char* name, const std::vector<uint8_t>& bytes)
{
    std::filesystem::path path = std::filesystem::path(dir_) / pf_hostPath(name);
    std::filesystem::create_directories(path.parent_path());
    FILE* f = std::fopen(path.string().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
}

void screenScratch_T::write(const char* name, const std::string& bytes)
{
    write(name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

void screenScratch_T::writePcx(const char* name, const std::vector<uint32_t>& pixels, int width, int height)
{
    write(name, pcx_encode24(pixels.data(), width, height));
}

uint64_t screenTest_brightness(const gbuffer_T& b)
{
    uint64_t sum = 0;
    for (uint32_t i = 0; i < b.pixelCount; i++)
        sum += (b.pixels[i] & 0xFF) + ((b.pixels[i] >> 8) & 0xFF) + ((b.pixels[i] >> 16) & 0xFF);
    return sum;
}

void screenTest_writeBlockFont(screenScratch_T& dir, const char* fileName, uint32_t colour, int dumpID)
{
    const char order[] = " ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-.'!?&";
    const int cells = 64, cell = 8;
    std::vector<uint32_t> px((size_t)cells * cell * cell, colour);
    for (int y = 0; y < cell; y++)
        for (int x = 0; x < cell; x++)
            px[(size_t)y * cells * cell + x] = 0;
    std::string sheet = std::string(fileName) + ".pcx";
    dir.writePcx(sheet.c_str(), px, cells * cell, cell);
    gfontDescription_T d = {sheet.c_str(), 0, dumpID, order, cell, cell};
    dir.write(fileName, gfont_writeDescription(d, "block font"));
}
