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
