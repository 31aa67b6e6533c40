#pragma once
// The scripted sand effect: a 320 x 240 field of coloured sand on a ground
// read from a grey-scale picture. 8000 grains pick up sand and carry it with
// the wind, a cell-sized hop at a time; where the sand is gone a background
// picture shows. A small script ("arenadat\arena.scr") loads the ground and
// the background, sets the wind and raises or lowers the ground over time.
// The frame is kept in the display's own 16-bit format and copied to the
// surface as it is. Engine thread only.
#include <cstdint>
#include <cstdio>

enum {
    SAND_W = 320,
    SAND_H = 240,
    SAND_GRAINS = 8000,
    SAND_JITTER = 64,
};

// sandState values.
enum {
    SAND_FINISHED = -1,
    SAND_READING = 0,
    SAND_FADING_IN = 1,
    SAND_FADING_OUT = 2,
    SAND_WAITING = 4,
};

struct sandCell_T {
    uint32_t total;     // terrain + sand
    uint8_t terrain;    // ground height, 0 to 127 (a fade-in may pass its target by up to 7)
    uint8_t colour;     // index into a palette
    uint8_t sand;       // grains of sand piled here, 0 to 255
};

// Grain positions and speeds are 16.16 fixed point (cell = value >> 16) while
// the grain moves; a free grain holds plain cell coordinates.
constexpr int SAND_FIX_SHIFT = 16;
constexpr int32_t SAND_FIX_ONE = 1 << SAND_FIX_SHIFT;

struct sandGrain_T {
    int32_t x, y;
    int32_t vx, vy;     // per hop
    int32_t state;      // below 3 moving (fewer = more successful hops), 3 or more free
    uint32_t stamp;     // total of the cell where the grain last landed
    uint8_t colour;
};

// Set by the script's END.
extern uint8_t sandDone;

class sandEffect_T {
public:
    float windAngle = 0;        // degrees: 0 blows toward +x, 90 toward +y
    float windStrength = 0;     // pixels per hop
    int32_t sandState = SAND_READING;
    int32_t fillMode = 0;
    int32_t altura = 0;         // grains are only picked from cells at least this high (fill mode off)
    uint32_t counter = 0;       // frames left of the running fade or wait
    uint32_t frameCounter = 0;  // frames since the script was opened
    int32_t movedCount = 0;     // successful hops of the previous step
    uint8_t* heightMap = nullptr;   // ground being faded in
    FILE* script = nullptr;

    sandCell_T* cells = nullptr;
    sandGrain_T* grains = nullptr;
    int32_t jitter1[SAND_JITTER] = {};  // 16.16, -1.0 to just under +1.0
    int32_t jitter2[SAND_JITTER] = {};
    int format565 = 1;                  // 0: 5-5-5
    uint16_t* basePalette = nullptr;    // 256 colours from "arenadat\paleta.pcx"
    uint16_t (*shadedPalettes)[256] = nullptr;  // [sand][colour]
    uint16_t* frameImage = nullptr;
    uint16_t* background = nullptr;

    // The constructor runs init.
    sandEffect_T();
    ~sandEffect_T();
    sandEffect_T(const sandEffect_T&) = delete;
    sandEffect_T& operator=(const sandEffect_T&) = delete;

    // Reads the display's pixel format, then setup.
    void init();
    // Allocates what is missing, frees the grains, colours every cell at
    // random and builds the palettes for the format of that green mask.
    void setup(uint32_t greenMask);
    void openScript();
    // One frame: step, then present. 0 when the effect has finished.
    int frame();
    // One frame without presenting it.
    int step();
    void cleanup();

    void interpret();
    void loadMaps(const char* heightFile, const char* backgroundFile);
    void fillSand();            // every cell one grain, full redraw, present
    void fadeInStep();
    void fadeOutStep();
    void simulate();
    void drawGrains();
    void redraw();
    void present();

    // Picture files (sand_pictures.cpp). Each returns 1 on success, 0 with
    // nothing changed on failure.
    int loadHeightMap(const char* name, uint8_t* map);
    int loadBackground(const char* name);
    int loadPalette(const char* name);
    uint16_t toPixel(const uint8_t* rgb) const;

private:
    void endScript();
    void buildShadedPalettes();
};
