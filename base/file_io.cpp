#include "base/file_io.h"

#include <sys/types.h>

bool FileSeek64(std::FILE* file, i64 offset, int origin) {
    if (!file) return false;
#ifdef _WIN32
    return _fseeki64(file, offset, origin) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

i64 FileTell64(std::FILE* file) {
    if (!file) return -1;
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<i64>(ftello(file));
#endif
}
