#include "platform/messages.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace {
std::mutex queueMutex;
std::condition_variable queueCond;
std::deque<pfMsg_T> queue;
bool queueIsOpen = false;
}

void pf_queueOpen()
{
    std::lock_guard<std::mutex> lock(queueMutex);
    queue.clear();
    queueIsOpen = true;
}

void pf_queueClose()
{
    std::lock_guard<std::mutex> lock(queueMutex);
    queue.clear();
    queueIsOpen = false;
}

int pf_postThreadMessage(uint32_t id)
{
    std::lock_guard<std::mutex> lock(queueMutex);
    if (!queueIsOpen)
        return 0;
    queue.push_back(pfMsg_T{id});
    queueCond.notify_one();
    return 1;
}

int pf_peekMessage(pfMsg_T* msg)
{
    std::lock_guard<std::mutex> lock(queueMutex);
    if (queue.empty())
        return 0;
    *msg = queue.front();
    return 1;
}

int pf_getMessage(pfMsg_T* msg)
{
    std::unique_lock<std::mutex> lock(queueMutex);
    queueCond.wait(lock, [] { return !queue.empty(); });
    *msg = queue.front();
    queue.pop_front();
    return 1;
}
