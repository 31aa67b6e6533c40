#include "music/mp_info.h"

const char* mp_formatName(const mpModule_T* module)
{
    static const char* const names[] = {"?", "MOD", "S3M", "XM", "IT"};
    return module->formatId <= MP_FORMAT_IT ? names[module->formatId] : names[0];
}

std::string mp_timeText(double seconds, int hundredths)
{
    long cs = (long)(seconds * 100 + 0.5);
    char text[32];
    if (hundredths)
        std::snprintf(text, sizeof text, "%ld:%02ld.%02ld", cs / 6000, cs / 100 % 60, cs % 100);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", cs / 6000, cs / 100 % 60);
    return text;
}

// Names are printed as stored, unprintable bytes shown as '.'.
static std::string printable(const char* name, size_t size)
{
    std::string s;
    for (size_t i = 0; i < size && name[i]; i++)
        s += (unsigned char)name[i] >= 32 && (unsigned char)name[i] < 127 ? name[i] : '.';
    return s;
}

// Up to the last named one, blank names included: they space out the
// messages written across several names.
static size_t lastNamed(const mpModule_T* m)
{
    size_t last = 0;
    for (size_t i = 0; i < m->instruments.size(); i++)
        if (!printable(m->instruments[i].name, sizeof m->instruments[i].name).empty())
            last = i + 1;
    return last;
}

static void printNames(FILE* out, const mpModule_T* m)
{
    for (size_t i = 0, last = lastNamed(m); i < last; i++)
        std::fprintf(out, "  %2zu %s\n", i + 1, printable(m->instruments[i].name, sizeof m->instruments[i].name).c_str());
}

// The tracker whose rules the song's flow follows (MP_FLOW_*).
static const char* flowRulesName(const mpModule_T* m)
{
    static const char* const names[] = {"ProTracker", "Scream Tracker 3", "Impulse Tracker", "FastTracker 2"};
    return m->flowRules <= MP_FLOW_FT2 ? names[m->flowRules] : "?";
}

void mp_printInfo(FILE* out, const char* fileName, const mpModule_T* m, const mpwSong_T& song)
{
    const std::string& tracker = m->tracker;
    std::fprintf(out, "file:        %s\n", fileName);
    std::fprintf(out, "title:       %s\n", printable(m->name, sizeof m->name).c_str());
    std::fprintf(out, "format:      %s\n", mp_formatName(m));
    if (!tracker.empty())
        std::fprintf(out, "tracker:     %s\n", tracker.c_str());
    std::fprintf(out, "plays as:    %s\n", flowRulesName(m));
    std::fprintf(out, "channels:    %d\n", m->numChannels);
    std::fprintf(out, "orders:      %u (restart at %u)\n", m->songLength, m->restartPos);
    std::fprintf(out, "patterns:    %u\n", m->numPatterns);
    std::fprintf(out, "instruments: %u\n", m->numInsts);
    std::fprintf(out, "samples:     %u\n", m->numSamples);
    std::fprintf(out, "speed:       %d\n", m->speed);
    std::fprintf(out, "tempo:       %d\n", m->tempo);
    double seconds = mpw_seconds(song.frames);
    std::fprintf(out, "duration:    %s (%.2f s)%s\n", mp_timeText(seconds, 1).c_str(), seconds,
                 song.ended ? "" : ", cut at the cap: the song never wraps");
    if (lastNamed(m))
        std::fprintf(out, "names:\n");
    printNames(out, m);
}

void mp_printMessage(FILE* out, const mpModule_T* m)
{
    std::fprintf(out, "\"%s\"\n", printable(m->name, sizeof m->name).c_str());
    printNames(out, m);
}
