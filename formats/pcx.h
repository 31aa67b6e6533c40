#pragma once
// PCX pictures (ZSoft, version 5, run-length encoded): the 2D library's
// reader and the pieces it shares with the sand effect's own decoding.
//
// Run-length coding: a byte of 0xC0 or more is a run count (its low 6 bits,
// 0 to 63) for the byte that follows; any other byte stands for itself.
// Runs may cross scan lines.
#include <cstddef>
#include <cstdint>

struct gbuffer_T;

enum {
    PCX_OK = 0,
    PCX_ERR_NOMEM = 1,
    PCX_ERR_OPEN = 2,
    PCX_ERR_READ = 4,       // a read or seek failed, the file ended early or cannot hold its size
    PCX_ERR_VERSION = 8,
    PCX_ERR_BUFFER = 16,    // the destination reports an error other than out of memory
    PCX_ERR_LAYOUT = 32,    // bits and planes multiply to 8 or 24 but are not 8-bit planes
};

enum {
    PCX_HEADER_SIZE = 128,
    PCX_PALETTE_SIZE = 768,
};

struct pcxHeader_T {
    uint8_t manufacturer;   // 10
    uint8_t version;
    uint8_t bitsPerPixel;   // per plane
    uint8_t planes;
    uint16_t width;         // xmax - xmin + 1, in 16 bits
    uint16_t height;
    uint16_t bytesPerLine;  // per plane, as stored
    uint32_t lineBytes;     // bytes of one decoded plane line: bytesPerLine, at least the width's worth
};

// Reads the fields of a 128-byte header.
void pcx_parseHeader(const uint8_t* bytes, pcxHeader_T* header);

// Decodes runs from src[*pos] on until `want` bytes have been produced; the
// bytes of the last run beyond `want` are counted but not stored. Returns the
// count produced, or -1 when the input ends first (*pos then equals size).
int64_t pcx_rleDecode(const uint8_t* src, size_t size, size_t* pos, uint8_t* dst, size_t want);

// The most bytes `size` encoded bytes can decode to.
uint64_t pcx_rleMaxOutput(size_t size);

// Decodes the image data of a whole PCX file held in memory (data from offset
// 128 to the end) into out: height rows, each of planes x width bytes with
// the line padding dropped. out must hold height x planes x lineBytes bytes
// (the padded size), of which the first width x height x planes are the result.
// Returns PCX_OK or PCX_ERR_READ (the data end early). *produced, when
// asked for, receives the bytes the runs made, more than out holds when the
// last run overshoots it.
int pcx_decodeImage(const uint8_t* file, size_t size, const pcxHeader_T& header, uint8_t* out,
                    uint64_t* produced = nullptr);

// Loads an 8-bit (one plane, palette at the end) or 24-bit (three planes)
// picture into destination, which is initialised to the picture's size.
// Other layouts leave it black at that size and succeed. Returns a PCX_ code.
int gpl_loadPcx(const char* fileName, gbuffer_T* destination);
