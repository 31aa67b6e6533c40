#include "fuzz/fuzz_util.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "music/mixer/dsm.h"
#include "music/mp_module.h"
#include "music/mp_render.h"
#include "tests/headless_display.h"

namespace fs = std::filesystem;

static void fuzz_removeScratch()
{
    std::error_code ignored;
    fs::remove_all(fuzz_scratchDir(), ignored);
}

const std::string& fuzz_scratchDir()
{
    static std::string dir;
    if (dir.empty()) {
        std::string pattern = "/tmp/varnek_fuzz_" + std::to_string(getpid()) + "_XXXXXX";
        if (!mkdtemp(&pattern[0])) {
            std::perror("mkdtemp");
            std::abort();
        }
        dir = pattern;
        std::atexit(fuzz_removeScratch);
    }
    return dir;
}

void fuzz_enterScratchDir()
{
    if (chdir(fuzz_scratchDir().c_str()) != 0) {
        std::perror("chdir");
        std::abort();
    }
}

std::string fuzz_writeFile(const char* name, const uint8_t* data, size_t size)
{
    fs::path path = fs::path(fuzz_scratchDir()) / name;
    fs::create_directories(path.parent_path());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (size && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return path.string();
}

bool fuzz_linkData(const char* name)
{
    fs::path from = fs::path(VARNEK_DATA_DIR) / name;
    fs::path to = fs::path(fuzz_scratchDir()) / name;
    std::error_code error;
    if (!fs::exists(from, error))
        return false;
    fs::create_directories(to.parent_path(), error);
    fs::remove(to, error);
    fs::create_symlink(from, to, error);
    return !error;
}

void fuzz_openDisplay()
{
    effectTest_openDisplay(nullptr);   // the whole-effect tests' set-up; no frame is kept
}

// Half a second at a low rate covers a few rows.
void fuzz_playModule(const char* name, const uint8_t* data, size_t size)
{
    std::string path = fuzz_writeFile(name, data, size);
    mpModule_T* module = mp_loadModule(path.c_str());
    if (!module)
        return;
    enum { RATE = 8000, FRAMES = RATE / 2 };
    static int16_t out[2 * FRAMES];
    // The last byte, sample data in every format (an XM file's first bytes
    // are its fixed signature), picks the path.
    int mixPath = (data[size - 1] & 1) ? DSM_FLOAT : DSM_INTEGER;
    if (mpr_start(module, RATE, mixPath, 1) == 0)
        mpr_render(out, FRAMES);
    mpr_stop();
    mp_freeModule(module);
}
