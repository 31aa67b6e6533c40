// The demo's music calls, made by the window procedure.
#include "music/mus.h"

#include "music/mp.h"

int mus_init()
{
    if (!mp_startup() || !mp_init() || !mp_startBackgroundPlay(0))
        return -1;
    return 0;
}

mpModule_T* mus_load(const char* fileName) { return mp_loadModule(fileName); }

int mus_play(mpModule_T* module) { return mp_playModule(module, 1); }

int mus_stop()
{
    mp_stopBackgroundPlay();
    mp_close();
    return 0;
}
