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
// 1 while some thread waits in pf_runOnMain (the engine's final close request).
int pf_mainCallPending();

// Threads that the main thread may wait for with a bounded time.
struct pfThread_T;
pfThread_T* pf_threadCreate(int (*fn)(void* arg), void* arg);
// Wait up to ms for the thread to end: 1 ended, 0 timed out. On a virtual
// clock the wait is in virtual time.
int pf_threadWait(pfThread_T* thread, uint32_t ms);
// 1 while the main thread is inside pf_threadWait.
int pf_mainIsWaiting();
int pf_threadEnded(pfThread_T* thread);
int pf_threadResult(pfThread_T* thread);
void pf_threadJoin(pfThread_T* thread);   // after it has ended
