#include "tools/music_options/music_options.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "music/mp_errors.h"
#include "music/mp_settings.h"
#include "music/mp_walk.h"
#include "platform/cmdline.h"

const char* const moptUsage =
    "  --loops N       play the song N times (default 1; 0: for ever)\n"
    "  --seconds TIME  stop after TIME (seconds or m:ss), looping the song as needed\n"
    "  --start TIME    start TIME into the song\n"
    "  --order N       start at order position N\n"
    "  --subsong N     play song N of the order list (--info lists them)\n"
    "  --mute LIST     silence channels, e.g. 1,3-4\n"
    "  --solo LIST     silence every channel but these\n"
    "  --stereo PCT    stereo separation in percent (default 100)\n"
    "  --mono          both sides the same (--stereo 0)\n"
    "  --rate HZ       mixing rate (default 44100)\n"
    "  --quality Q     interpolation: plain, linear, cubic or sinc (default sinc)\n"
    "  --info          print the song information and exit\n"
    "  --message       print the song's message (its title and instrument names)\n"
    "  --quiet         print nothing but errors\n"
    "  --verbose       print the song information before playing\n";

const char* const moptUsageEnd =
    "  --help          this text\n"
    "  --version       the program's version\n"
    "  --              the rest are files, even when they start with '-'\n";

double mopt_time(const char* text)
{
    const char* colon = std::strchr(text, ':');
    char* end = nullptr;
    double minutes = 0;
    if (colon) {
        long m = std::strtol(text, &end, 10);
        if (end != colon || m < 0 || !std::isdigit((unsigned char)text[0]))
            return -1;
        minutes = (double)m;
        text = colon + 1;
        if (!std::isdigit((unsigned char)text[0]) || !std::isdigit((unsigned char)text[1]) ||
            (text[2] && text[2] != '.'))
            return -1;
    }
    if (!std::isdigit((unsigned char)text[0]))
        return -1;
    double seconds = std::strtod(text, &end);
    if (*end || (colon && seconds >= 60))
        return -1;
    return minutes * 60 + seconds;
}

// "1,3-4" into channel bits (1-based in the text); 0 when it is not a list.
static bool channelList(const char* text, std::bitset<MP_MAX_CHANNELS>* out)
{
    std::string s = text;
    size_t at = 0;
    do {
        size_t comma = s.find(',', at);
        std::string item = s.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        size_t dash = item.find('-');
        long low, high;
        if (!cmd_whole(item.substr(0, dash).c_str(), 1, MP_MAX_CHANNELS, &low))
            return false;
        high = low;
        if (dash != std::string::npos && !cmd_whole(item.substr(dash + 1).c_str(), low, MP_MAX_CHANNELS, &high))
            return false;
        for (long c = low; c <= high; c++)
            out->set((size_t)(c - 1));
        at = comma == std::string::npos ? s.size() + 1 : comma + 1;
    } while (at <= s.size());
    return true;
}

int mopt_parse(int argc, char** argv, const char* program, const char* const* ownFlags, const char* usage,
               moptOptions_T* out)
{
    std::vector<const char*> flags = {"--mono", "--info", "--message", "--quiet", "--verbose"};
    for (const char* const* f = ownFlags; *f; f++)
        flags.push_back(*f);
    flags.push_back(nullptr);
    static const char* const valued[] = {"--loops", "--seconds", "--start", "--order", "--subsong", "--mute",
                                         "--solo",  "--stereo",  "--rate",  "--quality", nullptr};
    cmdArgs_T args;
    int rc = cmd_parse(argc, argv, program, flags.data(), valued, usage, &args);
    if (rc >= 0)
        return rc;
    moptOptions_T& o = *out;
    std::bitset<MP_MAX_CHANNELS> solo, muted;
    bool soloGiven = false;
    for (const auto& [name, value] : args.options) {
        long n = 0;
        const char* v = value;
        if (name == "--loops") {
            if (!cmd_whole(v, 0, 1000, &n))
                return cmd_refuse(program, usage, "--loops %s: not a whole number from 0 (for ever) to 1000", v);
            o.loops = (int)n;
            o.loopsGiven = true;
        } else if (name == "--seconds" || name == "--start") {
            double t = mopt_time(v);
            bool isStart = name == "--start";
            if (t < 0 || t > 86400 || (!isStart && t <= 0))
                return cmd_refuse(program, usage, "%s %s: not a time%s up to 24 hours (seconds, or m:ss)",
                                  name.c_str(), v, isStart ? "" : " above 0");
            (isStart ? o.start : o.seconds) = t;
        } else if (name == "--order") {
            if (!cmd_whole(v, 1, 256, &n))
                return cmd_refuse(program, usage, "--order %s: not an order position from 1 to 256", v);
            o.order = (int)n - 1;
        } else if (name == "--subsong") {
            if (!cmd_whole(v, 1, 256, &n))
                return cmd_refuse(program, usage, "--subsong %s: not a song number from 1 to 256", v);
            o.subsong = (int)n;
        } else if (name == "--mute" || name == "--solo") {
            bool isSolo = name == "--solo";
            if (!channelList(v, isSolo ? &solo : &muted))
                return cmd_refuse(program, usage, "%s %s: not a list of channels from 1 to %d, like 1,3-4",
                                  name.c_str(), v, (int)MP_MAX_CHANNELS);
            soloGiven = soloGiven || isSolo;
        } else if (name == "--stereo") {
            if (!cmd_whole(v, 0, 100, &n))
                return cmd_refuse(program, usage, "--stereo %s: not a percentage from 0 to 100", v);
            o.separation = (int)n;
        } else if (name == "--mono") {
            o.separation = 0;
        } else if (name == "--rate") {
            if (!cmd_whole(v, 8000, 96000, &n))
                return cmd_refuse(program, usage, "--rate %s: not a rate in Hz from 8000 to 96000", v);
            o.rate = (int)n;
        } else if (name == "--quality") {
            if ((o.quality = mp_qualityFromName(v)) < 0)
                return cmd_refuse(program, usage, "--quality %s: not one of plain, linear, cubic, sinc", v);
        } else {
            o.info = o.info || name == "--info";
            o.message = o.message || name == "--message";
            o.quiet = o.quiet || name == "--quiet";
            o.verbose = o.verbose || name == "--verbose";
            for (const char* const* f = ownFlags; *f; f++)
                if (name == *f)
                    o.own.push_back(*f);
        }
    }
    if (o.quiet && o.verbose)
        return cmd_refuse(program, usage, "--quiet and --verbose together");
    o.muted = (soloGiven ? ~solo : solo) | muted;
    o.files = args.operands;
    return -1;
}

bool mopt_has(const moptOptions_T& o, const char* flag)
{
    for (const char* f : o.own)
        if (!std::strcmp(f, flag))
            return true;
    return false;
}

std::string mopt_startOrder(mpModule_T* module, const moptOptions_T& o, uint32_t capSeconds, int* order)
{
    *order = o.order;
    if (o.subsong > 0) {
        std::vector<mpwSubsong_T> subs;
        int code = mpw_subsongs(module, capSeconds, &subs);
        if (code != 0)
            return mp_errorMessage(code);
        if (o.subsong > (int)subs.size())
            return "--subsong " + std::to_string(o.subsong) + " is past the song's " + std::to_string(subs.size()) +
                   " songs";
        *order = subs[o.subsong - 1].first;
    } else if (o.order >= (int)module->songLength) {
        return "--order " + std::to_string(o.order + 1) + " is past the song's " +
               std::to_string(module->songLength) + " orders";
    }
    return "";
}
