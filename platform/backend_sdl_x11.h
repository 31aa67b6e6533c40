#pragma once
// The SDL backend's watch over its X11 window. Xlib's own error handlers end
// the process with exit() when a request names a window that another program
// destroyed (xdotool windowclose, a window manager's kill) or when the X
// server goes away; exit() would run the static destructors while the engine
// thread still draws. Here the first case becomes a close of the window and
// the second a clear message and exit code 1, the engine left alone.
// Main thread only; every call does nothing on a video driver other than X11.
#include <SDL.h>

// Take over Xlib's error handlers and follow this window's destruction.
void pf_sdlX11Watch(SDL_Window* window);
// True for the event that tells the watched window was destroyed.
bool pf_sdlX11Destroyed(const SDL_Event& e);
// True once a request on the watched window failed because it is gone.
bool pf_sdlX11Lost();
// Asks the server (one round trip) whether the watched window is still
// there, so no blocking SDL call waits for an event a dead window never
// sends.
bool pf_sdlX11Alive();
