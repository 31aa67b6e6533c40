#pragma once
// Thread messages: the only channel from the main thread to the engine
// thread. Post never blocks; peek looks without removing; get removes.
#include <cstdint>

struct pfMsg_T {
    uint32_t id;
};

// The engine thread opens its queue when it starts and closes it when it
// ends; posting to a closed queue fails, as posting to a dead thread does.
void pf_queueOpen();
void pf_queueClose();
int pf_postThreadMessage(uint32_t id);   // 1 posted, 0 failed
int pf_peekMessage(pfMsg_T* msg);        // 1 when a message is waiting
int pf_getMessage(pfMsg_T* msg);         // removes the first message (waits for one)
