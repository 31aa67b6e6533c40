#include "music/formats/mp_tracker.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "music/formats/mp_bytes.h"
#include "platform/files.h"

enum { HEAD_BYTES = 1084 };

static std::string trimmed(const uint8_t* p, size_t n)
{
    std::string s;
    for (size_t i = 0; i < n && p[i]; i++)
        s += p[i] >= 32 && p[i] < 127 ? (char)p[i] : '?';
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

static std::string version(const char* name, unsigned major, unsigned minor)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s %x.%02x", name, major, minor);
    return text;
}

// The created-with word of S3M and IT files: the high nibble names the
// tracker, the rest is its version in hexadecimal digits.
static std::string createdWith(unsigned cwt, bool it)
{
    unsigned major = (cwt >> 8) & 15, minor = cwt & 0xFF;
    switch (cwt >> 12) {
    case 0: return it ? version("Impulse Tracker", major, minor) : "";
    case 1: return it ? "Schism Tracker" : version("Scream Tracker", major, minor);
    case 2: return version("Imago Orpheus", major, minor);
    case 3: return version("Impulse Tracker", major, minor);
    case 4: return "Schism Tracker";
    case 5: return "OpenMPT";
    default: return "";
    }
}

static std::string modFamily(const uint8_t* sig)
{
    if (!std::memcmp(sig, "M.K.", 4) || !std::memcmp(sig, "M!K!", 4))
        return "ProTracker (" + trimmed(sig, 4) + ")";
    if (!std::memcmp(sig, "FLT", 3) || !std::memcmp(sig, "EXO", 3))
        return "StarTrekker (" + trimmed(sig, 4) + ")";
    if (!std::memcmp(sig + 1, "CHN", 3) || !std::memcmp(sig + 2, "CH", 2))
        return "FastTracker (" + trimmed(sig, 4) + ")";
    if (!std::memcmp(sig, "OCTA", 4) || !std::memcmp(sig, "CD81", 4))
        return "Octalyser (" + trimmed(sig, 4) + ")";
    if (!std::memcmp(sig, "TDZ", 3))
        return "TakeTracker (" + trimmed(sig, 4) + ")";
    return "";
}

std::string mp_trackerName(const char* fileName)
{
    uint8_t head[HEAD_BYTES] = {};
    FILE* f = pf_fopen(fileName, "rb");
    if (!f)
        return "";
    size_t got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    return mp_trackerOfHeader(head, got);
}

std::string mp_trackerOfHeader(const uint8_t* head, size_t got)
{
    if (got >= 60 && !std::memcmp(head, "Extended Module:", 16))
        return trimmed(head + 38, 20);
    if (got >= 48 && !std::memcmp(head + 44, "SCRM", 4))
        return createdWith(mp_le16(head + 40), false);
    if (got >= 48 && !std::memcmp(head, "IMPM", 4))
        return createdWith(mp_le16(head + 40), true);
    if (got == HEAD_BYTES)
        return modFamily(head + 1080);
    return "";
}
