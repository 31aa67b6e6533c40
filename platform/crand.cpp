#include "platform/crand.h"

static thread_local uint32_t randState = 1;

int crt_rand()
{
    randState = randState * 214013u + 2531011u;
    return (int)((randState >> 16) & 0x7FFF);
}

void crt_srand(uint32_t seed)
{
    randState = seed;
}
