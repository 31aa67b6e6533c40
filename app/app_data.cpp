#include "app/app_data.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"

namespace fs = std::filesystem;

// The folders looked in for the data, in order; the last is the one used.
static std::vector<fs::path> foldersLooked;
static bool dataFound = false;

static bool holdsData(const fs::path& dir)
{
    std::error_code ec;
    return fs::exists(dir / ".generated", ec) || fs::exists(dir / "phased.mod", ec);
}

static fs::path readable(const fs::path& dir)
{
    std::error_code ec;
    fs::path p = fs::weakly_canonical(dir, ec);
    return ec ? dir : p;
}

void app_findData(const char* argv0)
{
    std::error_code ec;
    fs::path here = fs::current_path(ec);
    foldersLooked = {here};
    dataFound = holdsData(here);
    if (dataFound)
        return;
    // Where the program itself lies, also when it was started through PATH.
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        exe = fs::weakly_canonical(fs::path(argv0), ec);
    exe = exe.parent_path();
    for (const fs::path& dir : {exe / ".." / "data", exe / ".." / "share" / "varnek"}) {
        foldersLooked.push_back(readable(dir));
        if (holdsData(dir)) {
            fs::current_path(dir, ec);
            dataFound = true;
            foldersLooked = {readable(dir)};
            return;
        }
    }
}

int app_enterData(const char* program, const char* dir)
{
    std::error_code ec;
    fs::current_path(dir, ec);
    if (ec) {
        std::fprintf(stderr, "%s: no data directory %s\n", program, dir);
        return -1;
    }
    foldersLooked = {fs::current_path(ec)};
    dataFound = true;
    return 0;
}

int app_reportMissingData(const char* program, int code)
{
    std::vector<std::string> missing = pf_missingFiles();
    if (missing.empty())
        return code;
    std::string folders;
    for (const fs::path& dir : foldersLooked)
        folders += (folders.empty() ? "" : ", ") + dir.string();
    for (const std::string& name : missing)
        std::fprintf(stderr, "%s: missing data file %s (looked in %s)\n", program, name.c_str(), folders.c_str());
    if (!dataFound)
        std::fprintf(stderr,
                     "%s: no data folder found: run it from the folder varnek-gen wrote, or keep that folder as "
                     "data/ beside the program's folder\n",
                     program);
    std::fflush(stderr);
    return code == 0 ? 1 : code;
}
