// The two font descriptions and their glyph sheets:
//   asdfasdf.jdt / asdfasdf.pcx: the credits font, gold chamfered tubes with
//     a dark rim, drawn colour-keyed over the credits' coloured background;
//   asdf.jdt / asdf.pcx: the greetings font, slanted cyan-to-violet glowing
//     dots, added onto the black greetings screen.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "formats/font_writer.h"
#include "formats/pcx_writer.h"
#include "gfx2d/blit.h"
#include "tools/gen/gen.h"
#include "tools/gen/gen_fonts.h"

namespace {

const int cellsPerRow = 16;

struct sheet_T {
    int cellW, cellH, width, height;
    std::vector<uint32_t> pixels;
};

sheet_T makeSheet(int cellW, int cellH)
{
    int count = (int)std::strlen(genFont_order);
    int rows = (count + cellsPerRow - 1) / cellsPerRow;
    sheet_T s{cellW, cellH, cellW * cellsPerRow, cellH * rows, {}};
    s.pixels.assign((size_t)s.width * s.height, 0);
    return s;
}

void putCell(sheet_T& s, int index, const std::vector<uint32_t>& cell)
{
    int cx = (index % cellsPerRow) * s.cellW, cy = (index / cellsPerRow) * s.cellH;
    for (int y = 0; y < s.cellH; y++)
        for (int x = 0; x < s.cellW; x++)
            s.pixels[(size_t)(cy + y) * s.width + cx + x] = cell[(size_t)y * s.cellW + x];
}

int writeFont(const std::string& dataDir, const char* jdtName, const char* sheetName, const sheet_T& s,
              int space, int dumpID, const char* comment)
{
    std::vector<uint8_t> pcx = pcx_encode24(s.pixels.data(), s.width, s.height);
    if (gen_writeFile(dataDir, sheetName, pcx.data(), pcx.size()) != 0)
        return -1;
    gfontDescription_T d = {sheetName, space, dumpID, genFont_order, s.cellH, s.cellW};
    std::string text = gfont_writeDescription(d, comment);
    return gen_writeFile(dataDir, jdtName, text.data(), text.size());
}

int writeCreditsFont(const std::string& dataDir)
{
    sheet_T s = makeSheet(20, 24);
    const genTubeStyle_T style = {3.0f, 1.95f, 1.1f, 0xFFEC96, 0xD65C18, 0x1C0C28};
    for (int i = 0; genFont_order[i]; i++) {
        std::vector<uint32_t> cell((size_t)s.cellW * s.cellH, 0);
        genFont_drawTube(cell.data(), s.cellW, s.cellH, 4.0f, 3.0f, genFont_strokes(genFont_order[i]), style);
        putCell(s, i, cell);
    }
    return writeFont(dataDir, "asdfasdf.jdt", "asdfasdf.pcx", s, -1, GPL_KEYED, "credits font: gold tubes");
}

// One glowing dot glyph: a hard bright core per lit dot with a soft halo.
// Dot centres lean right toward the top, an italic of about 8 degrees.
std::vector<uint32_t> dotCell(int cellW, int cellH, const char* const* rows)
{
    struct centre_T {
        float x, y;
    };
    std::vector<centre_T> dots;
    for (int r = 0; r < 7; r++)
        for (int c = 0; c < 5; c++)
            if (rows[r][c] == '#')
                dots.push_back({2.0f + c * 2.6f + (6 - r) * 0.42f, 2.5f + r * 3.0f});
    std::vector<uint32_t> cell((size_t)cellW * cellH, 0);
    if (dots.empty())
        return cell;
    const int samples = 4;
    for (int y = 0; y < cellH; y++) {
        for (int x = 0; x < cellW; x++) {
            float core = 0, glow = 0, centre = 0;
            for (int sy = 0; sy < samples; sy++) {
                for (int sx = 0; sx < samples; sx++) {
                    float px = x + (sx + 0.5f) / samples, py = y + (sy + 0.5f) / samples;
                    float nearest = 1e9f, halo = 0;
                    for (const centre_T& d : dots) {
                        float d2 = (px - d.x) * (px - d.x) + (py - d.y) * (py - d.y);
                        nearest = std::min(nearest, d2);
                        halo += std::exp(-d2 / 8.0f);
                    }
                    float dist = std::sqrt(nearest);
                    core += std::clamp((1.55f - dist) / 0.5f, 0.0f, 1.0f);
                    centre += std::clamp((0.9f - dist) / 0.5f, 0.0f, 1.0f);
                    glow += std::min(1.0f, halo * 0.3f);
                }
            }
            float n = samples * samples;
            core /= n;
            glow /= n;
            centre /= n;
            // Cyan at the top of the cell to violet at the bottom.
            float f = std::clamp((y - 2.0f) / 19.0f, 0.0f, 1.0f);
            float cr = 90 + 130 * f, cg = 250 - 150 * f, cb = 255;
            float r = cr * core + (255 - cr) * centre + 30 * glow * (1 - core);
            float g = cg * core + (255 - cg) * centre + 70 * glow * (1 - core);
            float b = cb * core + 190 * glow * (1 - core);
            auto byte = [](float v) { return (uint32_t)std::clamp(v + 0.5f, 0.0f, 255.0f); };
            uint32_t p = (byte(r) << 16) | (byte(g) << 8) | byte(b);
            cell[(size_t)y * cellW + x] = (byte(r) + byte(g) + byte(b) < 12) ? 0 : p;
        }
    }
    return cell;
}

int writeGreetingsFont(const std::string& dataDir)
{
    sheet_T s = makeSheet(16, 24);
    for (int i = 0; genFont_order[i]; i++)
        putCell(s, i, dotCell(s.cellW, s.cellH, genFont_dots(genFont_order[i])));
    return writeFont(dataDir, "asdf.jdt", "asdf.pcx", s, 0, GPL_ADD, "greetings font: glowing dots");
}

int writeFonts(const std::string& dataDir)
{
    if (writeCreditsFont(dataDir) != 0)
        return -1;
    return writeGreetingsFont(dataDir);
}

}  // namespace

GEN_REGISTER("fonts", writeFonts);
