#include "music/formats/mp_tracker.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "music/formats/mp_bytes.h"

enum { MOD_SIGNATURE = 1080 };

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

// Editors that save as another tracker give themselves away by fields the
// tracker itself always fills in its own way.

// Scream Tracker 3.20 always writes an ultra-click value of 8, 12 or 16.
// ModPlug Tracker writes 0 there and in the special word, sets no flag but
// Amiga limits and fast slides, saves orders in sixteens and always a
// panning table.
static std::string s3mDisguise(const uint8_t* head, size_t got)
{
    unsigned ultraClick = head[52];
    if (ultraClick == 8 || ultraClick == 12 || ultraClick == 16 || got < 64)
        return "";
    unsigned flags = mp_le16(head + 38), orders = mp_le16(head + 32), special = mp_le16(head + 62);
    if (ultraClick == 0 && special == 0 && (flags & ~0x50u) == 0 && orders % 16 == 0 && head[53] == 252)
        return "ModPlug Tracker (saved as Scream Tracker 3.20)";
    return "another editor (saved as Scream Tracker 3.20)";
}

// FastTracker 2 pads names with spaces; ModPlug Tracker with zeros, and its
// first versions wrote the tracker name with a space too many.
static std::string xmDisguise(const uint8_t* head, const std::string& name)
{
    if (name == "FastTracker v 2.00")
        return "ModPlug Tracker 1.0 (saved as FastTracker v2.00)";
    if (name.compare(0, 11, "*Converted ") == 0)
        return "DigiTrakker";
    if (name == "FastTracker v2.00" && std::memchr(head + 17, 0, 20))
        return "ModPlug Tracker (saved as FastTracker v2.00)";
    return name;
}

// UNMO3 saves as Impulse Tracker 2.14 but leaves the row highlights, the
// pitch wheel depth and the reserved word at zero and writes no edit
// history, which Impulse Tracker always does.
static bool itIsUnmo3(const uint8_t* head, size_t got)
{
    if (mp_le16(head + 0x28) != 0x0214 || mp_le16(head + 0x2A) != 0x0214 || got < 0xC0)
        return false;
    if (head[0x1E] || head[0x1F] || head[0x35] || mp_le32(head + 0x3C))
        return false;
    if (!(mp_le16(head + 0x2E) & 2))
        return true;
    size_t history = 0xC0 + mp_le16(head + 0x20) +
                     4 * ((size_t)mp_le16(head + 0x22) + mp_le16(head + 0x24) + mp_le16(head + 0x26));
    return history + 2 <= got && mp_le16(head + history) == 0;
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

std::string mp_trackerOfHeader(const uint8_t* head, size_t got)
{
    if (got >= 60 && !std::memcmp(head, "Extended Module:", 16))
        return xmDisguise(head, trimmed(head + 38, 20));
    if (got >= 48 && !std::memcmp(head + 44, "SCRM", 4)) {
        unsigned cwt = mp_le16(head + 40);
        std::string disguise = cwt == 0x1320 ? s3mDisguise(head, got) : "";
        return disguise.empty() ? createdWith(cwt, false) : disguise;
    }
    if (got >= 48 && !std::memcmp(head, "IMPM", 4))
        return itIsUnmo3(head, got) ? "UNMO3 (saved as Impulse Tracker 2.14)" : createdWith(mp_le16(head + 40), true);
    if (got >= MOD_SIGNATURE + 4)
        return modFamily(head + MOD_SIGNATURE);
    return "";
}
