// The display: our own 16-bit surfaces standing in for the DirectDraw pair.
// Full screen flips (primary and back swap their memory, so the back
// surface then holds the picture shown before), windowed copies the back
// surface to the primary. Every update of the primary waits for the 60 Hz
// refresh and is then handed to the backend.
#include "platform/display.h"

#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "platform/main_thread.h"

uint8_t fullScreen = 1;
uint8_t use3dfx = 0;
int32_t screenWidth = 320;
int32_t screenHeight = 240;
uint16_t* surfacePixels = nullptr;
int32_t surfacePitch = 0;
// A 5-5-5 layout until dd_pixelShifts derives the real one.
int32_t redBits = 5, redShift = 10;
int32_t greenBits = 5, greenShift = 5;
int32_t blueBits = 5, blueShift = 0;

namespace {
bool ddObject = false;
ddSurface_T* primary = nullptr;
ddSurface_T* back = nullptr;
void (*modeHook)() = nullptr;
int desktopBits = 16;
uint32_t framesPresented = 0;

void setFullScreenOnMain(void* arg)
{
    pf_backend()->setFullScreen(*(int*)arg);
}

void messageBoxOnMain(void* arg)
{
    const char** texts = (const char**)arg;
    pf_backend()->messageBox(texts[0], texts[1]);
}

void showPrimary()
{
    const pfBackend_T* backend = pf_backend();
    backend->vblank();
    framesPresented++;
    backend->frameDone(primary->pixels, primary->pitch, pf_pixelFormat());
}

int buildSurfaces(int full)
{
    int on = full;
    pf_runOnMain(setFullScreenOnMain, &on);
    primary = dd_createSurface(screenWidth, screenHeight);
    back = dd_createSurface(screenWidth, screenHeight);
    if (!primary || !back) {
        dd_releaseSurface(primary);
        dd_releaseSurface(back);
        primary = back = nullptr;
        return -1;
    }
    primary->isPrimary = 1;
    dd_clearBack();
    if (modeHook)
        modeHook();
    return 0;
}

// Clip a copy of src's rectangle to (x, y) of dst; returns false when
// nothing is left.
bool clipBlit(ddSurface_T* dst, int32_t& x, int32_t& y, ddSurface_T* src, const ddRect_T* srcRect, ddRect_T& r)
{
    r = srcRect ? *srcRect : ddRect_T{0, 0, src->width, src->height};
    if (r.left < 0) { x -= r.left; r.left = 0; }
    if (r.top < 0) { y -= r.top; r.top = 0; }
    if (r.right > src->width) r.right = src->width;
    if (r.bottom > src->height) r.bottom = src->height;
    if (x < 0) { r.left -= x; x = 0; }
    if (y < 0) { r.top -= y; y = 0; }
    if (x + (r.right - r.left) > dst->width) r.right = r.left + dst->width - x;
    if (y + (r.bottom - r.top) > dst->height) r.bottom = r.top + dst->height - y;
    return r.right > r.left && r.bottom > r.top;
}
}

void dd_setModeHook(void (*hook)()) { modeHook = hook; }
void dd_idleFrame() { pf_backend()->idleFrame(); }
void dd_setDesktopBits(int bits) { desktopBits = bits; }
uint32_t dd_framesPresented() { return framesPresented; }
ddSurface_T* dd_primarySurface() { return primary; }
ddSurface_T* dd_backSurface() { return back; }

int dd_create()
{
    ddObject = true;
    return 0;
}

int dd_setMode(int full)
{
    fullScreen = (uint8_t)full;
    if (full == 1)
        return dd_initFullScreen();
    if (dd_initWindowed() == -1) {
        fullScreen = 1;
        return dd_initFullScreen();
    }
    return 0;
}

int dd_initFullScreen()
{
    if (!ddObject)
        return -1;
    return buildSurfaces(1);
}

int dd_initWindowed()
{
    if (!ddObject)
        return -1;
    if (desktopBits != 16) {
        const char* texts[2] = {"No se puede inicializar en modo ventana, pulsa OK para inicializar Pantalla completa",
                                "Problemilla"};
        pf_runOnMain(messageBoxOnMain, texts);
        dd_close();
        dd_create();
        return -1;
    }
    return buildSurfaces(0);
}

int dd_clearBack()
{
    return back ? dd_fillSurface(back, 0) : -1;
}

uint16_t* dd_lock()
{
    // A surface of our own is never busy or lost: the retry loop of the
    // hardware version collapses to one attempt.
    if (!back) {
        surfacePixels = nullptr;
        surfacePitch = 0;
        return nullptr;
    }
    surfacePixels = back->pixels;
    surfacePitch = back->pitch;
    return surfacePixels;
}

void dd_unlock() {}

int dd_present()
{
    if (!primary || !back)
        return -1;
    if (fullScreen) {
        uint16_t* shown = back->pixels;
        back->pixels = primary->pixels;
        primary->pixels = shown;
    } else {
        std::memcpy(primary->pixels, back->pixels, (size_t)back->pitch * back->height * 2);
    }
    showPrimary();
    return 0;
}

int dd_close()
{
    dd_releaseSurface(back);
    dd_releaseSurface(primary);
    back = nullptr;
    primary = nullptr;
    ddObject = false;
    surfacePixels = nullptr;
    surfacePitch = 0;
    return 0;
}

static uint32_t formatMask(int channel)
{
    static const uint32_t masks565[3] = {0xF800, 0x07E0, 0x001F};
    static const uint32_t masks555[3] = {0x7C00, 0x03E0, 0x001F};
    if (!primary)
        return 0xFFFFFFFFu;
    return pf_pixelFormat() == PF_FORMAT_555 ? masks555[channel] : masks565[channel];
}

uint32_t dd_redMask() { return formatMask(0); }
uint32_t dd_greenMask() { return formatMask(1); }
uint32_t dd_blueMask() { return formatMask(2); }

static void maskToShift(uint32_t m, int32_t& bits, int32_t& shift)
{
    bits = 0;
    for (int i = 0; i < 32; i++)
        bits += (m >> i) & 1;
    if (m == 0)
        return;
    shift = 0;
    while (!((m >> shift) & 1))
        shift++;
}

void dd_pixelShifts()
{
    maskToShift(dd_redMask(), redBits, redShift);
    maskToShift(dd_greenMask(), greenBits, greenShift);
    maskToShift(dd_blueMask(), blueBits, blueShift);
}

ddSurface_T* dd_createSurface(int32_t width, int32_t height)
{
    if (!ddObject || width <= 0 || height <= 0 || width > 8192 || height > 8192)
        return nullptr;
    ddSurface_T* s = (ddSurface_T*)std::calloc(1, sizeof(ddSurface_T));
    if (!s)
        return nullptr;
    s->pixels = (uint16_t*)std::calloc((size_t)width * height, 2);
    if (!s->pixels) {
        std::free(s);
        return nullptr;
    }
    s->width = width;
    s->height = height;
    s->pitch = width;
    return s;
}

void dd_releaseSurface(ddSurface_T* surface)
{
    if (!surface)
        return;
    std::free(surface->pixels);
    std::free(surface);
}

uint16_t* dd_lockSurface(ddSurface_T* surface, int32_t* pitch)
{
    if (!surface)
        return nullptr;
    if (pitch)
        *pitch = surface->pitch;
    return surface->pixels;
}

void dd_unlockSurface(ddSurface_T*) {}

int dd_fillSurface(ddSurface_T* surface, uint16_t color)
{
    if (!surface)
        return -1;
    size_t count = (size_t)surface->pitch * surface->height;
    for (size_t i = 0; i < count; i++)
        surface->pixels[i] = color;
    if (surface->isPrimary)
        showPrimary();
    return 0;
}

int dd_bltFast(ddSurface_T* dst, int32_t x, int32_t y, ddSurface_T* src, const ddRect_T* srcRect)
{
    if (!dst || !src)
        return -1;
    ddRect_T r;
    if (clipBlit(dst, x, y, src, srcRect, r)) {
        int32_t w = r.right - r.left;
        for (int32_t row = r.top; row < r.bottom; row++)
            std::memmove(dst->pixels + (size_t)(y + row - r.top) * dst->pitch + x,
                         src->pixels + (size_t)row * src->pitch + r.left, (size_t)w * 2);
    }
    if (dst->isPrimary)
        showPrimary();
    return 0;
}

int dd_bltBlend(ddSurface_T* dst, int32_t x, int32_t y, ddSurface_T* src, const ddRect_T* srcRect, int alpha)
{
    if (!dst || !src)
        return -1;
    if (alpha < 0) alpha = 0;
    if (alpha > 255) alpha = 255;
    const uint32_t masks[3] = {dd_redMask(), dd_greenMask(), dd_blueMask()};
    ddRect_T r;
    if (clipBlit(dst, x, y, src, srcRect, r)) {
        for (int32_t row = r.top; row < r.bottom; row++) {
            const uint16_t* s = src->pixels + (size_t)row * src->pitch + r.left;
            uint16_t* d = dst->pixels + (size_t)(y + row - r.top) * dst->pitch + x;
            for (int32_t n = r.right - r.left; n > 0; n--, s++, d++) {
                uint32_t out = 0;
                for (uint32_t m : masks) {
                    uint32_t sc = *s & m, dc = *d & m;
                    out |= ((sc * (uint32_t)alpha + dc * (uint32_t)(255 - alpha)) / 255) & m;
                }
                *d = (uint16_t)out;
            }
        }
    }
    if (dst->isPrimary)
        showPrimary();
    return 0;
}
