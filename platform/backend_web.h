#pragma once
// The browser backend (an emscripten build): the page draws the pictures on
// a canvas, plays the sound through Web Audio and sends the keys; the engine
// keeps its threads as pthreads (docs/architecture.md says why). The
// functions the page calls are extern "C" in the backend_web*.cpp files and
// listed in web/web.cmake; these are the ones its own files share.
#include <cstdint>

#include "platform/backend.h"

const pfBackend_T* pf_webBackend();

// An event for the main thread's message loop (any thread).
void pf_webQueueEvent(const pfEvent_T& ev);

// Engine thread: keep the newest picture for the page's next frame callback.
void pf_webStoreFrame(const uint16_t* pixels, int pitch, int format);

// The sound output's side of the backend table (backend_web_audio.cpp).
int pf_webAudioDevices();
int pf_webAudioQuery(const pfAudioFormat_T* fmt);
int pf_webAudioOpen(const pfAudioFormat_T* fmt);
void pf_webAudioClose();

// The engine's work per frame, the pacing waits and its sleeps left out
// (backend_web_work.cpp); engine thread only. The backend marks where the
// work ends (a refresh asked for) and begins again (the refresh came).
void pf_webWorkEnd();
void pf_webWorkBegin();
void pf_webWorkSlept(double ms);
struct pfWorkStats_T {
    uint32_t frames;
    double meanMs;
    double medianMs;
};
// What was measured since the last call.
pfWorkStats_T pf_webWorkTake();
