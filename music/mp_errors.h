#pragma once
// The player's error codes: public operations return 1 or 0 and leave the
// code in mp_lastError; the inner layers (loader, module player, mixer,
// devices) return the code itself, 0 meaning success.
#include <cstdint>

enum mpError_T : int32_t {
    MPERR_OK = 0,
    MPERR_UNDEFINED = 1,
    MPERR_NO_MEMORY = 2,
    MPERR_NO_SAMPLE_HANDLES = 12,
    MPERR_FILE_OPEN = 13,
    MPERR_FILE_READ = 14,
    MPERR_INVALID_MODULE = 15,
    MPERR_INVALID_INSTRUMENT = 16,
    MPERR_INVALID_PATTERN = 17,
    MPERR_INVALID_CHANNEL = 18,
    MPERR_INVALID_SAMPLE = 19,
    MPERR_CHANNELS_NOT_OPEN = 20,
    MPERR_HARDWARE = 21,
    MPERR_INVALID_ARGUMENTS = 22,
    MPERR_FILE_NOT_FOUND = 23,
    MPERR_ACCESS_DENIED = 25,
    MPERR_TOO_MANY_FILES = 27,
    MPERR_END_OF_FILE = 29,
    MPERR_INVALID_PATH = 30,
    MPERR_NO_RESOURCES = 37,
    MPERR_INVALID_DEVICE = 38,
    MPERR_UNSUPPORTED = 39,
    MPERR_DEVICE_UNAVAILABLE = 40,
    MPERR_DEVICE_BUSY = 41,
    MPERR_UNSUPPORTED_MODE = 42,
    MPERR_INVALID_SAMPLE_TYPE = 46,
    MPERR_NOT_PLAYING = 47,
    MPERR_NO_CHANNELS = 48,
    MPERR_COUNT = 52
};

extern int32_t mp_lastError;

// The message of a code ("Invalid module file"); "Undefined error" for a
// code outside the table.
const char* mp_errorMessage(int32_t code);

// Errors that cannot be returned go to mp_errorHandler (mp_fatalError by
// default) as "Player Error: " followed by the code's message.
void mp_reportError(int32_t code);
// The default handler: the text and a line end on stderr, then exit code 1.
void mp_fatalError(const char* text);
// Shutdown errors inside mp_close: "FATAL player uninitialization failure: ".
void mp_reportCloseError(int32_t code);

// The system's error for a failed open, mapped onto the codes above.
int32_t mp_errnoCode(int err);
