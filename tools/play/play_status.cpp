#include "tools/play/play_status.h"

#include <cstdio>
#include <cstring>

#include "music/mp_info.h"

// Characters of the file name the status line keeps before it drops parts.
static const int nameRoom = 24;

static std::string where(const playView_T& v, const mpStatus_T& s, const char* gap)
{
    char song[32] = "";
    if (v.subsongs > 1)
        std::snprintf(song, sizeof song, "song %d/%d ", v.subsong, v.subsongs);
    char text[192];
    std::snprintf(text, sizeof text, "%sord %d/%d pat %d row %d%s%s/%s", song, s.position + 1, v.songLength, s.pattern,
                  s.row, gap, mp_timeText(v.played, 0).c_str(), mp_timeText(v.total, 0).c_str());
    return text;
}

static std::string pace(const mpStatus_T& s)
{
    return "spd " + std::to_string(s.speed) + " bpm " + std::to_string(s.tempo);
}

// One character per channel, by level: silence is a space, a muted channel x.
static std::string meter(const playView_T& v, const mpStatus_T& s)
{
    static const char steps[] = " .:-=+*#";
    std::string m = "[";
    for (int c = 0; c < s.numChannels; c++)
        m += v.muted[c] ? 'x' : steps[s.levels[c] * 7 / 64 + (s.levels[c] > 0 && s.levels[c] * 7 < 64)];
    return m + "]";
}

std::string play_statusLine(const playView_T& v, const mpStatus_T& s, int columns)
{
    char head[32];
    std::snprintf(head, sizeof head, "[%d/%d] ", v.index, v.count);
    std::string name = v.file;
    size_t slash = name.rfind('/');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const std::string parts[4] = {"  " + pace(s), "  vol " + std::to_string(v.volume),
                                  "  " + (v.paused ? std::string("PAUSED") : meter(v, s)), ""};
    // The parts kept: all of them, or fewer until the name has its room.
    std::string rest;
    int want = (int)name.size() < nameRoom ? (int)name.size() : nameRoom;
    for (int drop = 0; drop < 4; drop++) {
        rest = "  " + where(v, s, "  ");
        for (int p = drop; p < 3; p++)
            rest += parts[p];
        if (columns - 1 - (int)std::strlen(head) - (int)rest.size() >= want)
            break;
    }
    // The name's start goes first when the line is still too long.
    int room = columns - 1 - (int)std::strlen(head) - (int)rest.size();
    if (room < (int)name.size())
        name = room > 8 ? "..." + name.substr(name.size() - (room - 3)) : name.substr(0, 8);
    std::string line = head + name + rest;
    if (columns > 1 && (int)line.size() > columns - 1)
        line.resize(columns - 1);
    return line;
}

std::string play_orderLine(const playView_T& v, const mpStatus_T& s) { return where(v, s, " ") + " " + pace(s); }
