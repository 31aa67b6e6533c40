// The settings file reader on any bytes, queried for the keys the font reads
// and a few short ones that match many entries.
#include <cstring>

#include "formats/ini_file.h"
#include "fuzz/fuzz_util.h"

static volatile size_t fuzz_sink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_writeFile("input.ini", data, size);
    static const char* const keys[] = {"fontPic", "fontSpace", "fontDumpID", "fontOrder", "fontMatrixHeight",
                                       "fontMatrixWidth", "a", "b", "key", ""};
    iniFile_T ini;
    ini.init(path.c_str());
    for (const char* key : keys) {
        ini.getNum(key);
        // The value must end inside the loaded text.
        if (const char* value = ini.getString(key))
            fuzz_sink += std::strlen(value);
    }
    ini.release();
    return 0;
}
