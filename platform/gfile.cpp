#include "platform/gfile.h"

#include "platform/files.h"

gfile_T::~gfile_T()
{
    close();
}

void gfile_T::open(const char* name, uint32_t mode)
{
    close();
    const char* how = nullptr;
    if (mode & GFILE_APPEND)
        how = "ab";
    else if (mode & GFILE_WRITE)
        how = "wb";
    else if (mode & GFILE_READ)
        how = "rb";
    handle = how ? pf_fopen(name, how) : nullptr;
    if (!handle)
        errorFlags |= GFILE_ERR_OPEN;
}

void gfile_T::read(void* destination, uint32_t count)
{
    if (!handle) {
        errorFlags |= GFILE_ERR_SHORT;
        return;
    }
    size_t got = std::fread(destination, 1, count, handle);
    if (std::feof(handle))
        errorFlags |= GFILE_ERR_EOF;
    else if (got != count)
        errorFlags |= GFILE_ERR_SHORT;
}

void gfile_T::seek(int32_t offset, uint32_t origin)
{
    int whence;
    if (origin & GFILE_SEEK_CUR)
        whence = SEEK_CUR;
    else if (origin & GFILE_SEEK_END)
        whence = SEEK_END;
    else
        whence = SEEK_SET;
    if (!handle || std::fseek(handle, offset, whence) != 0)
        errorFlags |= GFILE_ERR_SEEK;
}

int32_t gfile_T::tell()
{
    return handle ? (int32_t)std::ftell(handle) : -1;
}

void gfile_T::close()
{
    if (handle) {
        std::fclose(handle);
        handle = nullptr;
    }
}

uint32_t gfile_readAll(const char* name, std::vector<uint8_t>* out)
{
    out->clear();
    gfile_T file;
    file.open(name, GFILE_READ);
    if (file.errorFlags)
        return file.errorFlags;
    file.seek(0, GFILE_SEEK_END);
    int32_t size = file.tell();
    file.seek(0, GFILE_SEEK_SET);
    if (file.errorFlags || size < 0)
        return file.errorFlags | GFILE_ERR_SEEK;
    out->resize((size_t)size);
    if (size > 0)
        file.read(out->data(), (uint32_t)size);
    if (file.errorFlags & (GFILE_ERR_SHORT | GFILE_ERR_SEEK))
        out->clear();
    return file.errorFlags & (GFILE_ERR_SHORT | GFILE_ERR_SEEK);
}
