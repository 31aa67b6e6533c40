// The sand script and the ground fades. The script is words separated by
// white space; any word holding '#' introduces a command, the next word is
// its name and the words after it its arguments. Everything else is comment.
// A name is recognised when it contains a keyword, tried in table order.
#include "effects/sand/sand_effect.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "formats/ini_file.h"
#include "platform/log.h"

namespace {
enum sandCommand_T {
    CMD_STARTUP,
    CMD_LOAD,
    CMD_FADEIN,
    CMD_FADEOUT,
    CMD_SETWIND,
    CMD_SETALTURA,
    CMD_MODORELLENADO,
    CMD_CALCARENA,
    CMD_END,
    CMD_ESPERA,
    CMD_UNKNOWN,
};

const char* const sandKeywords[CMD_UNKNOWN] = {
    "STARTUP", "LOAD", "FADEIN", "FADEOUT", "SETWIND", "SETALTURA", "MODORELLENADO", "CALCARENA", "END", "ESPERA",
};

// Longer words are cut: no keyword, number or file name needs more. The
// command marker is looked for in the whole word, cut or not.
const size_t SAND_WORD_MAX = 255;

bool sand_nextWord(FILE* f, std::string* word, bool* marked = nullptr)
{
    word->clear();
    if (marked)
        *marked = false;
    int c;
    do {
        c = std::fgetc(f);
    } while (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f');
    if (c == EOF)
        return false;
    while (c != EOF && c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\v' && c != '\f') {
        if (word->size() < SAND_WORD_MAX)
            word->push_back((char)c);
        if (c == '#' && marked)
            *marked = true;
        c = std::fgetc(f);
    }
    return true;
}

sandCommand_T sand_command(const std::string& name)
{
    for (int i = 0; i < CMD_UNKNOWN; i++)
        if (name.find(sandKeywords[i]) != std::string::npos)
            return (sandCommand_T)i;
    return CMD_UNKNOWN;
}

// Integers are a sign and decimal digits at the start of the word (0 when
// there are none), held to the 32-bit range.
int32_t sand_integer(const std::string& word)
{
    long long v = std::strtoll(word.c_str(), nullptr, 10);
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int32_t)v;
}

// A wait of a negative number of frames is no wait at all.
uint32_t sand_waitFrames(const std::string& word)
{
    int32_t n = sand_integer(word);
    return n < 0 ? 0u : (uint32_t)n;
}

// Fade counts are unsigned: a negative count wraps to a very long one, and
// the fade then runs until the ground stops changing.
uint32_t sand_fadeFrames(const std::string& word)
{
    return (uint32_t)sand_integer(word);
}
}

void sandEffect_T::endScript()
{
    if (script) {
        std::fclose(script);
        script = nullptr;
    }
    sandDone = 1;
}

void sandEffect_T::interpret()
{
    std::string word, arg1, arg2, arg3;
    while (script && sandState == SAND_READING) {
        bool marked;
        if (!sand_nextWord(script, &word, &marked)) {
            endScript();   // a script without END ends as if it had one
            return;
        }
        if (!marked)
            continue;
        if (!sand_nextWord(script, &word)) {
            endScript();
            return;
        }
        sandCommand_T command = sand_command(word);
        static const int argCount[CMD_UNKNOWN + 1] = {2, 2, 3, 1, 2, 1, 1, 0, 0, 1, 0};
        std::string* args[3] = {&arg1, &arg2, &arg3};
        bool complete = true;
        for (int i = 0; i < argCount[command] && complete; i++)
            complete = sand_nextWord(script, args[i]);
        if (!complete) {
            endScript();
            return;
        }
        switch (command) {
        case CMD_STARTUP:
            loadMaps(arg1.c_str(), arg2.c_str());
            fillSand();
            break;
        case CMD_LOAD:
            loadMaps(arg1.c_str(), arg2.c_str());
            break;
        case CMD_FADEIN: {
            uint8_t* map = new uint8_t[SAND_W * SAND_H];
            if (!loadHeightMap(arg1.c_str(), map)) {
                delete[] map;   // nothing to fade to: the command is skipped
                con_log("No se pudo cargar %s", arg1.c_str());
                break;
            }
            delete[] heightMap;
            heightMap = map;
            sandState = SAND_FADING_IN;
            counter = sand_fadeFrames(arg3);
            break;
        }
        case CMD_FADEOUT:
            sandState = SAND_FADING_OUT;
            counter = sand_fadeFrames(arg1);
            break;
        case CMD_SETWIND:
            windAngle = (float)gpl_parseNumber(arg1.c_str(), nullptr);
            windStrength = (float)gpl_parseNumber(arg2.c_str(), nullptr);
            break;
        case CMD_SETALTURA:
            altura = sand_integer(arg1);
            break;
        case CMD_MODORELLENADO:
            fillMode = sand_integer(arg1);
            break;
        case CMD_CALCARENA:
            fillSand();
            break;
        case CMD_END:
            endScript();
            return;
        case CMD_ESPERA:
            sandState = SAND_WAITING;
            counter = sand_waitFrames(arg1);
            break;
        case CMD_UNKNOWN:
            break;
        }
    }
}

// The ground of a height map (half of each byte) under the sand already
// there. Nothing changes unless both files load.
void sandEffect_T::loadMaps(const char* heightFile, const char* backgroundFile)
{
    uint8_t* map = new uint8_t[SAND_W * SAND_H];
    if (!loadHeightMap(heightFile, map)) {
        con_log("No se pudo cargar %s", heightFile);
    } else if (!loadBackground(backgroundFile)) {
        con_log("No se pudo cargar %s", backgroundFile);
    } else {
        for (int i = 0; i < SAND_W * SAND_H; i++) {
            cells[i].terrain = (uint8_t)(map[i] / 2);
            cells[i].total = (uint32_t)cells[i].terrain + cells[i].sand;
        }
    }
    delete[] map;
}

void sandEffect_T::fillSand()
{
    for (int i = 0; i < SAND_W * SAND_H; i++) {
        cells[i].sand = 1;
        cells[i].total = (uint32_t)cells[i].terrain + 1;
    }
    redraw();
    present();
}

// Every 8th frame the ground rises by 8 toward the target map; the fade ends
// after its frame count or when no cell is below its target any more.
void sandEffect_T::fadeInStep()
{
    if (counter == 0)
        sandState = SAND_READING;
    else
        counter--;
    if (frameCounter % 8 != 0 || !heightMap)
        return;
    if (altura <= INT32_MAX - 8)
        altura += 8;
    bool changed = false;
    for (int i = 0; i < SAND_W * SAND_H; i++) {
        if (cells[i].terrain < heightMap[i] / 2) {
            cells[i].terrain += 8;
            cells[i].total += 8;
            changed = true;
        }
    }
    if (!changed) {
        sandState = SAND_READING;
        delete[] heightMap;
        heightMap = nullptr;
    }
}

// Every 8th frame the ground sinks by 16 until it is flat.
void sandEffect_T::fadeOutStep()
{
    if (counter == 0)
        sandState = SAND_READING;
    else
        counter--;
    if (frameCounter % 8 != 0)
        return;
    bool changed = false;
    for (int i = 0; i < SAND_W * SAND_H; i++) {
        sandCell_T& c = cells[i];
        if (c.terrain != 0) {
            c.terrain = c.terrain > 16 ? (uint8_t)(c.terrain - 16) : 0;
            c.total = (uint32_t)c.terrain + c.sand;
            changed = true;
        }
    }
    if (!changed)
        sandState = SAND_READING;
}
