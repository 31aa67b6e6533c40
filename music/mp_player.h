#pragma once
// Player state shared between the operations and the player thread.
#include <atomic>
#include <mutex>

extern std::recursive_mutex mpLock;     // the player's one critical section
extern int mpInitialised;
extern std::atomic<int> mpStopRequest;  // the player thread is asked to end
