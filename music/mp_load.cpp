// Module format recognition: by content, never by name.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_module.h"
#include "music/mp_player.h"
#include "platform/files.h"

static std::string mpLoadReason;

static std::string formatted(const char* format, va_list args)
{
    char text[256];
    std::vsnprintf(text, sizeof text, format, args);
    return text;
}

int mp_refuse(int code, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    mpLoadReason = formatted(format, args);
    va_end(args);
    return code;
}

const char* mp_loadReason() { return mpLoadReason.c_str(); }

void mp_warn(mpModule_T* module, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    module->warnings.push_back(formatted(format, args));
    va_end(args);
}

int mp_readWholeFile(const char* fileName, size_t minimum, std::vector<uint8_t>* bytes)
{
    errno = 0;
    FILE* f = pf_fopen(fileName, "rb");
    if (!f)
        return mp_errnoCode(errno);
    uint8_t buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes->insert(bytes->end(), buf, buf + got);
    int failed = std::ferror(f);
    std::fclose(f);
    if (failed)
        return MPERR_FILE_READ;
    if (bytes->size() < minimum)
        return mp_refuse(MPERR_END_OF_FILE, "the file (%zu bytes) is shorter than its format's header (%zu bytes)",
                         bytes->size(), minimum);
    return MPERR_OK;
}

int mp_uploadSample(mpSample_T* s, const uint8_t* data)
{
    dsmSampleDesc_T d = {};
    d.data = data;
    d.type = s->type;
    d.length = s->length;
    bool pingPong = s->loopType == MP_LOOP_PINGPONG;
    d.loopMode = pingPong ? DSM_LOOP_SINGLE : s->loopType;
    if (s->loopFlag) {
        d.loop1Start = s->loopStart;
        d.loop1End = s->loopEnd;
        d.loop1Type = pingPong ? DSM_LT_BIDI : DSM_LT_FORWARD;
    }
    return dsm_addSample(&d, 1, &s->handle);
}

uint32_t mp_patternRows(const std::vector<uint8_t>& pattern)
{
    uint32_t rows = 0;
    if (pattern.size() >= 8)
        std::memcpy(&rows, pattern.data() + 4, 4);
    return rows;
}

void mp_putEntry(std::vector<uint8_t>* out, int channel, uint8_t note, uint8_t instrument, uint8_t volume,
                 uint8_t command, uint8_t param)
{
    bool hasNote = note != MP_NONE || instrument != MP_NONE;
    bool hasVolume = volume != MP_NO_VOLUME, hasCommand = command != 0;
    if (!hasNote && !hasVolume && !hasCommand)
        return;
    out->push_back((uint8_t)(channel | (hasNote ? MP_ENT_NOTE : 0) | (hasVolume ? MP_ENT_VOLUME : 0) |
                             (hasCommand ? MP_ENT_COMMAND : 0)));
    if (hasNote) {
        out->push_back(note);
        out->push_back(instrument);
    }
    if (hasVolume)
        out->push_back(volume);
    if (hasCommand) {
        out->push_back(command);
        out->push_back(param);
    }
}

void mp_finishPattern(std::vector<uint8_t>* out, uint32_t rows)
{
    uint32_t size = (uint32_t)out->size();
    std::memcpy(out->data(), &size, 4);
    std::memcpy(out->data() + 4, &rows, 4);
}

// Loading uploads samples into the mixer, which the player thread may be
// using: it runs under the player's critical section like every operation.
mpModule_T* mp_loadModule(const char* fileName)
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    mpLoadReason.clear();
    errno = 0;
    FILE* f = pf_fopen(fileName, "rb");
    if (!f) {
        mp_lastError = mp_errnoCode(errno);
        return nullptr;
    }
    uint8_t head[48];
    size_t got = std::fread(head, 1, sizeof head, f);
    int readError = std::ferror(f);
    std::fclose(f);
    if (got < sizeof head) {
        mp_lastError = readError ? MPERR_FILE_READ
                                 : mp_refuse(MPERR_END_OF_FILE, "the file (%zu bytes) is too short to be a module", got);
        return nullptr;
    }

    int (*reader)(const char*, int, void*, mpModule_T**) = mp_loadMod;
    if (std::memcmp(head, "Extended Module:", 16) == 0)
        reader = mp_loadXm;
    else if (std::memcmp(head + 44, "SCRM", 4) == 0)
        reader = mp_loadS3m;
    else if (std::memcmp(head, "IMPM", 4) == 0)
        reader = mp_loadIt;

    mpModule_T* module = nullptr;
    int code = reader(fileName, 1, nullptr, &module);
    if (code != MPERR_OK) {
        mp_lastError = code;
        return nullptr;
    }
    return module;
}

void mp_freeModule(mpModule_T* module)
{
    if (!module)
        return;
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    for (mpSample_T& s : module->sampleRecords)
        if (s.handle)
            dsm_removeSample(s.handle);
    delete module;
}
