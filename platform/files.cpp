#include "platform/files.h"

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
    return std::fopen(pf_hostPath(name).c_str(), mode);
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
