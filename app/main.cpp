// varnek: the demo in a real window.
#include "app/window.h"
#include "platform/backend_sdl.h"

int main(int, char** argv)
{
    app_findData(argv[0]);
    pf_setBackend(pf_sdlBackend());
    return app_finish(app_run());
}
