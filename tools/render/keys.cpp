#include "tools/render/keys.h"

#include <sstream>

static pfEvent_T ev(pfEventType_T type, int vk, int ch, int scan, int down)
{
    return pfEvent_T{type, vk, ch, scan, down};
}

int keys_parse(const std::string& text, std::vector<pfScriptedEvent_T>& events, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(lines, line)) {
        lineNo++;
        size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        long frame;
        std::string name;
        if (!(words >> frame))
            continue;   // blank or comment line
        if (frame < 0 || !(words >> name)) {
            error = "line " + std::to_string(lineNo) + ": expected FRAME NAME";
            return -1;
        }
        uint32_t f = (uint32_t)frame;
        if (name == "esc") {
            events.push_back({f, ev(PF_EV_RAWKEY, 0, 0, 0x01, 1)});
            events.push_back({f, ev(PF_EV_KEYDOWN, 27, 0, 0, 1)});
            events.push_back({f, ev(PF_EV_RAWKEY, 0, 0, 0x01, 0)});
        } else if (name == "alt+enter") {
            events.push_back({f, ev(PF_EV_SYSKEYUP, 13, 0, 0, 0)});
        } else if (name == "enter") {
            events.push_back({f, ev(PF_EV_RAWKEY, 0, 0, 0x1C, 1)});
            events.push_back({f, ev(PF_EV_RAWKEY, 0, 0, 0x1C, 0)});
        } else if (name == "close") {
            events.push_back({f, ev(PF_EV_CLOSE, 0, 0, 0, 0)});
        } else if (name == "space") {
            events.push_back({f, ev(PF_EV_RAWKEY, 0, 0, 0x39, 1)});
            events.push_back({f, ev(PF_EV_CHAR, 0, ' ', 0, 0)});
            events.push_back({f + 2, ev(PF_EV_RAWKEY, 0, 0, 0x39, 0)});
        } else if (name == "focus-out" || name == "focus-in") {
            events.push_back({f, ev(PF_EV_FOCUS, 0, 0, 0, name == "focus-in")});
        } else if (name.size() == 1 && (unsigned char)name[0] > 32 && (unsigned char)name[0] < 127) {
            events.push_back({f, ev(PF_EV_CHAR, 0, (unsigned char)name[0], 0, 0)});
        } else {
            error = "line " + std::to_string(lineNo) + ": unknown key '" + name + "'";
            return -1;
        }
    }
    return 0;
}
