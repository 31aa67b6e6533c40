#pragma once
// The 16-bit display: a primary surface (what is on screen) and a back
// surface that all drawing goes into while it is locked. Presenting copies
// the back surface to the primary. Every update of the primary (a present,
// a blit or a fill with the primary as destination) waits for the 60 Hz
// refresh first, as the hardware's vertical blank paced the original.
// Engine thread only.
#include <cstdint>

struct ddSurface_T {
    uint16_t* pixels;   // height rows of pitch pixels
    int32_t width;
    int32_t height;
    int32_t pitch;      // row length in 16-bit pixels
    int32_t isPrimary;
};

struct ddRect_T {
    int32_t left, top, right, bottom;   // right and bottom exclusive
};

extern uint8_t fullScreen;
// Accelerator mode: the display is handed over to the accelerator, which
// draws nothing here; the engine's pump switches it with the '3' key.
extern uint8_t use3dfx;
extern int32_t screenWidth, screenHeight;
extern uint16_t* surfacePixels;
extern int32_t surfacePitch;
extern int32_t redBits, redShift, greenBits, greenShift, blueBits, blueShift;

int dd_create();
int dd_setMode(int full);
int dd_initFullScreen();
int dd_initWindowed();
int dd_clearBack();
uint16_t* dd_lock();
void dd_unlock();
int dd_present();
int dd_close();
uint32_t dd_redMask();
uint32_t dd_greenMask();
uint32_t dd_blueMask();
void dd_pixelShifts();

// Called after every successful display mode set-up (the renderer reloads
// its pre-shaded textures there, since the pixel format may change).
void dd_setModeHook(void (*hook)());

// Windowed mode needs a 16-bit RGB desktop; a test can pretend the desktop is
// of another depth to take the fallback to full screen.
void dd_setDesktopBits(int bits);

// Surfaces of the display for effects that blit by themselves. All return
// null or -1 when there is no display.
ddSurface_T* dd_primarySurface();
ddSurface_T* dd_backSurface();
ddSurface_T* dd_createSurface(int32_t width, int32_t height);
void dd_releaseSurface(ddSurface_T* surface);
uint16_t* dd_lockSurface(ddSurface_T* surface, int32_t* pitch);
void dd_unlockSurface(ddSurface_T* surface);
int dd_fillSurface(ddSurface_T* surface, uint16_t color);
// Copy src's rectangle to (x, y) of dst, clipped to both surfaces.
int dd_bltFast(ddSurface_T* dst, int32_t x, int32_t y, ddSurface_T* src, const ddRect_T* srcRect);
// The same copy blended over what dst holds: dst = (src * alpha + dst * (255 - alpha)) / 255.
int dd_bltBlend(ddSurface_T* dst, int32_t x, int32_t y, ddSurface_T* src, const ddRect_T* srcRect, int alpha);

// A frame that ends with nothing to show (no display: accelerator mode).
void dd_idleFrame();

// Frames put on screen since start (every update of the primary surface).
uint32_t dd_framesPresented();
