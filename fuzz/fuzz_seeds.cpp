// Writes the seed corpus of every fuzz target: the generated data files of
// its format (the large mesh cut down to a corner of the terrain) and small
// hand-made files that reach the corners of each format.
//   varnek-fuzz-seeds DATA_DIR OUT_DIR  ->  OUT_DIR/<target>/<seed>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/bmp_writer.h"
#include "formats/font_writer.h"
#include "formats/mac_writer.h"
#include "formats/mesh3ds_writer.h"
#include "formats/pcx_writer.h"
#include "music/formats/mod_writer.h"
#include "tests/music/it_writer.h"
#include "tests/music/s3m_writer.h"
#include "tests/music/xm_writer.h"

namespace fs = std::filesystem;

namespace {

fs::path seedData, seedOut;
bool seedFailed = false;

void seed_write(const char* target, const char* name, const std::vector<uint8_t>& bytes)
{
    fs::path dir = seedOut / target;
    fs::create_directories(dir);
    FILE* f = std::fopen((dir / name).c_str(), "wb");
    if (!f || (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        || std::fclose(f) != 0) {
        std::fprintf(stderr, "cannot write %s/%s\n", target, name);
        seedFailed = true;
    }
}

void seed_text(const char* target, const char* name, const std::string& text)
{
    seed_write(target, name, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> seed_readData(const char* name)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen((seedData / name).c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "missing data file %s\n", name);
        seedFailed = true;
        return bytes;
    }
    uint8_t buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.insert(bytes.end(), buf, buf + got);
    std::fclose(f);
    return bytes;
}

// A data file as a seed, named after its last path component.
void seed_copy(const char* target, const char* dataName)
{
    seed_write(target, fs::path(dataName).filename().c_str(), seed_readData(dataName));
}

// Indexed pictures: index = (x + 3 y) mod 256 on a palette of (i, 255 - i, 3 i).
std::vector<uint8_t> seed_pcx8(int width, int height)
{
    std::vector<uint8_t> indices((size_t)width * height);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            indices[(size_t)y * width + x] = (uint8_t)(x + 3 * y);
    uint8_t palette[768];
    for (int i = 0; i < 256; i++) {
        palette[i * 3] = (uint8_t)i;
        palette[i * 3 + 1] = (uint8_t)(255 - i);
        palette[i * 3 + 2] = (uint8_t)(3 * i);
    }
    return pcx_encode8(indices.data(), width, height, palette);
}

std::vector<uint8_t> seed_pcx24(int width, int height)
{
    std::vector<uint32_t> pixels((size_t)width * height);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = (uint32_t)(i * 0x10305);
    return pcx_encode24(pixels.data(), width, height);
}

void seed_pictures()
{
    for (const char* name : {"zant/theend.pcx", "asdf.pcx", "arenadat/paleta.pcx"})
        seed_copy("pcx", name);
    seed_write("pcx", "rgb3x2.pcx", seed_pcx24(3, 2));
    seed_write("pcx", "index3x2.pcx", seed_pcx8(3, 2));
    seed_write("pcx", "index1x1.pcx", seed_pcx8(1, 1));
    std::vector<uint8_t> fourBit = seed_pcx8(3, 2);
    fourBit[3] = 4;   // bits per pixel: a layout that decodes to nothing
    seed_write("pcx", "fourbit.pcx", fourBit);

    for (const char* name : {"arenadat/relieve.pcx", "arenadat/dunas.pcx", "arenadat/paleta.pcx"})
        seed_copy("sand_pcx", name);
    seed_write("sand_pcx", "index3x2.pcx", seed_pcx8(3, 2));
    seed_write("sand_pcx", "index17x9.pcx", seed_pcx8(17, 9));

    seed_copy("bmp", "texturas/mave0.bmp");
    seed_copy("bmp", "pantallazos/bicho.bmp");
    for (uint32_t size : {0x00000302u, 0x00000101u, 0x00000005u}) {
        image24_T image = {24, size >> 8, size & 0xFF, nullptr};
        std::vector<uint8_t> pixels((size_t)image.width * image.height * 3 + 1);
        for (size_t i = 0; i < pixels.size(); i++)
            pixels[i] = (uint8_t)(i * 37);
        image.pixels = pixels.data();
        char name[32];
        std::snprintf(name, sizeof name, "%ux%u.bmp", image.width, image.height);
        seed_write("bmp", name, bmp_encode24(&image));
    }
}

// The first 64 vertices of the terrain and the triangles among them.
void seed_meshes()
{
    std::vector<uint8_t> terrain = seed_readData("PLAYApr.MAC");
    if (terrain.size() >= (size_t)MAC_HEADER_BYTES) {
        int32_t v, t;
        std::memcpy(&v, &terrain[8], 4);
        std::memcpy(&t, &terrain[12], 4);
        const int32_t keep = v < 64 ? v : 64;
        const size_t vertexAt = MAC_HEADER_BYTES, triangleAt = vertexAt + (size_t)v * sizeof(meshVertex_T);
        const size_t normalAt = triangleAt + (size_t)t * sizeof(meshTriangle_T);
        std::vector<meshVertex_T> vertices(keep);
        std::vector<meshTriangle_T> triangles;
        std::vector<vec4_T> normals;
        if (v >= 0 && t >= 0 && terrain.size() >= normalAt + (size_t)t * sizeof(vec4_T)) {
            std::memcpy(vertices.data(), &terrain[vertexAt], (size_t)keep * sizeof(meshVertex_T));
            for (int32_t i = 0; i < t && triangles.size() < 64; i++) {
                meshTriangle_T tri;
                std::memcpy(&tri, &terrain[triangleAt + (size_t)i * sizeof tri], sizeof tri);
                if (tri.vertex[0] < keep && tri.vertex[1] < keep && tri.vertex[2] < keep) {
                    vec4_T n;
                    std::memcpy(&n, &terrain[normalAt + (size_t)i * sizeof n], sizeof n);
                    triangles.push_back(tri);
                    normals.push_back(n);
                }
            }
        }
        seed_write("mac", "terrain_corner.mac", mac_encode(keep, (int32_t)triangles.size(), vertices.data(),
                                                           triangles.data(), normals.data()));
    }
    seed_write("mac", "empty.mac", mac_encode(0, 0, nullptr, nullptr, nullptr));
    meshVertex_T quad[4] = {};
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; i++) {
        quad[i].x = corners[i][0];
        quad[i].z = corners[i][1];
        quad[i].w = 1;
    }
    meshTriangle_T halves[2] = {{{0, 1, 2}, 0, {}}, {{2, 3, 0}, 0, {}}};
    vec4_T up[2] = {vec4_T(0, 1, 0, 1), vec4_T(0, 1, 0, 1)};
    seed_write("mac", "quad.mac", mac_encode(4, 2, quad, halves, up));

    seed_copy("3ds", "meshes/torus3.3ds");
    seed_copy("3ds", "meshes/faces2.3ds");
    const float xyz[3][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const uint16_t abc[1][3] = {{0, 1, 2}};
    seed_write("3ds", "triangle.3ds", mesh3ds_encode("tri", xyz, 3, abc, 1));
    // Two objects, the first with its face list before its vertex list.
    chunk3dsWriter_T w;
    chunk3ds_open(&w, CHUNK3DS_MAIN);
    chunk3ds_open(&w, CHUNK3DS_EDITOR);
    for (const char* name : {"first", "second"}) {
        chunk3ds_open(&w, CHUNK3DS_OBJECT);
        chunk3ds_name(&w, name);
        chunk3ds_open(&w, CHUNK3DS_TRIMESH);
        chunk3ds_faceList(&w, abc, 1);
        chunk3ds_vertexList(&w, xyz, 3);
        chunk3ds_close(&w);
        chunk3ds_close(&w);
    }
    chunk3ds_close(&w);
    chunk3ds_close(&w);
    seed_write("3ds", "two_objects.3ds", w.bytes);
}

void seed_settings()
{
    for (const char* target : {"ini", "font"}) {
        seed_copy(target, "asdf.jdt");
        seed_copy(target, "asdfasdf.jdt");
    }
    seed_text("ini", "lines.ini", "a = 1\r\n# b = 2\r\n  b=3\r\nname = \"abc\"  \r\nkeyX = 5\r\nb = 4\r\n\r\nlast = 7");
    seed_text("ini", "lf_only.ini", "a = 1\nb = \"x\"\n#c\r\n");
    gfontDescription_T small = {"s.pcx", 1, 2, "ABCDEFGH", 8, 8};
    seed_text("font", "small.jdt", gfont_writeDescription(small, "8 x 8 cells on a 32 x 16 sheet"));
    gfontDescription_T wide = {"s.pcx", -2, 10, "0123456789", 16, 33};
    seed_text("font", "too_wide.jdt", gfont_writeDescription(wide, "cells wider than the sheet"));
}

void seed_scripts()
{
    seed_copy("sand_script", "arenadat/arena.scr");
    seed_text("sand_script", "wait.scr", "# SETWIND 45 1.5 # ESPERA 3 # END");
    seed_text("sand_script", "all.scr",
              "# STARTUP h.pcx b.pcx # MODORELLENADO 1 # SETALTURA 40 # CALCARENA\n"
              "# FADEIN h.pcx - 20\n# FADEOUT 5 # SETWIND -30 2.5e0\n"
              "# LOAD arenadat\\relieve.pcx arenadat\\dunas.pcx # xLOADy b.pcx h.pcx # ESPERA 1 # END\n");
}

// A song with one looping sample, every effect once and notes over the whole
// period table, on `channels` channels signed `tag`.
std::vector<uint8_t> seed_song(const char* tag, int channels, int patterns)
{
    modSong_T song;
    std::strncpy(song.tag, tag, 4);
    song.channels = channels;
    song.title = "fuzz seed";
    modSample_T& s = song.samples[0];
    s.name = "saw";
    for (int i = 0; i < 32; i++)
        s.data.push_back((int8_t)(i * 8 - 128));
    s.volume = 64;
    s.loopStart = 4;
    s.loopLength = 8;
    song.samples[1].name = "empty";
    song.samples[1].volume = 40;
    song.patterns.resize(patterns);
    for (int p = 0; p < patterns; p++) {
        song.orders.push_back((uint8_t)p);
        for (int row = 0; row < MOD_ROWS; row++) {
            modCell_T& cell = song.patterns[p].cells[row][row % channels];
            cell.period = mod_notePeriod((row / 12) % 6, row % 12);
            cell.sample = (uint8_t)(row % 3 == 2 ? 2 : 1);
            cell.effect = (uint8_t)(row % 16);
            cell.param = (uint8_t)(row * 37 + p);
        }
    }
    song.restart = 0;
    return mod_write(song);
}

// An S3M song: an 8-bit looping sample, a 16-bit one, a stereo one and an
// AdLib instrument; every command letter once with volumes and note cuts,
// markers in the order list, a disabled channel.
std::vector<uint8_t> seed_s3m(uint16_t flags, uint16_t version, bool panTable)
{
    s3mSong_T song;
    song.title = "fuzz seed";
    song.flags = flags;
    song.version = version;
    song.panTable = panTable;
    for (int c = 0; c < 8; c++)
        song.pans[c] = (uint8_t)(0x20 | (c * 2));
    song.channels[4] = 0x84;
    song.channels[5] = 16;
    s3mSample_T saw, wide, stereo, adlib;
    for (int i = 0; i < 32; i++)
        saw.data.push_back((uint8_t)(i * 8));
    saw.flags = 1;
    saw.loopStart = 4;
    saw.loopEnd = 20;
    for (int i = 0; i < 32; i++)
        wide.data.push_back((uint8_t)(i * 37));
    wide.flags = 4 | 1;
    wide.loopEnd = 16;
    stereo.data = saw.data;
    stereo.flags = 2;
    adlib.type = 2;
    song.samples = {saw, wide, stereo, adlib};
    song.orders = {254, 0, 1, 254, 0, 255};
    song.patterns.resize(2);
    for (int p = 0; p < 2; p++)
        for (int row = 0; row < S3M_W_ROWS; row++) {
            s3mCell_T& cell = song.patterns[p].cells[row][row % 6];
            cell.note = row % 9 == 8 ? 254 : (uint8_t)(((row / 12) % 8) << 4 | row % 12);
            cell.instrument = (uint8_t)(row % 4 + 1);
            cell.volume = row % 5 == 0 ? (uint8_t)row : 255;
            cell.command = (uint8_t)(row % 26 + 1);
            cell.param = (uint8_t)(row * 37 + p);
        }
    return s3m_write(song);
}

// XM songs with two instruments (one with envelopes, automatic vibrato and
// an 8-bit forward loop, one with a 16-bit ping-pong loop), every effect and
// volume column command once, in both frequency tables.
std::vector<uint8_t> seed_xmSong(bool linear, bool plain)
{
    xmSong_T song;
    song.channels = 4;
    song.linear = linear;
    xmInstrumentW_T a = xm_squareInstrument(32);
    a.volume.points = {{0, 64}, {4, 20}, {8, 40}, {16, 0}};
    a.volume.type = 7;
    a.volume.sustain = 2;
    a.volume.loopStart = 1;
    a.volume.loopEnd = 2;
    a.panning.points = {{0, 0}, {10, 64}};
    a.panning.type = 1;
    a.fadeout = 1024;
    a.vibDepth = 4;
    a.vibRate = 20;
    a.vibSweep = 8;
    xmInstrumentW_T b;
    xmSampleW_T s;
    s.is16 = true;
    for (int i = 0; i < 50; i++)
        s.data.push_back((int16_t)(i * 1300 - 32000));
    s.loop = 2;
    s.loopStart = 10;
    s.loopLength = 30;
    s.relativeNote = 12;
    s.finetune = -40;
    b.samples = {s};
    song.instruments = {a, b, xmInstrumentW_T()};
    song.orders = {0, 1, 0};
    song.patterns.resize(2);
    for (int p = 0; p < 2; p++) {
        song.patterns[p].plain = plain;
        song.patterns[p].cells.resize(64);
        for (int row = 0; row < 64; row++) {
            xmCell_T& c = song.patterns[p].cells[row].emplace_back();
            c.note = (uint8_t)(row % 8 == 7 ? 97 : 1 + (row * 7) % 96);
            c.instrument = (uint8_t)(1 + row % 3);
            c.volume = (uint8_t)(0x10 + row * 4);
            c.effect = (uint8_t)((row + p * 64) % 36);
            c.param = (uint8_t)(row * 37 + p);
        }
    }
    return xm_write(song);
}

// An IT song of two instruments (envelopes with loops and sustains, a filter
// envelope, new-note actions and duplicate checks) over compressed 8- and
// 16-bit samples with sustain loops, every command and volume column range
// once; or the same samples in sample mode.
std::vector<uint8_t> seed_itSong(bool instruments, bool oldLayout)
{
    itSong_T song;
    song.flags = (uint16_t)(1 | 8 | (oldLayout ? 16 | 32 : 0));
    song.channelPan[1] = 100;
    song.channelPan[3] = 128;
    itSampleW_T a = it_squareSample(40);
    a.compressed = true;
    a.sustain = 2;
    a.sustainStart = 4;
    a.sustainEnd = 20;
    itSampleW_T b;
    b.is16 = true;
    b.compressed = true;
    b.it215 = true;
    for (int i = 0; i < 300; i++)
        b.data.push_back((int16_t)(i * 211 - 32000));
    b.loop = 2;
    b.loopStart = 10;
    b.loopEnd = 200;
    song.samples = {a, b};
    if (instruments) {
        itInstrumentW_T x = it_instrument(1);
        x.oldLayout = oldLayout;
        x.nna = 3;
        x.dct = 1;
        x.dca = 2;
        x.fadeout = 100;
        x.cutoff = 80;
        x.resonance = 60;
        x.volume.points = {{64, 0}, {20, 4}, {40, 8}, {0, 16}};
        x.volume.flags = 1 | 2 | 4;
        x.volume.loopStart = 1;
        x.volume.loopEnd = 2;
        x.volume.sustainStart = 2;
        x.volume.sustainEnd = 3;
        x.pitch.points = {{32, 0}, {-32, 12}};
        x.pitch.flags = 1 | 128;
        itInstrumentW_T y = it_instrument(2);
        y.nna = 1;
        y.dct = 3;
        y.panning.points = {{-32, 0}, {32, 10}};
        y.panning.flags = 1;
        y.pitch.points = {{0, 0}, {16, 6}};
        y.pitch.flags = 1;
        song.instruments = {x, y};
    }
    song.orders = {0, 254, 1, 0};
    song.patterns.resize(2);
    for (int p = 0; p < 2; p++) {
        song.patterns[p].cells.resize(64);
        for (int row = 0; row < 64; row++) {
            itCellW_T& c = song.patterns[p].cells[row].emplace_back();
            c.note = row % 8 == 7 ? 255 : row % 16 == 11 ? 254 : 24 + (row * 7) % 72;
            c.instrument = 1 + row % 2;
            c.volume = (row * 7 + p * 3) % 213;
            c.command = (uint8_t)(1 + (row + p * 64) % 26);
            c.param = (uint8_t)(row * 37 + p);
        }
    }
    return it_write(song);
}

void seed_music()
{
    seed_copy("mod", "phased.mod");
    seed_write("mod", "mk.mod", seed_song("M.K.", 4, 1));
    seed_write("mod", "octa.mod", seed_song("OCTA", 8, 2));
    seed_write("mod", "6chn.mod", seed_song("6CHN", 6, 1));
    seed_write("mod", "12ch.mod", seed_song("12CH", 12, 1));
    seed_write("mod", "tdz3.mod", seed_song("TDZ3", 3, 1));
    seed_write("s3m", "plain.s3m", seed_s3m(0, 0x1320, false));
    seed_write("s3m", "fast_amiga.s3m", seed_s3m(64 | 16, 0x1300, false));
    seed_write("s3m", "pan_table.s3m", seed_s3m(0, 0x1320, true));
    seed_write("xm", "linear.xm", seed_xmSong(true, false));
    seed_write("xm", "amiga.xm", seed_xmSong(false, true));
    seed_write("it", "instruments.it", seed_itSong(true, false));
    seed_write("it", "old.it", seed_itSong(true, true));
    seed_write("it", "samples.it", seed_itSong(false, false));
    // The decompressor's seeds: a flags byte, the frames asked, the data.
    for (int kind = 0; kind < 4; kind++) {
        std::vector<int16_t> values;
        for (int i = 0; i < 500; i++)
            values.push_back((int16_t)((i * i * 31) % (kind & 1 ? 65536 : 256) - (kind & 1 ? 32768 : 128)));
        std::vector<uint8_t> bytes = {(uint8_t)kind, (uint8_t)(500 & 255), (uint8_t)(500 >> 8)};
        std::vector<uint8_t> packed = it_compress(values, kind & 1, kind & 2);
        bytes.insert(bytes.end(), packed.begin(), packed.end());
        std::string name = "kind" + std::to_string(kind);
        seed_write("itsample", name.c_str(), bytes);
    }
    // The whole-song target starts from every module seed.
    std::error_code error;
    fs::create_directories(seedOut / "song", error);
    for (const char* format : {"mod", "s3m", "xm", "it"})
        for (const auto& entry : fs::directory_iterator(seedOut / format, error)) {
            std::string name = std::string(format) + "_" + entry.path().filename().string();
            if (!fs::copy_file(entry.path(), seedOut / "song" / name, fs::copy_options::overwrite_existing, error))
                seedFailed = true;
        }
    if (error)
        seedFailed = true;
}

}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DATA_DIR OUT_DIR\n", argv[0]);
        return 2;
    }
    seedData = argv[1];
    seedOut = argv[2];
    seed_pictures();
    seed_meshes();
    seed_settings();
    seed_scripts();
    seed_music();
    return seedFailed ? 1 : 0;
}
