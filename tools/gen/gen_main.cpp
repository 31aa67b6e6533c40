// varnek-gen DATA_DIR: writes every data file the demo reads.
#include "tools/gen/gen.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/cmdline.h"
#include "platform/files.h"

namespace {
struct genEntry_T {
    const char* name;
    genWriter_T writer;
};

std::vector<genEntry_T>& registry()
{
    static std::vector<genEntry_T> entries;
    return entries;
}
}

genRegistration_T::genRegistration_T(const char* name, genWriter_T writer)
{
    registry().push_back({name, writer});
}

int gen_writeFile(const std::string& dataDir, const char* relativeName, const void* data, size_t size)
{
    std::filesystem::path path = std::filesystem::path(dataDir) / pf_hostPath(relativeName);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "varnek-gen: cannot write %s\n", path.string().c_str());
        return -1;
    }
    bool ok = std::fwrite(data, 1, size, f) == size;
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        std::fprintf(stderr, "varnek-gen: write failed for %s\n", path.string().c_str());
    return ok ? 0 : -1;
}

static const char* const USAGE =
    "usage: varnek-gen DATA_DIR\n"
    "Writes every data file the demo reads into DATA_DIR.\n";

int main(int argc, char** argv)
{
    int answered = cmd_helpOrVersion(argc, argv, "varnek-gen", USAGE);
    if (answered >= 0)
        return answered;
    if (argc < 2)
        return cmd_refuse("varnek-gen", USAGE, "no data folder given");
    if (argc > 2)
        return cmd_refuse("varnek-gen", USAGE, "one data folder only, got also %s", argv[2]);
    if (argv[1][0] == '-')
        return cmd_refuse("varnek-gen", USAGE, "unknown option %s", argv[1]);
    std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    int failures = 0;
    for (const genEntry_T& entry : registry()) {
        if (entry.writer(dir) != 0) {
            std::fprintf(stderr, "varnek-gen: %s failed\n", entry.name);
            failures++;
        }
    }
    return failures ? 1 : 0;
}
