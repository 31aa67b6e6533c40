#include "platform/backend_sdl.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/backend_sdl_keys.h"
#include "platform/backend_sdl_x11.h"
#include "platform/sharp_scale.h"
#include "platform/sound_out.h"

namespace {
using steadyClock = std::chrono::steady_clock;

// Main-thread state: SDL wants every video call on the thread that
// initialised video.
SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;   // the 320 x 240 picture
int textureFormat = 0;
SDL_Texture* scaled = nullptr;    // the picture at a whole factor, for the smooth step
int scaledFactor = 0;
std::deque<pfEvent_T> pending;
bool returnWithAlt = false;
bool windowHidden = false;
// Destroyed by another program: no SDL call may touch it any more (some of
// them wait for an answer from the window that would never come).
bool windowLost = false;
Uint32 userEvent = (Uint32)-1;   // code 0: a frame is waiting, 1: wake

// The frame handed over by the engine thread. A plain array: whatever way the
// process ends, nothing frees it while the engine thread may still write it.
std::mutex frameMutex;
uint16_t framePixels[320 * 240];
int frameFormat = PF_FORMAT_565;
bool frameWaiting = false;

const steadyClock::time_point startTime = steadyClock::now();
steadyClock::time_point nextRefresh = startTime;

SDL_AudioDeviceID audioDevice = 0;
int audioState = -1;   // -1 not looked at, 0 no output, 1 an output exists

void pushUser(int code)
{
    if (userEvent == (Uint32)-1)
        return;
    SDL_Event e;
    std::memset(&e, 0, sizeof(e));
    e.type = userEvent;
    e.user.code = code;
    SDL_PushEvent(&e);
}

// The picture at the whole factor, or the picture itself when the output
// takes it at that size (or the renderer cannot draw into a texture).
SDL_Texture* scaledPicture(const pfSharpScale_T& s)
{
    if ((s.w == s.innerW && s.h == s.innerH) || !SDL_RenderTargetSupported(renderer))
        return texture;
    if (!scaled || scaledFactor != s.factor) {
        if (scaled)
            SDL_DestroyTexture(scaled);
        scaled = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET, s.innerW, s.innerH);
        scaledFactor = s.factor;
        if (!scaled)
            return texture;
        SDL_SetTextureScaleMode(scaled, SDL_ScaleModeLinear);
    }
    SDL_SetRenderTarget(renderer, scaled);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_SetRenderTarget(renderer, nullptr);
    return scaled;
}

// The last picture given, scaled to the window as it is now: after every
// frame, and when the window changed size or was uncovered (in accelerator
// mode no new frame comes to redraw it).
void present()
{
    int outW, outH;
    if (!renderer || !texture || windowHidden || windowLost || SDL_GetRendererOutputSize(renderer, &outW, &outH) != 0)
        return;
    pfSharpScale_T s = pf_sharpScale(outW, outH);
    SDL_Texture* picture = scaledPicture(s);
    SDL_Rect dst{s.x, s.y, s.w, s.h};
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, picture, nullptr, &dst);
    SDL_RenderPresent(renderer);
}

void sdlShow(const uint16_t* pixels, int pitch, int format)
{
    if (!renderer || windowHidden || windowLost)
        return;
    if (!texture || textureFormat != format) {
        if (texture)
            SDL_DestroyTexture(texture);
        texture = SDL_CreateTexture(renderer,
                                    format == PF_FORMAT_555 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565,
                                    SDL_TEXTUREACCESS_STREAMING, 320, 240);
        textureFormat = format;
        if (texture)
            SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    }
    if (!texture)
        return;
    SDL_UpdateTexture(texture, nullptr, pixels, pitch * 2);
    present();
}

void showWaitingFrame()
{
    static uint16_t copy[320 * 240];
    int format;
    {
        std::lock_guard<std::mutex> lock(frameMutex);
        if (!frameWaiting)
            return;
        frameWaiting = false;
        std::memcpy(copy, framePixels, sizeof(copy));
        format = frameFormat;
    }
    sdlShow(copy, 320, format);
}

// The window went from under us: it closes as if the person had closed it.
void windowGone()
{
    if (windowLost)
        return;
    windowLost = true;
    std::fprintf(stderr, "varnek: the window was destroyed from outside; closing\n");
    pending.push_back(pfEvent_T{PF_EV_CLOSE, 0, 0, 0, 0});
}

int sdlOpenWindow(const char* caption)
{
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return -1;
    userEvent = SDL_RegisterEvents(1);
    windowHidden = false;
    windowLost = false;
    window = SDL_CreateWindow(caption, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 640, 480, SDL_WINDOW_SHOWN);
    if (!window)
        return -1;
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer)
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer)
        return -1;
    pf_sdlX11Watch(window);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    SDL_StartTextInput();
    return 0;
}

void sdlCloseWindow()
{
    // A destroyed window's renderer and SDL window are left as they are: the
    // process ends next, and tearing them down would talk to a window that
    // is not there.
    if (!windowLost) {
        if (scaled)
            SDL_DestroyTexture(scaled);
        if (texture)
            SDL_DestroyTexture(texture);
        if (renderer)
            SDL_DestroyRenderer(renderer);
        if (window)
            SDL_DestroyWindow(window);
    }
    scaled = nullptr;
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
}

// A closing window leaves the screen at once; the engine thread may still
// hand over frames while it finishes, and they are no longer shown.
void sdlHideWindow()
{
    // Hiding waits for the window's unmap event: only a window that is still
    // there can send it.
    if (window && !windowLost) {
        if (pf_sdlX11Alive())
            SDL_HideWindow(window);
        else
            windowLost = true;
    }
    windowHidden = true;
}

void queueKey(const SDL_KeyboardEvent& k, bool down)
{
    int scan = pf_sdlToScanCode(k.keysym.scancode);
    if (scan)
        pending.push_back(pfEvent_T{PF_EV_RAWKEY, 0, 0, scan, down ? 1 : 0});
    bool alt = (k.keysym.mod & KMOD_ALT) != 0;
    if (down && k.keysym.sym == SDLK_F4 && alt) {
        pending.push_back(pfEvent_T{PF_EV_CLOSE, 0, 0, 0, 0});   // Alt+F4 asks the window to close
        return;
    }
    if (down && !alt && k.keysym.sym == SDLK_ESCAPE && !k.repeat)
        pending.push_back(pfEvent_T{PF_EV_KEYDOWN, 27, 0, 0, 1});
    // Alt+Enter is a system key-up of Return. It counts when Alt was held as
    // Return went down, whichever of the two keys is let go first.
    bool isReturn = k.keysym.sym == SDLK_RETURN || k.keysym.sym == SDLK_KP_ENTER;
    if (isReturn && down && !k.repeat)
        returnWithAlt = alt;
    if (isReturn && !down) {
        if (alt || returnWithAlt)
            pending.push_back(pfEvent_T{PF_EV_SYSKEYUP, 13, 0, 0, 0});
        returnWithAlt = false;
    }
}

void translate(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_QUIT:
        pending.push_back(pfEvent_T{PF_EV_CLOSE, 0, 0, 0, 0});
        break;
    case SDL_KEYDOWN:
        queueKey(e.key, true);
        break;
    case SDL_KEYUP:
        queueKey(e.key, false);
        break;
    case SDL_TEXTINPUT:
        // Characters typed with Alt held are system characters: they do not
        // reach the character handling.
        if (!(SDL_GetModState() & KMOD_ALT))
            for (const char* c = e.text.text; *c; c++)
                if ((unsigned char)*c < 0x80)
                    pending.push_back(pfEvent_T{PF_EV_CHAR, 0, (unsigned char)*c, 0, 0});
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
            pending.push_back(pfEvent_T{PF_EV_FOCUS, 0, 0, 0, 1});
        else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
            pending.push_back(pfEvent_T{PF_EV_FOCUS, 0, 0, 0, 0});
        else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || e.window.event == SDL_WINDOWEVENT_EXPOSED)
            present();
        break;
    case SDL_SYSWMEVENT:
        if (pf_sdlX11Destroyed(e))
            windowGone();
        break;
    default:
        if (e.type == userEvent) {
            if (e.user.code == 0)
                showWaitingFrame();
            else
                pending.push_back(pfEvent_T{PF_EV_WAKE, 0, 0, 0, 0});
        }
        break;
    }
}

int sdlNextEvent(pfEvent_T* ev, uint32_t waitMs)
{
    SDL_Event e;
    Uint32 deadline = SDL_GetTicks() + waitMs;
    while (pending.empty()) {
        if (pf_sdlX11Lost())
            windowGone();
        if (!pending.empty())
            break;
        Sint32 left = (Sint32)(deadline - SDL_GetTicks());
        if (left < 0 || !SDL_WaitEventTimeout(&e, left))
            return 0;
        translate(e);
    }
    *ev = pending.front();
    pending.pop_front();
    return 1;
}

void sdlSetFullScreen(int on)
{
    if (!window || windowLost)
        return;
    if (on) {
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        // The window: a whole multiple of the picture, resizable; any size
        // it is given shows the picture as full screen does (sdlShow).
        SDL_DisplayMode desktop;
        int factor = 1;
        if (SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(window), &desktop) == 0)
            factor = pf_windowFactor(desktop.w, desktop.h);
        SDL_SetWindowFullscreen(window, 0);
        SDL_SetWindowBordered(window, SDL_TRUE);
        SDL_SetWindowResizable(window, SDL_TRUE);
        SDL_SetWindowMinimumSize(window, 320, 240);
        SDL_SetWindowSize(window, 320 * factor, 240 * factor);
        SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED_DISPLAY(SDL_GetWindowDisplayIndex(window)),
                              SDL_WINDOWPOS_CENTERED_DISPLAY(SDL_GetWindowDisplayIndex(window)));
    }
}

void sdlMessageBox(const char* text, const char* caption)
{
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}

void sdlShowCursor(int on) { SDL_ShowCursor(on ? SDL_ENABLE : SDL_DISABLE); }
void sdlWake() { pushUser(1); }

uint32_t sdlTimeMs()
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(steadyClock::now() - startTime).count();
    return (uint32_t)ms;
}

int64_t sdlTimeSeconds() { return (int64_t)std::time(nullptr); }

void sdlSleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Our own 60 Hz refresh: the demo's only pacing. A monitor's vsync may run
// at 144 Hz (and Xvfb at about 63.5 Hz), so it cannot set the rate.
void sdlVblank()
{
    constexpr auto period = std::chrono::nanoseconds(1000000000 / 60);
    auto now = steadyClock::now();
    if (nextRefresh + period < now)
        nextRefresh = now;   // fell behind (a slow frame, a sleep): start a new grid
    std::this_thread::sleep_until(nextRefresh);
    nextRefresh += period;
}

// A frame with nothing to show (accelerator mode) still takes its refresh,
// as the accelerator's own buffer swap waited for one: the effects keep
// their speed instead of spinning.
void sdlIdleFrame() { sdlVblank(); }

void sdlFrameDone(const uint16_t* pixels, int pitch, int format)
{
    {
        std::lock_guard<std::mutex> lock(frameMutex);
        for (int y = 0; y < 240; y++)
            std::memcpy(&framePixels[y * 320], pixels + (size_t)y * pitch, 320 * 2);
        frameFormat = format;
        frameWaiting = true;
    }
    pushUser(0);
}


void audioCallback(void*, Uint8* stream, int len)
{
    pf_audioConsume(stream, (uint32_t)len);
}

int sdlAudioDevices()
{
    if (audioState >= 0)
        return audioState;
    audioState = 0;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return 0;
    int n = SDL_GetNumAudioDevices(0);
    if (n > 0)
        return audioState = n;
    // Drivers that cannot list their outputs (dummy, disk) may still open one.
    SDL_AudioSpec want;
    std::memset(&want, 0, sizeof(want));
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = audioCallback;
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (id) {
        SDL_CloseAudioDevice(id);
        audioState = 1;
    }
    return audioState;
}

int sdlAudioQuery(const pfAudioFormat_T* fmt)
{
    // SDL converts whatever we give it to what the device plays.
    return sdlAudioDevices() > 0 && (fmt->bits == 8 || fmt->bits == 16) && (fmt->channels == 1 || fmt->channels == 2);
}

int sdlAudioOpen(const pfAudioFormat_T* fmt)
{
    if (sdlAudioDevices() <= 0)
        return PF_AUDIO_NO_DRIVER;
    if (!sdlAudioQuery(fmt))
        return PF_AUDIO_BAD_FORMAT;
    SDL_AudioSpec want;
    std::memset(&want, 0, sizeof(want));
    want.freq = fmt->rate;
    want.format = fmt->bits == 8 ? AUDIO_U8 : AUDIO_S16SYS;
    want.channels = (Uint8)fmt->channels;
    want.samples = 1024;
    want.callback = audioCallback;
    audioDevice = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (!audioDevice)
        return PF_AUDIO_ERROR;   // SDL gives a text, not a reason to tell apart
    SDL_PauseAudioDevice(audioDevice, 0);
    return PF_AUDIO_OK;
}

void sdlAudioClose()
{
    if (audioDevice)
        SDL_CloseAudioDevice(audioDevice);
    audioDevice = 0;
}

const pfBackend_T sdlBackend = {
    "sdl",
    sdlOpenWindow, sdlCloseWindow, sdlHideWindow, sdlNextEvent, sdlShow, sdlSetFullScreen, sdlMessageBox, sdlShowCursor,
    sdlWake, sdlTimeMs, sdlTimeSeconds, sdlSleepMs,
    sdlVblank, sdlFrameDone, sdlIdleFrame,
    sdlAudioDevices, sdlAudioQuery, sdlAudioOpen, sdlAudioClose,
    0, nullptr,
};
}

const char* pf_sdlNoDisplay()
{
    static char reason[256];
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    bool askedDriver = asked && *asked;
    // Without a desktop only the console's own display (KMSDRM) can show a
    // picture; trying the others first would only add their complaints.
    bool noDesktop = !askedDriver && !SDL_getenv("DISPLAY") && !SDL_getenv("WAYLAND_DISPLAY");
    if (noDesktop)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "KMSDRM");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (noDesktop)
            std::snprintf(reason, sizeof(reason), "no display (DISPLAY and WAYLAND_DISPLAY are not set)");
        else
            std::snprintf(reason, sizeof(reason), "no display (%s)", SDL_GetError());
        return reason;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    bool inMemory = driver && (!std::strcmp(driver, "offscreen") || !std::strcmp(driver, "dummy"));
    if (!inMemory || askedDriver)
        return nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    const char* display = SDL_getenv("DISPLAY");
    if (display && *display)
        std::snprintf(reason, sizeof(reason), "no display (nothing answers at DISPLAY=%s)", display);
    else
        std::snprintf(reason, sizeof(reason), "no display (only SDL's %s driver, which shows nothing)", driver);
    return reason;
}

const pfBackend_T* pf_sdlBackend()
{
    return &sdlBackend;
}
