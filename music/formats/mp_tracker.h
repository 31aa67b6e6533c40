#pragma once
// Which tracker wrote a module, where the file's header says so: the XM
// header's tracker name, the S3M and IT "created with" version word (seen
// through editors that save as another tracker), the MOD signature's
// family. Each reader names it from the bytes it has read (mpModule_T::tracker).
#include <cstddef>
#include <cstdint>
#include <string>

// From the file's first `size` bytes; "" when the file does not say.
std::string mp_trackerOfHeader(const uint8_t* head, size_t size);
