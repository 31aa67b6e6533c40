#pragma once
// The main thread owns the window (SDL wants every video call there). Other
// threads hand it work through this queue and wait until it is done.
#include <cstdint>

void pf_mainThreadInit();            // called once by the main thread
int pf_onMainThread();
// Run fn(arg) on the main thread and wait for it; runs at once when called
// from the main thread itself.
void pf_runOnMain(void (*fn)(void* arg), void* arg);
// Main thread: run every call waiting in the queue.
void pf_runMainCalls();

// Threads that the main thread may wait for with a bounded time.
struct pfThread_T;
pfThread_T* pf_threadCreate(int (*fn)(void* arg), void* arg);
// Wait up to ms for the thread to end. Calls other threads make with
// pf_runOnMain run during the wait. A thread that waits for the very call
// the wait runs inside cannot end first: the wait gives up at once. On a
// virtual clock the wait is in virtual time.
enum { PF_WAIT_TIMED_OUT = 0, PF_WAIT_ENDED = 1, PF_WAIT_BLOCKED_ON_CALLER = 2 };
int pf_threadWait(pfThread_T* thread, uint32_t ms);
// 1 while the main thread is inside pf_threadWait.
int pf_mainIsWaiting();
int pf_threadEnded(pfThread_T* thread);
int pf_threadResult(pfThread_T* thread);
void pf_threadJoin(pfThread_T* thread);   // after it has ended
