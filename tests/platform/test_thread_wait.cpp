// The main thread's bounded wait for another thread: it runs out at its
// bound for a thread that never ends, runs the calls the thread needs of
// the main thread meanwhile, and gives up at once on a thread that waits for
// the very call the wait runs inside.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/backend.h"
#include "platform/backend_headless.h"
#include "platform/main_thread.h"

namespace {
using steadyClock = std::chrono::steady_clock;

uint32_t realTimeMs()
{
    static const steadyClock::time_point start = steadyClock::now();
    return (uint32_t)std::chrono::duration_cast<std::chrono::milliseconds>(steadyClock::now() - start).count();
}

// The headless backend on the real clock, as the window's backend has it.
pfBackend_T realClockBackend()
{
    pfBackend_T b = *pf_headlessBackend();
    b.virtualClock = 0;
    b.holdClock = nullptr;
    b.timeMs = realTimeMs;
    return b;
}

// An event a thread blocks on until the test sets it.
struct event_T {
    std::mutex mutex;
    std::condition_variable cond;
    bool set = false;
    void signal()
    {
        std::lock_guard<std::mutex> lock(mutex);
        set = true;
        cond.notify_all();
    }
    void wait()
    {
        std::unique_lock<std::mutex> lock(mutex);
        cond.wait(lock, [this] { return set; });
    }
};

// Runs what the thread still asks of the main thread until it has ended,
// then joins it and returns its result: a failed check above must not leave
// the test hanging.
int finish(pfThread_T* t)
{
    while (!pf_threadEnded(t)) {
        pf_runMainCalls();
        std::this_thread::yield();
    }
    int result = pf_threadResult(t);
    pf_threadJoin(t);
    return result;
}

class ThreadWait : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf_headlessReset();
        backend = realClockBackend();
        pf_setBackend(&backend);
        pf_mainThreadInit();
    }
    void TearDown() override { pf_setBackend(pf_headlessBackend()); }
    pfBackend_T backend;
};

event_T neverAnswered;
int hangs(void*)
{
    neverAnswered.wait();
    return 7;
}

// The close's own limit: 3 s for an engine thread that does not answer. The
// wait must not end early, and must end then even on a loaded machine.
TEST_F(ThreadWait, RunsOutAtItsBoundForAThreadThatNeverEnds)
{
    pfThread_T* t = pf_threadCreate(hangs, nullptr);
    auto start = steadyClock::now();
    int result = pf_threadWait(t, 3000);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(steadyClock::now() - start).count();
    EXPECT_EQ(result, PF_WAIT_TIMED_OUT);
    EXPECT_GE(ms, 3000);
    EXPECT_LT(ms, 3000 + 4000) << "the wait overran its bound";
    EXPECT_FALSE(pf_threadEnded(t));
    neverAnswered.signal();
    EXPECT_EQ(pf_threadWait(t, 20000), PF_WAIT_ENDED);
    EXPECT_EQ(finish(t), 7);
}

int callsOnMain = 0;
int callsElsewhere = 0;
void countCall(void*)
{
    (pf_onMainThread() ? callsOnMain : callsElsewhere)++;
}

// A thread that needs the main thread twice on its way out (as the engine's
// display close does) ends while the main thread waits for it.
int asksMainThenEnds(void*)
{
    pf_runOnMain(countCall, nullptr);
    pf_runOnMain(countCall, nullptr);
    return 3;
}

TEST_F(ThreadWait, RunsTheCallsOfTheThreadItWaitsFor)
{
    callsOnMain = callsElsewhere = 0;
    pfThread_T* t = pf_threadCreate(asksMainThenEnds, nullptr);
    // Were the calls left waiting, the thread could not end within the bound.
    EXPECT_EQ(pf_threadWait(t, 20000), PF_WAIT_ENDED);
    EXPECT_EQ(callsOnMain, 2);
    EXPECT_EQ(callsElsewhere, 0);
    EXPECT_EQ(finish(t), 3);
}

pfThread_T* selfWaiter = nullptr;
event_T selfWaiterKnown;
int innerResult = -1;
void waitForCaller(void*)
{
    innerResult = pf_threadWait(selfWaiter, 20000);
}

// The end of the timeline: the engine thread's last act is a call that
// closes the window, and the close waits for the engine thread.
int closesThroughMain(void*)
{
    selfWaiterKnown.wait();
    pf_runOnMain(waitForCaller, nullptr);
    return 5;
}

TEST_F(ThreadWait, GivesUpAtOnceOnAThreadBlockedInTheCallItRunsIn)
{
    innerResult = -1;
    selfWaiter = pf_threadCreate(closesThroughMain, nullptr);
    selfWaiterKnown.signal();
    // The outer wait runs the call; the wait inside it cannot see the
    // thread end, gives up, and the outer one sees the thread end after.
    EXPECT_EQ(pf_threadWait(selfWaiter, 20000), PF_WAIT_ENDED);
    EXPECT_EQ(innerResult, PF_WAIT_BLOCKED_ON_CALLER);
    EXPECT_EQ(finish(selfWaiter), 5);
}
}
