#pragma once
// A thin binary file over a stdio stream: every failure becomes an error bit
// that accumulates until the object is destroyed, so a loader can do a run of
// reads and test once.
#include <cstdint>
#include <cstdio>
#include <vector>

enum {
    GFILE_READ = 1,     // "rb"
    GFILE_WRITE = 2,    // "wb"
    GFILE_APPEND = 4,   // "ab"
};

enum {
    GFILE_SEEK_SET = 1,
    GFILE_SEEK_END = 2,
    GFILE_SEEK_CUR = 4,
};

enum {
    GFILE_ERR_OPEN = 1,
    GFILE_ERR_SHORT = 2,
    GFILE_ERR_SEEK = 8,
    GFILE_ERR_EOF = 16,
};

struct gfile_T {
    FILE* handle = nullptr;
    uint32_t errorFlags = 0;

    gfile_T() = default;
    ~gfile_T();
    gfile_T(const gfile_T&) = delete;
    gfile_T& operator=(const gfile_T&) = delete;

    // Mode and origin are bit sets; when several bits are given the highest wins.
    void open(const char* name, uint32_t mode);
    void read(void* destination, uint32_t count);
    void seek(int32_t offset, uint32_t origin);
    int32_t tell();
    void close();
};

// Reads a whole file into out. Returns 0, or the gfile_T error bits of the
// failure (GFILE_ERR_OPEN when it cannot be opened).
uint32_t gfile_readAll(const char* name, std::vector<uint8_t>* out);
