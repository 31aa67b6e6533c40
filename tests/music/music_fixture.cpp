#include "music_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "music/mp_errors.h"
#include "tests/test_tmp.h"

std::string fx_writeTemp(const std::vector<uint8_t>& bytes)
{
    static int counter = 0;
    return testTmp_writeFile("music_" + std::to_string(counter++) + ".mod", bytes);
}

mpModule_T* fx_load(const std::vector<uint8_t>& bytes, int32_t* code)
{
    std::string path = fx_writeTemp(bytes);
    mp_lastError = 0;
    mpModule_T* m = mp_loadModule(path.c_str());
    if (code)
        *code = mp_lastError;
    std::remove(path.c_str());
    return m;
}

modSong_T fx_toneSong(int cycle, int repeats)
{
    modSong_T song;
    song.title = "tone";
    modSample_T& s = song.samples[0];
    s.name = "sine";
    for (int i = 0; i < cycle * repeats; i++)
        s.data.push_back((int8_t)std::lround(100.0 * std::sin(2.0 * M_PI * i / cycle)));
    s.volume = 64;
    s.loopStart = 0;
    s.loopLength = (uint16_t)(cycle * repeats / 2);
    song.orders = {0};
    song.patterns.resize(1);
    return song;
}

modSong_T fx_rampSong(int length)
{
    modSong_T song;
    song.title = "ramp";
    modSample_T& s = song.samples[0];
    for (int i = 0; i < length; i++)
        s.data.push_back((int8_t)(i % 200 - 100));
    s.volume = 64;
    song.orders = {0};
    song.patterns.resize(1);
    return song;
}
