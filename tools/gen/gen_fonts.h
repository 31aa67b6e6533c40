#pragma once
// The demo's two bitmap fonts are drawn here from code: the credits font from
// stroke skeletons rendered as shaded tubes, the greetings font from a 5 x 7
// dot table rendered as glowing dots. The closing picture reuses the tubes.
#include <cstdint>

// The characters both sheets hold, in reading order. The space comes first:
// a character missing from the order is drawn with the first cell, so it
// shows as a blank.
extern const char genFont_order[];

// Stroke skeleton of c on a grid 4 units wide and 6 high (y down): polylines
// of "x,y" points separated by blanks, polylines separated by '|'; null when
// c has no glyph.
const char* genFont_strokes(char c);

// 5 x 7 dot pattern of c, 7 rows of 5 characters ('#' lit); null when c has
// no glyph.
const char* const* genFont_dots(char c);

struct genTubeStyle_T {
    float unit;             // pixels per grid unit
    float radius;           // tube radius in pixels
    float outline;          // width of the dark rim around the tube
    uint32_t top, bottom;   // body colour at the top and bottom of the grid
    uint32_t rim;           // colour of the rim
};

// Renders a stroke skeleton into a width x height 0x00RRGGBB image with grid
// point (0, 0) at (originX, originY): a round tube lit from the top left,
// edges blended over what is already there (4 x 4 samples per pixel).
void genFont_drawTube(uint32_t* pixels, int width, int height, float originX, float originY,
                      const char* strokes, const genTubeStyle_T& style);
