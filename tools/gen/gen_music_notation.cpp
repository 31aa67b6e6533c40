// The tracker notation of the score: one token per row (see gen_music.h).
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "tools/gen/gen_music.h"

// Octave 1 of the note names is the first octave a MOD plays without
// extended octaves (C-1 = period 856); index 0..35 runs up to B-3 (113).
static int gm_noteIndex(const char* name)
{
    static const char letters[] = "C-C#D-D#E-F-F#G-G#A-A#B-";
    if (std::strlen(name) != 3 || name[2] < '1' || name[2] > '3')
        return -1;
    for (int s = 0; s < 12; s++) {
        if (name[0] == letters[s * 2] && name[1] == letters[s * 2 + 1])
            return (name[2] - '1') * 12 + s;
    }
    return -1;
}

static uint16_t gm_indexPeriod(int index)
{
    return mod_notePeriod(1 + index / 12, index % 12);
}

// "/A04": effect nibble and parameter byte, three hex digits.
static bool gm_parseEffect(const std::string& text, modCell_T& cell)
{
    if (text.size() != 4 || text[0] != '/')
        return false;
    for (size_t i = 1; i < 4; i++) {
        if (!std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    unsigned long value = std::strtoul(text.c_str() + 1, nullptr, 16);
    cell.effect = static_cast<uint8_t>(value >> 8);
    cell.param = static_cast<uint8_t>(value & 0xFF);
    return true;
}

// ".N" and "~N": a repeat count after the first character (1 when absent).
static int gm_repeatCount(const std::string& token)
{
    if (token.size() == 1)
        return 1;
    for (size_t i = 1; i < token.size(); i++) {
        if (!std::isdigit(static_cast<unsigned char>(token[i])))
            return -1;
    }
    int count = std::atoi(token.c_str() + 1);
    return count >= 1 && count <= 64 ? count : -1;
}

// The note part of a token: a kit letter or a note name, transposed.
static bool gm_parseNote(const std::string& text, const gmTrack_T& track,
                         const std::vector<gmKitEntry_T>& kit, modCell_T& cell)
{
    if (text.size() == 1) {
        for (const gmKitEntry_T& entry : kit) {
            if (entry.letter == text[0]) {
                int index = gm_noteIndex(entry.note);
                if (index < 0)
                    return false;
                cell.period = gm_indexPeriod(index);
                cell.sample = entry.instrument;
                return true;
            }
        }
        return false;
    }
    int index = gm_noteIndex(text.c_str());
    if (index < 0)
        return false;
    index += track.transpose;
    if (index < 0 || index >= 36)
        return false;
    cell.period = gm_indexPeriod(index);
    cell.sample = static_cast<uint8_t>(track.instrument);
    return true;
}

int gm_parseTrack(const gmTrack_T& track, const std::vector<gmKitEntry_T>& kit,
                  std::vector<modCell_T>& out, std::string& error)
{
    std::istringstream in(track.text);
    std::string token;
    modCell_T last = {};
    while (in >> token) {
        if (token[0] == '.' || token[0] == '~') {
            int count = gm_repeatCount(token);
            if (count < 0) {
                error = "bad repeat token '" + token + "'";
                return -1;
            }
            modCell_T cell = {};
            if (token[0] == '~') {
                cell.effect = last.effect;
                cell.param = last.param;
            }
            out.insert(out.end(), count, cell);
            continue;
        }
        modCell_T cell = {};
        size_t slash = token.find('/');
        std::string notePart = token.substr(0, slash);
        if (!notePart.empty() && !gm_parseNote(notePart, track, kit, cell)) {
            error = "bad note '" + token + "' (transpose " + std::to_string(track.transpose) + ")";
            return -1;
        }
        if (slash != std::string::npos && !gm_parseEffect(token.substr(slash), cell)) {
            error = "bad effect '" + token + "'";
            return -1;
        }
        // A tone-portamento target keeps the playing sample and its volume.
        if (cell.period != 0 && (cell.effect == 0x3 || cell.effect == 0x5))
            cell.sample = 0;
        out.push_back(cell);
        last = cell;
    }
    return 0;
}
