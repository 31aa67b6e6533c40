#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace {
// The music loads on the main thread, everything else on the engine thread.
std::mutex missingMutex;
std::vector<std::string> missing;

void rememberMissing(const std::string& path)
{
    std::lock_guard<std::mutex> lock(missingMutex);
    if (std::find(missing.begin(), missing.end(), path) == missing.end())
        missing.push_back(path);
}
}

std::string pf_hostPath(const char* name)
{
    std::string path(name ? name : "");
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

FILE* pf_fopen(const char* name, const char* mode)
{
    if (!name || !mode)
        return nullptr;
    std::string path = pf_hostPath(name);
    FILE* f = std::fopen(path.c_str(), mode);
    if (!f && errno == ENOENT && mode[0] == 'r')
        rememberMissing(path.compare(0, 2, "./") == 0 ? path.substr(2) : path);
    return f;
}

std::vector<std::string> pf_missingFiles()
{
    std::lock_guard<std::mutex> lock(missingMutex);
    return missing;
}

long pf_fileBytesLeft(FILE* f)
{
    long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0)
        return -1;
    long end = std::ftell(f);
    if (end < 0 || std::fseek(f, here, SEEK_SET) != 0)
        return -1;
    return end - here;
}
