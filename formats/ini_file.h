#pragma once
// Settings files of key = value lines (the font descriptions). The whole file
// is loaded once and cleaned line by line into back-to-back NUL-terminated
// entries; queries then look keys up in file order, first match wins.
//
// Cleaning, per line: leading blanks (spaces only) are skipped; a line that
// then starts with '#' is dropped; the CR becomes the entry's NUL and the LF
// is not stored (so a line ended by LF alone runs into the next one); blanks
// before the CR go, then one closing double quote. The last line of a file
// without a final line end is still terminated.
#include <cstdint>

enum {
    INI_ERR_NOMEM = 1,
    INI_ERR_OPEN = 2,
};

struct iniFile_T {
    uint32_t loaded = 0;
    uint32_t errorFlags = 0;
    char* buffer = nullptr;
    int32_t size = 0;

    iniFile_T() = default;
    ~iniFile_T();
    iniFile_T(const iniFile_T&) = delete;
    iniFile_T& operator=(const iniFile_T&) = delete;

    void init(const char* fileName);
    // The numeric value of key, 0.0 when missing or not a number.
    double getNum(const char* key);
    // The quoted string value of key (its first character, the opening quote,
    // skipped), null when missing. Valid until release.
    const char* getString(const char* key);
    void release();
    // The first character of the value of the first entry matching key, or null.
    const char* findKey(const char* key);
};

// A decimal number at the start of text: optional sign, digits, optional
// point and fraction, optional exponent. *end (if given) gets the first
// character after it; text that does not start with a number reads as 0
// with *end = text.
double gpl_parseNumber(const char* text, const char** end);

// A settings number as an integer, the way callers take them: truncated
// toward zero, and held to the 32-bit range (a file may say 1e38).
int32_t gpl_truncInt32(double value);
