// Writes "phased.mod", the demo's music: the score and the synthesised
// instruments put together with the MOD writer.
#include <cstdio>

#include "tools/gen/gen.h"
#include "tools/gen/gen_music.h"

static int gen_music(const std::string& dataDir)
{
    modSong_T song;
    song.title = "phased";
    std::string error;
    if (gm_buildScore(song, error) != 0) {
        std::fprintf(stderr, "phased.mod: %s\n", error.c_str());
        return -1;
    }
    std::vector<gmSample_T> instruments = gm_synthInstruments();
    for (size_t i = 0; i < instruments.size(); i++) {
        const gmSample_T& in = instruments[i];
        modSample_T& out = song.samples[i];
        out.name = in.name;
        out.data = in.data;
        out.volume = in.volume;
        out.loopStart = static_cast<uint16_t>(in.loopStart / 2);
        out.loopLength = static_cast<uint16_t>(in.loopLength / 2);
    }
    std::vector<uint8_t> bytes = mod_write(song);
    return gen_writeFile(dataDir, "phased.mod", bytes.data(), bytes.size());
}

GEN_REGISTER("phased.mod", gen_music);
