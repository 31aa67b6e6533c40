// The picture's way from the engine thread to the page's canvas: the engine
// leaves its newest frame here, and the page's frame callback takes it as
// RGBA bytes, once per new frame.
#include <emscripten.h>

#include <cstring>
#include <mutex>

#include "platform/backend_web.h"

namespace {
constexpr int WIDTH = 320;
constexpr int HEIGHT = 240;

std::mutex frameMutex;
uint16_t pixels[WIDTH * HEIGHT];
int pixelFormat = PF_FORMAT_565;
bool frameWaiting = false;
uint8_t rgba[WIDTH * HEIGHT * 4];   // the browser's thread only

// Each channel widened to 8 bits with its top bits repeated below, as our
// PNG frames are, so the canvas shows the offline renderer's colours.
inline uint8_t widen5(uint32_t v) { return (uint8_t)((v << 3) | (v >> 2)); }
inline uint8_t widen6(uint32_t v) { return (uint8_t)((v << 2) | (v >> 4)); }

void toRgba(const uint16_t* src, int format, uint8_t* dst)
{
    const bool is555 = format == PF_FORMAT_555;
    for (int i = 0; i < WIDTH * HEIGHT; i++, dst += 4) {
        uint32_t p = src[i];
        dst[0] = widen5(is555 ? (p >> 10) & 31 : p >> 11);
        dst[1] = is555 ? widen5((p >> 5) & 31) : widen6((p >> 5) & 63);
        dst[2] = widen5(p & 31);
        dst[3] = 255;
    }
}
}

void pf_webStoreFrame(const uint16_t* src, int pitch, int format)
{
    std::lock_guard<std::mutex> lock(frameMutex);
    for (int y = 0; y < HEIGHT; y++)
        std::memcpy(&pixels[y * WIDTH], src + (size_t)y * pitch, WIDTH * 2);
    pixelFormat = format;
    frameWaiting = true;
}

// Called by the page: the newest frame as 320 x 240 RGBA bytes, or null when
// none has come since the last call.
extern "C" EMSCRIPTEN_KEEPALIVE uint8_t* pf_webTakeFrame()
{
    std::lock_guard<std::mutex> lock(frameMutex);
    if (!frameWaiting)
        return nullptr;
    frameWaiting = false;
    toRgba(pixels, pixelFormat, rgba);
    return rgba;
}
