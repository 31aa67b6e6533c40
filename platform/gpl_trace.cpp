#include "platform/gpl_trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const int TRACE_MAX_INDENT = 2000;

int traceEnabled;
int traceToStdout;
int traceToFile;
std::string traceFileName;
int traceIndent;
int traceAtLineStart = 1;
int traceConfigured;

void traceConfigure()
{
    if (traceConfigured)
        return;
    traceConfigured = 1;
    const char* value = std::getenv("VARNEK_GPL_TRACE");
    if (!value || !value[0] || std::strcmp(value, "0") == 0)
        return;
    if (std::strcmp(value, "1") == 0)
        gpl_traceSet(1, nullptr);
    else
        gpl_traceSet(0, value);
}

// Writes text to every enabled sink, indenting each piece that begins a line.
void traceWrite(const char* text)
{
    FILE* file = nullptr;
    if (traceToFile) {
        file = std::fopen(traceFileName.c_str(), "at");
        if (!file && !traceToStdout)
            return;
    }
    const char* p = text;
    while (*p) {
        const char* nl = std::strchr(p, '\n');
        size_t len = nl ? (size_t)(nl - p) + 1 : std::strlen(p);
        for (FILE* sink : {traceToStdout ? stdout : nullptr, file}) {
            if (!sink)
                continue;
            if (traceAtLineStart)
                std::fprintf(sink, "%*s", traceIndent, "");
            std::fwrite(p, 1, len, sink);
        }
        traceAtLineStart = nl != nullptr;
        p += len;
    }
    if (file) {
        std::fflush(file);
        std::fclose(file);
    }
    if (traceToStdout)
        std::fflush(stdout);
}
}

void gpl_traceSet(int toStdout, const char* fileName)
{
    traceConfigured = 1;
    traceToStdout = toStdout != 0;
    traceToFile = fileName != nullptr;
    traceFileName = fileName ? fileName : "";
    traceEnabled = traceToStdout || traceToFile;
    traceIndent = 0;
    traceAtLineStart = 1;
}

void gpl_trace(const char* format, ...)
{
    traceConfigure();
    if (!traceEnabled)
        return;
    va_list args;
    va_start(args, format);
    char small[512];
    va_list copy;
    va_copy(copy, args);
    int len = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (len < 0) {
        va_end(args);
        return;
    }
    if ((size_t)len < sizeof small) {
        traceWrite(small);
    } else {
        std::string big((size_t)len + 1, '\0');
        std::vsnprintf(&big[0], big.size(), format, args);
        traceWrite(big.c_str());
    }
    va_end(args);
}

void gpl_traceIn()
{
    traceConfigure();
    if (!traceEnabled)
        return;
    if (!traceAtLineStart)
        traceWrite("\n");
    traceWrite("{\n");
    traceIndent = traceIndent + 4 > TRACE_MAX_INDENT ? TRACE_MAX_INDENT : traceIndent + 4;
}

void gpl_traceOut()
{
    traceConfigure();
    if (!traceEnabled)
        return;
    traceIndent = traceIndent < 4 ? 0 : traceIndent - 4;
    if (!traceAtLineStart)
        traceWrite("\n");
    traceWrite("}\n");
}
