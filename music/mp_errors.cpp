#include "music/mp_errors.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "music/mp_settings.h"

int32_t mp_lastError;

static const char* const mpErrorMessages[MPERR_COUNT] = {
    "OK", "Undefined error", "Out of memory", "Heap corrupted", "Invalid memory block",
    "Out of EMS memory", "EMS memory heap corrupted", "Invalid EMS memory block",
    "Expanded Memory Manager failure", "Out of soundcard memory", "Soundcard memory heap corrupted",
    "Invalid soundcard memory block", "Out of sample handles", "Unable to open file",
    "Unable to read file", "Invalid module file", "Invalid instrument in module",
    "Invalid pattern data in module", "Invalid channel number", "Invalid sample handle",
    "Sound Device channels not open", "Sound Device hardware failure", "Invalid function arguments",
    "File does not exist", "Invalid file handle", "Access denied", "File exists",
    "Too many open files", "Disk full", "Unexpected end of file", "Invalid path",
    "Unable to write file", "Unable to lock Virtual DMA buffer", "Unable to use Virtual DMA Services",
    "Invalid Virtual DMA Service version", "DPMI failure", "Invalid segment descriptor",
    "Out of system resources", "Invalid device used", "Unsupported function used",
    "Device is not available", "Device is busy", "Unsupported output mode used",
    "Unable to lock memory", "DirectSound Window Handle not set", "Invalid ADPCM data",
    "Invalid sample type", "No module is being played", "Out of sound channels",
    "Couldn't load dsound.dll", "Bad WAVE file", "Unsupported sample data format",
};

const char* mp_errorMessage(int32_t code)
{
    if (code < 0 || code >= MPERR_COUNT)
        return mpErrorMessages[MPERR_UNDEFINED];
    return mpErrorMessages[code];
}

static void reportWithPrefix(const char* prefix, int32_t code)
{
    char text[128];
    std::snprintf(text, sizeof text, "%s%s", prefix, mp_errorMessage(code));
    mpSettings.errorHandler(text);
}

void mp_reportError(int32_t code) { reportWithPrefix("Player Error: ", code); }

void mp_reportCloseError(int32_t code) { reportWithPrefix("FATAL player uninitialization failure: ", code); }

// Called from the player thread while other threads run: the process ends
// at once, without running static destructors under their feet.
void mp_fatalError(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
    std::_Exit(1);
}

int32_t mp_errnoCode(int err)
{
    switch (err) {
    case ENOENT: return MPERR_FILE_NOT_FOUND;
    case EACCES: case EPERM: case EISDIR: return MPERR_ACCESS_DENIED;
    case EMFILE: case ENFILE: return MPERR_TOO_MANY_FILES;
    case ENAMETOOLONG: case ENOTDIR: return MPERR_INVALID_PATH;
    case ENOMEM: return MPERR_NO_MEMORY;
    default: return MPERR_FILE_OPEN;
    }
}
