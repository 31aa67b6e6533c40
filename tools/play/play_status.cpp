#include "tools/play/play_status.h"

#include <cstdio>
#include <cstring>

#include "music/mp_info.h"

static std::string where(const playView_T& v, const mpStatus_T& s, const char* gap)
{
    char text[160];
    std::snprintf(text, sizeof text, "ord %d/%d pat %d row %d%s%s/%s%sspd %d bpm %d", s.position + 1, v.songLength,
                  s.pattern, s.row, gap, mp_timeText(v.played, 0).c_str(), mp_timeText(v.total, 0).c_str(), gap,
                  s.speed, s.tempo);
    return text;
}

// One character per channel, by level: silence is a space.
static std::string meter(const mpStatus_T& s)
{
    static const char steps[] = " .:-=+*#";
    std::string m = "[";
    for (int c = 0; c < s.numChannels; c++)
        m += steps[s.levels[c] * 7 / 64 + (s.levels[c] > 0 && s.levels[c] * 7 < 64)];
    return m + "]";
}

std::string play_statusLine(const playView_T& v, const mpStatus_T& s, int columns)
{
    char head[32];
    std::snprintf(head, sizeof head, "[%d/%d] ", v.index, v.count);
    std::string rest = "  " + where(v, s, "  ") + "  vol " + std::to_string(v.volume) + "  " + (v.paused ? "PAUSED" : meter(s));
    // The file's own name, its start dropped first when the line is too long.
    std::string name = v.file;
    size_t slash = name.rfind('/');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    int room = columns - 1 - (int)std::strlen(head) - (int)rest.size();
    if (room < (int)name.size())
        name = room > 8 ? "..." + name.substr(name.size() - (room - 3)) : name.substr(0, 8);
    std::string line = head + name + rest;
    if (columns > 1 && (int)line.size() > columns - 1)
        line.resize(columns - 1);
    return line;
}

std::string play_orderLine(const playView_T& v, const mpStatus_T& s) { return where(v, s, " "); }
