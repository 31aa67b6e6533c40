#include "platform/backend.h"
#include "platform/clock.h"

static const pfBackend_T* currentBackend = nullptr;
static int pixelFormat = PF_FORMAT_565;

void pf_setBackend(const pfBackend_T* backend) { currentBackend = backend; }
const pfBackend_T* pf_backend() { return currentBackend; }

void pf_setPixelFormat(int format) { pixelFormat = format == PF_FORMAT_555 ? PF_FORMAT_555 : PF_FORMAT_565; }
int pf_pixelFormat() { return pixelFormat; }

uint32_t pf_timeMs() { return currentBackend->timeMs(); }
int64_t pf_timeSeconds() { return currentBackend->timeSeconds(); }
void pf_sleepMs(uint32_t ms) { currentBackend->sleepMs(ms); }
