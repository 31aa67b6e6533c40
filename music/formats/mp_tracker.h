#pragma once
// Which tracker wrote a module, where the file's header says so: the XM
// header's tracker name, the S3M and IT "created with" version word, the
// MOD signature's family. Read from the file itself, since the common
// module form keeps none of it.
#include <cstddef>
#include <cstdint>
#include <string>

// "" when the file does not say (or cannot be read).
std::string mp_trackerName(const char* fileName);
// The same from the file's first `size` bytes (a reader's header).
std::string mp_trackerOfHeader(const uint8_t* head, size_t size);
