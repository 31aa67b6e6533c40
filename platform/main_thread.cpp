#include "platform/main_thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/backend.h"
#include "platform/clock.h"

namespace {
struct mainCall_T {
    void (*fn)(void*);
    void* arg;
    bool done;
};

std::thread::id mainId;
std::mutex callMutex;
std::condition_variable callCond;
std::deque<mainCall_T*> calls;
int pendingCalls = 0;
std::atomic<int> mainWaiting{0};
}

int pf_mainIsWaiting()
{
    return mainWaiting.load();
}

void pf_mainThreadInit()
{
    mainId = std::this_thread::get_id();
}

int pf_onMainThread()
{
    return std::this_thread::get_id() == mainId;
}

void pf_runOnMain(void (*fn)(void*), void* arg)
{
    if (pf_onMainThread()) {
        fn(arg);
        return;
    }
    mainCall_T call{fn, arg, false};
    {
        std::lock_guard<std::mutex> lock(callMutex);
        calls.push_back(&call);
        pendingCalls++;
    }
    pf_backend()->wake();
    std::unique_lock<std::mutex> lock(callMutex);
    callCond.wait(lock, [&] { return call.done; });
    pendingCalls--;
}

void pf_runMainCalls()
{
    for (;;) {
        mainCall_T* call;
        {
            std::lock_guard<std::mutex> lock(callMutex);
            if (calls.empty())
                return;
            call = calls.front();
            calls.pop_front();
        }
        call->fn(call->arg);
        std::lock_guard<std::mutex> lock(callMutex);
        call->done = true;
        callCond.notify_all();
    }
}

int pf_mainCallPending()
{
    std::lock_guard<std::mutex> lock(callMutex);
    return pendingCalls > 0;
}

struct pfThread_T {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable cond;
    bool ended = false;
    int result = 0;
};

pfThread_T* pf_threadCreate(int (*fn)(void*), void* arg)
{
    pfThread_T* t = new pfThread_T;
    t->thread = std::thread([t, fn, arg] {
        int result = fn(arg);
        std::lock_guard<std::mutex> lock(t->mutex);
        t->result = result;
        t->ended = true;
        t->cond.notify_all();
    });
    return t;
}

int pf_threadEnded(pfThread_T* t)
{
    std::lock_guard<std::mutex> lock(t->mutex);
    return t->ended;
}

int pf_threadResult(pfThread_T* t)
{
    std::lock_guard<std::mutex> lock(t->mutex);
    return t->result;
}

static int threadWaitFor(pfThread_T* t, uint32_t start, uint32_t ms);

int pf_threadWait(pfThread_T* t, uint32_t ms)
{
    // The start is read, and a virtual clock held at the deadline, before
    // the waited-for thread can see that the main thread waits and move on.
    const pfBackend_T* backend = pf_backend();
    uint32_t start = pf_timeMs();
    if (backend->holdClock)
        backend->holdClock(start + ms);
    mainWaiting++;
    int ended = threadWaitFor(t, start, ms);
    mainWaiting--;
    // A thread that ended has nothing left to hold; one that did not stays
    // where the wait ran out.
    if (ended && backend->holdClock)
        backend->holdClock(PF_CLOCK_FREE);
    return ended;
}

static int threadWaitFor(pfThread_T* t, uint32_t start, uint32_t ms)
{
    if (!pf_backend()->virtualClock) {
        std::unique_lock<std::mutex> lock(t->mutex);
        return t->cond.wait_for(lock, std::chrono::milliseconds(ms), [t] { return t->ended; }) ? 1 : 0;
    }
    // Virtual time only moves while the waited-for thread presents or
    // sleeps, and stops at the deadline. If it is itself blocked on the main
    // thread (its final close request), nothing can move it: the wait runs
    // out at once, the clock jumping to the deadline as real time would have.
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(t->mutex);
            if (t->cond.wait_for(lock, std::chrono::milliseconds(2), [t] { return t->ended; }))
                return 1;
        }
        uint32_t elapsed = pf_timeMs() - start;
        if (elapsed >= ms)
            return 0;
        if (pf_mainCallPending()) {
            pf_sleepMs(ms - elapsed);
            return 0;
        }
    }
}

void pf_threadJoin(pfThread_T* t)
{
    if (t->thread.joinable())
        t->thread.join();
    delete t;
}
