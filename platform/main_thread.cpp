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
    std::thread::id caller;
};

std::thread::id mainId;
std::mutex callMutex;
std::condition_variable callCond;
std::deque<mainCall_T*> calls;
std::atomic<int> mainWaiting{0};
// The thread the main thread waits for in pf_threadWait, told when a call
// arrives so the wait can run it. Under callMutex, so no call tells a thread
// whose wait is over (and which may be gone).
pfThread_T* waitedFor = nullptr;
// Main thread only: the thread whose call the main thread is running now.
std::thread::id runningCaller;
}

struct pfThread_T {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable cond;
    bool ended = false;
    bool callArrived = false;
    int result = 0;
};

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
    mainCall_T call{fn, arg, false, std::this_thread::get_id()};
    {
        // A main thread in its bounded wait learns of the call there;
        // otherwise its message loop does.
        std::lock_guard<std::mutex> lock(callMutex);
        calls.push_back(&call);
        if (waitedFor) {
            std::lock_guard<std::mutex> threadLock(waitedFor->mutex);
            waitedFor->callArrived = true;
            waitedFor->cond.notify_all();
        }
    }
    pf_backend()->wake();
    std::unique_lock<std::mutex> lock(callMutex);
    callCond.wait(lock, [&] { return call.done; });
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
        std::thread::id outer = runningCaller;
        runningCaller = call->caller;
        call->fn(call->arg);
        runningCaller = outer;
        std::lock_guard<std::mutex> lock(callMutex);
        call->done = true;
        callCond.notify_all();
    }
}

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

// Returns the thread waited for until now.
static pfThread_T* setWaitedFor(pfThread_T* t)
{
    std::lock_guard<std::mutex> lock(callMutex);
    pfThread_T* before = waitedFor;
    waitedFor = t;
    return before;
}

int pf_threadWait(pfThread_T* t, uint32_t ms)
{
    // The start is read, and a virtual clock held at the deadline, before
    // the waited-for thread can see that the main thread waits and move on.
    const pfBackend_T* backend = pf_backend();
    uint32_t start = pf_timeMs();
    if (backend->holdClock)
        backend->holdClock(start + ms);
    // A call run during the wait may itself wait (the close the engine
    // thread asks for on its way out); the outer wait goes on afterwards.
    pfThread_T* outer = setWaitedFor(t);
    mainWaiting++;
    int result = threadWaitFor(t, start, ms);
    mainWaiting--;
    setWaitedFor(outer);
    // A thread that ended has nothing left to hold; one that did not stays
    // where the wait left it.
    if (result == PF_WAIT_ENDED && backend->holdClock)
        backend->holdClock(PF_CLOCK_FREE);
    return result;
}

// The main thread is running a call of this thread (the wait happens inside
// it): the thread stays blocked in pf_runOnMain until the wait returns, so
// it cannot end before then.
static bool blockedOnThisCall(pfThread_T* t)
{
    return runningCaller == t->thread.get_id();
}

// Waits in steps: each wakes for the thread's end or for a call it (or any
// other thread) needs the main thread for, which runs here, so a thread that
// asks the main thread for something on its way out still ends at once.
static int threadWaitFor(pfThread_T* t, uint32_t start, uint32_t ms)
{
    const bool virtualClock = pf_backend()->virtualClock != 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    if (blockedOnThisCall(t))
        return PF_WAIT_BLOCKED_ON_CALLER;
    for (;;) {
        pf_runMainCalls();
        std::unique_lock<std::mutex> lock(t->mutex);
        auto woken = [t] { return t->ended || t->callArrived; };
        if (!virtualClock) {
            if (!t->cond.wait_until(lock, deadline, woken))
                return PF_WAIT_TIMED_OUT;
        } else {
            // Virtual time only moves while the waited-for thread presents
            // or sleeps, and stops at the deadline: look at the clock now
            // and then.
            t->cond.wait_for(lock, std::chrono::milliseconds(2), woken);
            if (!t->ended && !t->callArrived && pf_timeMs() - start >= ms)
                return PF_WAIT_TIMED_OUT;
        }
        if (t->ended)
            return PF_WAIT_ENDED;
        t->callArrived = false;
    }
}

void pf_threadJoin(pfThread_T* t)
{
    if (t->thread.joinable())
        t->thread.join();
    delete t;
}
