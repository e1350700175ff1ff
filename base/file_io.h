// 64-bit file positioning over the C library, for files of any size on both
// platforms (long is 32 bits on Windows).
#pragma once

#include <cstdio>

#include "base/types.h"

// fseek/ftell with 64-bit offsets; FileSeek64 answers true on success,
// FileTell64 answers -1 on failure.
bool FileSeek64(std::FILE* file, i64 offset, int origin);
i64 FileTell64(std::FILE* file);
