#include "render/r3d_tex.h"

#include <cstdio>
#include <cstring>

#include "platform/display.h"
#include "platform/files.h"
#include "platform/log.h"

r3dTexSlot_T* texSet;
const uint16_t* curTexture;
const uint16_t* const* curShadeSet;
r3dChannel_T texRed, texGreen, texBlue;

namespace {

// One slot's texels in one block: shade s of level l starts at
// s x SHADE_TEXELS + levelOffset[l].
constexpr int SHADE_TEXELS = 64 * 64 + 32 * 32 + 16 * 16 + 8 * 8;
constexpr int SLOT_TEXELS = SHADE_TEXELS * R3D_TEX_SHADES;
constexpr int levelOffset[4] = {0, 64 * 64, 64 * 64 + 32 * 32, 64 * 64 + 32 * 32 + 16 * 16};
constexpr int BMP_HEADER_BYTES = 54;

uint16_t* slotBlocks[R3D_TEX_SLOTS];

// What a slot without a picture draws: a flat mid grey, built like a loaded
// picture so that its shades darken the same way.
uint16_t greyBlock[SLOT_TEXELS];
r3dTexSlot_T greySlot;

void pointSlot(r3dTexSlot_T& slot, uint16_t* block)
{
    for (int s = 0; s < R3D_TEX_SHADES; s++)
        for (int l = 0; l < 4; l++)
            slot[l][s] = block + s * SHADE_TEXELS + levelOffset[l];
}

r3dChannel_T channelOf(uint32_t mask)
{
    r3dChannel_T ch{mask, 0, 0};
    for (int bit = 0; bit < 32; bit++) {
        if (mask & (1u << bit)) {
            ch.shift = bit;
            break;
        }
    }
    for (uint32_t m = mask; m; m &= m - 1)
        ch.bits++;
    return ch;
}

uint16_t packTexel(uint8_t red, uint8_t green, uint8_t blue)
{
    auto put = [](uint8_t value, const r3dChannel_T& ch) {
        int bits = ch.bits > 8 ? 8 : ch.bits;
        return (uint32_t)(value >> (8 - bits)) << ch.shift;
    };
    return (uint16_t)(put(red, texRed) | put(green, texGreen) | put(blue, texBlue));
}

// Levels 1 to 3 from shade 0 of the level above, then shades 1 to 31.
void deriveLevelsAndShades(r3dTexSlot_T& slot)
{
    for (int l = 1; l < 4; l++)
        r3d_halveTexture(slot[l][0], slot[l - 1][0], 128 >> l, 128 >> l, 64 >> l, 128 >> l);
    for (int s = 1; s < R3D_TEX_SHADES; s++)
        for (int l = 0; l < 4; l++)
            r3d_shadeTexture(slot[l][s], slot[l][0], 64 >> l, 64 >> l, 64 >> l, s);
}

void buildGrey()
{
    pointSlot(greySlot, greyBlock);
    uint16_t grey = packTexel(128, 128, 128);
    for (int i = 0; i < 64 * 64; i++)
        greyBlock[i] = grey;
    deriveLevelsAndShades(greySlot);
}

const r3dTexSlot_T& slotFor(uint32_t id)
{
    if (greySlot[0][0] == nullptr)
        pointSlot(greySlot, greyBlock);
    if (texSet == nullptr || id >= (uint32_t)R3D_TEX_SLOTS || texSet[id][0][0] == nullptr)
        return greySlot;
    return texSet[id];
}

}  // namespace

int r3d_loadTextures()
{
    // The previous set goes: every caller selects again per triangle.
    for (uint16_t*& block : slotBlocks) {
        delete[] block;
        block = nullptr;
    }
    delete[] texSet;
    texSet = new r3dTexSlot_T[R3D_TEX_SLOTS]();

    if (use3dfx) {
        texRed = {0x7C00, 10, 5};
        texGreen = {0x03E0, 5, 5};
        texBlue = {0x001F, 0, 5};
    } else {
        texRed = channelOf(dd_redMask());
        texGreen = channelOf(dd_greenMask());
        texBlue = channelOf(dd_blueMask());
    }
    buildGrey();
    curTexture = greySlot[0][0];
    curShadeSet = greySlot[0];

    static const char* const files[R3D_TEX_SLOTS] = {
        "texturas\\mave0.bmp", "texturas\\mave1.bmp", "texturas\\mave2.bmp",
        "texturas\\mave3.bmp", "texturas\\mave4.bmp", "texturas\\mave5.bmp",
        "texturas\\mave6.bmp", "texturas\\mave7.bmp", "texturas\\3dpat1.bmp",
    };
    for (int slot = 0; slot < R3D_TEX_SLOTS; slot++)
        r3d_loadBmpTexture(slot, files[slot]);
    return 0;
}

int r3d_loadBmpTexture(int slot, const char* fileName)
{
    if (texSet == nullptr || slot < 0 || slot >= R3D_TEX_SLOTS)
        return -1;
    FILE* f = pf_fopen(fileName, "rb");
    if (!f) {
        con_log("Error al abrir fichero...");
        return -1;
    }
    // No header field is read: a 64 x 64 uncompressed 24-bit picture with
    // the usual header, whose 192-byte rows need no padding.
    std::fseek(f, BMP_HEADER_BYTES, SEEK_SET);
    delete[] slotBlocks[slot];
    slotBlocks[slot] = new uint16_t[SLOT_TEXELS]();
    r3dTexSlot_T& arrays = texSet[slot];
    pointSlot(arrays, slotBlocks[slot]);

    // The file's first stored row becomes texture row 0.
    uint8_t bgr[64 * 64 * 3];
    size_t got = std::fread(bgr, 1, sizeof bgr, f);
    std::fclose(f);
    for (size_t i = 0; i < got / 3; i++)
        arrays[0][0][i] = packTexel(bgr[3 * i + 2], bgr[3 * i + 1], bgr[3 * i]);
    if (got != sizeof bgr) {
        // The slot keeps its arrays: the texels that were read in shade 0 of
        // level 0, black everywhere else.
        con_log("Error al leer fichero...");
        return -1;
    }
    deriveLevelsAndShades(arrays);
    return 0;
}

void r3d_halveTexture(uint16_t* dst, const uint16_t* src, int width, int height, int dstPitch,
                      int srcPitch)
{
    const r3dChannel_T* channels[3] = {&texRed, &texGreen, &texBlue};
    for (int r = 0; r < height / 2; r++) {
        const uint16_t* s0 = src + 2 * r * srcPitch;
        const uint16_t* s1 = s0 + srcPitch;
        for (int c = 0; c < width / 2; c++) {
            uint32_t out = 0;
            for (const r3dChannel_T* ch : channels) {
                auto get = [ch](uint16_t p) { return (p & ch->mask) >> ch->shift; };
                uint32_t sum = get(s0[2 * c]) + get(s0[2 * c + 1]) + get(s1[2 * c]) + get(s1[2 * c + 1]);
                out |= (uint32_t)((float)sum * 0.25f) << ch->shift;
            }
            dst[r * dstPitch + c] = (uint16_t)out;
        }
    }
}

void r3d_shadeTexture(uint16_t* dst, const uint16_t* src, int width, int height, int pitch, int shade)
{
    // The rule depends only on the channel value, so each channel gets a
    // small table (a 16-bit format has at most 64 values per channel).
    const r3dChannel_T* channels[3] = {&texRed, &texGreen, &texBlue};
    uint16_t table[3][64];
    for (int k = 0; k < 3; k++) {
        uint32_t top = channels[k]->mask >> channels[k]->shift;
        for (uint32_t c = 0; c < 64; c++) {
            float cf = (float)(c & top);
            float shaded = (cf * 0.022222223f - cf) * 0.03125f * (float)shade + cf;
            table[k][c] = (uint16_t)((uint32_t)shaded << channels[k]->shift);
        }
    }
    for (int r = 0; r < height; r++) {
        for (int c = 0; c < width; c++) {
            uint16_t p = src[r * pitch + c];
            uint16_t out = 0;
            for (int k = 0; k < 3; k++)
                out |= table[k][((p & channels[k]->mask) >> channels[k]->shift) & 63];
            dst[r * pitch + c] = out;
        }
    }
}

void r3d_selectTexture(uint32_t id, int level, int shade)
{
    curTexture = slotFor(id)[level & 3][shade & 31];
}

void r3d_selectShadeSet(uint32_t id, int level)
{
    curShadeSet = slotFor(id)[level & 3];
}
