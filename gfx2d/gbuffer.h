#pragma once
// The one image type: 32-bit pixels 0x00RRGGBB, rows top first, no padding.
#include <cstdint>

struct gbuffer_T {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t pixelCount = 0;
    uint32_t errorFlags = 0;    // bit 0: the pixel array could not be allocated
    uint32_t initialized = 0;

    gbuffer_T() = default;
    ~gbuffer_T();
    gbuffer_T(const gbuffer_T&) = delete;
    gbuffer_T& operator=(const gbuffer_T&) = delete;

    void init(uint32_t w, uint32_t h);
    void release();
    void fill(uint8_t r, uint8_t g, uint8_t b);
};

enum { GBUF_ERR_NOMEM = 1 };
