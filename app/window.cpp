#include "app/window.h"

#include <atomic>
#include <cstdio>

#include "app/engine_thread.h"
#include "engine/engine.h"
#include "music/mus.h"
#include "platform/backend.h"
#include "platform/keyboard_device.h"
#include "platform/main_thread.h"
#include "platform/messages.h"

static pfThread_T* engineThreadHandle = nullptr;
static bool quitPosted = false;
static bool closedForViewer = false;
// Read by the engine thread, which leaves its timeline once the window closes.
static std::atomic<bool> closeHandled{false};
static bool closeTimedOut = false;
// The module plays for the whole run and is never freed. Not static: the
// pointer must stay in memory for as long as the process lives.
mpModule_T* musicModule = nullptr;

pfThread_T* app_engineThread() { return engineThreadHandle; }
int app_closeHandled() { return closeHandled; }
int app_closeTimedOut() { return closeTimedOut; }

static void postQuitMessage() { quitPosted = true; }

static int destroyWindow()
{
    pf_backend()->closeWindow();
    return demoWndProc(WM_DESTROY, 0);
}

static void onCreate()
{
    pf_backend()->showCursor(0);
    if (mus_init() != 0)
        pf_backend()->messageBox("Error", "Error en musica");
    musicModule = mus_load("phased.mod");
    if (!musicModule)
        pf_backend()->messageBox("Error al cargar la musica", "Error en musica");
    else
        mus_play(musicModule);
    pf_queueOpen();
    engineThreadHandle = pf_threadCreate(engine_thread, nullptr);
}

static void onClose()
{
    // A close the engine thread asks for while the window is already closing
    // (its last act, crossing the person's close) has nothing left to do.
    if (closeHandled)
        return;
    closeHandled = true;
    // The viewer sees the window go at once, not a picture frozen for the
    // engine thread's bounded wait.
    pf_backend()->hideWindow();
    mus_stop();
    if (engineThreadHandle) {
        if (!pf_postThreadMessage(DEMO_MSG_STOP)) {
            destroyWindow();
            return;
        }
        // At most 3 s; a time-out is no error, the close goes on. The
        // engine thread ends on the stop; one that does not has hung, and
        // whoever started the program hears of it. At the end of the
        // timeline the close is the engine thread's own last request, which
        // it waits on: then it cannot end first, and the wait returns at once.
        int waited = pf_threadWait(engineThreadHandle, 3000);
        closeTimedOut = waited != PF_WAIT_ENDED;
        if (waited == PF_WAIT_TIMED_OUT)
            std::fprintf(stderr, "varnek: the engine thread did not end within 3 s of the close; closing anyway\n");
    }
    pf_backend()->showCursor(1);
    destroyWindow();
}

// A key message the engine thread no longer takes closes the application.
static void postKey(uint32_t id)
{
    if (!pf_postThreadMessage(id))
        destroyWindow();
}

int demoWndProc(uint32_t message, uint32_t wParam)
{
    switch (message) {
    case WM_CREATE:
        onCreate();
        return 0;
    case WM_DESTROY:
        postQuitMessage();
        return 0;
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            postQuitMessage();
        return 0;
    case WM_CHAR:
        switch (wParam & 0xFF) {
        case 'p': postKey(DEMO_MSG_PAUSE); break;
        case 'c': postKey(DEMO_MSG_TOGGLE_CONSOLE); break;
        case 'r': postKey(DEMO_MSG_RENDER_MODE); break;
        case 'n': postKey(DEMO_MSG_RENDER_MODE_N); break;
        case '3': postKey(DEMO_MSG_TOGGLE_3DFX); break;
        default: break;
        }
        return 0;
    case WM_SYSKEYUP:
        if (wParam == VK_RETURN)
            postKey(DEMO_MSG_TOGGLE_WINDOW);
        return 0;
    default:
        return 0;
    }
}

static void closeOnMain(void*)
{
    demoWndProc(WM_CLOSE, 0);
}

void app_sendClose()
{
    pf_runOnMain(closeOnMain, nullptr);
}

// One message for the window procedure, or 0 once the quit message came.
static int getMessage(uint32_t* message, uint32_t* wParam)
{
    const pfBackend_T* backend = pf_backend();
    for (;;) {
        pf_runMainCalls();
        if (quitPosted)
            return 0;
        pfEvent_T ev;
        if (!backend->nextEvent(&ev, 100)) {
            // Headless, nobody is there to close a window whose engine thread
            // has ended without closing it (a text screen that could not be
            // set up): close it as a viewer would, instead of waiting for ever.
            if (backend->virtualClock && engineThreadHandle && pf_threadEnded(engineThreadHandle) && !closedForViewer) {
                std::printf("varnek: engine thread ended (result %d) with the window open\n",
                            pf_threadResult(engineThreadHandle));
                closedForViewer = true;
                *message = WM_CLOSE;
                *wParam = 0;
                return 1;
            }
            continue;
        }
        switch (ev.type) {
        case PF_EV_KEYDOWN: *message = WM_KEYDOWN; *wParam = (uint32_t)ev.vk; return 1;
        case PF_EV_SYSKEYUP: *message = WM_SYSKEYUP; *wParam = (uint32_t)ev.vk; return 1;
        case PF_EV_CHAR: *message = WM_CHAR; *wParam = (uint32_t)ev.ch; return 1;
        case PF_EV_CLOSE: *message = WM_CLOSE; *wParam = 0; return 1;
        case PF_EV_RAWKEY: kbdev_key(ev.scan, ev.down); break;
        case PF_EV_FOCUS: kbdev_focus(ev.down); break;
        default: break;
        }
    }
}

int app_run()
{
    const pfBackend_T* backend = pf_backend();
    pf_mainThreadInit();
    kbdev_reset();
    quitPosted = false;
    closedForViewer = false;
    closeHandled = false;
    closeTimedOut = false;
    if (backend->openWindow("Torven's Juice!!!") != 0) {
        backend->messageBox("Error al crear ventana principal", "Error");
        return -1;
    }
    std::printf("varnek: window open (%s)\n", backend->name);
    std::fflush(stdout);
    demoWndProc(WM_CREATE, 0);
    uint32_t message, wParam;
    while (getMessage(&message, &wParam))
        demoWndProc(message, wParam);
    return 0;
}
