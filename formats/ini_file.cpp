#include "formats/ini_file.h"

#include <cstdlib>
#include <string>

#include "platform/gfile.h"
#include "platform/gpl_trace.h"

iniFile_T::~iniFile_T()
{
    release();
}

void iniFile_T::release()
{
    std::free(buffer);
    buffer = nullptr;
    loaded = 0;
}

// Ends the entry whose last line was stored from start to out: blanks at its
// end go, then one closing quote, and its NUL follows. Returns the new out.
static int32_t ini_endEntry(char* text, int32_t start, int32_t out)
{
    while (out > start && text[out - 1] == ' ')
        out--;
    if (out > start && text[out - 1] == '"')
        out--;
    text[out++] = '\0';
    return out;
}

// Cleans the raw file text in place: entries are never longer than the lines
// they come from, so the write position never passes the read position.
static int32_t ini_clean(char* text, int32_t length)
{
    int32_t in = 0, out = 0;
    int32_t openLine = -1;   // start of the last line of an entry still open after an LF alone
    while (in < length) {
        char c = text[in++];
        while (c == ' ' && in < length)
            c = text[in++];
        if (c == ' ')
            break;
        if (c == '#') {
            while (in < length && text[in++] != '\n') {
            }
            continue;
        }
        if (c == '\n')
            continue;
        int32_t entryStart = out;
        int terminated = 0;
        for (;;) {
            if (c == '\n')
                break;
            if (c == '\r') {
                text[out++] = '\0';
                terminated = 1;
            } else {
                text[out++] = c;
            }
            if (in >= length)
                break;
            c = text[in++];
        }
        if (!terminated && in < length) {
            openLine = entryStart;
            continue;   // LF alone: the entry goes on with the next line
        }
        openLine = -1;
        // Trim the entry's end: drop its NUL, trailing blanks, one closing quote.
        if (terminated)
            out--;
        out = ini_endEntry(text, entryStart, out);
    }
    // An entry left open by an LF alone, with only comments, blanks or empty
    // lines after it, still ends inside the buffer.
    if (openLine >= 0)
        out = ini_endEntry(text, openLine, out);
    return out;
}

void iniFile_T::init(const char* fileName)
{
    gpl_trace("%s\n", "iniFile_T::init()");
    gpl_traceIn();
    release();
    gpl_trace("openning file\n");
    gfile_T file;
    file.open(fileName, GFILE_READ);
    if (file.errorFlags) {
        errorFlags |= INI_ERR_OPEN;
        gpl_traceOut();
        return;
    }
    file.seek(0, GFILE_SEEK_END);
    size = file.tell();
    gpl_trace("size %d\n", size);
    gpl_trace("alloc ifile buffer \n");
    if (file.errorFlags || size < 0) {
        errorFlags |= INI_ERR_OPEN;
        size = 0;
        gpl_traceOut();
        return;
    }
    // One byte more than the file so that a last line without a line end
    // still gets its terminating NUL.
    buffer = (char*)std::malloc((size_t)size + 1);
    if (!buffer) {
        errorFlags |= INI_ERR_NOMEM;
        size = 0;
        gpl_traceOut();
        return;
    }
    gpl_trace("load file to buffer\n");
    file.seek(0, GFILE_SEEK_SET);
    file.read(buffer, (uint32_t)size);
    if (file.errorFlags & (GFILE_ERR_SHORT | GFILE_ERR_SEEK)) {
        release();
        errorFlags |= INI_ERR_OPEN;
        size = 0;
        gpl_traceOut();
        return;
    }
    size = ini_clean(buffer, size);
    gpl_trace("close\n");
    file.close();
    loaded = 1;
    gpl_traceOut();
}

const char* iniFile_T::findKey(const char* key)
{
    if (!buffer || !key)
        return nullptr;
    int32_t pos = 0;
    while (pos < size) {
        const char* entry = buffer + pos;
        int32_t k = 0;
        while (key[k] && entry[k] == key[k])
            k++;
        if (!key[k]) {
            const char* p = entry + k;
            while (*p == ' ')
                p++;
            if (*p == '=') {
                p++;
                while (*p == ' ')
                    p++;
                return p;
            }
        }
        while (pos < size && buffer[pos] != '\0')
            pos++;
        pos++;
    }
    return nullptr;
}

double gpl_parseNumber(const char* text, const char** end)
{
    // Find the span by hand (strtod alone would also take hexadecimal,
    // "inf", "nan" and leading white space), then let strtod convert it.
    const char* p = text;
    if (*p == '+' || *p == '-')
        p++;
    int digits = 0;
    for (; *p >= '0' && *p <= '9'; p++)
        digits++;
    if (*p == '.')
        for (p++; *p >= '0' && *p <= '9'; p++)
            digits++;
    if (!digits) {
        if (end)
            *end = text;
        return 0.0;
    }
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-')
            q++;
        if (*q >= '0' && *q <= '9') {
            while (*q >= '0' && *q <= '9')
                q++;
            p = q;
        }
    }
    if (end)
        *end = p;
    std::string span(text, (size_t)(p - text));
    return std::strtod(span.c_str(), nullptr);
}

int32_t gpl_truncInt32(double value)
{
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return value == value ? (int32_t)value : 0;
}

double iniFile_T::getNum(const char* key)
{
    const char* value = findKey(key);
    double number = value ? gpl_parseNumber(value, nullptr) : 0.0;
    gpl_trace("iniFile_T::getNum(%s) = %d \n", key ? key : "", (int)gpl_truncInt32(number));
    return number;
}

const char* iniFile_T::getString(const char* key)
{
    const char* value = findKey(key);
    if (value && *value)
        value++;
    gpl_trace("iniFile_T::getString(%s) = %s \n", key ? key : "", value ? value : "(null)");
    return value;
}
